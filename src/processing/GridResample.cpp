// Resampling of uniform samples from one grid step to another.
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Kalvio {

namespace {

// Whole-ratio decimation: every output takes the old sample at its time.
bool Decimate(const float* y, int nfp, int nlp, double h0, double h1, int r, float* out, int nfpOut,
              long long count)
{
    if (nfpOut != 0) {
        // A new first time of zero lies on the old grid whatever the steps.
        const double k = RoundHalfAway(std::fabs(double(nfpOut)) * h1 / h0);
        if (!NearEqual(std::fabs(double(nfpOut) * h1), k * h0))
            return false;
    }
    const long long last = static_cast<long long>(nlp) - nfp;
    for (long long j = 0; j < count; ++j) {
        // With a ratio that is only near-whole the index can drift past the
        // ends of a long span; the end sample is held there.
        const long long idx = std::clamp((nfpOut + j) * r - nfp, 0LL, last);
        out[j] = y[idx];
    }
    return true;
}

// No whole ratio: samples at coinciding times, linear interpolation elsewhere.
void Interpolate(const float* y, int nfp, int nlp, double h0, double h1, float* out, int nfpOut, long long count)
{
    const long long n = static_cast<long long>(nlp) - nfp + 1;
    for (long long j = 0; j < count; ++j) {
        const double t = double(nfpOut + j) * h1;
        const double q = RoundHalfAway(t / h0);
        if (q - nfp < 0) {
            out[j] = 0.0f;
            continue;
        }
        // The tolerance is a fixed share of the old step: one relative to t
        // would grow with time until every output snapped to a sample.
        if (std::fabs(q * h0 - t) < 0.001 * h0 && q - nfp < double(n)) {
            out[j] = y[static_cast<long long>(q) - nfp];
            continue;
        }
        if (n == 1) {
            out[j] = y[0];
            continue;
        }
        long long i0 = static_cast<long long>(std::trunc(t / h0)) - nfp;
        if (nfpOut + j < 0)
            --i0;
        i0 = std::clamp(i0, 0LL, n - 2);
        out[j] = static_cast<float>(y[i0] + (double(y[i0 + 1]) - y[i0]) * (t - double(i0 + nfp) * h0) / h0);
    }
}

} // namespace

bool GridResample(const float* y, int nfp, int nlp, float h0f, float h1f, float* out, std::size_t outCapacity,
                  int& nfpOut, int& nlpOut)
{
    // An infinite step has no grid: every new time would be 0 x inf.
    if (!(h0f > 0.0f) || !(h1f > 0.0f) || !std::isfinite(h0f) || !std::isfinite(h1f) || !y || !out || nlp < nfp)
        return false;
    const double h0 = h0f;
    const double h1 = h1f;

    const double rr = RoundHalfAway(h1 / h0);
    const int ratio = NearEqual(rr * h0, h1) && rr < 1e9 ? static_cast<int>(rr) : 0;

    const double tStart = double(nfp) * h0;
    const double tEnd = double(nlp) * h0;
    const double first = RoundHalfAway(tStart / h1);
    const double lastIdx = RoundHalfAway(tEnd / h1);
    if (std::fabs(first) > 1e9 || std::fabs(lastIdx) > 1e9)
        return false;
    int newFirst = static_cast<int>(first);
    int newLast = static_cast<int>(lastIdx);
    // Only a grid time clearly outside the old span moves inward; rounding
    // alone must not drop the end samples.
    if (newFirst * h1 < tStart - 0.001 * h1)
        ++newFirst;
    if (newLast * h1 > tEnd + 0.001 * h1)
        --newLast;

    const long long count = static_cast<long long>(newLast) - newFirst + 1;
    if (count < 0 || static_cast<unsigned long long>(count) > outCapacity)
        return false;
    if (ratio >= 1) {
        if (!Decimate(y, nfp, nlp, h0, h1, ratio, out, newFirst, count))
            return false;
    } else {
        Interpolate(y, nfp, nlp, h0, h1, out, newFirst, count);
    }
    nfpOut = newFirst;
    nlpOut = newLast;
    return true;
}

} // namespace Kalvio
