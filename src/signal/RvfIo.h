#pragma once
// Field access over the bytes of RVF-1992 records, and the conversion of runs
// of data values between the file's float format and this machine's.
#include "KVException.h"
#include "RvfFormat.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Reads fields from a whole-file buffer; bytes beyond its end read as zero.
class RvfReader {
public:
    RvfReader(std::span<const uint8_t> buf, int fileOrder, int machineOrder, int fileFormat, int machineFormat);

    void Text(size_t offset, size_t width, std::string& out) const;
    void Int(size_t offset, int& out) const;
    // Throws KVException("Not a Number", "CRVFFile::floatRead") for a NaN.
    void Real(size_t offset, float& out) const;
    void Reals(size_t offset, float* out, size_t count) const;

private:
    void Bytes(size_t offset, uint8_t b[4]) const;

    std::span<const uint8_t> m_buf;
    int m_fileOrder, m_machineOrder, m_fileFormat, m_machineFormat;
};

// Places fields into a zero-filled output buffer.
class RvfWriter {
public:
    RvfWriter(std::vector<uint8_t>& buf, int fileOrder, int machineOrder, int fileFormat, int machineFormat);

    // Upper-cased, trailing white space removed, cut to width, blank-padded.
    void Text(size_t offset, size_t width, const std::string& in);
    void Int(size_t offset, const int& in);
    // Throws KVException("Not a Number", "CRVFFile::floatWrite") for a NaN.
    void Real(size_t offset, const float& in);
    void Reals(size_t offset, const float* in, size_t count);

private:
    std::vector<uint8_t>& m_buf;
    int m_fileOrder, m_machineOrder, m_fileFormat, m_machineFormat;
};

// count reals of a data record (file format) into out (machine format).
// Throws KVException("Not a Number", "CRVFFile::floatRead") for a NaN.
void RvfDecodeReals(const uint8_t* in, float* out, size_t count, int fileFormat, int machineFormat);
// count reals (machine format) into the bytes of a data record (file format).
// Throws KVException("Not a Number", "CRVFFile::floatWrite") for a NaN.
void RvfEncodeReals(const float* in, uint8_t* out, size_t count, int fileFormat, int machineFormat);

// A run of count reals as a data record stores them (file format).
struct RvfSpan {
    const uint8_t* bytes;
    size_t count;
};
// Smallest and largest of the reals of spans taken in order (at least one in
// all), as KVScanExtremes finds them, read where they lie in one pass.
// Throws KVException("Not a Number", "CRVFFile::floatRead") for a NaN.
void RvfScanReals(std::span<const RvfSpan> spans, int fileFormat, int machineFormat, float& lo, float& hi);
