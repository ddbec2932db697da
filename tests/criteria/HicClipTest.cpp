#include "Clip3ms.h"
#include "Hic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace Criteria;

namespace {

constexpr double kPi = std::numbers::pi;

// f(t) at t = 0, dt, ... up to and including end.
template <class F>
std::vector<double> Sampled(F f, double end, double dt)
{
    std::vector<double> v;
    const size_t n = static_cast<size_t>(std::llround(end / dt)) + 1;
    for (size_t i = 0; i < n; ++i)
        v.push_back(f(double(i) * dt));
    return v;
}

std::vector<double> HalfSine(double peak, double duration, double dt)
{
    return Sampled([&](double t) { return peak * std::sin(kPi * t / duration); }, duration, dt);
}

TEST(Hic, SineOverAThirtyMillisecondWindow)
{
    const std::vector<double> a = Sampled([](double t) { return std::sin(20 * kPi * t); }, 0.05, 0.0001);
    const HicResult r = ComputeHic(a, 0.0001, {0.03}).front();
    ASSERT_TRUE(r.found);
    EXPECT_NEAR(r.value, 0.02048, 0.00001);
    EXPECT_EQ(r.i1, 100u);
    EXPECT_EQ(r.i2, 400u);
}

TEST(Hic, HalfSineOfTenMillisecondsPeaksOnAWindowOfSixPointSeven)
{
    const std::vector<double> a = HalfSine(100, 0.010, 0.0001);
    const std::vector<HicResult> r = ComputeHic(a, 0.0001, {0.015, 0.036});
    for (const HicResult& h : r) {
        EXPECT_NEAR(h.value, 414.6, 0.2);
        // 6.70 ms centred on the peak at 5 ms: samples 16/17 to 83/84.
        EXPECT_NEAR(double(h.i2 - h.i1) * 0.0001, 0.0067, 0.00011);
        EXPECT_NEAR(double(h.i1 + h.i2) / 2 * 0.0001, 0.005, 0.00006);
    }
}

TEST(Hic, HalfSineOfThirtyMillisecondsIsCutByTheWindow)
{
    const std::vector<HicResult> r = ComputeHic(HalfSine(100, 0.030, 0.0001), 0.0001, {0.015, 0.036});
    EXPECT_NEAR(r[0].value, 1153.7, 0.3);
    EXPECT_NEAR(r[1].value, 1243.9, 0.3);
    EXPECT_EQ(r[0].i2 - r[0].i1, 150u); // the 15 ms limit binds
    EXPECT_LE(r[1].i2 - r[1].i1, 360u);
    EXPECT_NEAR(double(r[0].i1 + r[0].i2) / 2, 150.0, 0.5);
}

TEST(Hic, ExactSearchFindsAShortSpikeBesideALongPlateau)
{
    // A 40 g plateau of 100 ms and a 2 ms spike of 200 g: a longest-window
    // shortcut would keep the plateau.
    std::vector<double> a(2000, 40.0);
    for (size_t i = 1500; i <= 1520; ++i)
        a[i] = 200.0;
    const HicResult r = ComputeHic(a, 0.0001, {0.015}).front();
    EXPECT_GE(r.i1, 1350u);
    EXPECT_LE(r.i2, 1670u);
    EXPECT_GT(r.value, 0.015 * std::pow(40.0, 2.5));
}

TEST(Hic, RecordShorterThanTheWindowEndsAtTheLastSample)
{
    // Constant a over n samples: every window has mean a, so the longest one,
    // first to last sample, wins: HIC = (n - 1) dt a^2.5 = 10 x 0.001 x 32.
    const HicResult r = ComputeHic(std::vector<double>(11, 4.0), 0.001, {0.015}).front();
    ASSERT_TRUE(r.found);
    EXPECT_NEAR(r.value, 0.32, 1e-12);
    EXPECT_EQ(r.i1, 0u);
    EXPECT_EQ(r.i2, 10u);
}

TEST(Hic, NothingPositiveOrTooShortGivesNoWindow)
{
    EXPECT_FALSE(ComputeHic(std::vector<double>(50, -3.0), 0.0001, {0.015}).front().found);
    EXPECT_FALSE(ComputeHic({5.0}, 0.0001, {0.015}).front().found);
    EXPECT_FALSE(ComputeHic({5.0, 6.0}, 0.0, {0.015}).front().found);
}

// Guards the skipping of starts that cannot win: on a record with two pulses
// of similar height, noise and a negative stretch, the result (value and
// window) is the one of the search over every sample pair.
TEST(Hic, SkippingHopelessStartsKeepsTheResultOfTheFullSearch)
{
    const double dt = 1e-4;
    std::vector<double> a(4000);
    for (size_t i = 0; i < a.size(); ++i) {
        const double t = double(i) * dt;
        a[i] = 0.3 * std::sin(1234.5 * t) + (t > 0.2 && t < 0.3 ? -5 : 0);
        if (t > 0.05 && t < 0.08)
            a[i] += 50 * std::sin(std::numbers::pi * (t - 0.05) / 0.03);
        if (t > 0.31 && t < 0.333)
            a[i] += 57 * std::sin(std::numbers::pi * (t - 0.31) / 0.023);
    }
    for (const double w : {0.015, 0.036}) {
        Criteria::HicResult full;
        const size_t steps = size_t(w / dt + 1e-6);
        for (size_t i = 0; i + 1 < a.size(); ++i) {
            double integral = 0;
            for (size_t j = i + 1; j < a.size() && j - i <= steps; ++j) {
                integral += 0.5 * dt * (a[j - 1] + a[j]);
                const double mean = integral / (double(j - i) * dt);
                const double hic = mean > 0 ? double(j - i) * dt * std::pow(mean, 2.5) : 0;
                if (mean > 0 && (!full.found || hic > full.value * (1 + 1e-12)))
                    full = {true, hic, i, j};
            }
        }
        const Criteria::HicResult fast = Criteria::ComputeHic(a, dt, {w})[0];
        EXPECT_NEAR(fast.value, full.value, 1e-9 * full.value);
        EXPECT_EQ(fast.i1, full.i1);
        EXPECT_EQ(fast.i2, full.i2);
    }
}

// The plain search over every pair, i then j ascending, the first of equal values kept.
HicResult AllPairs(const std::vector<double>& a, double dt, double window)
{
    std::vector<double> cum(a.size(), 0.0);
    for (size_t i = 1; i < a.size(); ++i)
        cum[i] = cum[i - 1] + 0.5 * dt * (a[i - 1] + a[i]);
    const size_t steps = static_cast<size_t>(std::floor(window / dt + 1e-6));
    HicResult best;
    for (size_t i = 0; i + 1 < a.size(); ++i)
        for (size_t j = i + 1; j < a.size() && j - i <= steps; ++j) {
            const double span = double(j - i) * dt, mean = (cum[j] - cum[i]) / span;
            const double h = span * mean * mean * std::sqrt(mean);
            if (mean > 0 && (!best.found || h > best.value))
                best = {true, h, i, j};
        }
    return best;
}

TEST(Hic, PrunedSearchGivesThePlainSearchsValueAndWindow)
{
    // Pulses with ringing, rebounds, negative stretches, plateaus of equal
    // windows and one gap: the pruning must never drop the winning pair.
    std::vector<std::vector<double>> inputs;
    unsigned seed = 12345;
    const auto noise = [&] { return double((seed = seed * 1103515245u + 12345u) >> 16 & 0x7FFF) / 32768.0 - 0.5; };
    for (int k = 0; k < 6; ++k) {
        std::vector<double> a = Sampled([&](double t) {
            return (k % 2 ? 80 : 30) * std::max(0.0, std::sin(kPi * (t - 0.01 * k) / 0.012))
                   + 25 * std::max(0.0, std::sin(kPi * (t - 0.03) / 0.004)) - (k == 3 ? 5.0 : 0.0);
        }, 0.06, 0.0001);
        for (double& v : a)
            v += (k + 1) * noise();
        inputs.push_back(std::move(a));
    }
    inputs.push_back(std::vector<double>(400, 7.0));
    inputs.push_back(inputs[0]);
    inputs.back()[300] = std::nan("");
    for (size_t k = 0; k < inputs.size(); ++k)
        for (double window : {0.003, 0.015, 0.036}) {
            const HicResult want = AllPairs(inputs[k], 0.0001, window);
            const HicResult got = ComputeHic(inputs[k], 0.0001, {window}).front();
            ASSERT_TRUE(got.found);
            EXPECT_EQ(got.value, want.value) << k << " " << window;
            EXPECT_EQ(got.i1, want.i1) << k << " " << window;
            EXPECT_EQ(got.i2, want.i2) << k << " " << window;
        }
}

TEST(Clip3ms, SineLevelHeldForThreeMilliseconds)
{
    const std::vector<double> a = Sampled([](double t) { return std::sin(100 * kPi * t); }, 0.01, 0.0001);
    const ClipResult c = ComputeClip(a, 0.0001, 0.003);
    ASSERT_TRUE(c.found);
    EXPECT_NEAR(c.value, 0.89101, 0.000005);
    EXPECT_EQ(c.i1, 35u);
    EXPECT_EQ(c.i2, 65u);
}

TEST(Clip3ms, PlateauAndSignalsShorterThanTheDuration)
{
    // 50 g held for exactly 3 ms inside a 20 g pulse.
    std::vector<double> a(200, 20.0);
    for (size_t i = 60; i <= 90; ++i)
        a[i] = 50.0;
    const ClipResult c = ComputeClip(a, 0.0001, 0.003);
    EXPECT_DOUBLE_EQ(c.value, 50.0);
    EXPECT_EQ(c.i1, 60u);
    // Held for 6 ms: the windows starting at 60 ... 90 are equal; the first is reported.
    std::fill(a.begin() + 91, a.begin() + 121, 50.0);
    const ClipResult first = ComputeClip(a, 0.0001, 0.003);
    EXPECT_DOUBLE_EQ(first.value, 50.0);
    EXPECT_EQ(first.i1, 60u);
    EXPECT_EQ(first.i2, 90u);
    // 29 samples at 0.1 ms span only 2.8 ms.
    EXPECT_FALSE(ComputeClip(std::vector<double>(29, 1.0), 0.0001, 0.003).found);
    EXPECT_TRUE(ComputeClip(std::vector<double>(31, 1.0), 0.0001, 0.003).found);
}

TEST(Clip3ms, WindowRoundsToTheNearestWholeStep)
{
    // A triangle 100 - |i - 50|: a window of s steps holds at best 100 - ceil(s/2),
    // first from i1 = 50 - ceil(s/2). 3 ms / dt: 1 kHz as float 2.9999999 -> 3,
    // 5 kHz a float step above 0.2 ms 14.999999 -> 15, 12.5 kHz 37.5 -> 38, 10.24 kHz 30.72 -> 31.
    std::vector<double> a(101);
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = 100.0 - std::fabs(double(i) - 50.0);
    const struct {
        double dt;
        size_t steps;
    } cases[] = {{double(0.001f), 3}, {double(std::nextafter(0.0002f, 1.0f)), 15}, {0.00008, 38}, {1.0 / 10240, 31}};
    for (const auto& c : cases) {
        const ClipResult r = ComputeClip(a, c.dt, 0.003);
        const size_t half = (c.steps + 1) / 2;
        ASSERT_TRUE(r.found) << c.dt;
        EXPECT_EQ(r.i1, 50 - half) << c.dt;
        EXPECT_EQ(r.i2, 50 - half + c.steps) << c.dt;
        EXPECT_EQ(r.value, 100.0 - double(half)) << c.dt;
    }
}

} // namespace

namespace {

TEST(CumulativeClip, TwoShortSpikesAddUpWhereAContinuousClipCannot)
{
    // A 50 g plateau of 20 ms with two 2 ms spikes to 70 g: no 3 ms without a
    // break above 50 g, but 4 ms at 70 g in total.
    std::vector<double> a(201, 50.0);
    for (size_t i = 40; i <= 60; ++i)
        a[i] = a[i + 80] = 70.0;
    EXPECT_DOUBLE_EQ(ComputeClip(a, 0.0001, 0.003).value, 50.0);
    const CumulativeClipResult c = ComputeCumulativeClip(a, 0.0001, 0.003);
    ASSERT_TRUE(c.found);
    EXPECT_DOUBLE_EQ(c.value, 70.0);
    ASSERT_EQ(c.runs.size(), 2u);
    EXPECT_EQ(c.runs[0], (std::pair<size_t, size_t>{40, 60}));
    EXPECT_EQ(c.runs[1], (std::pair<size_t, size_t>{120, 140}));
    EXPECT_FALSE(ComputeCumulativeClip(std::vector<double>(30, 1.0), 0.0001, 0.003).found);
}

TEST(CumulativeClip, OneHumpGivesTheContinuousClip)
{
    // With a single interval above every level both definitions agree.
    const std::vector<double> a = HalfSine(100, 0.010, 0.0001);
    const ClipResult continuous = ComputeClip(a, 0.0001, 0.003);
    const CumulativeClipResult cumulative = ComputeCumulativeClip(a, 0.0001, 0.003);
    EXPECT_DOUBLE_EQ(cumulative.value, continuous.value);
    ASSERT_EQ(cumulative.runs.size(), 1u);
    EXPECT_EQ(cumulative.runs[0].second - cumulative.runs[0].first, 30u);
}

} // namespace
