#pragma once
// The smallest and largest of a run of values, as a scan in order finds them,
// and the one kernel every pass over stored floats uses for them.
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

// What one pass over floats finds: the extremes as "hi = v > hi ? v : hi;
// lo = v < lo ? v : lo" finds them from the lo and hi given (a NaN never
// becomes one; of +0 and -0 either may stay), how many values are NaN and
// how many are not finite (NaN or infinite).
struct KVFloatScan {
    float lo = 0.0f, hi = 0.0f;
    size_t nans = 0, notFinite = 0;
};
// Scans count floats stored as 4-byte words at words (any alignment), each
// byte-reversed first with swap, into scan. Eight lanes in four independent
// sets where the processor has AVX2, the same code in SSE2 registers else.
void KVScanFloats(const void* words, size_t count, bool swap, KVFloatScan& scan);
