#pragma once
// Hand-made RVF-1992 images for the signal-library tests, beside what every
// layer's tests share.
#include "SupportFiles.h"
#include "SupportSignals.h"

#include <cstdint>
#include <string>

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
