#include "CriterionChannel.h"
#include "IsoMmeWriter.h"

#include "KVErrorList.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace Criteria {

namespace {

const char* const kScope = "Criteria::Channel";

bool Fail(KVErrorList& errors, const std::string& message)
{
    errors.AddError(message, kScope);
    return false;
}

// Step of X when every step lies within 1 % of the mean step (the rule the
// signal library uses for Del), else 0.
double ConstantStep(const float* x, size_t n)
{
    const double step = (double(x[n - 1]) - double(x[0])) / double(n - 1);
    if (!(step > 0))
        return 0;
    for (size_t i = 1; i < n; ++i) {
        const double d = double(x[i]) - double(x[i - 1]);
        if (std::fabs(d - step) > 0.01 * step)
            return 0;
    }
    return step;
}

// The step a header's Del (a 32-bit real) stands for: its shortest decimal,
// so that a Del of 1e-4 gives 0.0001 and not 1.00000005e-4, which would put
// the last of 50,000,000 samples 2.5 steps late. 0 when Del gives no step.
double HeaderStep(float del)
{
    if (!std::isfinite(del) || !(del > 0) || del == KV_NO_VALUE)
        return 0;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, del);
    double step = 0;
    std::from_chars(text, written.ptr, step);
    return step;
}

// Whether every time lies on the grid x[0] + i step: within 1 % of a step,
// and a few units of the float rounding of the times, which for long records
// is coarser than the step itself.
bool OnGrid(const float* x, size_t n, double step)
{
    const double x0 = x[0];
    for (size_t i = 1; i < n; ++i) {
        const double tolerance = 0.01 * step + 4 * double(FLT_EPSILON) * (std::fabs(x0) + std::fabs(double(x[i])));
        if (std::fabs(double(x[i]) - (x0 + double(i) * step)) > tolerance)
            return false;
    }
    return true;
}

std::string Trimmed(const std::string& text)
{
    const size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    return text.substr(b, text.find_last_not_of(" \t\r\n") + 1 - b);
}

// The header's initial velocity in m/s: kilometres per hour, or miles per
// hour in a file of English units (as the integral of an acceleration gives).
double HeaderVelocity(const KVSignal& s)
{
    const double v = s.InitialVelocity();
    if (!std::isfinite(v))
        return 0;
    const bool english = NormalisedUnits(s.Dimension()).rfind("ENG", 0) == 0;
    return english ? v * 1609.344 / 3600 : v / 3.6;
}

std::string Milliseconds(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", seconds * 1000);
    return text;
}

std::string SpanText(double from, double to)
{
    return Milliseconds(from) + " to " + Milliseconds(to) + " ms";
}

} // namespace

bool ChannelFromSignal(const KVSignal& s, bool fromTextFile, const std::string& path, Quantity q,
                       Channel& out, KVErrorList& errors)
{
    out = Channel{};
    out.path = path;
    out.quantity = q;
    const size_t n = s.PointCount();
    if (n < 2)
        return Fail(errors, path + ": too few samples (" + std::to_string(n) + "), at least 2 are needed");
    if (NormalisedUnits(s.XType()).rfind("TIME", 0) != 0)
        return Fail(errors, path + ": the X axis is " + NormalisedUnits(s.XType()) + ", not TIME");
    double toSeconds = 1;
    if (!TimeFactor(s.XUnits(), toSeconds))
        return Fail(errors, path + ": X units \"" + NormalisedUnits(s.XUnits()) + "\" are not a time unit");
    for (size_t i = 0; i < n; ++i)
        if (!std::isfinite(s.X()[i]))
            return Fail(errors, path + ": the time of sample " + std::to_string(i) + " is not a finite number");
    double step = HeaderStep(s.Del());
    if (step > 0 && !OnGrid(s.X(), n, step)) {
        out.notes.push_back("note: " + path + ": the times do not follow the header's step (Del "
                            + std::to_string(s.Del()) + "); the step is worked out from the times");
        step = 0;
    }
    if (step == 0)
        step = ConstantStep(s.X(), n);
    if (step == 0) {
        // Times finer than a float can tell apart step by step, but all on
        // one even grid (a long record without a header step).
        const double mean = (double(s.X()[n - 1]) - double(s.X()[0])) / double(n - 1);
        if (mean > 0 && OnGrid(s.X(), n, mean))
            step = mean;
    }
    if (step == 0 || !std::isfinite(step * toSeconds))
        return Fail(errors, path + ": no constant time step");
    for (size_t i = 0; i < n; ++i)
        if (!std::isfinite(s.Y()[i]))
            return Fail(errors, path + ": sample " + std::to_string(i) + " is not a number");

    double factor = 1;
    const std::string units = NormalisedUnits(s.YUnits());
    if (units.empty()) {
        out.notes.push_back("note: " + path + ": no Y units in the header, taken as " + UnitName(q));
    } else if (!UnitFactor(units, q, factor)) {
        return Fail(errors, path + ": Y units \"" + units + "\" are not units of " + QuantityName(q)
                                + " (expected " + QuantityName(q) + " such as " + UnitName(q) + ")");
    }
    out.units = Trimmed(s.YUnits());
    out.description = Trimmed(s.CurveText());
    // A test's channel keeps its code when a window saved it to a file of its own.
    const std::string attachment = Trimmed(s.SensorAttachment());
    if (!s.Header().Side.channelLines.empty()
        || (attachment.size() == 16 && attachment.find(' ') == std::string::npos))
        out.code = IsoMmeCodeOf(s);
    out.initialVelocity = HeaderVelocity(s);
    out.axis = NormalisedUnits(s.Axis());
    out.filterClass = fromTextFile ? 0 : s.FilterClass();
    out.cutOff = s.CutOffFrequency();
    out.t0 = double(s.X()[0]) * toSeconds;
    out.dt = step * toSeconds;
    out.y.resize(n);
    for (size_t i = 0; i < n; ++i)
        out.y[i] = double(s.Y()[i]) * factor;
    return true;
}

bool LoadChannel(const std::string& path, Quantity q, Channel& out, KVErrorList& errors, KVTimeUnit textTimeUnit)
{
    KVSignal signal;
    KVErrorList readErrors;
    KVTextOptions text;
    text.timeUnit = textTimeUnit;
    text.unitSwitch = [](KVTimeUnit u) {
        return std::string("--time-unit ") + (u == KVTimeUnit::Seconds ? "s" : "ms");
    };
    const char* kind = KVReadSignalFile(path, signal, readErrors, text);
    if (!kind) {
        if (readErrors.ErrorCount() == 0)
            return Fail(errors, path + ": not a readable signal file");
        // Some readers' messages ("Not a RVF-1992 Signal File") do not say
        // which file they are about; with several inputs that must be said.
        for (const KVException& e : readErrors.Errors())
            errors.AddError(e.Message().find(path) == std::string::npos ? path + ": " + e.Message() : e.Message(),
                            e.Scope());
        return false;
    }
    if (!ChannelFromSignal(signal, std::string(kind) == "ASCII File", path, q, out, errors))
        return false;
    for (int i = 0; i < readErrors.ErrorCount(); ++i)
        out.notes.push_back("warning: " + readErrors.ErrorMessage(i));
    return true;
}

bool AlignChannels(std::vector<Channel>& channels, double minSpan, KVErrorList& errors)
{
    if (channels.size() < 2)
        return true;
    const Channel& first = channels.front();
    double start = first.t0;
    double end = first.TimeAt(first.y.size() - 1);
    for (const Channel& c : channels) {
        if (std::fabs(c.dt - first.dt) > 1e-3 * first.dt)
            return Fail(errors, c.path + ": time step " + std::to_string(c.dt) + " s differs from "
                                    + std::to_string(first.dt) + " s of " + first.path);
        const double shift = (c.t0 - first.t0) / first.dt;
        if (std::fabs(shift - std::round(shift)) > 0.01)
            return Fail(errors, c.path + ": samples do not lie on the time grid of " + first.path);
        start = std::max(start, c.t0);
        end = std::min(end, c.TimeAt(c.y.size() - 1));
    }
    if (end < start)
        return Fail(errors, "the channels share no time span");
    const double dt = first.dt;
    const size_t count = static_cast<size_t>(std::llround((end - start) / dt)) + 1;
    std::string spans;
    bool cut = false;
    for (const Channel& c : channels) {
        spans += (spans.empty() ? "" : ", ") + c.path + " " + SpanText(c.t0, c.TimeAt(c.y.size() - 1));
        cut = cut || c.y.size() > count + 1;
    }
    const double shared = double(count - 1) * dt;
    if (cut && shared < minSpan * (1 - 1e-9))
        return Fail(errors, "the channels share only " + SpanText(start, end) + " (" + spans + "), shorter than the "
                                + Milliseconds(minSpan) + " ms the criterion needs");
    for (Channel& c : channels) {
        const size_t skip = static_cast<size_t>(std::max(0ll, std::llround((start - c.t0) / dt)));
        const size_t take = std::min(count, c.y.size() - std::min(skip, c.y.size()));
        c.y = std::vector<double>(c.y.begin() + static_cast<std::ptrdiff_t>(skip),
                                  c.y.begin() + static_cast<std::ptrdiff_t>(skip + take));
        c.t0 = c.t0 + double(skip) * dt;
    }
    const size_t shortest =
        std::min_element(channels.begin(), channels.end(), [](const Channel& a, const Channel& b) {
            return a.y.size() < b.y.size();
        })->y.size();
    for (Channel& c : channels)
        c.y.resize(shortest);
    if (cut)
        channels.front().notes.push_back("warning: the channels cover different time spans (" + spans
                                         + "); they are combined over the " + SpanText(start, end)
                                         + " they share");
    return true;
}

std::vector<double> ResultantOf(const std::vector<Channel>& channels)
{
    if (channels.empty())
        return {};
    std::vector<double> r(channels.front().y.size(), 0.0);
    for (const Channel& c : channels)
        for (size_t i = 0; i < r.size() && i < c.y.size(); ++i)
            r[i] += c.y[i] * c.y[i];
    for (double& v : r)
        v = std::sqrt(v);
    return r;
}

} // namespace Criteria
