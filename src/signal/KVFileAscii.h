#pragma once
#include "KVFile.h"

#include <string>

// A two-column text file: one X and one Y value per line after optional
// header lines.
class KVFileAscii : public KVFile {
public:
    explicit KVFileAscii(std::string fileName);

    const char* TypeName() const override { return "ASCII File"; }
    std::string FileName() const override { return m_fileName; }
    // Lines of the file (a line longer than 1022 characters counts per piece);
    // 0 when the file cannot be opened.
    size_t PointCount() override;
    bool Load(KVSignal& signal) override;

private:
    std::string NoDataMessage() const;

    std::string m_fileName;
};
