#pragma once
// The smallest and largest of a run of values, as a scan in order finds them.
#include <cstddef>

// The extremes of values met piece by piece in order: the same values, and
// for equal values the same first one, as one scan over all of them.
struct KVRunningExtremes {
    float lo = 0.0f, hi = 0.0f;
    bool any = false;
    void Add(const float* v, size_t n);
    // The extremes l and h of the next piece.
    void Merge(float l, float h);
};
// Smallest and largest of v[0..n-1] (n > 0), as UpdateExtremes scans them.
void KVScanExtremes(const float* v, size_t n, float& lo, float& hi);
