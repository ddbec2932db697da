#include "KVExtremes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

// Every vector helper below is always inlined into each clone of the kernel
// (a lambda would not be), so no vector crosses a call: the warning about
// such calls' ABI does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace {

using Floats = float __attribute__((vector_size(32)));
using Words = uint32_t __attribute__((vector_size(32)));
using Masks = int32_t __attribute__((vector_size(32)));
constexpr size_t kLanes = 8;

template <bool Swap>
inline __attribute__((always_inline)) Floats Load(const uint8_t* p)
{
    Words u;
    std::memcpy(&u, p, sizeof u);
    if constexpr (Swap)
        u = (u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) | (u << 24);
    Floats v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}

inline __attribute__((always_inline)) Floats Broadcast(float x)
{
    Floats v;
    for (size_t k = 0; k < kLanes; ++k)
        v[k] = x;
    return v;
}

// Four independent sets of lanes, named so that they stay in registers:
// each running extreme waits on one instruction per block of 32, not four.
struct Lanes {
    Floats h0, h1, h2, h3, l0, l1, l2, l3;
    Masks nan, notFinite;
};

// One block into a set of lanes; only the lanes in counted add to the counts
// (a block seen again adds its extremes, which do not mind, but not twice
// its counts).
inline __attribute__((always_inline)) void Step(Floats x, Floats& h, Floats& l, Lanes& s, Masks counted)
{
    h = x > h ? x : h;
    l = x < l ? x : l;
    s.nan -= (x != x) & counted;
    s.notFinite -= ((x - x) != 0) & counted;
}

// 32 values at b into the four sets of lanes.
template <bool Swap>
inline __attribute__((always_inline)) void Block(const uint8_t* b, Lanes& s, Masks c0, Masks c1, Masks c2, Masks c3)
{
    Step(Load<Swap>(b), s.h0, s.l0, s, c0);
    Step(Load<Swap>(b + 32), s.h1, s.l1, s, c1);
    Step(Load<Swap>(b + 64), s.h2, s.l2, s, c2);
    Step(Load<Swap>(b + 96), s.h3, s.l3, s, c3);
}

template <bool Swap>
inline __attribute__((always_inline)) void Scan(const uint8_t* p, size_t count, KVFloatScan& scan)
{
    size_t i = 0;
    if (count >= 4 * kLanes) {
        const Floats h = Broadcast(scan.hi), l = Broadcast(scan.lo);
        Lanes s{h, h, h, h, l, l, l, l, Masks{}, Masks{}};
        const Masks all = Masks{} - 1, lane = {0, 1, 2, 3, 4, 5, 6, 7};
        for (; i + 4 * kLanes <= count; i += 4 * kLanes)
            Block<Swap>(p + 4 * i, s, all, all, all, all);
        // The rest as the last 32 values once more, so that a record of 125
        // values takes four blocks and no value-by-value loop.
        if (i < count) {
            const int seen = static_cast<int>(i - (count - 4 * kLanes));
            Block<Swap>(p + 4 * (count - 4 * kLanes), s, lane >= seen, lane + 8 >= seen, lane + 16 >= seen,
                        lane + 24 >= seen);
            i = count;
        }
        const Floats hs = s.h0 > s.h1 ? s.h0 : s.h1, hs2 = s.h2 > s.h3 ? s.h2 : s.h3;
        const Floats ls = s.l0 < s.l1 ? s.l0 : s.l1, ls2 = s.l2 < s.l3 ? s.l2 : s.l3;
        const Floats hAll = hs > hs2 ? hs : hs2, lAll = ls < ls2 ? ls : ls2;
        for (size_t k = 0; k < kLanes; ++k) {
            scan.hi = hAll[k] > scan.hi ? hAll[k] : scan.hi;
            scan.lo = lAll[k] < scan.lo ? lAll[k] : scan.lo;
            scan.nans += static_cast<uint32_t>(s.nan[k]);
            scan.notFinite += static_cast<uint32_t>(s.notFinite[k]);
        }
    }
    for (; i < count; ++i) {
        uint32_t u;
        std::memcpy(&u, p + 4 * i, 4);
        if constexpr (Swap)
            u = __builtin_bswap32(u);
        float v;
        std::memcpy(&v, &u, 4);
        scan.hi = v > scan.hi ? v : scan.hi;
        scan.lo = v < scan.lo ? v : scan.lo;
        scan.nans += v != v;
        scan.notFinite += (v - v) != 0;
    }
}

#if defined(__x86_64__)
#define KV_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KV_CLONES
#endif

KV_CLONES void ScanSame(const uint8_t* p, size_t count, KVFloatScan& scan)
{
    Scan<false>(p, count, scan);
}

KV_CLONES void ScanSwapped(const uint8_t* p, size_t count, KVFloatScan& scan)
{
    Scan<true>(p, count, scan);
}

#undef KV_CLONES

} // namespace

void KVScanFloats(const void* words, size_t count, bool swap, KVFloatScan& scan)
{
    const auto* p = static_cast<const uint8_t*>(words);
    swap ? ScanSwapped(p, count, scan) : ScanSame(p, count, scan);
}

// The extremes that the scan "if (v > hi) hi = v; else if (v < lo) lo = v"
// from v[0] finds. The order of the comparisons does not change the value
// found; equal values differ only as +0 and -0, and the scan keeps the first
// of them it meets, and so does this.
void KVScanExtremes(const float* v, size_t n, float& lo, float& hi)
{
    KVFloatScan scan;
    scan.lo = scan.hi = v[0];
    KVScanFloats(v, n, false, scan);
    hi = scan.hi == 0.0f ? *std::find(v, v + n, 0.0f) : scan.hi;
    lo = scan.lo == 0.0f ? *std::find(v, v + n, 0.0f) : scan.lo;
}

void KVRunningExtremes::Add(const float* v, size_t n)
{
    if (n == 0)
        return;
    float l, h;
    KVScanExtremes(v, n, l, h);
    Merge(l, h);
}

void KVRunningExtremes::Merge(float l, float h)
{
    if (!any) {
        lo = l;
        hi = h;
        any = true;
        return;
    }
    // Strict comparisons: of equal values (+0 and -0) the earlier one stays.
    if (h > hi)
        hi = h;
    if (l < lo)
        lo = l;
}
