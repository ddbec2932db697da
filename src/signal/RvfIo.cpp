#include "RvfIo.h"

#include "KVExtremes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>


namespace {

// Integer bytes between the file's and the machine's byte orders.
void ConvertIntBytes(uint8_t b[4], int from, int to)
{
    if (from == to)
        return;
    const bool swap = (from == RVF_BIG_ENDIAN && to == RVF_LITTLE_ENDIAN)
        || (from == RVF_LITTLE_ENDIAN && to == RVF_BIG_ENDIAN);
    if (swap) {
        std::swap(b[0], b[3]);
        std::swap(b[1], b[2]);
    } else {
        std::memset(b, 0, 4);
    }
}

} // namespace

RvfReader::RvfReader(std::span<const uint8_t> buf, int fileOrder, int machineOrder, int fileFormat,
                     int machineFormat)
    : m_buf(buf), m_fileOrder(fileOrder), m_machineOrder(machineOrder), m_fileFormat(fileFormat),
      m_machineFormat(machineFormat)
{
}

void RvfReader::Bytes(size_t offset, uint8_t b[4]) const
{
    std::memset(b, 0, 4);
    if (offset < m_buf.size())
        std::memcpy(b, m_buf.data() + offset, std::min<size_t>(4, m_buf.size() - offset));
}

void RvfReader::Text(size_t offset, size_t width, std::string& out) const
{
    if (offset >= m_buf.size()) {
        out.clear();
        return;
    }
    out = RvfReadText(m_buf.data() + offset, std::min(width, m_buf.size() - offset));
}

void RvfReader::Int(size_t offset, int& out) const
{
    uint8_t b[4];
    Bytes(offset, b);
    ConvertIntBytes(b, m_fileOrder, m_machineOrder);
    std::memcpy(&out, b, 4);
}

void RvfReader::Real(size_t offset, float& out) const
{
    uint8_t b[4];
    Bytes(offset, b);
    RvfConvertFloatBytes(b, m_fileFormat, m_machineFormat);
    float v;
    std::memcpy(&v, b, 4);
    if (std::isnan(v))
        throw KVException("Not a Number", "CRVFFile::floatRead");
    out = v;
}

void RvfReader::Reals(size_t offset, float* out, size_t count) const
{
    if (offset + 4 * count <= m_buf.size()) {
        RvfDecodeReals(m_buf.data() + offset, out, count, m_fileFormat, m_machineFormat);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        Real(offset + 4 * i, out[i]);
}

RvfWriter::RvfWriter(std::vector<uint8_t>& buf, int fileOrder, int machineOrder, int fileFormat,
                     int machineFormat)
    : m_buf(buf), m_fileOrder(fileOrder), m_machineOrder(machineOrder), m_fileFormat(fileFormat),
      m_machineFormat(machineFormat)
{
}

void RvfWriter::Text(size_t offset, size_t width, const std::string& in)
{
    if (offset + width > m_buf.size())
        return;
    size_t n = in.size();
    while (n > 0 && RvfIsSpace(static_cast<unsigned char>(in[n - 1])))
        --n;
    n = std::min(n, width);
    uint8_t* p = m_buf.data() + offset;
    for (size_t i = 0; i < width; ++i)
        p[i] = i < n ? static_cast<uint8_t>(RvfUpper(in[i])) : ' ';
}

void RvfWriter::Int(size_t offset, const int& in)
{
    if (offset + 4 > m_buf.size())
        return;
    uint8_t b[4];
    std::memcpy(b, &in, 4);
    ConvertIntBytes(b, m_machineOrder, m_fileOrder);
    std::memcpy(m_buf.data() + offset, b, 4);
}

void RvfWriter::Real(size_t offset, const float& in)
{
    if (std::isnan(in))
        throw KVException("Not a Number", "CRVFFile::floatWrite");
    if (offset + 4 > m_buf.size())
        return;
    uint8_t b[4];
    std::memcpy(b, &in, 4);
    RvfConvertFloatBytes(b, m_machineFormat, m_fileFormat);
    std::memcpy(m_buf.data() + offset, b, 4);
}

void RvfWriter::Reals(size_t offset, const float* in, size_t count)
{
    if (offset + 4 * count <= m_buf.size()) {
        RvfEncodeReals(in, m_buf.data() + offset, count, m_fileFormat, m_machineFormat);
        return;
    }
    for (size_t i = 0; i < count; ++i)
        Real(offset + 4 * i, in[i]);
}

namespace {

// Whether the 32-bit patterns of words hold a NaN: 0x7F800000 - (bits
// without sign) is negative exactly for a NaN, so the sign bit of the or of
// all differences tells; eight values at a time in vector registers. With
// Swap the bytes of each word are reversed on the way; the test looks at the
// words in this machine's order: the input's (TestIn) or the output's.
template <bool Swap, bool TestIn>
bool CopyAndFindNaN(const uint8_t* in, uint8_t* out, size_t count)
{
    using Words = int32_t __attribute__((vector_size(32)));
    using Bits = uint32_t __attribute__((vector_size(32)));
    Words lanes{};
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        Bits u;
        std::memcpy(&u, in + 4 * i, sizeof u);
        Bits v = u;
        if constexpr (Swap)
            v = (u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) | (u << 24);
        std::memcpy(out + 4 * i, &v, sizeof v);
        lanes |= 0x7F800000 - reinterpret_cast<Words>((TestIn ? u : v) & 0x7FFFFFFFu);
    }
    int32_t any = 0;
    for (size_t k = 0; k < 8; ++k)
        any |= lanes[k];
    for (; i < count; ++i) {
        uint32_t u;
        std::memcpy(&u, in + 4 * i, 4);
        const uint32_t v = Swap ? __builtin_bswap32(u) : u;
        any |= 0x7F800000 - static_cast<int32_t>((TestIn ? u : v) & 0x7FFFFFFF);
        std::memcpy(out + 4 * i, &v, 4);
    }
    return any < 0;
}

// Whether a conversion between the formats is a copy or a byte reversal.
int Plain(int from, int to)
{
    if (from == to && from != RVF_VAX && from != RVF_UNKNOWN_FORMAT)
        return 1; // copy
    if ((from == RVF_IEEE && to == RVF_SUN) || (from == RVF_SUN && to == RVF_IEEE))
        return 2; // byte reversal
    return 0;
}

} // namespace

void RvfDecodeReals(const uint8_t* in, float* out, size_t count, int fileFormat, int machineFormat)
{
    const int plain = Plain(fileFormat, machineFormat);
    auto* bytes = reinterpret_cast<uint8_t*>(out);
    if (plain != 0) {
        if (plain == 1 ? CopyAndFindNaN<false, false>(in, bytes, count) : CopyAndFindNaN<true, false>(in, bytes, count))
            throw KVException("Not a Number", "CRVFFile::floatRead");
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        uint8_t b[4];
        std::memcpy(b, in + 4 * i, 4);
        RvfConvertFloatBytes(b, fileFormat, machineFormat);
        float v;
        std::memcpy(&v, b, 4);
        if (std::isnan(v))
            throw KVException("Not a Number", "CRVFFile::floatRead");
        out[i] = v;
    }
}

void RvfEncodeReals(const float* in, uint8_t* out, size_t count, int fileFormat, int machineFormat)
{
    const int plain = Plain(machineFormat, fileFormat);
    const auto* bytes = reinterpret_cast<const uint8_t*>(in);
    if (plain != 0) {
        if (plain == 1 ? CopyAndFindNaN<false, true>(bytes, out, count) : CopyAndFindNaN<true, true>(bytes, out, count))
            throw KVException("Not a Number", "CRVFFile::floatWrite");
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        if (std::isnan(in[i]))
            throw KVException("Not a Number", "CRVFFile::floatWrite");
        uint8_t b[4];
        std::memcpy(b, in + i, 4);
        RvfConvertFloatBytes(b, machineFormat, fileFormat);
        std::memcpy(out + 4 * i, b, 4);
    }
}

namespace {

float LoadReal(const uint8_t* p, bool swap)
{
    uint32_t u;
    std::memcpy(&u, p, 4);
    if (swap)
        u = __builtin_bswap32(u);
    float v;
    std::memcpy(&v, &u, 4);
    return v;
}

// The first real of spans that equals zero, +0 or -0 as stored: the one a
// scan in order keeps as an extreme of zero.
float FirstZero(std::span<const RvfSpan> spans, bool swap)
{
    for (const RvfSpan& s : spans)
        for (size_t i = 0; i < s.count; ++i)
            if (const float v = LoadReal(s.bytes + 4 * i, swap); v == 0.0f)
                return v;
    return 0.0f;
}

// The stored reals of spans in one pass of the float kernel; a NaN is
// refused, and an extreme of zero is the first zero met, as stored.
void ScanPlain(std::span<const RvfSpan> spans, bool swap, float& lo, float& hi)
{
    auto first = std::find_if(spans.begin(), spans.end(), [](const RvfSpan& s) { return s.count > 0; });
    KVFloatScan scan;
    scan.hi = scan.lo = LoadReal(first->bytes, swap);
    for (const RvfSpan& s : spans)
        KVScanFloats(s.bytes, s.count, swap, scan);
    if (scan.nans > 0)
        throw KVException("Not a Number", "CRVFFile::floatRead");
    hi = scan.hi == 0.0f ? FirstZero(spans, swap) : scan.hi;
    lo = scan.lo == 0.0f ? FirstZero(spans, swap) : scan.lo;
}

} // namespace

void RvfScanReals(std::span<const RvfSpan> spans, int fileFormat, int machineFormat, float& lo, float& hi)
{
    const int plain = Plain(fileFormat, machineFormat);
    if (plain != 0) {
        ScanPlain(spans, plain == 2, lo, hi);
        return;
    }
    // Other formats are converted value by value, a few at a time.
    KVRunningExtremes range;
    float values[128];
    for (const RvfSpan& s : spans) {
        for (size_t done = 0; done < s.count;) {
            const size_t take = std::min<size_t>(s.count - done, 128);
            RvfDecodeReals(s.bytes + 4 * done, values, take, fileFormat, machineFormat);
            range.Add(values, take);
            done += take;
        }
    }
    lo = range.lo;
    hi = range.hi;
}
