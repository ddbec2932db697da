// Removal of the pre-event offset: the median of the densest half of the
// samples before the largest excursion.
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace Kalvio {

bool BiasCore(float* y, std::size_t n)
{
    if (!y || n == 0)
        return false;
    std::size_t p = 0;
    float peak = std::fabs(y[0]);
    for (std::size_t i = 1; i < n; ++i) {
        const float a = std::fabs(y[i]);
        if (a > peak) {
            peak = a;
            p = i;
        }
    }
    // Nothing precedes a peak at the first sample, so no bias can be formed.
    if (p == 0)
        return false;
    std::vector<float> s;
    try {
        s.assign(y, y + p);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // NaN has no place in an ordering; sorting it would be undefined.
    if (std::any_of(s.begin(), s.end(), [](float v) { return std::isnan(v); }))
        return false;
    std::sort(s.begin(), s.end());
    const std::size_t m = p / 2;
    std::size_t best = 0;
    float bestSpread = std::fabs(s[0] - s[m]);
    for (std::size_t k = 1; k + m < p; ++k) {
        const float spread = std::fabs(s[k] - s[k + m]);
        if (spread <= bestSpread) {
            bestSpread = spread;
            best = k;
        }
    }
    const float b = s[best + (m + 1) / 2];
    for (std::size_t i = 0; i < n; ++i)
        y[i] -= b;
    return true;
}

// Bias without the guard against memory failures and non-finite results.
static bool BiasUnguarded(KVSignal& signal, KVErrorList* errors)
{
    if (!HasConstantStep(signal.Del())) {
        Report(errors, "Bias", "Bias Algorithm requres y only data");
        return false;
    }
    if (signal.PointCount() == 0 || !signal.Y()) {
        Report(errors, "Bias", "Too few data points");
        return false;
    }
    if (!BiasCore(signal.Y(), signal.PointCount())) {
        Report(errors, "Bias", "Error Computing Bias");
        return false;
    }
    RefreshExtremes(signal);
    return true;
}

bool Bias(KVSignal& signal, KVErrorList* errors)
{
    return Guarded(signal, "Bias", errors, [&] { return BiasUnguarded(signal, errors); });
}

} // namespace Kalvio
