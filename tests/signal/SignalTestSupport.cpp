#include "SignalTestSupport.h"

#include <cstring>

Bytes FloatBytes(float v)
{
    Bytes b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
}

RvfImage::RvfImage(size_t size, Format format) : m_bytes(size, 0), m_format(format) {}

RvfImage RvfImage::Minimal(size_t points, const std::string& layout, Format format, bool record2)
{
    const size_t perRun = (points + 124) / 125;
    const size_t runs = layout == "Y" ? 1 : 2;
    const size_t curve = record2 ? 1024 : 512;
    RvfImage img(curve + 512 + runs * perRun * 512, format);
    img.m_curve = curve;
    img.Text(0, "RVF-1992");
    img.Text(16, layout);
    img.Text(26, format == Ieee ? "IEEE" : format == Sun ? "SUN" : "VAX");
    if (record2)
        img.Text(512, "CMP-2 HDR");
    img.Text(curve, "CURVE HDR");
    img.Int(curve + 278, 0);
    img.Int(curve + 282, static_cast<int32_t>(points) - 1);
    for (size_t r = 0; r < runs * perRun; ++r)
        img.Text(img.DataOffset() + r * 512, r < perRun ? "Y DATA" : "X DATA");
    return img;
}

void RvfImage::Text(size_t offset, const std::string& text)
{
    std::memcpy(m_bytes.data() + offset, text.data(), text.size());
}

void RvfImage::Int(size_t offset, int32_t v)
{
    const uint32_t u = static_cast<uint32_t>(v);
    const uint8_t le[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    for (size_t k = 0; k < 4; ++k)
        m_bytes[offset + k] = m_format == Sun ? le[3 - k] : le[k];
}

void RvfImage::Real(size_t offset, float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    Bits(offset, bits);
}

void RvfImage::Bits(size_t offset, uint32_t u)
{
    const uint8_t le[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    uint8_t out[4];
    if (m_format == Ieee) {
        std::memcpy(out, le, 4);
    } else if (m_format == Sun) {
        for (size_t k = 0; k < 4; ++k)
            out[k] = le[3 - k];
    } else if (le[3] == 0 || le[3] == 0x80) {
        std::memset(out, 0, 4); // too small for VAX: zero
    } else {
        // VAX F: the high word first, the exponent byte one step higher.
        out[0] = le[2];
        out[1] = static_cast<uint8_t>(le[3] + 1);
        out[2] = le[0];
        out[3] = le[1];
    }
    std::memcpy(m_bytes.data() + offset, out, 4);
}

