// Resampling of X/Y data onto the grid j * step by linear interpolation.
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <cfloat>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

namespace Kalvio {

namespace {

// Largest new grid that Resample builds; a step that would need more is
// almost certainly a unit slip (milliseconds typed for seconds).
constexpr double kMaxGridPoints = double(1 << 28);

// The share of a step by which a time may miss a grid point and still count
// as on it.
constexpr double kGridTolerance = 0.01;

// Whether the time t falls on the sample time x: within a thousandth of the
// local sample spacing plus the float32 rounding of times of that size, so
// that a whole-ratio resampling returns its samples unchanged (peaks stay).
bool OnSample(float x, double t, double spacing)
{
    return std::fabs(double(x) - t) <= 0.001 * spacing + (std::fabs(double(x)) + std::fabs(t)) * FLT_EPSILON;
}

} // namespace

bool ResampleGridSpan(double x0, double xn, double h, long long& first, long long& last)
{
    if (!(h > 0.0) || !std::isfinite(h) || !(x0 <= xn))
        return false;
    // A hundredth of a step of tolerance for the rounding of float times: a
    // sample on the grid (-0.05 s at 0.1 ms, whose quotient is -499.99998)
    // keeps its grid point, and no point lies before the first sample.
    const double a = std::ceil(x0 / h - kGridTolerance);
    const double b = std::floor(xn / h + kGridTolerance);
    if (!(std::fabs(a) < 1e15) || !(std::fabs(b) < 1e15))
        return false;
    first = static_cast<long long>(a);
    last = static_cast<long long>(b);
    return true;
}

bool ResampleXYCore(const float* x, const float* y, int nfp, int nlp, float hf, float* out, int& nfpOut,
                    int& nlpOut)
{
    const int cap = nlpOut;
    if (!x || !y || !out || !(hf > 0.0f) || !std::isfinite(hf) || nlp <= nfp || cap <= 0)
        return false;
    const double h = hf;
    const long long n = static_cast<long long>(nlp) - nfp + 1;
    long long first = 0;
    long long last = 0;
    if (!ResampleGridSpan(x[0], x[n - 1], h, first, last) || last - first < 1 || std::llabs(first) >= 1000000000 ||
        std::llabs(last) >= 1000000000)
        return false;
    const int newFirst = static_cast<int>(first);
    int newLast = static_cast<int>(last);
    if (static_cast<long long>(newLast) - newFirst + 1 > cap)
        newLast = newFirst + cap - 1;

    long long i = 1;
    for (long long k = 0; k <= static_cast<long long>(newLast) - newFirst; ++k) {
        // The time the new point is stored with (float32), not the exact
        // multiple: a sample whose stored time it equals is carried exactly.
        const double ts = KVGridTime(newFirst + k, hf);
        while (i < n - 1 && x[i] < ts)
            ++i;
        long long j = i - 1;
        while (j > 0 && x[j] > ts)
            --j;
        const double dx = double(x[i]) - x[j];
        // Equal times (a step in the data) have no slope: the left sample
        // holds up to that time, the right one after it.
        if (dx == 0.0)
            out[k] = ts <= x[j] ? y[j] : y[i];
        else if (OnSample(x[j], ts, dx))
            out[k] = y[j];
        else if (OnSample(x[i], ts, dx))
            out[k] = y[i];
        else
            out[k] = static_cast<float>(y[j] + (double(y[i]) - y[j]) * (ts - x[j]) / dx);
    }
    nfpOut = newFirst;
    nlpOut = newLast;
    return true;
}

// Resample without the guard against memory failures and non-finite results.
static bool ResampleUnguarded(KVSignal& signal, float step, KVErrorList* errors, std::size_t maxPoints,
                              std::size_t points = 0)
{
    if (!(step > 0.0f)) {
        Report(errors, "Resample", "Requested Time step <=0");
        return false;
    }
    const std::size_t n = signal.PointCount();
    if (n < 2 || !signal.X() || !signal.Y()) {
        Report(errors, "Resample", "Not enough data points");
        return false;
    }
    const float* x = signal.X();
    for (std::size_t i = 1; i < n; ++i) {
        if (x[i] < x[i - 1]) {
            Report(errors, "Resample", "X axis is not monotonically increasing");
            return false;
        }
    }
    long long first = 0;
    long long last = 0;
    if (!ResampleGridSpan(x[0], x[n - 1], step, first, last)) {
        Report(errors, "Resample", "Error Interpolating Data");
        return false;
    }
    const double gridPoints = double(last - first + 1);
    const double capacity = points > 0 ? std::min(double(points), gridPoints) : gridPoints;
    // The span handed to the core must match the arrays it reads.
    const std::size_t span = SpanCount(signal);
    if (span >= 2 && capacity > double(maxPoints)) {
        char text[160];
        std::snprintf(text, sizeof text, "Resampling to %g would give %.0f points, more than the limit of %zu", step,
                      capacity, maxPoints);
        Report(errors, "Resample", text);
        return false;
    }
    if (span >= 2 && !(capacity <= kMaxGridPoints)) {
        char text[160];
        std::snprintf(text, sizeof text, "Resampling to %g would give %.0f points, more than a signal can hold (%.0f)",
                      step, capacity, kMaxGridPoints);
        Report(errors, "Resample", text);
        return false;
    }
    if (span >= 2 && capacity < 2) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "Resampling to %g would give %.0f points: fewer than two of its times lie between %g and %g",
                      step, std::max(capacity, 0.0), double(x[0]), double(x[n - 1]));
        Report(errors, "Resample", text);
        return false;
    }
    if (span < 2) {
        Report(errors, "Resample", "Error Interpolating Data");
        return false;
    }
    const int cap = static_cast<int>(capacity);
    std::vector<float> out;
    try {
        out.resize(static_cast<std::size_t>(cap) + 1);
    } catch (const std::bad_alloc&) {
        Report(errors, "Resample", kNotEnoughMemory);
        return false;
    }
    int nfp = 0;
    int nlp = cap;
    if (!ResampleXYCore(x, signal.Y(), signal.Nfp(), signal.Nlp(), step, out.data(), nfp, nlp)) {
        Report(errors, "Resample", "Error Interpolating Data");
        return false;
    }

    KVSignal fresh;
    if (!BuildGridSignal(signal, nfp, nlp, step, out.data(), fresh)) {
        Report(errors, "Resample", kNotEnoughMemory);
        return false;
    }
    ReplaceSignal(signal, std::move(fresh));
    return true;
}

bool Resample(KVSignal& signal, float step, KVErrorList* errors, std::size_t maxPoints)
{
    return Guarded(signal, "Resample", errors, [&] { return ResampleUnguarded(signal, step, errors, maxPoints); });
}

bool ResampleToPoints(KVSignal& signal, float step, std::size_t points, KVErrorList* errors)
{
    return Guarded(signal, "Resample", errors,
                   [&] { return ResampleUnguarded(signal, step, errors, kResampleMaxPoints, points); });
}

} // namespace Kalvio
