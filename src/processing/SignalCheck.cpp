// The check of one signal: what is measured once, the rules that need the
// whole record (time axis, numbers, dead channel) and the order of the rules.
#include "SignalCheck.h"
#include "SignalCheckRules.h"

#include "KVExtremes.h"
#include "KVReadSignalFile.h"
#include "KVTimeUnits.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <limits>

namespace Kalvio {

namespace {

using namespace CheckLimits;

struct NameOf {
    int value;
    const char* name;
};

constexpr NameOf kVerdictNames[] = {{int(CheckVerdict::Ok), "ok"},
                                    {int(CheckVerdict::Warning), "warning"},
                                    {int(CheckVerdict::Fail), "fail"}};
constexpr NameOf kKindNames[] = {{int(CheckKind::Clipping), "clipping"}, {int(CheckKind::Dropout), "dropout"},
                                 {int(CheckKind::Offset), "offset"},     {int(CheckKind::Flat), "flat"},
                                 {int(CheckKind::Rate), "rate"},         {int(CheckKind::Drift), "drift"},
                                 {int(CheckKind::Invalid), "invalid"},   {int(CheckKind::Time), "time"}};

template <std::size_t N>
const char* Lookup(const NameOf (&table)[N], int value)
{
    for (const NameOf& e : table)
        if (e.value == value)
            return e.name;
    return "?";
}

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Trimmed(const std::string& s)
{
    const std::size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos)
        return {};
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

bool Has(const std::string& text, const char* word) { return text.find(word) != std::string::npos; }

// Seconds per X unit and the short label of the unit; 0 when X is no time.
double SecondsPerUnit(const KVSignal& s, std::string& label)
{
    const std::string type = Upper(s.XType());
    const std::string units = Upper(Trimmed(s.XUnits()));
    label = Trimmed(s.XUnits());
    if (type.rfind("TIME", 0) != 0)
        return 0;
    const std::optional<KVTimeScale> unit = KVTimeScaleOf(units);
    if (!unit)
        return 0;
    label = unit->label;
    return unit->seconds;
}

void Add(std::vector<CheckFinding>& out, CheckKind kind, CheckVerdict severity, std::string message, double t1,
         double t2)
{
    out.push_back({kind, severity, std::move(message), t1, t2});
}

// Time must be finite and increase from sample to sample.
bool CheckTimeAxis(const CheckProfile& p, std::vector<CheckFinding>& out)
{
    std::size_t first = p.n;
    std::size_t count = 0;
    for (std::size_t i = 0; i < p.n; ++i) {
        const bool bad = !std::isfinite(p.x[i]) || (i > 0 && !(p.x[i] > p.x[i - 1]));
        if (bad) {
            count += 1;
            first = std::min(first, i);
        }
    }
    if (count == 0)
        return true;
    const double t = std::isfinite(p.x[first]) ? p.x[first] : 0.0;
    Add(out, CheckKind::Time, CheckVerdict::Fail,
        "time does not increase at sample " + std::to_string(first) + " (" + CheckTime(p, t) + "), "
            + std::to_string(count) + " sample" + (count == 1 ? "" : "s") + " in all",
        t, t);
    return false;
}

// Samples that are no numbers; replaced in work by the last number before
// them (0 at the start) so that the other rules can measure the rest.
void CheckNumbers(const CheckProfile& p, std::vector<float>& work, std::vector<CheckFinding>& out)
{
    std::size_t first = p.n;
    std::size_t count = 0;
    for (std::size_t i = 0; i < p.n; ++i)
        if (!std::isfinite(p.y[i])) {
            first = std::min(first, i);
            ++count;
        }
    if (count == 0)
        return;
    work.assign(p.y, p.y + p.n);
    float last = 0;
    for (float& v : work) {
        if (std::isfinite(v))
            last = v;
        else
            v = last;
    }
    const double t = std::isfinite(p.x[first]) ? p.x[first] : 0.0;
    Add(out, CheckKind::Invalid, CheckVerdict::Fail,
        std::to_string(count) + " sample" + (count == 1 ? " is" : "s are") + " not a number (NaN or infinite), the first at "
            + CheckTime(p, t),
        t, std::isfinite(p.x[p.n - 1]) ? p.x[p.n - 1] : t);
}

// A dead channel: one value throughout, or only a few distinct values.
bool CheckDead(const CheckProfile& p, std::vector<CheckFinding>& out)
{
    float levels[kFlatMaxLevels + 1] = {};
    int count = 0;
    for (std::size_t i = 0; i < p.n && count <= kFlatMaxLevels; ++i) {
        const float v = p.y[i];
        if (std::find(levels, levels + count, v) == levels + count)
            levels[count++] = v;
    }
    if (count == 0 || count > kFlatMaxLevels)
        return false;
    const double t1 = p.x[0];
    const double t2 = p.x[p.n - 1];
    if (count == 1) {
        Add(out, CheckKind::Flat, CheckVerdict::Fail, "constant at " + CheckValue(p, levels[0]) + ": a dead channel",
            t1, t2);
        return true;
    }
    std::sort(levels, levels + count);
    // Values of a pulse without noise are few too, but not neighbouring codes.
    double gap = double(levels[1]) - double(levels[0]);
    for (int k = 2; k < count; ++k)
        gap = std::min(gap, double(levels[k]) - double(levels[k - 1]));
    if (double(levels[count - 1]) - double(levels[0]) > 1.01 * gap * double(count - 1))
        return false;
    std::string list;
    for (int k = 0; k < count; ++k)
        list += (k ? ", " : "") + CheckNumber(levels[k]);
    Add(out, CheckKind::Flat, CheckVerdict::Fail,
        "only " + std::to_string(count) + " distinct values (" + list + p.yLabel + "): a dead channel", t1, t2);
    return true;
}

// Counts the samples that are no numbers (NaN, infinite) and the time
// steps that do not go forward, and finds the extremes of the numbers, the
// samples through the float kernel, the steps four at a time without a
// branch: this pass touches every sample and must cost little beside
// reading the file.
void ScanSamples(const float* x, const float* y, std::size_t n, std::size_t& badTime, std::size_t& badY, float& lo,
                 float& hi)
{
    constexpr std::size_t W = 4;
    KVFloatScan scan;
    scan.lo = std::numeric_limits<float>::infinity();
    scan.hi = -scan.lo;
    KVScanFloats(y, n, false, scan);
    // An extreme of zero is the first zero, +0 or -0, as in the signal record.
    lo = scan.lo == 0.0f ? *std::find(y, y + n, 0.0f) : scan.lo;
    hi = scan.hi == 0.0f ? *std::find(y, y + n, 0.0f) : scan.hi;
    badY = scan.notFinite;
    Masks bt = {};
    badTime = unsigned(x[0] - x[0] != 0);
    std::size_t i = 1;
    for (; i + W <= n; i += W) {
        const Lanes a = LoadLanes(x + i);
        bt -= ~(a > LoadLanes(x + i - 1)) | ((a - a) != 0);
    }
    for (std::size_t k = 0; k < W; ++k)
        badTime += std::size_t(bt[k]);
    for (; i < n; ++i)
        badTime += unsigned(!(x[i] > x[i - 1])) | unsigned(x[i] - x[i] != 0);
}

} // namespace

const char* CheckVerdictName(CheckVerdict verdict) { return Lookup(kVerdictNames, int(verdict)); }
const char* CheckKindName(CheckKind kind) { return Lookup(kKindNames, int(kind)); }

std::string CheckNumber(double v)
{
    // Four digits, but whole numbers stay whole (10000 Hz, 455000 N).
    char buf[48];
    std::snprintf(buf, sizeof buf, std::fabs(v) >= 1000 && std::fabs(v) < 1e15 ? "%.0f" : "%.4g", v);
    return buf;
}

std::string CheckValue(const CheckProfile& p, double v) { return CheckNumber(v) + p.yLabel; }

std::string CheckTime(const CheckProfile& p, double t)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.6g", t);
    return std::string(buf) + (p.xLabel.empty() ? "" : " " + p.xLabel);
}

CheckQuantity CheckQuantityOf(const std::string& yType, const std::string& yUnits)
{
    const std::string type = Upper(yType);
    if (Has(type, "VELOCITY") || Has(type, "SPEED"))
        return Has(type, "ANGULAR") ? CheckQuantity::Returns : CheckQuantity::Velocity;
    for (const char* w : {"ACCEL", "FORCE", "MOMENT", "PRESSURE", "STRAIN"})
        if (Has(type, w))
            return CheckQuantity::Returns;
    for (const char* w : {"DISPLACEMENT", "DEFLECTION", "COMPRESSION"})
        if (Has(type, w))
            return CheckQuantity::Rests;
    const std::string units = Upper(Trimmed(yUnits));
    for (const char* u : {"G'S", "G", "GS", "M/S2", "M/S**2", "M/S^2", "N", "KN", "NEWTONS", "NM", "N-M",
                          "NEWTON-METERS", "DEGREES/SEC", "DEG/S", "DEG/SEC", "RAD/S", "RAD/SEC", "LBF", "LB"})
        if (units == u)
            return CheckQuantity::Returns;
    for (const char* u : {"MM", "MILLIMETERS", "M", "METERS", "CM", "IN", "INCHES"})
        if (units == u)
            return CheckQuantity::Rests;
    for (const char* u : {"KM/H", "KPH", "M/S", "MPH", "FT/S", "IN/S"})
        if (units == u)
            return CheckQuantity::Velocity;
    return CheckQuantity::Unknown;
}

void MeasureExtremes(CheckProfile& p, const std::vector<std::size_t>& skip)
{
    float lo = std::numeric_limits<float>::infinity();
    float hi = -lo;
    auto next = skip.begin();
    for (std::size_t i = 0; i < p.n; ++i) {
        if (next != skip.end() && *next == i) {
            ++next;
            continue;
        }
        lo = std::min(lo, p.y[i]);
        hi = std::max(hi, p.y[i]);
    }
    SetExtremes(p, lo, hi);
}

void SetExtremes(CheckProfile& p, float ymin, float ymax)
{
    p.ymin = ymin;
    p.ymax = ymax;
    p.range = double(p.ymax) - double(p.ymin);
    p.scale = std::max(std::fabs(double(p.ymax)), std::fabs(double(p.ymin)));
    p.rest = p.preEnd > 0 ? p.preMean : p.y[0];
    p.peakValue = std::fabs(p.ymax - p.rest) >= std::fabs(p.ymin - p.rest) ? p.ymax : p.ymin;
}

namespace {

void MeanAndDeviation(const float* v, std::size_t count, double& mean, double& dev)
{
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += v[i];
    mean = sum / double(count);
    double sq = 0;
    for (std::size_t i = 0; i < count; ++i)
        sq += (v[i] - mean) * (v[i] - mean);
    dev = std::sqrt(sq / double(count));
}

} // namespace

void MeasureNoiseAndWindows(CheckProfile& p)
{
    // Residuals of a stride of the samples: a few hundred tell the median.
    if (p.n >= 3) {
        const std::size_t inner = p.n - 2;
        const std::size_t stride = std::max<std::size_t>(1, inner / 256);
        std::vector<float> r;
        r.reserve(inner / stride + 1);
        for (std::size_t i = 1; i + 1 < p.n; i += stride)
            r.push_back(std::fabs(p.y[i] - 0.5f * (p.y[i - 1] + p.y[i + 1])));
        std::nth_element(r.begin(), r.begin() + std::ptrdiff_t(r.size() / 2), r.end());
        p.noise = 1.4826 * r[r.size() / 2];
    }
    p.preEnd = 0;
    p.tailBegin = p.n;
    if (p.toSeconds <= 0)
        return;
    const double guard = kPreEventGuardSeconds / p.toSeconds;
    const std::size_t pre = std::size_t(std::lower_bound(p.x, p.x + p.n, float(-guard)) - p.x);
    if (pre >= std::size_t(kMinWindowSamples)) {
        p.preEnd = pre;
        MeanAndDeviation(p.y, pre, p.preMean, p.preStd);
    }
    const std::size_t tail = std::max<std::size_t>(kMinWindowSamples, std::size_t(kTailFraction * double(p.n)));
    if (tail < p.n && p.n - tail > p.preEnd) {
        p.tailBegin = p.n - tail;
        MeanAndDeviation(p.y + p.tailBegin, tail, p.tailMean, p.tailStd);
    }
}

CheckResult CheckSignal(const KVSignal& signal, const CheckOptions& options)
{
    CheckResult result;
    std::vector<CheckFinding>& out = result.findings;
    CheckProfile p;
    p.n = signal.PointCount();
    if (p.n == 0 || !signal.X() || !signal.Y()) {
        Add(out, CheckKind::Flat, CheckVerdict::Fail, "holds no samples", 0, 0);
        result.verdict = CheckVerdict::Fail;
        return result;
    }
    p.x = signal.X();
    p.y = signal.Y();
    p.toSeconds = SecondsPerUnit(signal, p.xLabel);
    const std::string yUnits = Trimmed(signal.YUnits());
    p.yLabel = yUnits.empty() ? "" : " " + yUnits;
    p.headerStated = options.headerStated;
    p.quantity = options.headerStated ? CheckQuantityOf(signal.YType(), signal.YUnits()) : CheckQuantity::Unknown;

    // One pass without branches counts what is wrong; only a signal with
    // something wrong is walked again for the details.
    std::size_t badTime = 0;
    std::size_t badY = 0;
    float lo = 0, hi = 0;
    ScanSamples(p.x, p.y, p.n, badTime, badY, lo, hi);
    // Windows in time need a time axis that runs forward.
    if (badTime > 0 && !CheckTimeAxis(p, out))
        p.toSeconds = 0;
    std::vector<float> work;
    if (badY > 0)
        CheckNumbers(p, work, out);
    if (!work.empty())
        p.y = work.data();

    if (!CheckDead(p, out)) {
        MeasureNoiseAndWindows(p);
        if (work.empty())
            SetExtremes(p, lo, hi);
        else
            MeasureExtremes(p, {});
        std::vector<std::size_t> dropped;
        CheckDropouts(p, out, dropped);
        // A sample far off must not pass for the extreme of the curve.
        if (!dropped.empty())
            MeasureExtremes(p, dropped);
        CheckPlateaus(p, out);
        CheckOffset(p, out);
        CheckDrift(p, out);
    }
    CheckRate(signal, p, out);
    for (const CheckFinding& f : out)
        result.verdict = std::max(result.verdict, f.severity);
    return result;
}

const char* CheckSignalFile(const std::string& fileName, KVSignal& signal, CheckResult& result, KVErrorList& errors,
                            const KVTextOptions& text)
{
    const char* kind = KVReadSignalFile(fileName, signal, errors, text);
    if (!kind)
        return nullptr;
    CheckOptions options;
    // A text file carries no header: its class and quantity are defaults.
    options.headerStated = std::string(kind) != "ASCII File";
    result = CheckSignal(signal, options);
    return kind;
}

} // namespace Kalvio
