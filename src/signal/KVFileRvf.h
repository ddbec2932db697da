#pragma once
#include "KVFile.h"

#include <memory>
#include <string>

class CRVFFile;

// An RVF-1992 signal file, read and written through CRVFFile.
class KVFileRvf : public KVFile {
public:
    explicit KVFileRvf(std::string fileName = {});
    ~KVFileRvf() override;

    const char* TypeName() const override { return "RVF-1992 File"; }
    std::string FileName() const override { return m_fileName; }
    // NLP - NFP + 1 of the curve record, 0 without an open file.
    size_t PointCount() override;

    bool Open(const std::string& fileName);
    bool Close();
    // Reads the file into signal (reset first); false with recorded errors.
    bool Load(KVSignal& signal) override;
    // Writes signal as RVF-1992; an existing file is replaced only on success.
    bool Store(const KVSignal& signal);
    // The float-format name written by Store ("IEEE", "SUN", "VAX"); the
    // machine's own format when empty.
    void SetFloatFormatName(const std::string& name) { m_floatFormat = name; }

private:
    std::string m_fileName;
    std::string m_floatFormat;
    std::unique_ptr<CRVFFile> m_rvf;
};

// Stores signal as an RVF-1992 file; errors are discarded.
bool SaveSignalAsRvf(const KVSignal& signal, const std::string& fileName);

// The filter class that a cut-off (or, without one, pre-filter) frequency implies.
int KVFilterClassFromFrequency(float cutOff, float preFilter);
