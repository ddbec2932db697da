// The SAE J211 channel-class filter: a second-order Butterworth section run
// forward and backward over point-reflected ends.
#include "IsoMmeWriter.h"
#include "KVFileRvf.h"
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Kalvio {

namespace {

struct Section {
    double a0, a1, a2, b1, b2;

    double Step(double u0, double u1, double u2, double y1, double y2) const
    {
        // The parentheses keep only one multiply-add on the y1 recursion
        // chain, which bounds the speed of the loop.
        return (a0 * u0 + a1 * u1 + a2 * u2 + b2 * y2) + b1 * y1;
    }
};

Section Design(double dt, double F)
{
    // 6.2831853, not 2 pi, as the filter has always been designed: channels
    // filtered before must come out the same to the last bit.
    const double wd = 6.2831853 * 1.2465 * F;
    const double wa = std::sin(wd * dt / 2.0) / std::cos(wd * dt / 2.0);
    const double s2 = std::sqrt(2.0);
    const double D = 1.0 + s2 * wa + wa * wa;
    Section s;
    s.a0 = wa * wa / D;
    s.a1 = 2.0 * s.a0;
    s.a2 = s.a0;
    s.b1 = -2.0 * (wa * wa - 1.0) / D;
    s.b2 = (-1.0 + s2 * wa - wa * wa) / D;
    return s;
}

// One pass over n samples read through in(i) and written through out(i)
// (forward or mirrored; the same places when filtering in place), with the
// start padded by point reflection of the first Np inputs about 2*in(0).
template <class In, class Out>
void Pass(const Section& s, std::size_t n, std::size_t Np, In in, Out out)
{
    const std::size_t k0 = Np / 2 + 1;
    const std::size_t cnt = Np - k0 + 1;
    const double P = 2.0 * double(in(0));
    double mean = 0.0;
    for (std::size_t k = k0; k <= Np; ++k)
        mean += double(in(k));
    mean /= double(cnt);

    double u2 = P - double(in(Np));
    double u1 = P - double(in(Np - 1));
    double y2 = P - mean;
    double y1 = y2;
    for (std::size_t j = Np - 1; j-- > 1;) {
        const double u0 = P - double(in(j));
        const double y0 = s.Step(u0, u1, u2, y1, y2);
        u2 = u1;
        u1 = u0;
        y2 = y1;
        y1 = y0;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double u0 = double(in(i));
        const double y0 = s.Step(u0, u1, u2, y1, y2);
        out(i) = static_cast<float>(y0);
        u2 = u1;
        u1 = u0;
        y2 = y1;
        y1 = y0;
    }
}

} // namespace

std::array<double, 5> BWfiltCoefficients(double dt, double F)
{
    const Section s = Design(dt, F);
    return {s.a0, s.a1, s.a2, s.b1, s.b2};
}

bool BWfiltCore(float* x, std::size_t n, float dt, double F) { return BWfiltCore(x, x, n, dt, F); }

bool BWfiltCore(const float* in, float* x, std::size_t n, float dt, double F)
{
    if (!in || !x || n == 0 || !(dt > 0.0f) || !(F > 0.0))
        return false;
    if (F > 0.3875 / dt || n == 1) {
        // Passed unchanged: above the highest corner the section can have,
        // and a single sample, which is a constant.
        if (in != x)
            std::copy_n(in, n, x);
        return true;
    }

    const Section s = Design(dt, F);
    const double m = std::min(0.01 * F, 1.0);
    const double np = std::max(std::trunc(0.01 / (double(dt) * m) + 0.5), std::trunc(0.01 / double(dt) + 0.5));
    // Two samples get the shortest padding (one reflected sample) like three
    // do; the rule n - 2 would leave no padding and an empty mean window.
    std::size_t Np = 1;
    if (np >= double(n - 1))
        Np = std::max<std::size_t>(n - 2, 1);
    else if (np > 1.0)
        Np = static_cast<std::size_t>(np);

    // The forward pass reads its input and writes x; the backward pass then
    // works on x in place.
    Pass(s, n, Np, [in](std::size_t i) { return in[i]; }, [x](std::size_t i) -> float& { return x[i]; });
    const auto back = [x, n](std::size_t i) -> float& { return x[n - 1 - i]; };
    Pass(s, n, Np, back, back);
    return true;
}

// The filter of signal, whose values are read from source when it is given
// (signal then shares its arrays with the signal source belongs to), else
// from signal itself.
static bool BWfiltFrom(KVSignal& signal, const float* source, double frequency, KVErrorList* errors);

static bool BWfiltFrom(KVSignal& signal, const float* source, int cfc, KVErrorList* errors)
{
    if (cfc != 60 && cfc != 180 && cfc != 600 && cfc != 1000) {
        Report(errors, "BWfilt", "Frequency Channel Class is not specified in SAE J211");
        return false;
    }
    if (AlreadyFiltered(signal, cfc))
        return true;
    if (const int at = FilteredClass(signal); at != 0 && cfc > at) {
        // An ISO-MME channel is known by its code; other signals by their file.
        const std::string name = signal.Header().Side.channelLines.empty() ? KVSignalName(signal.Header())
                                                                           : IsoMmeCodeOf(signal);
        const std::string text = name + " is filtered at CFC " + std::to_string(at) + "; CFC " +
                                 std::to_string(cfc) + " cannot restore what is gone";
        Report(errors, "BWfilt", text.c_str());
        return false;
    }
    return BWfiltFrom(signal, source, cfc * 1.66666666667, errors);
}

bool BWfilt(KVSignal& signal, int cfc, KVErrorList* errors) { return BWfiltFrom(signal, nullptr, cfc, errors); }

bool BWfilt(const KVSignal& in, KVSignal& out, int cfc, KVErrorList* errors)
{
    out.ShareArraysOf(in);
    return BWfiltFrom(out, out.PointCount() ? in.Y() : nullptr, cfc, errors);
}

bool BWfilt(const KVSignal& in, KVSignal& out, double frequency, KVErrorList* errors)
{
    out.ShareArraysOf(in);
    return BWfiltFrom(out, out.PointCount() ? in.Y() : nullptr, frequency, errors);
}

int FilteredClass(const KVSignal& signal)
{
    if (!(signal.CutOffFrequency() > 0.0f))
        return 0;
    const int cls = KVFilterClassFromFrequency(signal.CutOffFrequency(), 0.0f);
    return cls <= 1000 ? cls : 0;
}

bool FilterClassKeeps(const KVSignal& signal, int cfc) { return AlreadyFiltered(signal, cfc); }

// BWfilt without the guard against memory failures and non-finite results.
static bool BWfiltUnguarded(KVSignal& signal, const float* source, double frequency, KVErrorList* errors)
{
    if (!StartsWith(signal.XType(), "TIME")) {
        Report(errors, "BWfilt", "Data must have X Type TIME");
        return false;
    }
    if (!StartsWith(signal.XUnits(), "SECONDS")) {
        Report(errors, "BWfilt", "Time must be in seconds");
        return false;
    }
    // Without a constant step (0, negative, or the 99999 marker) there is no
    // sample rate to design the filter for; the message says so.
    if (!HasConstantStep(signal.Del())) {
        Report(errors, "BWfilt", NeedsConstantStep("Error Filtering Data", signal).c_str());
        return false;
    }
    const bool done = source ? BWfiltCore(source, signal.YToOverwrite(), signal.PointCount(), signal.Del(), frequency)
                             : BWfiltCore(signal.Y(), signal.PointCount(), signal.Del(), frequency);
    if (!done) {
        Report(errors, "BWfilt", "Error Filtering Data");
        return false;
    }
    signal.SetHic(0.0f);
    signal.SetHicT1(0.0f);
    signal.SetHicT2(0.0f);
    signal.SetHicInterval(0);
    signal.SetClip3ms(0.0f);
    signal.SetCsi(0.0f);
    signal.SetCutOffFrequency(static_cast<float>(frequency));
    signal.SetStoppingFrequency(static_cast<float>(frequency * 2.5));
    RefreshExtremes(signal);
    signal.SetStatus("FILTERED");

    const double k = std::trunc(frequency * 0.6);
    if (k >= 55 && k <= 65)
        signal.SetFilterClass(60);
    else if (k >= 170 && k <= 190)
        signal.SetFilterClass(180);
    else if (k >= 580 && k <= 610)
        signal.SetFilterClass(600);
    else if (k >= 980 && k <= 1020)
        signal.SetFilterClass(1000);

    if (signal.FilterClass() == 600 || signal.FilterClass() == 1000)
        return true;
    if (signal.PreFilterFrequency() <= 0.0f)
        return true;
    if (0.5f * signal.PreFilterFrequency() < signal.StoppingFrequency()) {
        Report(errors, "BWfilt", "WARNING - Filter causes overlap distortion with previous filtering");
        signal.SetStatus("DISTORTED");
    }
    return true;
}

static bool BWfiltFrom(KVSignal& signal, const float* source, double frequency, KVErrorList* errors)
{
    // The filter works in place and allocates nothing, and its output is
    // bounded: the reflected padding reaches at most 3 times the largest |Y|
    // and each pass of the two-pole Butterworth section has an impulse
    // response of absolute sum below 1.1, so 3 x 1.1 x 1.1 < 4. With a wide
    // margin on that bound, and a cut-off and stopping frequency that stay
    // finite, nothing can fail after the first sample is changed: the copy
    // the guard would make (as large as the signal) is not needed.
    constexpr double kGainBound = 1e3;
    const bool headerStaysFinite = frequency * 2.5 < double(std::numeric_limits<float>::max());
    if (headerStaysFinite && YStaysFiniteWithGain(signal, kGainBound))
        return BWfiltUnguarded(signal, source, frequency, errors);
    // The guarded path copies what it may have to put back; it filters the
    // signal's own values (a shared Y is copied by the first write).
    return Guarded(signal, "BWfilt", errors, [&] { return BWfiltUnguarded(signal, nullptr, frequency, errors); });
}

bool BWfilt(KVSignal& signal, double frequency, KVErrorList* errors)
{
    return BWfiltFrom(signal, nullptr, frequency, errors);
}

} // namespace Kalvio
