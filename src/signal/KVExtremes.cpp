#include "KVExtremes.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The extremes that the scan "if (v > hi) hi = v; else if (v < lo) lo = v"
// from v[0] finds, computed in independent lanes so that long signals do not
// wait on one comparison after the other. The order of the comparisons does
// not change the value found; equal values differ only as +0 and -0, and the
// scan keeps the first of them it meets, and so does this.
void KVScanExtremes(const float* v, size_t n, float& lo, float& hi)
{
    hi = lo = v[0];
    size_t i = 0;
#if defined(__SSE2__)
    // maxps(a, b) is a > b ? a : b and minps(a, b) is a < b ? a : b, the
    // scan's own comparisons; four registers of each keep them independent.
    __m128 h[4], l[4];
    for (size_t k = 0; k < 4; ++k)
        h[k] = l[k] = _mm_set1_ps(v[0]);
    for (; i + 16 <= n; i += 16) {
        for (size_t k = 0; k < 4; ++k) {
            const __m128 x = _mm_loadu_ps(v + i + 4 * k);
            h[k] = _mm_max_ps(x, h[k]);
            l[k] = _mm_min_ps(x, l[k]);
        }
    }
    for (size_t k = 0; k < 4; ++k) {
        float hs[4], ls[4];
        _mm_storeu_ps(hs, h[k]);
        _mm_storeu_ps(ls, l[k]);
        for (size_t j = 0; j < 4; ++j) {
            hi = hs[j] > hi ? hs[j] : hi;
            lo = ls[j] < lo ? ls[j] : lo;
        }
    }
#endif
    for (; i < n; ++i) {
        hi = v[i] > hi ? v[i] : hi;
        lo = v[i] < lo ? v[i] : lo;
    }
    if (hi == 0.0f)
        hi = *std::find(v, v + n, 0.0f);
    if (lo == 0.0f)
        lo = *std::find(v, v + n, 0.0f);
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
