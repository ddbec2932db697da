// Truncation, offsets, scaling and the peak queries.
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace Kalvio {

// Truncate without the guard against memory failures and non-finite results.
static bool TruncateUnguarded(KVSignal& signal, float start, float stop, KVErrorList* errors)
{
    if (!(stop > start)) {
        Report(errors, "Truncate", "Stop time is before Start Time");
        return false;
    }
    const std::size_t n = signal.PointCount();
    float* x = signal.X();
    float* y = signal.Y();
    std::size_t i0 = 0;
    while (i0 < n && !(x[i0] >= start))
        ++i0;
    std::size_t m = 0;
    while (i0 + m < n && x[i0 + m] < stop)
        ++m;

    // The kept points move to the front in place; nothing below can fail.
    const float del = signal.Del();
    int nfp = 0;
    if (HasConstantStep(del))
        nfp = RoundToInt((m > 0 ? double(x[i0]) : double(start)) / del);
    if (m > 0 && i0 > 0) {
        std::copy(x + i0, x + i0 + m, x);
        std::copy(y + i0, y + i0 + m, y);
    }
    signal.ShrinkTo(m);
    signal.SetNfp(nfp);
    signal.SetNlp(static_cast<int>(nfp + static_cast<long long>(m) - 1));
    signal.SetStatus("Truncated");
    RefreshExtremes(signal);
    return true;
}

bool Truncate(KVSignal& signal, float start, float stop, KVErrorList* errors)
{
    return Guarded(signal, "Truncate", errors, [&] { return TruncateUnguarded(signal, start, stop, errors); });
}

// AddConstantY without the guard against memory failures and non-finite results.
static bool AddConstantYUnguarded(KVSignal& signal, float c, KVErrorList* errors)
{
    if (signal.PointCount() == 0 || !signal.Y()) {
        Report(errors, "AddConstantY", "No Data");
        return false;
    }
    float* y = signal.Y();
    for (std::size_t i = 0; i < signal.PointCount(); ++i)
        y[i] += c;
    RefreshExtremes(signal);
    return true;
}

bool AddConstantY(KVSignal& signal, float c, KVErrorList* errors)
{
    return Guarded(signal, "AddConstantY", errors, [&] { return AddConstantYUnguarded(signal, c, errors); });
}

// Whether the times op(x[i]) still rise wherever x rose: a shift or scale
// that a float cannot resolve would put samples on one time.
template <class Op>
static bool TimesStayApart(const KVSignal& signal, Op op)
{
    const float* x = signal.X();
    for (std::size_t i = 1; i < signal.PointCount(); ++i)
        if (const float v = op(x[i]); x[i] != x[i - 1] && v == op(x[i - 1]) && std::isfinite(v))
            return false; // (an infinite time is the guard's to report)
    return true;
}

// AddConstantX without the guard against memory failures and non-finite results.
static bool AddConstantXUnguarded(KVSignal& signal, float c, KVErrorList* errors)
{
    if (signal.PointCount() == 0 || !signal.X()) {
        Report(errors, "AddConstantX", "No Data");
        return false;
    }
    // The indices move with the times: they must stay within what a file holds.
    const bool grid = HasConstantStep(signal.Del());
    const double shift = grid ? RoundHalfAway(double(c) / signal.Del()) : 0.0;
    if (grid && !(double(signal.Nfp()) + shift >= double(INT_MIN) && double(signal.Nlp()) + shift <= double(INT_MAX))) {
        Report(errors, "AddConstantX", "The shifted sample indices lie beyond the range a file can hold");
        return false;
    }
    if (!TimesStayApart(signal, [c](float v) { return v + c; })) {
        Report(errors, "AddConstantX", "The shifted times would fall together: the step is below the float "
                                       "resolution at the new times");
        return false;
    }
    float* x = signal.X();
    for (std::size_t i = 0; i < signal.PointCount(); ++i)
        x[i] += c;
    if (grid) {
        signal.SetNfp(static_cast<int>(double(signal.Nfp()) + shift));
        signal.SetNlp(static_cast<int>(double(signal.Nlp()) + shift));
    }
    RefreshExtremes(signal);
    return true;
}

bool AddConstantX(KVSignal& signal, float c, KVErrorList* errors)
{
    return Guarded(signal, "AddConstantX", errors, [&] { return AddConstantXUnguarded(signal, c, errors); });
}

// ScaleY without the guard against memory failures and non-finite results.
static bool ScaleYUnguarded(KVSignal& signal, float f, KVErrorList* errors)
{
    if (f == 0.0f) {
        Report(errors, "ScaleY", "Cannot Scale signal by zero");
        return false;
    }
    if (signal.PointCount() == 0 || !signal.Y()) {
        Report(errors, "ScaleY", "No Data");
        return false;
    }
    float* y = signal.Y();
    for (std::size_t i = 0; i < signal.PointCount(); ++i)
        y[i] *= f;
    RefreshExtremes(signal);
    return true;
}

bool ScaleY(KVSignal& signal, float f, KVErrorList* errors)
{
    return Guarded(signal, "ScaleY", errors, [&] { return ScaleYUnguarded(signal, f, errors); });
}

// ScaleX without the guard against memory failures and non-finite results.
static bool ScaleXUnguarded(KVSignal& signal, float f, KVErrorList* errors)
{
    if (f == 0.0f) {
        Report(errors, "ScaleX", "Cannot Scale Data by zero");
        return false;
    }
    if (signal.PointCount() == 0 || !signal.X()) {
        Report(errors, "ScaleX", "No Data");
        return false;
    }
    if (!TimesStayApart(signal, [f](float v) { return v * f; })) {
        Report(errors, "ScaleX", "The scaled times would fall together: they are below the float range");
        return false;
    }
    float* x = signal.X();
    for (std::size_t i = 0; i < signal.PointCount(); ++i)
        x[i] *= f;
    // The "no constant step" marker is not a step and stays as it is.
    if (HasConstantStep(signal.Del()))
        signal.SetDel(signal.Del() * f);
    RefreshExtremes(signal);
    return true;
}

bool ScaleX(KVSignal& signal, float f, KVErrorList* errors)
{
    return Guarded(signal, "ScaleX", errors, [&] { return ScaleXUnguarded(signal, f, errors); });
}

namespace {

template <class Better>
bool Peak(const KVSignal& signal, float& value, float& time, Better better)
{
    if (!signal.HasData() || signal.PointCount() == 0 || !signal.X() || !signal.Y())
        return false;
    const float* x = signal.X();
    const float* y = signal.Y();
    value = y[0];
    time = x[0];
    for (std::size_t i = 1; i < signal.PointCount(); ++i) {
        if (better(y[i], value)) {
            value = y[i];
            time = x[i];
        }
    }
    if (StartsWith(signal.XUnits(), "SECONDS"))
        time *= 1000.0f;
    return true;
}

} // namespace

bool PeakMaximum(const KVSignal& signal, float& value, float& time)
{
    return Peak(signal, value, time, [](float a, float b) { return a > b; });
}

bool PeakMinimum(const KVSignal& signal, float& value, float& time)
{
    return Peak(signal, value, time, [](float a, float b) { return a < b; });
}

} // namespace Kalvio
