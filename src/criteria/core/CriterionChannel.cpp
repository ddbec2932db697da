#include "CriterionChannel.h"

#include "KVErrorList.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"

#include <algorithm>
#include <cmath>

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
    const double step = ConstantStep(s.X(), n);
    if (step == 0)
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
    out.units = units;
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

bool LoadChannel(const std::string& path, Quantity q, Channel& out, KVErrorList& errors)
{
    KVSignal signal;
    KVErrorList readErrors;
    const char* kind = KVReadSignalFile(path, signal, readErrors);
    if (!kind) {
        if (readErrors.ErrorCount() == 0)
            return Fail(errors, path + ": not a readable signal file");
        errors.AppendErrors(readErrors);
        return false;
    }
    return ChannelFromSignal(signal, std::string(kind) == "ASCII File", path, q, out, errors);
}

bool AlignChannels(std::vector<Channel>& channels, KVErrorList& errors)
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
