// The ISO/TS 18571 rating of two signals: their shared span on the
// reference's grid, the checks that name what cannot be rated.
#include "CurveRating.h"
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace Kalvio {

namespace {

constexpr const char* kScope = "Rate";

// Units as the header holds them, without padding, in capitals.
std::string UnitsKey(const std::string& units)
{
    std::string key;
    for (char ch : units)
        if (ch != ' ' && ch != '\0')
            key += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return key;
}

bool Fail(KVErrorList* errors, const std::string& message)
{
    Report(errors, kScope, message.c_str());
    return false;
}

// A usable signal: data, a span that fits its arrays, an even step.
bool Usable(const KVSignal& s, KVErrorList* errors)
{
    if (SpanCount(s) == 0 || !s.Y())
        return Fail(errors, "Cannot rate: " + KVSignalName(s.Header()) + " holds no data");
    if (!HasConstantStep(s.Del()))
        return Fail(errors, NeedsConstantStep("Cannot rate", s));
    return true;
}

// Samples on the grid k x step, indices nfp..nlp: a signal's own, or resampled.
struct GridSamples {
    const float* y = nullptr;
    long long nfp = 0;
    long long nlp = -1;
    std::vector<float> own;
    KVSignal scratch;
};

// The signal on the grid k x step: its own samples when it lies on it; else
// resampled, from its own grid by GridResample (whole ratios keep their
// samples, the span its ends), from uneven times by Resample.
bool OnGrid(const KVSignal& s, float step, GridSamples& g, bool& resampled, KVErrorList* errors)
{
    const bool onOwnGrid = s.IsOnOwnGrid();
    if (onOwnGrid && (s.Del() == step || NearEqual(s.Del(), step, 1e-6))) {
        g.y = s.Y();
        g.nfp = s.Nfp();
        g.nlp = s.Nlp();
        return true;
    }
    resampled = true;
    if (onOwnGrid) {
        const double span = (double(s.Nlp()) - s.Nfp()) * double(s.Del());
        const double points = span / double(step) + 3.0;
        if (!(points < double(kResampleMaxPoints)))
            return Fail(errors,
                        "Cannot rate: resampling " + KVSignalName(s.Header()) + " would give more than " +
                            std::to_string(kResampleMaxPoints) + " points");
        g.own.resize(static_cast<std::size_t>(points));
        int nfp = 0, nlp = 0;
        if (!GridResample(s.Y(), s.Nfp(), s.Nlp(), s.Del(), step, g.own.data(), g.own.size(), nfp, nlp))
            return Fail(errors, "Cannot rate: " + KVSignalName(s.Header()) + " could not be resampled");
        g.y = g.own.data();
        g.nfp = nfp;
        g.nlp = nlp;
        return true;
    }
    g.scratch.CopyHeaderAndData(s);
    g.scratch.SetHasData(true);
    if (!Resample(g.scratch, step, errors))
        return false;
    g.y = g.scratch.Y();
    g.nfp = g.scratch.Nfp();
    g.nlp = g.scratch.Nlp();
    return true;
}

// The first index whose grid time is at least t (within a thousandth of a step).
long long FirstIndexFrom(double t, float step)
{
    return static_cast<long long>(std::ceil(t / double(step) - 0.001));
}

long long LastIndexTo(double t, float step)
{
    return static_cast<long long>(std::floor(t / double(step) + 0.001));
}

// A float as the decimal it is written as ("1e-4", not 1.00000005e-4), so that
// times and shifts read as the signal states them.
double Decimal(float v)
{
    char buf[32];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v);
    double d = v;
    std::from_chars(buf, r.ptr, d);
    return d;
}

} // namespace

double RatingRound(double v)
{
    char buf[40];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 12);
    double d = v;
    std::from_chars(buf, r.ptr, d);
    return d;
}

namespace {

std::string Time(double t)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", t);
    return buf;
}

} // namespace

bool RateSignals(const KVSignal& reference, const KVSignal& comparison, const RatingInterval& interval,
                 CurveRating& out, KVErrorList* errors)
{
    if (!Usable(reference, errors) || !Usable(comparison, errors))
        return false;
    const std::string refName = KVSignalName(reference.Header());
    const std::string compName = KVSignalName(comparison.Header());
    if (UnitsKey(reference.YUnits()) != UnitsKey(comparison.YUnits()))
        return Fail(errors,
                    "Cannot rate " + compName + " against " + refName + ": their Y units differ (\"" +
                        comparison.YUnits() + "\" and \"" + reference.YUnits() + "\")");
    if (interval.from && interval.to && *interval.from > *interval.to)
        return Fail(errors,
                    "Cannot rate: the interval starts at " + Time(*interval.from) + ", after its end " +
                        Time(*interval.to));

    const float step = reference.Del();
    CurveRating result;
    GridSamples ref, comp;
    if (!OnGrid(reference, step, ref, result.resampled, errors) ||
        !OnGrid(comparison, step, comp, result.resampled, errors))
        return false;

    long long lo = std::max(ref.nfp, comp.nfp);
    long long hi = std::min(ref.nlp, comp.nlp);
    if (interval.from)
        lo = std::max(lo, FirstIndexFrom(*interval.from, step));
    if (interval.to)
        hi = std::min(hi, LastIndexTo(*interval.to, step));
    const long long n = hi >= lo ? hi - lo + 1 : 0;
    if (n < static_cast<long long>(kRatingMinSamples))
        return Fail(errors,
                    "Cannot rate " + compName + " against " + refName + ": they share " + std::to_string(n) +
                        " samples" + (interval.from || interval.to ? " in the interval" : "") +
                        "; a rating needs at least " + std::to_string(kRatingMinSamples));
    if (interval.maxSamples > 0 && static_cast<unsigned long long>(n) > interval.maxSamples)
        return Fail(errors,
                    "Cannot rate " + compName + " against " + refName + ": they share " + std::to_string(n) +
                        " samples, more than " + std::to_string(interval.maxSamples) +
                        " (the rating's search grows with the square of the count: minutes or hours); resample to "
                        "0.0001 s, the 10 kHz the metric is meant for, or rate a shorter span with --from/--to "
                        "(--allow-large rates it as it is)");
    const float* ry = ref.y + (lo - ref.nfp);
    const float* cy = comp.y + (lo - comp.nfp);
    for (long long k = 0; k < n; ++k) {
        if (!std::isfinite(ry[k]) || !std::isfinite(cy[k]))
            return Fail(errors,
                        "Cannot rate: " + (std::isfinite(ry[k]) ? compName : refName) +
                            " has a sample that is not a finite number at " + Time(KVGridTime(lo + k, step)));
    }
    std::string why;
    if (!RateSamples(ry, cy, static_cast<std::size_t>(n), result, why)) {
        return Fail(errors, "Cannot rate " + compName + " against " + refName + ": " + why);
    }
    result.step = Decimal(step);
    // Index x step without the last bits of double rounding (0.09, not 0.09000000000000001).
    auto time = [&result](long long k) { return RatingRound(double(k) * result.step); };
    result.from = time(lo);
    result.to = time(hi);
    result.shift = time(result.shiftSamples);
    out = result;
    return true;
}

} // namespace Kalvio
