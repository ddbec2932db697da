#pragma once
// Helpers shared by the signal-library tests: a temporary folder per test,
// whole-file reads and writes, and hand-made RVF-1992 images.
#include "KVErrorList.h"
#include "KVSignal.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    // Names of the entries of the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::filesystem::path m_dir;
};

Bytes ReadAll(const std::string& path);
void WriteAll(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);

// The errors of a list as "scope | message" lines, for readable failures.
std::vector<std::string> ErrorLines(const KVErrorList& list);

// The names of the header fields (and "Side") in which a and b differ.
std::vector<std::string> HeaderDifferences(const KVHeader& a, const KVHeader& b);

// A signal with n points X = x0 + i*dx, Y = y(i), indices 0..n-1.
KVSignal MakeSignal(size_t n, float x0, float dx, float (*y)(size_t));

// An RVF-1992 image built byte by byte, independent of the library: IEEE
// (little-endian) unless told otherwise.
class RvfImage {
public:
    enum Format { Ieee, Sun, Vax };
    explicit RvfImage(size_t size, Format format = Ieee);

    // Record 1 identifier, layout and format name, curve label at r, NFP/NLP.
    static RvfImage Minimal(size_t points, const std::string& layout, Format format = Ieee, bool record2 = false);

    void Text(size_t offset, const std::string& text); // copied as is
    void Int(size_t offset, int32_t v);
    void Real(size_t offset, float v);
    void Bits(size_t offset, uint32_t bits); // an IEEE bit pattern, converted like Real
    void Resize(size_t size) { m_bytes.resize(size, 0); }

    size_t CurveOffset() const { return m_curve; }
    size_t DataOffset() const { return m_curve + 512; }
    const Bytes& bytes() const { return m_bytes; }
    Bytes& bytes() { return m_bytes; }

private:
    Bytes m_bytes;
    Format m_format;
    size_t m_curve = 512;
};

// The four bytes of an IEEE float as it lies in memory on this machine.
Bytes FloatBytes(float v);
