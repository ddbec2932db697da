// The check over a wide synthetic set: clean pulses of several widths,
// heights, noise kinds and sample rates, each also with every fault put in.
// Clear faults must all be found and no rule may fire on a channel without
// its fault; faults near the limits of the rules are counted, not asserted.
#include "CheckSynthetic.h"
#include "SignalCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

using namespace Kalvio;

namespace {

constexpr CheckKind kKinds[] = {CheckKind::Clipping, CheckKind::Dropout, CheckKind::Offset, CheckKind::Flat,
                                CheckKind::Rate,     CheckKind::Drift,   CheckKind::Invalid, CheckKind::Time};

struct Tally {
    int without = 0, falseAlarms = 0, clear = 0, misses = 0, near = 0, nearFound = 0;
};

class SetScore {
public:
    // fault: the fault put in (none for a clean channel); clear: whether it
    // lies plainly above the limits of its rule.
    void Score(const std::string& name, const KVSignal& s, std::optional<CheckKind> fault, bool clear)
    {
        const CheckResult r = CheckSignal(s);
        for (CheckKind k : kKinds) {
            const bool found = std::any_of(r.findings.begin(), r.findings.end(),
                                           [k](const CheckFinding& f) { return f.kind == k; });
            Tally& t = m_tally[k];
            if (fault != k) {
                t.without += 1;
                if (found) {
                    t.falseAlarms += 1;
                    Note(k, name + ": " + CheckKindName(k) + " without the fault");
                }
            } else if (clear) {
                t.clear += 1;
                if (!found) {
                    t.misses += 1;
                    Note(k, name + ": " + CheckKindName(k) + " missed");
                }
            } else {
                t.near += 1;
                t.nearFound += found ? 1 : 0;
            }
        }
        m_channels += 1;
    }
    void Print() const
    {
        std::printf("%d synthetic channels\n%-9s %8s %7s %7s %7s %12s\n", m_channels, "rule", "without", "false",
                    "clear", "missed", "near: found");
        for (CheckKind k : kKinds) {
            const Tally& t = m_tally.at(k);
            std::printf("%-9s %8d %7d %7d %7d %6d of %d\n", CheckKindName(k), t.without, t.falseAlarms, t.clear,
                        t.misses, t.nearFound, t.near);
        }
        for (const std::string& n : m_notes)
            std::printf("  %s\n", n.c_str());
    }
    const Tally& Of(CheckKind k) { return m_tally[k]; }

private:
    // The first few channels each rule got wrong, for tuning.
    void Note(CheckKind k, const std::string& s)
    {
        if (m_noted[k]++ < 6)
            m_notes.push_back(s);
    }
    std::map<CheckKind, int> m_noted;
    std::map<CheckKind, Tally> m_tally;
    std::vector<std::string> m_notes;
    int m_channels = 0;
};

const char* NoiseName(synth::Noise n)
{
    switch (n) {
    case synth::Noise::None:
        return "none";
    case synth::Noise::White:
        return "white";
    case synth::Noise::Band:
        return "band";
    case synth::Noise::Quantised:
        return "12-bit";
    }
    return "?";
}

using Fault = std::function<void(const synth::Pulse&, const std::vector<double>&, std::vector<double>&)>;

// Puts value into the sample nearest time at.
void SetAt(const std::vector<double>& t, std::vector<double>& y, double at, double value)
{
    y[synth::IndexOf(t, at)] = value;
}

TEST(SignalCheckSet, FindsClearFaultsAndRaisesNothingElse)
{
    using synth::Noise;
    SetScore score;
    struct NoiseCase {
        Noise kind;
        double share;
    };
    const NoiseCase noises[] = {{Noise::None, 0}, {Noise::White, 0.005}, {Noise::White, 0.02},
                                {Noise::Band, 0.01}, {Noise::Quantised, 0}};
    std::uint64_t seed = 1;
    for (double rate : {2000.0, 5000.0, 10000.0, 20000.0, 50000.0})
        for (double width : {0.003, 0.008, 0.02, 0.06, 0.12})
            for (double height : {3.0, -60.0, 2500.0})
                for (const NoiseCase& nc : noises) {
                    synth::Pulse p;
                    p.rate = rate;
                    p.width = width;
                    p.height = height;
                    p.kind = nc.kind;
                    p.noise = nc.share;
                    p.cfc = rate >= 10000 ? 1000 : (rate >= 6000 ? 600 : 180);
                    p.seed = seed++;
                    std::vector<double> t;
                    const std::vector<double> base = synth::PulseValues(p, t);
                    const double a = std::fabs(height);
                    const double sign = height > 0 ? 1 : -1;
                    const double perPulse = width * rate;
                    char tag[96];
                    std::snprintf(tag, sizeof tag, "%g Hz, %g ms, %g, %s %g", rate, width * 1000, height,
                                  NoiseName(nc.kind), nc.share);
                    auto run = [&](const char* what, std::optional<CheckKind> fault, bool clear, const Fault& put,
                                   int cfc) {
                        std::vector<double> y = base;
                        if (put)
                            put(p, t, y);
                        score.Score(std::string(tag) + ", " + what, synth::Channel(t, y, cfc), fault, clear);
                    };
                    auto clip = [&](double level) {
                        return [=](const synth::Pulse&, const std::vector<double>&, std::vector<double>& y) {
                            for (double& v : y)
                                v = sign * std::min(sign * v, level * a);
                        };
                    };
                    auto offset = [&](double share) {
                        return [=](const synth::Pulse&, const std::vector<double>&, std::vector<double>& y) {
                            for (double& v : y)
                                v += share * height;
                        };
                    };
                    // The zero moves 10 ms after the pulse, over 10 ms, and stays.
                    auto drift = [&](double share) {
                        return [=](const synth::Pulse&, const std::vector<double>& tt, std::vector<double>& y) {
                            for (std::size_t k = 0; k < y.size(); ++k) {
                                const double s = std::clamp((tt[k] - width - 0.01) / 0.01, 0.0, 1.0);
                                y[k] += share * height * 0.5 * (1 - std::cos(std::numbers::pi * s));
                            }
                        };
                    };
                    run("clean", std::nullopt, true, nullptr, p.cfc);
                    // 80 % of the peak is held for 0.41 of the width.
                    run("clipped at 80 %", CheckKind::Clipping, 0.41 * perPulse >= 8, clip(0.8), p.cfc);
                    run("clipped at 95 %", CheckKind::Clipping, false, clip(0.95), p.cfc);
                    run("dropout at the peak", CheckKind::Dropout, perPulse >= 20,
                        [&](const synth::Pulse&, const std::vector<double>& tt, std::vector<double>& y) {
                            SetAt(tt, y, width / 2, 0);
                        },
                        p.cfc);
                    run("two samples out at the peak", CheckKind::Dropout, perPulse >= 20,
                        [&](const synth::Pulse&, const std::vector<double>& tt, std::vector<double>& y) {
                            SetAt(tt, y, width / 2, 0);
                            SetAt(tt, y, width / 2 + 1 / rate, 0);
                        },
                        p.cfc);
                    run("dropout on the rising side", CheckKind::Dropout, perPulse >= 20,
                        [&](const synth::Pulse&, const std::vector<double>& tt, std::vector<double>& y) {
                            SetAt(tt, y, width / 6, 0);
                        },
                        p.cfc);
                    run("spike before the event", CheckKind::Dropout, true,
                        [&](const synth::Pulse&, const std::vector<double>& tt, std::vector<double>& y) {
                            SetAt(tt, y, -0.01, 3 * height);
                        },
                        p.cfc);
                    run("offset 8.3 %", CheckKind::Offset, true, offset(5.0 / 60.0), p.cfc);
                    run("offset 2 % (within limits)", std::nullopt, true, offset(0.02), p.cfc);
                    run("drift 15 %", CheckKind::Drift, true, drift(0.15), p.cfc);
                    run("drift 5 % (within limits)", std::nullopt, true, drift(0.05), p.cfc);
                    if (rate < 10000)
                        run("claims CFC 1000", CheckKind::Rate, true, nullptr, 1000);
                }
    // Dead channels and a slow channel at every rate.
    for (double rate : {1000.0, 10000.0, 50000.0}) {
        synth::Pulse p;
        p.rate = rate;
        std::vector<double> t;
        std::vector<double> y = synth::PulseValues(p, t);
        std::fill(y.begin(), y.end(), 0.0);
        score.Score("all zero", synth::Channel(t, y, 60), CheckKind::Flat, true);
        std::fill(y.begin(), y.end(), 1.7);
        score.Score("constant", synth::Channel(t, y, 60), CheckKind::Flat, true);
        for (std::size_t k = 0; k < y.size(); ++k)
            y[k] = 0.02 * double((k * 7919) % 3);
        score.Score("three levels", synth::Channel(t, y, 60), CheckKind::Flat, true);
        y = synth::PulseValues(p, t);
        const std::optional<CheckKind> slow = rate < 10000 ? std::optional(CheckKind::Rate) : std::nullopt;
        score.Score(std::to_string(int(rate)) + " Hz claiming CFC 1000", synth::Channel(t, y, 1000), slow, true);
    }
    score.Print();
    for (CheckKind k : kKinds) {
        EXPECT_EQ(score.Of(k).falseAlarms, 0) << CheckKindName(k);
        EXPECT_EQ(score.Of(k).misses, 0) << CheckKindName(k);
    }
}

} // namespace
