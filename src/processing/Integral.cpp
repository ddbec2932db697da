// Trapezoidal integral of Y over X, anchored at time zero.
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <new>
#include <vector>

namespace Kalvio {

bool TrapezoidIntegral(const float* x, const float* y, int nfp, int nlp, float c0, float factor, float* out)
{
    if (!x || !y || !out || nfp > nlp || nlp < 0)
        return false;
    const long long last = static_cast<long long>(nlp) - nfp;
    const long long z = nfp <= 0 ? -static_cast<long long>(nfp) : 0;
    float v = c0;
    out[z] = v;
    for (long long i = z + 1; i <= last; ++i) {
        v = v + (x[i] - x[i - 1]) * (y[i - 1] + y[i]) * factor * 0.5f;
        out[i] = v;
    }
    v = c0;
    for (long long i = z - 1; i >= 0; --i) {
        v = v - (y[i] + y[i + 1]) * (x[i + 1] - x[i]) * factor * 0.5f;
        out[i] = v;
    }
    return true;
}

// TrapInteg without the guard against memory failures and non-finite results.
static bool TrapIntegUnguarded(KVSignal& signal, KVErrorList* errors)
{
    const long long span = static_cast<long long>(signal.Nlp()) - signal.Nfp() + 1;
    if (span <= 3) {
        Report(errors, "TrapInteg", "Too few data points to compute an Integral");
        return false;
    }
    const UnitRule rule =
        IntegralUnits(signal.XUnits(), signal.YUnits(), signal.Dimension(), signal.InitialVelocity());
    // Indices that promise more samples than the arrays hold cannot be
    // integrated either.
    const std::size_t count = SpanCount(signal);
    std::vector<float> out;
    if (count > 0) {
        try {
            out.resize(count);
        } catch (const std::bad_alloc&) {
            Report(errors, "TrapInteg", "Error Computing the Integral");
            return false;
        }
    }
    if (count == 0 || !TrapezoidIntegral(signal.X(), signal.Y(), signal.Nfp(), signal.Nlp(), rule.startValue,
                                          rule.factor, out.data())) {
        Report(errors, "TrapInteg", "Error Computing the Integral");
        return false;
    }
    std::copy(out.begin(), out.end(), signal.Y());
    signal.SetYUnits(rule.units);
    signal.SetYType(rule.dimension);
    RefreshExtremes(signal);
    return true;
}

bool TrapInteg(KVSignal& signal, KVErrorList* errors)
{
    return Guarded(signal, "TrapInteg", errors, [&] { return TrapIntegUnguarded(signal, errors); });
}

} // namespace Kalvio
