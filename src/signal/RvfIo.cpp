#include "RvfIo.h"

#include "KVExtremes.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

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
// all differences tells; four values at a time where the processor allows.
// With Swap the bytes of each word are reversed on the way; the test looks at
// the words in this machine's order: the input's (TestIn) or the output's.
template <bool Swap, bool TestIn>
bool CopyAndFindNaN(const uint8_t* in, uint8_t* out, size_t count)
{
    int32_t any = 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i magnitude = _mm_set1_epi32(0x7FFFFFFF);
    const __m128i infinity = _mm_set1_epi32(0x7F800000);
    __m128i lanes = _mm_setzero_si128();
    for (; i + 4 <= count; i += 4) {
        const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * i));
        __m128i v = u;
        if constexpr (Swap) {
            // Byte reversal within each 32-bit word, with SSE2 only.
            v = _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
            v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xB1), 0xB1);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * i), v);
        lanes = _mm_or_si128(lanes, _mm_sub_epi32(infinity, _mm_and_si128(TestIn ? u : v, magnitude)));
    }
    if (_mm_movemask_ps(_mm_castsi128_ps(lanes)) != 0)
        any = -1;
#endif
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

// The rest of a span, value by value, after its whole blocks.
template <bool Swap>
inline void ScanTail(const RvfSpan& s, size_t i, bool& nan, float& lo, float& hi)
{
    for (; i < s.count; ++i) {
        const float v = LoadReal(s.bytes + 4 * i, Swap);
        nan = nan || v != v;
        hi = v > hi ? v : hi;
        lo = v < lo ? v : lo;
    }
}

inline void FoldLanes(const float* hs, const float* ls, size_t n, float& lo, float& hi)
{
    for (size_t j = 0; j < n; ++j) {
        hi = hs[j] > hi ? hs[j] : hi;
        lo = ls[j] < lo ? ls[j] : lo;
    }
}

#if defined(__SSE2__)
// Two independent sets of lanes; maxps(x, h) is x > h ? x : h, the scan's
// own comparison, and skips a NaN, which cmpunord finds instead. lo and hi
// hold a value of the spans on entry. True when a NaN was met.
template <bool Swap>
bool ScanSse2(std::span<const RvfSpan> spans, float& lo, float& hi)
{
    __m128 h0 = _mm_set1_ps(hi), h1 = h0, l0 = h0, l1 = h0;
    __m128 bad = _mm_setzero_ps();
    bool nan = false;
    const auto block = [&](const uint8_t* p) {
        __m128i u0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i u1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        if constexpr (Swap) {
            u0 = _mm_or_si128(_mm_slli_epi16(u0, 8), _mm_srli_epi16(u0, 8));
            u0 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(u0, 0xB1), 0xB1);
            u1 = _mm_or_si128(_mm_slli_epi16(u1, 8), _mm_srli_epi16(u1, 8));
            u1 = _mm_shufflehi_epi16(_mm_shufflelo_epi16(u1, 0xB1), 0xB1);
        }
        const __m128 x0 = _mm_castsi128_ps(u0), x1 = _mm_castsi128_ps(u1);
        bad = _mm_or_ps(bad, _mm_cmpunord_ps(x0, x1));
        h0 = _mm_max_ps(x0, h0);
        l0 = _mm_min_ps(x0, l0);
        h1 = _mm_max_ps(x1, h1);
        l1 = _mm_min_ps(x1, l1);
    };
    for (const RvfSpan& s : spans) {
        if (s.count < 8) {
            ScanTail<Swap>(s, 0, nan, lo, hi);
            continue;
        }
        for (size_t i = 0; i + 8 <= s.count; i += 8)
            block(s.bytes + 4 * i);
        if (s.count % 8 != 0)
            block(s.bytes + 4 * (s.count - 8)); // the last eight again: extremes and NaN do not mind
    }
    float hs[8], ls[8];
    _mm_storeu_ps(hs, h0);
    _mm_storeu_ps(hs + 4, h1);
    _mm_storeu_ps(ls, l0);
    _mm_storeu_ps(ls + 4, l1);
    FoldLanes(hs, ls, 8, lo, hi);
    return nan || _mm_movemask_ps(bad) != 0;
}
#endif

#if defined(__x86_64__)
// Thirty-two values at a time where the processor has AVX2, in four
// independent sets of lanes: each running extreme then waits on one
// instruction per block, not four. A whole data record is four blocks
// without a loop (the last overlapping the third), so that no branch ends it.
#define KV_AVX2 __attribute__((target("avx2"), always_inline)) inline

template <bool Swap>
KV_AVX2 __m256 LoadAvx2(const uint8_t* p)
{
    __m256i u = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    if constexpr (Swap)
        u = _mm256_shuffle_epi8(u, _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3, 2, 1, 0,
                                                     7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
    return _mm256_castsi256_ps(u);
}

// Four independent sets of lanes of the running extremes, and the lanes
// where a NaN was met. Named, not an array: they must stay in registers.
struct LanesAvx2 {
    __m256 h0, h1, h2, h3, l0, l1, l2, l3, bad0, bad1;
};

// The 32 values at p into the lanes.
template <bool Swap>
KV_AVX2 void BlockAvx2(const uint8_t* p, LanesAvx2& v)
{
    const __m256 x0 = LoadAvx2<Swap>(p), x1 = LoadAvx2<Swap>(p + 32);
    const __m256 x2 = LoadAvx2<Swap>(p + 64), x3 = LoadAvx2<Swap>(p + 96);
    v.bad0 = _mm256_or_ps(v.bad0, _mm256_cmp_ps(x0, x1, _CMP_UNORD_Q));
    v.bad1 = _mm256_or_ps(v.bad1, _mm256_cmp_ps(x2, x3, _CMP_UNORD_Q));
    v.h0 = _mm256_max_ps(x0, v.h0);
    v.h1 = _mm256_max_ps(x1, v.h1);
    v.h2 = _mm256_max_ps(x2, v.h2);
    v.h3 = _mm256_max_ps(x3, v.h3);
    v.l0 = _mm256_min_ps(x0, v.l0);
    v.l1 = _mm256_min_ps(x1, v.l1);
    v.l2 = _mm256_min_ps(x2, v.l2);
    v.l3 = _mm256_min_ps(x3, v.l3);
}

template <bool Swap>
__attribute__((target("avx2"))) bool ScanAvx2(std::span<const RvfSpan> spans, float& lo, float& hi)
{
    static_assert(kRvfRecordValues > 96 && kRvfRecordValues <= 128);
    const __m256 start = _mm256_set1_ps(hi);
    LanesAvx2 v{start, start, start, start, start, start, start, start, _mm256_setzero_ps(), _mm256_setzero_ps()};
    bool nan = false;
    for (const RvfSpan& s : spans) {
        if (s.count == kRvfRecordValues) {
            BlockAvx2<Swap>(s.bytes, v);
            BlockAvx2<Swap>(s.bytes + 128, v);
            BlockAvx2<Swap>(s.bytes + 256, v);
            BlockAvx2<Swap>(s.bytes + 4 * (kRvfRecordValues - 32), v);
            continue;
        }
        if (s.count < 32) {
            ScanTail<Swap>(s, 0, nan, lo, hi);
            continue;
        }
        // The last 32 again when the count is not a multiple: extremes and
        // NaN do not mind values seen twice.
        for (size_t i = 0;; i += 32) {
            BlockAvx2<Swap>(s.bytes + 4 * std::min(i, s.count - 32), v);
            if (i + 32 >= s.count)
                break;
        }
    }
    float hs[8], ls[8];
    _mm256_storeu_ps(hs, _mm256_max_ps(_mm256_max_ps(v.h0, v.h1), _mm256_max_ps(v.h2, v.h3)));
    _mm256_storeu_ps(ls, _mm256_min_ps(_mm256_min_ps(v.l0, v.l1), _mm256_min_ps(v.l2, v.l3)));
    FoldLanes(hs, ls, 8, lo, hi);
    return nan || _mm256_movemask_ps(_mm256_or_ps(v.bad0, v.bad1)) != 0;
}
#undef KV_AVX2

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

template <bool Swap>
void ScanPlain(std::span<const RvfSpan> spans, float& lo, float& hi, RvfVectors vectors)
{
    auto first = std::find_if(spans.begin(), spans.end(), [](const RvfSpan& s) { return s.count > 0; });
    hi = lo = LoadReal(first->bytes, Swap);
    bool nan = false, done = false;
#if defined(__x86_64__)
    if (vectors == RvfVectors::Best && HasAvx2()) {
        nan = ScanAvx2<Swap>(spans, lo, hi);
        done = true;
    }
#endif
#if defined(__SSE2__)
    if (!done && vectors != RvfVectors::None) {
        nan = ScanSse2<Swap>(spans, lo, hi);
        done = true;
    }
#endif
    for (size_t k = 0; !done && k < spans.size(); ++k)
        ScanTail<Swap>(spans[k], 0, nan, lo, hi);
    if (nan)
        throw KVException("Not a Number", "CRVFFile::floatRead");
    if (hi == 0.0f)
        hi = FirstZero(spans, Swap);
    if (lo == 0.0f)
        lo = FirstZero(spans, Swap);
}

} // namespace

void RvfScanReals(std::span<const RvfSpan> spans, int fileFormat, int machineFormat, float& lo, float& hi,
                  RvfVectors vectors)
{
    const int plain = Plain(fileFormat, machineFormat);
    if (plain != 0) {
        plain == 1 ? ScanPlain<false>(spans, lo, hi, vectors) : ScanPlain<true>(spans, lo, hi, vectors);
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
