// FIR100: 300 Hz pre-filter, resampling to 1600 samples/s, bias removal and a
// 50-tap low-pass FIR.
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace Kalvio {

namespace {

constexpr float kOutStep = 0.000625f;
constexpr double kOutRate = 1600.0;
constexpr int kFir100Class = 1003;
constexpr std::size_t kHalfTaps = 25;

// Taps applied to sample pairs; twice their sum is 0.99745112, not one.
constexpr double kTaps[kHalfTaps] = {
    0.00209983,  0.00129339,  0.00065168,  -0.00085462, -0.00290368, -0.0047466,  -0.00539656,
    -0.00400504, -0.00031044, 0.00502427,  0.0103673,   0.0134779,   0.012237,    0.00555978,
    -0.00587902, -0.019247,   -0.0300166,  -0.0329821,  -0.0237764,  -0.00039844, 0.0357488,
    0.0797111,   0.123853,    0.15960801,  0.17961,
};

} // namespace

bool FIRStage(float* x, double* work, std::size_t count, float dt)
{
    if (!x || !work || count == 0 || !(dt > 0.0f) || 0.5 / dt <= 100.0)
        return false;
    double* w = work;
    for (std::size_t k = 0; k < count; ++k)
        w[kHalfTaps + k] = x[k];
    // Point reflection at both ends; a record shorter than the reflection
    // repeats its far end sample rather than reading past it.
    const double first = 2.0 * double(x[0]);
    const double last = 2.0 * double(x[count - 1]);
    for (std::size_t m = 0; m < kHalfTaps; ++m) {
        const std::size_t mm = std::min(m, count - 1);
        w[kHalfTaps - 1 - m] = first - double(x[mm]);
        w[count + kHalfTaps + m] = last - double(x[count - 1 - mm]);
    }
    for (std::size_t i = 0; i < count; ++i) {
        const double* wi = w + i;
        double acc = 0.0;
        for (std::size_t k = 0; k < kHalfTaps; ++k)
            acc += kTaps[k] * (wi[k] + wi[2 * kHalfTaps - 1 - k]);
        x[i] = static_cast<float>(acc);
    }
    return true;
}

bool FIR100Core(float* y, float* out, std::size_t outCapacity, int& nfp, int& nlp, float& dt, bool removeBias)
{
    if (!y || !out || nlp < nfp)
        return false;
    const std::size_t n = static_cast<std::size_t>(static_cast<long long>(nlp) - nfp + 1);
    ButterworthDesign(y, dt, n, 300.0, -40.0, 3, std::pow(10.0, 0.5) * 300.0);

    int newFirst = 0;
    int newLast = 0;
    if (!GridResample(y, nfp, nlp, dt, kOutStep, out, outCapacity, newFirst, newLast))
        return false;
    const std::size_t count = static_cast<std::size_t>(static_cast<long long>(newLast) - newFirst + 1);
    // A record whose largest value is its first sample has no pre-event
    // samples to take a bias from; it is filtered without bias removal.
    if (removeBias)
        BiasCore(out, count);

    std::vector<double> work;
    try {
        work.resize(count + 2 * kHalfTaps + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!FIRStage(out, work.data(), count, kOutStep))
        return false;
    nfp = newFirst;
    nlp = newLast;
    dt = kOutStep;
    return true;
}

// FIR100 without the guard against memory failures and non-finite results.
static bool FIR100Unguarded(KVSignal& signal, bool removeBias, KVErrorList* errors)
{
    if (signal.FilterClass() == kFir100Class) {
        Report(errors, "FIR100", "Signal was previously filterd with FIR100");
        return true;
    }
    const float dt = signal.Del();
    if (!HasConstantStep(dt)) {
        Report(errors, "FIR100", "Signal must have constant time interval");
        return false;
    }
    if (errors) {
        if (!StartsWith(signal.XType(), "TIME"))
            Report(errors, "FIR100", "RVF must have X Type TIME");
        if (!StartsWith(signal.XUnits(), "SECONDS"))
            Report(errors, "FIR100", "RVF xUnits not SECONDS");
        if (signal.Nfp() >= 1 || signal.Nlp() < 0)
            Report(errors, "FIR100", "NonStandard X-Axis Span");
    }
    // The bilinear 300 Hz pre-filter turns unstable at or below 600 samples/s.
    if (0.5 / dt <= 300.0) {
        Report(errors, "FIR100", "Sample rate too low for the 300 Hz pre-filter");
        return false;
    }
    const std::size_t n = SpanCount(signal);
    if (n == 0) {
        Report(errors, "FIR100", "Point indices (nfp, nlp) do not match the data");
        return false;
    }

    // The chain runs on a copy so that a failure leaves the signal as it was.
    int nfp = signal.Nfp();
    int nlp = signal.Nlp();
    float step = dt;
    std::vector<float> samples;
    std::vector<float> out;
    try {
        samples.assign(signal.Y(), signal.Y() + n);
        out.resize(static_cast<std::size_t>(double(signal.PointCount()) * dt * kOutRate + 4.0));
    } catch (const std::bad_alloc&) {
        Report(errors, "FIR100", kNotEnoughMemory);
        return false;
    }
    if (!FIR100Core(samples.data(), out.data(), out.size(), nfp, nlp, step, removeBias)) {
        Report(errors, "FIR100", "Signal span too short for FIR100");
        return false;
    }

    KVSignal fresh;
    if (!BuildGridSignal(signal, nfp, nlp, kOutStep, out.data(), fresh)) {
        Report(errors, "FIR100", kNotEnoughMemory);
        return false;
    }

    bool distorted = false;
    if (fresh.PreFilterFrequency() > 0.0f && 0.5f * fresh.PreFilterFrequency() < fresh.StoppingFrequency() &&
        errors) {
        Report(errors, "FIR100", "Filter causes overlap distortion with previous filtering");
        distorted = true;
    }
    fresh.SetStatus(distorted ? "DISTORTED" : "FIR100 FILTERED");
    fresh.SetFilterClass(kFir100Class);
    fresh.SetCutOffFrequency(100.0f);
    fresh.SetStoppingFrequency(189.0f);
    ReplaceSignal(signal, std::move(fresh));
    return true;
}

bool FIR100(KVSignal& signal, bool removeBias, KVErrorList* errors)
{
    return Guarded(signal, "FIR100", errors, [&] { return FIR100Unguarded(signal, removeBias, errors); });
}

} // namespace Kalvio
