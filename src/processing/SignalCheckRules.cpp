// The rules that look at the shape of the curve: dropouts, plateaus
// (clipping and held values), zero offset, drift, and the sample rate.
#include "SignalCheckRules.h"

#include "KVFilterClass.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

namespace Kalvio {

namespace {

using namespace CheckLimits;

void Add(std::vector<CheckFinding>& out, CheckKind kind, CheckVerdict severity, std::string message, double t1,
         double t2)
{
    out.push_back({kind, severity, std::move(message), t1, t2});
}

std::string Percent(double share) { return CheckNumber(100.0 * share) + " %"; }

// The largest |residual| and the largest step of the samples around
// [a, b], leaving out those the samples a..b themselves enter.
struct Activity {
    double residual = 0;
    double step = 0;
};

Activity LocalActivity(const float* y, std::size_t n, std::size_t a, std::size_t b)
{
    Activity act;
    auto take = [&](std::size_t j) {
        if (j >= 1 && j + 1 < n) {
            act.residual = std::max(act.residual, double(std::fabs(y[j] - 0.5f * (y[j - 1] + y[j + 1]))));
            act.step = std::max(act.step, double(std::fabs(y[j + 1] - y[j])));
        }
    };
    for (std::size_t j = a >= std::size_t(kDropWindow) + 1 ? a - kDropWindow - 1 : 0; j + 1 < a; ++j)
        take(j);
    for (std::size_t j = b + 2; j <= b + 1 + std::size_t(kDropWindow) && j < n; ++j)
        take(j);
    return act;
}

// How far samples i..i+m-1 leave the straight line from y[i-1] to y[i+m],
// all to one side; 0 when they do not all leave it to the same side.
double Departure(const float* y, std::size_t i, std::size_t m)
{
    const double a = y[i - 1];
    const double b = y[i + m];
    double least = 0;
    int side = 0;
    for (std::size_t k = 0; k < m; ++k) {
        const double d = y[i + k] - (a + (b - a) * double(k + 1) / double(m + 1));
        const int s = d > 0 ? 1 : (d < 0 ? -1 : 0);
        if (s == 0 || (side != 0 && s != side))
            return 0;
        side = s;
        least = k == 0 ? std::fabs(d) : std::min(least, std::fabs(d));
    }
    return least;
}

struct Dropout {
    std::size_t first;
    std::size_t count;
    double departure;
};

std::string Describe(const CheckProfile& p, const Dropout& d)
{
    const double v = p.y[d.first];
    if (d.count == 1)
        return "sample at " + CheckTime(p, p.x[d.first]) + " reads " + CheckValue(p, v) + ", "
               + CheckValue(p, d.departure) + " off the curve through its neighbours";
    return std::to_string(d.count) + " samples from " + CheckTime(p, p.x[d.first]) + " to "
           + CheckTime(p, p.x[d.first + d.count - 1]) + " read about " + CheckValue(p, v) + ", "
           + CheckValue(p, d.departure) + " off the curve through their neighbours";
}

struct Plateau {
    std::size_t first = 0, last = 0;
    int count = 0;
    void Take(std::size_t s, std::size_t e)
    {
        if (count++ == 0 || e - s > last - first) {
            first = s;
            last = e;
        }
    }
};

} // namespace

void CheckDropouts(const CheckProfile& p, std::vector<CheckFinding>& out, std::vector<std::size_t>& dropped)
{
    const float* y = p.y;
    const double floor = std::max({kDropNoise * p.noise, kDropRange * p.range, 1e-6 * p.scale});
    std::vector<Dropout> found;
    const float jump = float(floor);
    // Blocks of 16 steps are tested without branches; a block without a
    // jump holds no dropout start.
    constexpr std::size_t B = 16;
    std::size_t i = 1;
    while (i + 1 < p.n) {
        if (i + B + 1 <= p.n) {
            unsigned any = 0;
            for (std::size_t k = 0; k < B; ++k)
                any |= unsigned(std::fabs(y[i + k] - y[i + k - 1]) >= jump);
            if (!any) {
                i += B;
                continue;
            }
        }
        const std::size_t end = std::min(i + B, p.n - 1);
        for (; i < end; ++i) {
            // A dropout begins with a jump away from the curve.
            if (std::fabs(y[i] - y[i - 1]) < jump)
                continue;
            for (std::size_t m = 1; m <= std::size_t(kDropMaxSamples) && i + m < p.n; ++m) {
                const double dep = Departure(y, i, m);
                const double bridge = std::fabs(double(y[i + m]) - double(y[i - 1]));
                if (dep < floor || dep <= bridge)
                    continue;
                const Activity act = LocalActivity(y, p.n, i, i + m - 1);
                if (dep < kDropLocal * act.residual || dep < kDropSlope * act.step)
                    continue;
                found.push_back({i, m, dep});
                for (std::size_t k = 0; k < m; ++k)
                    dropped.push_back(i + k);
                i += m;
                break;
            }
        }
    }
    if (found.empty())
        return;
    if (found.size() <= 3) {
        for (const Dropout& d : found)
            Add(out, CheckKind::Dropout, CheckVerdict::Warning, Describe(p, d), p.x[d.first],
                p.x[d.first + d.count - 1]);
        return;
    }
    const Dropout& last = found.back();
    Add(out, CheckKind::Dropout, CheckVerdict::Warning,
        std::to_string(found.size()) + " dropouts from " + CheckTime(p, p.x[found.front().first]) + " to "
            + CheckTime(p, p.x[last.first + last.count - 1]) + "; the first: " + Describe(p, found.front()),
        p.x[found.front().first], p.x[last.first + last.count - 1]);
}

void CheckPlateaus(const CheckProfile& p, std::vector<CheckFinding>& out)
{
    const float* y = p.y;
    const double tol = std::max(0.5 * p.noise, 1e-6 * p.scale);
    const double edge = std::max(kClipEdgeRange * p.range, kClipEdgeNoise * p.noise);
    const std::size_t holdMin = std::max<std::size_t>(kHoldMinSamples, std::size_t(kHoldShare * double(p.n)));
    Plateau top, bottom, hold;

    // Steep on every side it has: the curve left the plateau, it did not round it.
    auto awayFromRest = [&](std::size_t s) { return std::fabs(y[s] - p.rest) >= kClipAwayFromRest * p.range; };
    auto clipped = [&](std::size_t s, std::size_t e, bool atTop) {
        const double level = y[s];
        if (!awayFromRest(s))
            return false;
        const std::size_t k = std::max<std::size_t>(2, (e - s + 1) / 2);
        auto drop = [&](std::size_t j) { return atTop ? level - y[j] : y[j] - level; };
        bool side = false;
        if (s > 0) {
            if (drop(s >= k ? s - k : 0) < edge)
                return false;
            side = true;
        }
        if (e + 1 < p.n) {
            if (drop(std::min(p.n - 1, e + k)) < edge)
                return false;
            side = true;
        }
        return side;
    };

    // Long stretches are held values; at an extreme, held values are a
    // saturation even where the curve leaves them gently.
    Plateau topHeld, bottomHeld;
    std::size_t heldRepeats = 0; // samples equal to the one before, inside long stretches
    std::size_t heldSamples = 0;
    auto classify = [&](std::size_t s, std::size_t e) {
        const std::size_t len = e - s + 1;
        const bool atTop = y[s] >= p.ymax - 2 * tol && awayFromRest(s);
        const bool atBottom = y[s] <= p.ymin + 2 * tol && awayFromRest(s);
        const bool held = len >= holdMin;
        if (held) {
            heldSamples += len;
            for (std::size_t j = s + 1; j <= e; ++j)
                heldRepeats += y[j] == y[j - 1] ? 1 : 0;
        }
        if (atTop && clipped(s, e, true))
            top.Take(s, e);
        else if (atBottom && clipped(s, e, false))
            bottom.Take(s, e);
        else if (held)
            (atTop ? topHeld : atBottom ? bottomHeld : hold).Take(s, e);
    };
    // A stretch starts where the next three samples lie within the
    // tolerance of this one. Which samples could start one is found for all
    // at once, in blocks without branches (vector instructions); the walk
    // then passes eight samples that cannot at a time. Noise alone makes a
    // few such starts in every hundred samples, so the walk must not test
    // sample by sample.
    static_assert(kClipMinSamples == 4, "the scan below tests three followers");
    const float t = float(tol);
    auto calm = [&](std::size_t i) {
        const float a = y[i];
        return std::uint8_t(unsigned(std::fabs(y[i + 1] - a) <= t) & unsigned(std::fabs(y[i + 2] - a) <= t)
                            & unsigned(std::fabs(y[i + 3] - a) <= t));
    };
    constexpr std::size_t B = 16;
    // Every flag is written below; the last three samples start nothing.
    const std::unique_ptr<std::uint8_t[]> starts(new std::uint8_t[p.n + 11]);
    std::memset(starts.get() + (p.n >= 3 ? p.n - 3 : 0), 0, 11);
    std::size_t i = 0;
    for (; i + 3 + B <= p.n; i += B) {
        // Through a block of its own: the flags cannot alias the samples.
        std::uint8_t block[B];
        for (std::size_t k = 0; k < B; ++k)
            block[k] = calm(i + k);
        std::memcpy(starts.get() + i, block, B);
    }
    for (; i + 3 < p.n; ++i)
        starts[i] = calm(i);
    i = 0;
    while (i + 3 < p.n) {
        if (i + 8 <= p.n) {
            std::uint64_t eight;
            std::memcpy(&eight, starts.get() + i, sizeof eight);
            if (eight == 0) {
                i += 8;
                continue;
            }
            // The first start among the eight: the lowest address is the
            // lowest byte on a little-endian machine.
            const int skipped = std::endian::native == std::endian::little ? std::countr_zero(eight)
                                                                            : std::countl_zero(eight);
            i += std::size_t(skipped) / 8;
        } else if (!starts[i]) {
            ++i;
            continue;
        }
        std::size_t e = i + 3;
        while (e + 1 < p.n && std::fabs(y[e + 1] - y[i]) <= t)
            ++e;
        classify(i, e);
        i = e + 1;
    }
    // Held only where the channel is noisy: one without noise (made by code,
    // or quiet below its converter's step) repeats values everywhere. Before
    // the event a channel shows its own noise; without a pre-event stretch,
    // the samples outside the long stretches tell.
    bool lively = false;
    if (p.preEnd > 0) {
        std::size_t preRepeats = 0;
        for (std::size_t i = 1; i < p.preEnd; ++i)
            preRepeats += y[i] == y[i - 1] ? 1 : 0;
        lively = p.preStd > 0 && double(preRepeats) <= kHoldRepeats * double(p.preEnd);
    } else {
        std::size_t repeats = 0;
        for (std::size_t i = 1; i < p.n; ++i)
            repeats += y[i] == y[i - 1] ? 1 : 0;
        const std::size_t others = p.n - heldSamples;
        lively = others > 0 && double(repeats - heldRepeats) <= kHoldRepeats * double(others);
    }
    if (lively) {
        for (const Plateau* from : {&topHeld, &bottomHeld}) {
            Plateau& to = from == &topHeld ? top : bottom;
            if (from->count > 0)
                to.Take(from->first, from->last);
        }
    }
    auto report = [&](const Plateau& q, const char* where) {
        if (q.count == 0)
            return;
        const std::size_t len = q.last - q.first + 1;
        Add(out, CheckKind::Clipping, CheckVerdict::Fail,
            std::string("held at its ") + where + " " + CheckValue(p, y[q.first]) + " for " + std::to_string(len)
                + " samples, from " + CheckTime(p, p.x[q.first]) + " to " + CheckTime(p, p.x[q.last])
                + ": the amplifier or recorder saturated"
                + (q.count > 1 ? " (" + std::to_string(q.count) + " such stretches)" : ""),
            p.x[q.first], p.x[q.last]);
    };
    report(top, "maximum");
    report(bottom, "minimum");
    if (lively && hold.count > 0) {
        const std::size_t len = hold.last - hold.first + 1;
        Add(out, CheckKind::Flat, CheckVerdict::Warning,
            "holds " + CheckValue(p, y[hold.first]) + " for " + std::to_string(len) + " samples, from "
                + CheckTime(p, p.x[hold.first]) + " to " + CheckTime(p, p.x[hold.last])
                + ", where the rest is noisy: the channel stopped"
                + (hold.count > 1 ? " (" + std::to_string(hold.count) + " such stretches)" : ""),
            p.x[hold.first], p.x[hold.last]);
    }
}

namespace {

double Excursion(const CheckProfile& p, double from)
{
    return std::max(std::fabs(p.ymax - from), std::fabs(p.ymin - from));
}

bool TailSettled(const CheckProfile& p, double excursion)
{
    // The tail must come after the largest excursion: it may not hold it.
    return p.tailBegin < p.n && p.tailStd <= kDriftQuiet * excursion
           && std::find(p.y + p.tailBegin, p.y + p.n, p.peakValue) == p.y + p.n;
}

} // namespace

void CheckOffset(const CheckProfile& p, std::vector<CheckFinding>& out)
{
    if (p.preEnd == 0 || p.quantity == CheckQuantity::Velocity)
        return;
    const double excursion = Excursion(p, p.preMean);
    const double level = std::fabs(p.preMean);
    if (excursion <= 0 || level < kOffsetShare * excursion || level < kOffsetSigma * p.preStd)
        return;
    // Without a header the quantity may start where it likes (a speed): only
    // a channel that also ends at that level is offset.
    if (p.quantity == CheckQuantity::Unknown
        && !(TailSettled(p, excursion) && std::fabs(p.tailMean - p.preMean) <= 0.25 * level))
        return;
    Add(out, CheckKind::Offset, CheckVerdict::Warning,
        "reads " + CheckValue(p, p.preMean) + " before the event (mean from " + CheckTime(p, p.x[0]) + " to "
            + CheckTime(p, p.x[p.preEnd - 1]) + "), " + Percent(level / excursion) + " of its "
            + CheckValue(p, excursion) + " excursion",
        p.x[0], p.x[p.preEnd - 1]);
}

void CheckDrift(const CheckProfile& p, std::vector<CheckFinding>& out)
{
    if (p.preEnd == 0 || p.quantity != CheckQuantity::Returns)
        return;
    const double excursion = Excursion(p, p.preMean);
    if (excursion <= 0 || !TailSettled(p, excursion))
        return;
    const double shift = p.tailMean - p.preMean;
    if (std::fabs(shift) < kDriftShare * excursion
        || std::fabs(shift) < kOffsetSigma * std::max(p.preStd, p.tailStd))
        return;
    Add(out, CheckKind::Drift, CheckVerdict::Warning,
        "ends at " + CheckValue(p, p.tailMean) + " (mean from " + CheckTime(p, p.x[p.tailBegin]) + " to "
            + CheckTime(p, p.x[p.n - 1]) + "), " + CheckValue(p, shift) + " away from its pre-event level, "
            + Percent(std::fabs(shift) / excursion) + " of the excursion: the zero shifted during the event",
        p.x[p.tailBegin], p.x[p.n - 1]);
}

void CheckRate(const KVSignal& signal, const CheckProfile& p, std::vector<CheckFinding>& out)
{
    if (p.toSeconds <= 0 || p.n < 2)
        return;
    const double span = (double(p.x[p.n - 1]) - double(p.x[0])) * p.toSeconds;
    if (!(span > 0))
        return;
    const double rate = double(p.n - 1) / span;
    const int stated = signal.FilterClass();
    double cfc = 0;
    if (KVIsChannelClass(stated))
        cfc = stated;
    else if (stated == 1003) // the FIR100 corner lies with the lowest class
        cfc = 60;
    else if (stated == 1001 && signal.CutOffFrequency() > 0)
        cfc = signal.CutOffFrequency() / kFilterCornerPerClass;
    // A text file states no class: its default is no claim.
    if (cfc <= 0 || !p.headerStated)
        return;
    const double need = kRatePerClass * cfc;
    if (rate >= kRateTolerance * need)
        return;
    const double filterFloor = cfc * kFilterCornerPerClass / kFilterMaxCornerShare;
    const bool fails = rate < filterFloor;
    Add(out, CheckKind::Rate, fails ? CheckVerdict::Fail : CheckVerdict::Warning,
        "sampled at " + CheckNumber(rate) + " Hz, below " + CheckNumber(kRatePerClass) + " times its channel class CFC "
            + CheckNumber(cfc) + " (" + CheckNumber(need) + " Hz)"
            + (fails ? "; the class filter cannot act below " + CheckNumber(filterFloor) + " Hz" : ""),
        p.x[0], p.x[p.n - 1]);
}

} // namespace Kalvio
