#include "KalvioSupport.h"

#include "Kalvio.h"
#include "KVFileRvf.h"

#include <algorithm>
#include <climits>
#include <limits>
#include <cmath>
#include <cstring>

namespace Kalvio {

void Report(KVErrorList* errors, const char* operation, const char* message)
{
    if (!errors)
        return;
    errors->AddError(message, std::string("Kalvio::") + operation);
}

bool AlreadyFiltered(const KVSignal& signal, int cfc)
{
    return signal.FilterClass() == cfc
        && KVFilterClassFromFrequency(signal.CutOffFrequency(), signal.PreFilterFrequency()) == cfc;
}

std::string NeedsConstantStep(const char* failure, const KVSignal& signal)
{
    return std::string(failure) + ": " + KVSignalName(signal.Header()) + " needs a constant time step";
}

bool NearEqual(double a, double b, double tolerance)
{
    return std::fabs(a - b) < tolerance * std::max(std::fabs(a), std::fabs(b));
}

int ClampToInt(double v)
{
    if (!(v == v))
        return 0;
    if (v >= double(INT_MAX))
        return INT_MAX;
    if (v <= double(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

bool MatchesN(const std::string& text, const char* word, std::size_t len)
{
    return std::strncmp(text.c_str(), word, len) == 0;
}

std::size_t SpanCount(const KVSignal& signal)
{
    const long long count = static_cast<long long>(signal.Nlp()) - signal.Nfp() + 1;
    if (count < 1 || static_cast<unsigned long long>(count) > signal.PointCount())
        return 0;
    return static_cast<std::size_t>(count);
}

void ReplaceSignal(KVSignal& signal, KVSignal&& fresh)
{
    const KVErrorList own = signal;
    signal = std::move(fresh);
    signal.AssignErrors(own);
}

bool BuildGridSignal(const KVSignal& from, int nfp, int nlp, float step, const float* values, KVSignal& fresh)
{
    const std::size_t count = static_cast<std::size_t>(static_cast<long long>(nlp) - nfp + 1);
    fresh.Header() = from.Header();
    if (!fresh.Allocate(count))
        return false;
    for (std::size_t k = 0; k < count; ++k)
        fresh.SetPoint(KVGridTime(nfp + static_cast<long long>(k), step), values[k], k);
    fresh.SetNfp(nfp);
    fresh.SetNlp(nlp);
    fresh.SetDel(step);
    fresh.SetHasData(true);
    RefreshExtremes(fresh);
    return true;
}

void RefreshExtremes(KVSignal& signal)
{
    if (signal.PointCount() > 0) {
        signal.UpdateExtremes();
        return;
    }
    signal.SetXMax(KV_NO_VALUE);
    signal.SetXMin(KV_NO_VALUE);
    signal.SetYMax(KV_NO_VALUE);
    signal.SetYMin(KV_NO_VALUE);
}

bool Backup(const KVSignal& signal, KVSignal& copy)
{
    try {
        copy.CopyHeaderAndData(signal);
    } catch (const std::bad_alloc&) {
        return false;
    }
    copy.SetHasData(signal.HasData());
    return copy.PointCount() == signal.PointCount();
}

bool ResultIsFinite(const KVSignal& before, const KVSignal& after)
{
    const std::size_t n = after.PointCount();
    const float* x = after.X();
    const float* y = after.Y();
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(x[i]) || !std::isfinite(y[i]))
            return false;
    }
    // A header value read as infinite may stay so; one made so may not.
    bool finite = true;
#define KV_CHECK_REAL(name, def) \
    finite = finite && (std::isfinite(after.name()) || !std::isfinite(before.name()));
#define KV_SKIP(name, def)
    KV_SIGNAL_FIELDS(KV_SKIP, KV_CHECK_REAL, KV_SKIP)
#undef KV_CHECK_REAL
#undef KV_SKIP
    return finite;
}

bool YStaysFiniteWithGain(const KVSignal& signal, double gain)
{
    const std::size_t n = signal.PointCount();
    if (n == 0)
        return true;
    // The largest |Y| through the vector scan of the extremes: a NaN never
    // becomes an extreme there, so it is counted and refused by itself.
    KVFloatScan scan;
    scan.lo = scan.hi = signal.Y()[0];
    KVScanFloats(signal.Y(), n, false, scan);
    const double largest = std::max(std::fabs(double(scan.lo)), std::fabs(double(scan.hi)));
    return scan.nans == 0 && largest * gain < double(std::numeric_limits<float>::max());
}

std::string NotFiniteMessage(const char* operation, const KVSignal& signal)
{
    std::string name;
    if (!FileNameCode(signal, &name) || name.empty())
        name = "test " + signal.TestNumber();
    return std::string(operation) + " of signal " + name
        + " gives values that are not finite; the signal is left as it was";
}

} // namespace Kalvio
