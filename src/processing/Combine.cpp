// Sum, average and resultant of several signals, point by point.
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

namespace Kalvio {

namespace {

// The first mismatch of count or indices against the first signal, or null.
const char* Mismatch(const std::vector<KVSignal*>& signals)
{
    const KVSignal& first = *signals.front();
    for (const KVSignal* s : signals) {
        if (!s)
            return "No Data";
        if (s->PointCount() != first.PointCount())
            return "Inconsistent number of data points";
        if (s->Nfp() != first.Nfp())
            return "Inconsistent start Index (nfp)";
        if (s->Nlp() != first.Nlp())
            return "Inconsistent stop Index (nlp)";
    }
    return nullptr;
}

bool SumInto(const std::vector<KVSignal*>& signals, KVErrorList* errors, const char* scope)
{
    if (signals.empty() || !signals.front()) {
        Report(errors, scope, "No Data");
        return false;
    }
    if (const char* problem = Mismatch(signals)) {
        Report(errors, "Sum", problem);
        return false;
    }
    KVSignal& first = *signals.front();
    const std::size_t n = first.PointCount();
    // A signal listed twice must add its original values, not the running sum.
    std::vector<float> total(first.Y(), first.Y() + n);
    for (std::size_t k = 1; k < signals.size(); ++k) {
        const float* y = signals[k]->Y();
        for (std::size_t i = 0; i < n; ++i)
            total[i] += y[i];
    }
    std::copy(total.begin(), total.end(), first.Y());
    return true;
}

std::string Trimmed(const std::string& text)
{
    const std::size_t a = text.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : text.substr(a, text.find_last_not_of(' ') - a + 1);
}

// What a combination of the signals is called: "SUM OF A + B" while that
// stays short, else "SUM OF 5 SIGNALS".
std::string CombinedName(const char* what, const std::vector<KVSignal*>& signals)
{
    constexpr std::size_t kLongest = 64;
    std::string name = std::string(what) + " OF ";
    for (std::size_t k = 0; k < signals.size(); ++k) {
        if (!signals[k])
            return {};
        const std::string part = Trimmed(signals[k]->CurveText());
        if (part.empty() || name.size() + part.size() + 3 > kLongest)
            return std::string(what) + " OF " + std::to_string(signals.size()) + " SIGNALS";
        name += (k ? " + " : "") + part;
    }
    return name;
}

// A resultant's name: the component's name without its axis, and RESULTANT.
std::string ResultantName(const std::string& component)
{
    std::string name = Trimmed(component);
    const std::size_t n = name.size();
    if (n >= 2 && name[n - 2] == ' ' && std::strchr("XYZxyz", name[n - 1]))
        name.resize(n - 2);
    return name.empty() ? "RESULTANT" : name + " RESULTANT";
}

// A channel code (16 characters) with the resultant's direction R.
void ResultantCode(std::string& code)
{
    if (code.size() == 16 && code.find(' ') == std::string::npos)
        code[14] = 'R';
}

bool ResultantOf(KVSignal& result, const KVSignal* parts[], int count, KVErrorList* errors)
{
    const KVSignal& a = *parts[0];
    for (int k = 1; k < count; ++k) {
        if (parts[k]->PointCount() != a.PointCount()) {
            Report(errors, "Resultant", "Inconsistent Number of Data Points");
            return false;
        }
    }
    const std::size_t n = a.PointCount();
    // Computed aside first: result may be one of the components.
    std::vector<float> magnitude(n);
    for (std::size_t i = 0; i < n; ++i) {
        long double sum = 0;
        // a, then c, then b: the order in which the squares are summed.
        const int order[3] = {0, 2, 1};
        for (int o : order) {
            if (o >= count)
                continue;
            const long double v = parts[o]->Y()[i];
            sum += v * v;
        }
        magnitude[i] = static_cast<float>(std::sqrt(sum));
    }
    result.CopyHeaderAndData(a);
    result.SetHasData(true);
    std::copy(magnitude.begin(), magnitude.end(), result.Y());
    result.SetAxis("RS");
    result.SetStatus("COMPUTED");
    // The result is no longer the first component's channel: its code says
    // direction R and its name says resultant (an ISO-MME test writes both).
    result.SetCurveText(ResultantName(result.CurveText()));
    std::string attachment = result.SensorAttachment();
    ResultantCode(attachment);
    result.SetSensorAttachment(attachment);
    for (auto& [name, value] : result.Header().Side.channelLines) {
        if (name == "Channel code")
            ResultantCode(value);
        else if (name == "Direction")
            value = "R";
    }
    RefreshExtremes(result);
    return true;
}

} // namespace

// Sum without the guard against memory failures and non-finite results.
static bool SumUnguarded(const std::vector<KVSignal*>& signals, KVErrorList* errors)
{
    const std::string name = signals.empty() || !signals.front() ? std::string() : CombinedName("SUM", signals);
    if (!SumInto(signals, errors, "Sum"))
        return false;
    KVSignal& first = *signals.front();
    first.SetCurveText(name);
    RefreshExtremes(first);
    first.SetStatus("SUM");
    return true;
}

bool Sum(const std::vector<KVSignal*>& signals, KVErrorList* errors)
{
    if (signals.empty() || !signals.front())
        return SumUnguarded(signals, errors);
    return Guarded(*signals.front(), "Sum", errors, [&] { return SumUnguarded(signals, errors); });
}

// Average without the guard against memory failures and non-finite results.
static bool AverageUnguarded(const std::vector<KVSignal*>& signals, KVErrorList* errors)
{
    const std::string name = signals.empty() || !signals.front() ? std::string() : CombinedName("AVERAGE", signals);
    if (!SumInto(signals, errors, "Average"))
        return false;
    KVSignal& first = *signals.front();
    first.SetCurveText(name);
    const long double reciprocal = 1.0L / static_cast<long double>(signals.size());
    float* y = first.Y();
    for (std::size_t i = 0; i < first.PointCount(); ++i)
        y[i] = static_cast<float>(y[i] * reciprocal);
    RefreshExtremes(first);
    first.SetStatus("AVERAGE");
    return true;
}

bool Average(const std::vector<KVSignal*>& signals, KVErrorList* errors)
{
    if (signals.empty() || !signals.front())
        return AverageUnguarded(signals, errors);
    return Guarded(*signals.front(), "Average", errors, [&] { return AverageUnguarded(signals, errors); });
}

bool Resultant(KVSignal& result, const KVSignal& a, const KVSignal& b, const KVSignal& c, KVErrorList* errors)
{
    const KVSignal* parts[3] = {&a, &b, &c};
    return Guarded(result, "Resultant", errors, [&] { return ResultantOf(result, parts, 3, errors); });
}

bool Resultant(KVSignal& result, const KVSignal& a, const KVSignal& b, KVErrorList* errors)
{
    const KVSignal* parts[3] = {&a, &b, nullptr};
    return Guarded(result, "Resultant", errors, [&] { return ResultantOf(result, parts, 2, errors); });
}

} // namespace Kalvio
