#pragma once
#include "KVFile.h"

#include <memory>
#include <string>

class CRVFFile;
struct KVHeader;
struct KVRunningExtremes;

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
    // The header Load would give (extremes included) and the number of
    // points, without keeping the arrays: a "Y" file's values are checked
    // and scanned piece by piece as they are read.
    bool LoadHeader(KVHeader& header, size_t& points);
    // The fields the header records hold, without reading the data records:
    // for naming many files fast (the extremes stay the defaults).
    bool LoadRecordFields(KVHeader& header);
    // Writes signal as RVF-1992; an existing file is replaced only on success.
    bool Store(const KVSignal& signal);
    // The float-format name written by Store ("IEEE", "SUN", "VAX"); the
    // machine's own format when empty.
    void SetFloatFormatName(const std::string& name) { m_floatFormat = name; }

private:
    // The steps of a load: the open and the header records with their
    // checks; the data records into x and y (null: kept nowhere) with their
    // extremes; the header fields. Each failure records its errors and closes.
    bool OpenHeader();
    bool ReadValues(float* x, float* y, KVRunningExtremes& xRange, KVRunningExtremes& yRange);
    void FillHeader(KVHeader& h, const KVRunningExtremes& xRange, const KVRunningExtremes& yRange) const;
    // The extremes of a "Y" file's times, and its number of points.
    KVRunningExtremes GridRange() const;
    size_t PointCountOpen() const;

    std::string m_fileName;
    std::string m_floatFormat;
    std::unique_ptr<CRVFFile> m_rvf;
};

// Stores signal as an RVF-1992 file; errors are discarded.
bool SaveSignalAsRvf(const KVSignal& signal, const std::string& fileName);

// The filter class that a cut-off (or, without one, pre-filter) frequency implies.
int KVFilterClassFromFrequency(float cutOff, float preFilter);
