// The rules of the signal check on hand-made channels: the cases an engineer
// names, the limits of each rule, and input that must not mislead it.
#include "CheckSynthetic.h"
#include "SignalCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using namespace Kalvio;

namespace {

// A 60 g, 7.3 ms pulse at 10 kHz with 0.3 % noise: 80 % of its height is
// held for 3 ms when cut there.
synth::Pulse Example()
{
    synth::Pulse p;
    p.width = 0.0073;
    p.height = 60;
    p.noise = 0.003;
    return p;
}

KVSignal Make(const synth::Pulse& p, const std::function<void(const std::vector<double>&, std::vector<double>&)>& put,
              int cfc = 1000)
{
    std::vector<double> t;
    std::vector<double> y = synth::PulseValues(p, t);
    if (put)
        put(t, y);
    return synth::Channel(t, y, cfc);
}

std::vector<CheckKind> Kinds(const CheckResult& r)
{
    std::vector<CheckKind> k;
    for (const CheckFinding& f : r.findings)
        k.push_back(f.kind);
    return k;
}

using Kinds_ = std::vector<CheckKind>;

TEST(SignalCheck, TheFaultsAnEngineerLooksFor)
{
    const synth::Pulse p = Example();
    const CheckResult clean = CheckSignal(Make(p, nullptr));
    EXPECT_EQ(clean.verdict, CheckVerdict::Ok);
    EXPECT_TRUE(clean.findings.empty());

    const CheckResult clipped = CheckSignal(Make(p, [](const auto&, auto& y) {
        for (double& v : y)
            v = std::min(v, 48.0);
    }));
    ASSERT_EQ(Kinds(clipped), Kinds_{CheckKind::Clipping});
    EXPECT_EQ(clipped.verdict, CheckVerdict::Fail);
    // The span is the held stretch: about 3 ms around the peak at 3.65 ms.
    EXPECT_NEAR(clipped.findings[0].t1, 0.00215, 0.0003);
    EXPECT_NEAR(clipped.findings[0].t2, 0.00515, 0.0003);
    EXPECT_NE(clipped.findings[0].message.find("48 G'S"), std::string::npos) << clipped.findings[0].message;

    const CheckResult dropout = CheckSignal(Make(p, [](const auto& t, auto& y) { y[synth::IndexOf(t, 0.003)] = 0; }));
    ASSERT_EQ(Kinds(dropout), Kinds_{CheckKind::Dropout});
    EXPECT_EQ(dropout.verdict, CheckVerdict::Warning);
    EXPECT_NEAR(dropout.findings[0].t1, 0.003, 1e-6);
    EXPECT_EQ(dropout.findings[0].t1, dropout.findings[0].t2);

    const CheckResult offset = CheckSignal(Make(p, [](const auto&, auto& y) {
        for (double& v : y)
            v += 5;
    }));
    EXPECT_EQ(Kinds(offset), Kinds_{CheckKind::Offset});
    EXPECT_NE(offset.findings[0].message.find("reads 5"), std::string::npos) << offset.findings[0].message;

    const CheckResult dead = CheckSignal(Make(p, [](const auto&, auto& y) { std::fill(y.begin(), y.end(), 0.0); }));
    EXPECT_EQ(Kinds(dead), Kinds_{CheckKind::Flat});
    EXPECT_EQ(dead.verdict, CheckVerdict::Fail);

    synth::Pulse slow = p;
    slow.rate = 1000;
    const CheckResult rate = CheckSignal(Make(slow, nullptr, 1000));
    EXPECT_EQ(Kinds(rate), Kinds_{CheckKind::Rate});
    EXPECT_EQ(rate.verdict, CheckVerdict::Fail);
    // 5 kHz can still be filtered at CFC 1000, only not well: a warning.
    slow.rate = 5000;
    EXPECT_EQ(CheckSignal(Make(slow, nullptr, 1000)).verdict, CheckVerdict::Warning);
    EXPECT_EQ(CheckSignal(Make(slow, nullptr, 180)).verdict, CheckVerdict::Ok);
}

TEST(SignalCheck, LimitsOfTheRules)
{
    synth::Pulse p = Example();
    p.noise = 0.001;
    auto shifted = [&](double share) {
        return CheckSignal(Make(p, [share](const auto&, auto& y) {
            for (double& v : y)
                v += share * 60;
        }));
    };
    EXPECT_TRUE(shifted(0.04).findings.empty());
    EXPECT_EQ(Kinds(shifted(0.06)), Kinds_{CheckKind::Offset});

    // A steep 60 g triangle (10 samples a side) held at its top: 3 samples
    // are no clipping, 4 are.
    auto plateau = [](int samples) {
        std::vector<double> t, y;
        for (int k = -200; k <= 600; ++k) {
            t.push_back(k * 1e-4);
            y.push_back(std::max(0.0, 60.0 - 6.0 * std::fabs(k - 100 - 0.5 * (samples % 2 == 0))));
        }
        const double level = 60.0 - 6.0 * (samples / 2) + (samples % 2 == 0 ? 3.0 : 0.0);
        for (double& v : y)
            v = std::min(v, level);
        return CheckSignal(synth::Channel(t, y, 1000));
    };
    EXPECT_TRUE(plateau(3).findings.empty()) << plateau(3).findings[0].message;
    const CheckResult four = plateau(4);
    ASSERT_EQ(Kinds(four), Kinds_{CheckKind::Clipping});
    EXPECT_NE(four.findings[0].message.find("for 4 samples"), std::string::npos) << four.findings[0].message;

    // The zero moves after the event: 8 % of the excursion is within limits, 12 % is not.
    auto drift = [&](double share) {
        return CheckSignal(Make(p, [share](const auto& t, auto& y) {
            for (std::size_t k = 0; k < y.size(); ++k)
                y[k] += t[k] > 0.04 ? share * 60 : 0.0;
        }));
    };
    EXPECT_TRUE(drift(0.08).findings.empty());
    EXPECT_EQ(Kinds(drift(0.12)), Kinds_{CheckKind::Drift});
}

TEST(SignalCheck, WhatTheHeaderSaysTheQuantityIs)
{
    // A speed starts at the test speed and ends near zero: no offset, no drift.
    synth::Pulse p = Example();
    KVSignal speed = Make(p, [](const auto& t, auto& y) {
        for (std::size_t k = 0; k < y.size(); ++k)
            y[k] = 56.0 * (1 - std::clamp(t[k] / 0.08, 0.0, 1.0)) + y[k] * 0.01;
    });
    speed.SetYType("VELOCITY");
    speed.SetYUnits("KM/H");
    EXPECT_TRUE(CheckSignal(speed).findings.empty());
    // Without a header (a text file) the quantity is unknown: it is offset
    // only when it also ends at its starting level, and states no class.
    speed.SetYType(" ");
    speed.SetYUnits(" ");
    speed.SetFilterClass(1000);
    EXPECT_TRUE(CheckSignal(speed, {false}).findings.empty());
    KVSignal raised = Make(p, [](const auto&, auto& y) {
        for (double& v : y)
            v += 10;
    });
    raised.SetYType(" ");
    raised.SetYUnits(" ");
    EXPECT_EQ(Kinds(CheckSignal(raised, {false})), Kinds_{CheckKind::Offset});
    // A displacement keeps its set after the event: no drift.
    KVSignal crushed = Make(p, [](const auto& t, auto& y) {
        for (std::size_t k = 0; k < y.size(); ++k)
            y[k] += t[k] > 0.04 ? 30.0 : 0.0;
    });
    crushed.SetYType("DISPLACEMENT");
    crushed.SetYUnits("MILLIMETERS");
    EXPECT_TRUE(CheckSignal(crushed).findings.empty());
}

TEST(SignalCheck, BrokenInputIsReportedNotTrusted)
{
    EXPECT_EQ(Kinds(CheckSignal(KVSignal())), Kinds_{CheckKind::Flat});

    // A sample that is no number fails; the rest is still checked and clean.
    KVSignal nan = Make(Example(), [](const auto& t, auto& y) {
        y[synth::IndexOf(t, 0.002)] = std::numeric_limits<double>::quiet_NaN();
        y[synth::IndexOf(t, 0.003)] = std::numeric_limits<double>::infinity();
    });
    const CheckResult r = CheckSignal(nan);
    ASSERT_EQ(Kinds(r), Kinds_{CheckKind::Invalid});
    EXPECT_NE(r.findings[0].message.find("2 samples"), std::string::npos);
    EXPECT_NEAR(r.findings[0].t1, 0.002, 1e-6);

    KVSignal backwards = Make(Example(), nullptr);
    backwards.X()[100] = backwards.X()[98];
    EXPECT_EQ(Kinds(CheckSignal(backwards)), Kinds_{CheckKind::Time});

    // Two levels only (a converter that toggles) is a dead channel; so is one point.
    KVSignal toggle = Make(Example(), [](const auto&, auto& y) {
        for (std::size_t k = 0; k < y.size(); ++k)
            y[k] = 0.01 * double(k % 2);
    });
    EXPECT_EQ(CheckSignal(toggle).verdict, CheckVerdict::Fail);
    KVSignal two = synth::Channel({0.0, 0.001}, {0.0, 1.0}, 60);
    EXPECT_EQ(Kinds(CheckSignal(two)), Kinds_{CheckKind::Flat});
}

TEST(SignalCheck, AStoppedChannelAndManyDropouts)
{
    // The recorder stopped: the last 40 ms read exactly zero.
    const CheckResult held = CheckSignal(Make(Example(), [](const auto& t, auto& y) {
        for (std::size_t k = 0; k < y.size(); ++k)
            if (t[k] > 0.05)
                y[k] = 0;
    }));
    ASSERT_EQ(Kinds(held), Kinds_{CheckKind::Flat});
    EXPECT_EQ(held.verdict, CheckVerdict::Warning);
    EXPECT_NEAR(held.findings[0].t1, 0.0501, 1e-4);

    // Ten dropouts make one finding that spans them.
    const CheckResult many = CheckSignal(Make(Example(), [](const auto& t, auto& y) {
        for (int k = 0; k < 10; ++k)
            y[synth::IndexOf(t, -0.015 + 0.007 * k)] = -30;
    }));
    ASSERT_EQ(Kinds(many), Kinds_{CheckKind::Dropout});
    EXPECT_EQ(many.findings[0].message.rfind("10 dropouts", 0), 0u) << many.findings[0].message;
    EXPECT_NEAR(many.findings[0].t2 - many.findings[0].t1, 0.063, 1e-6);
}

// Each rule on both sides of the limits the cases above leave out.
TEST(SignalCheck, EachRuleOnBothSidesOfItsLimits)
{
    // A time stamp repeated does not increase either.
    KVSignal repeated = Make(Example(), nullptr);
    repeated.X()[100] = repeated.X()[99];
    EXPECT_EQ(Kinds(CheckSignal(repeated)), Kinds_{CheckKind::Time});

    // Held at its peak to the end: saturated, but the zero did not shift.
    const CheckResult held = CheckSignal(Make(Example(), [](const auto& t, auto& y) {
        for (std::size_t k = 0; k < y.size(); ++k)
            if (t[k] > 0.00365)
                y[k] = 65;
    }));
    EXPECT_EQ(Kinds(held), Kinds_{CheckKind::Clipping});

    // A 1650 Hz cut-off without a class stands for CFC 990: 10 kHz is enough, 9 kHz is not.
    synth::Pulse fast = Example();
    for (double rate : {10000.0, 9000.0}) {
        fast.rate = rate;
        KVSignal s = Make(fast, nullptr, 1001);
        s.SetCutOffFrequency(1650);
        const CheckResult r = CheckSignal(s);
        if (rate == 10000.0) {
            EXPECT_TRUE(r.findings.empty()) << r.findings[0].message;
            continue;
        }
        ASSERT_EQ(Kinds(r), Kinds_{CheckKind::Rate});
        EXPECT_EQ(r.verdict, CheckVerdict::Warning);
        EXPECT_NE(r.findings[0].message.find("CFC 990 (9900 Hz)"), std::string::npos) << r.findings[0].message;
    }

    // The pre-event window ends 1 ms before time zero whatever the time unit.
    std::vector<double> t;
    std::vector<double> y = synth::PulseValues(Example(), t);
    for (double& v : y)
        v += 5;
    const CheckResult seconds = CheckSignal(synth::Channel(t, y, 1000));
    for (double& v : t)
        v *= 1000;
    KVSignal ms = synth::Channel(t, y, 1000);
    ms.SetXUnits("MILLISECONDS");
    const CheckResult milli = CheckSignal(ms);
    ASSERT_EQ(Kinds(seconds), Kinds_{CheckKind::Offset});
    ASSERT_EQ(Kinds(milli), Kinds_{CheckKind::Offset});
    EXPECT_NEAR(seconds.findings[0].t2, -0.0011, 1e-7);
    EXPECT_NEAR(milli.findings[0].t2, -1.1, 1e-4);

    // At most four evenly spaced levels are a dead channel; five are not.
    for (int levels : {4, 5}) {
        const CheckResult r = CheckSignal(Make(Example(), [levels](const auto&, auto& v) {
            for (std::size_t k = 0; k < v.size(); ++k)
                v[k] = 0.01 * double(k % std::size_t(levels));
        }));
        const bool dead = std::any_of(r.findings.begin(), r.findings.end(),
                                      [](const CheckFinding& f) { return f.kind == CheckKind::Flat; });
        EXPECT_EQ(dead, levels == 4) << levels;
        if (levels == 4) {
            ASSERT_EQ(r.findings.size(), 1u);
            EXPECT_EQ(r.findings[0].message, "only 4 distinct values (0, 0.01, 0.02, 0.03 G'S): a dead channel");
        }
    }

    // Three dropouts are three findings; from four on they are summed up in one.
    for (int count : {3, 4}) {
        const CheckResult r = CheckSignal(Make(Example(), [count](const auto& t, auto& v) {
            for (int k = 0; k < count; ++k)
                v[synth::IndexOf(t, -0.015 + 0.007 * k)] = -30;
        }));
        EXPECT_EQ(Kinds(r), Kinds_(count == 3 ? 3 : 1, CheckKind::Dropout)) << count;
        if (count == 4 && r.findings.size() == 1) {
            EXPECT_EQ(r.findings[0].message.rfind("4 dropouts from -0.015 s to 0.006 s", 0), 0u) << r.findings[0].message;
        }
    }
}

} // namespace
