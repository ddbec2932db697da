#include "Kalvio.h"
#include "SupportFiles.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

using namespace Kalvio;

namespace {

double Line(double t) { return 3.0 + 100.0 * t; }

// Samples y of a uniform grid, nfp..nlp, step h0.
std::vector<float> GridSamples(int nfp, int nlp, double h0, double (*f)(double))
{
    std::vector<float> y;
    for (int k = nfp; k <= nlp; ++k)
        y.push_back(static_cast<float>(f(k * h0)));
    return y;
}

} // namespace

TEST(Resample, NewGridOnMultiplesOfTheStep)
{
    KVSignal s = UniformSignal(-102, 1000, 0.0001f, Line);
    ASSERT_TRUE(Resample(s, 0.001f, nullptr));
    EXPECT_EQ(s.Nfp(), -10);
    EXPECT_EQ(s.Nlp(), 100);
    EXPECT_EQ(s.Del(), 0.001f);
    ASSERT_EQ(s.PointCount(), 111u);
    for (size_t k = 0; k < s.PointCount(); ++k) {
        ASSERT_EQ(s.X()[k], float(int(k) - 10) * 0.001f); // as a "Y" file reloads them
        ASSERT_NEAR(s.Y()[k], Line(s.X()[k]), 1e-4);
    }
    EXPECT_EQ(s.Status(), " ");
}

// Regression: the count came from trunc(span / step + 0.99), so the last grid
// point of the span was dropped (3,001 samples at 0.1 ms came back as 3,000),
// and a span starting between grid points got a point extrapolated before it.
TEST(Resample, TheGridIsEveryMultipleOfTheStepWithinTheSpan)
{
    struct Case {
        int nfp, nlp;
        float from, to;
        int first, last;
    };
    for (const Case c : {Case{-500, 2500, 0.0001f, 0.0001f, -500, 2500}, // own step: every sample back
                         Case{-500, 2500, 0.0001f, 0.0002f, -250, 1250},
                         Case{0, 2, 0.0001f, 0.0002f, 0, 1},              // 3 points at 0.1 ms give 2
                         Case{102, 1000, 0.0001f, 0.001f, 11, 100},       // 10.2 ms starts at 11 ms
                         Case{5, 15, 0.001f, 0.0001f, 50, 150}}) {
        KVSignal s = UniformSignal(c.nfp, c.nlp, c.from, Line);
        const KVSignal in = s;
        ASSERT_TRUE(Resample(s, c.to, nullptr)) << c.nfp << " " << c.to;
        EXPECT_EQ(s.Nfp(), c.first) << c.nfp << " " << c.to;
        EXPECT_EQ(s.Nlp(), c.last) << c.nfp << " " << c.to;
        ASSERT_EQ(s.PointCount(), size_t(c.last - c.first + 1));
        EXPECT_NEAR(s.Y()[0], Line(c.first * double(c.to)), 1e-4);
        EXPECT_NEAR(s.Y()[s.PointCount() - 1], Line(c.last * double(c.to)), 1e-4);
        if (c.from == c.to) {
            EXPECT_EQ(YOf(s), YOf(in));
        }
    }
    // X-Y data (millimetres, or a text file's times) starts at its first grid point inside.
    KVSignal xy = XYSignal({0.5f, 1.0f, 2.5f, 3.0f}, {1, 2, 5, 6});
    ASSERT_TRUE(Resample(xy, 1.0f, nullptr));
    EXPECT_EQ(YOf(xy), (std::vector<float>{2, 4, 6}));
    // A span holding one grid time only is refused, not extrapolated.
    KVSignal one = XYSignal({0.5f, 1.0f, 1.5f}, {1, 2, 3});
    KVErrorList e;
    EXPECT_FALSE(Resample(one, 1.0f, &e));
    EXPECT_EQ(Lines(e), std::vector<std::string>{"Kalvio::Resample - Resampling to 1 would give 1 points: fewer than "
                                                 "two of its times lie between 0.5 and 1.5"});
}

TEST(Resample, RepeatedTimesAcceptedDecreasingRefused)
{
    KVSignal s = XYSignal({0, 0, 1, 2}, {5, 7, 9, 11});
    ASSERT_TRUE(Resample(s, 0.5f, nullptr));
    // Equal times enclosing t = 0: the left sample holds.
    EXPECT_EQ(YOf(s), (std::vector<float>{5, 8, 9, 10, 11}));

    KVSignal d = XYSignal({0, 2, 1}, {1, 2, 3});
    const KVSignal before = d;
    KVErrorList e;
    EXPECT_FALSE(Resample(d, 0.5f, &e));
    EXPECT_FALSE(Resample(d, 0.0f, &e));
    KVSignal one = XYSignal({0}, {1});
    EXPECT_FALSE(Resample(one, 0.5f, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{"Kalvio::Resample - X axis is not monotonically increasing",
                                                  "Kalvio::Resample - Requested Time step <=0",
                                                  "Kalvio::Resample - Not enough data points"}));
    EXPECT_TRUE(SameSignal(d, before));
}

TEST(Resample, IndicesBeyondTheArraysAreRefused)
{
    KVSignal s = UniformSignal(0, 10, 0.001f, Line);
    s.SetNlp(50);
    KVErrorList e;
    EXPECT_FALSE(Resample(s, 0.002f, &e));
    EXPECT_EQ(Lines(e), std::vector<std::string>{"Kalvio::Resample - Error Interpolating Data"});
}

TEST(Resample, OutputsOnInputTimesCarryTheInputSamples)
{
    // Regression: the time was formed in double while X is stored as float32,
    // so 43 of 9,999 outputs of a 20 kHz -> 10 kHz resampling were interpolated
    // a hair away from the sample they sit on.
    const auto pulse = [](double t) { return 40.0 * std::sin(t * 7.3) * std::exp(-t); };
    struct Case {
        int nfp, nlp;
        float from, to;
        int ratio; // 0: not whole
    };
    for (const Case c : {Case{0, 19998, 0.00005f, 0.0001f, 2}, Case{-2000, 998000, 0.0001f, 0.001f, 10},
                         Case{-500, 2500, 0.0001f, 0.0005f, 5}, Case{0, 20000, 0.0001f, 0.000625f, 0}}) {
        KVSignal s = UniformSignal(c.nfp, c.nlp, c.from, pulse);
        for (size_t i = 0; i < s.PointCount(); ++i) // times as a "Y" file load forms them
            s.X()[i] = KVGridTime(c.nfp + static_cast<long long>(i), c.from);
        const KVSignal in = s;
        ASSERT_TRUE(Resample(s, c.to, nullptr));
        // Output k lies on input sample i when (Nfp' + k) x to / from is whole:
        // with a whole ratio every output, else every fourth (6.25 = 25 / 4).
        size_t onSample = 0;
        for (size_t k = 0; k < s.PointCount(); ++k) {
            const double index = double(s.Nfp() + static_cast<long long>(k)) * (c.ratio > 0 ? c.ratio : 6.25);
            const long long i = std::llround(index) - c.nfp;
            if (std::fabs(index - std::round(index)) > 1e-6 || i < 0 || i >= static_cast<long long>(in.PointCount()))
                continue;
            ++onSample;
            ASSERT_EQ(s.Y()[k], in.Y()[static_cast<size_t>(i)]) << "to " << c.to << " at X = " << s.X()[k];
        }
        EXPECT_GE(onSample, c.ratio > 0 ? s.PointCount() : s.PointCount() / 4) << c.to;
    }
}

TEST(GridResample, SameStepCopies)
{
    const std::vector<float> y = GridSamples(-30, 70, 0.0001, [](double t) { return std::sin(300 * t); });
    std::vector<float> out(y.size() + 4);
    int nfp = 0, nlp = 0;
    ASSERT_TRUE(GridResample(y.data(), -30, 70, 0.0001f, 0.0001f, out.data(), out.size(), nfp, nlp));
    EXPECT_EQ(nfp, -30);
    EXPECT_EQ(nlp, 70);
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 101), y);
}

TEST(GridResample, WholeRatioPicksSamplesAndKeepsTheEnds)
{
    // Regression: rounding alone dropped the end samples (-199 ... 199).
    const std::vector<float> y = GridSamples(-1000, 1000, 0.0001, [](double t) { return t * t + t; });
    std::vector<float> out(500);
    int nfp = 0, nlp = 0;
    ASSERT_TRUE(GridResample(y.data(), -1000, 1000, 0.0001f, 0.0005f, out.data(), out.size(), nfp, nlp));
    EXPECT_EQ(nfp, -200);
    EXPECT_EQ(nlp, 200);
    for (int j = 0; j <= nlp - nfp; ++j)
        ASSERT_EQ(out[j], y[(nfp + j) * 5 + 1000]) << j;
    EXPECT_EQ(out[200], y[1000]); // time zero

    // Regression: a new first time of zero was never "near" the old grid.
    ASSERT_TRUE(GridResample(y.data() + 1000, 0, 1000, 0.0001f, 0.0005f, out.data(), out.size(), nfp, nlp));
    EXPECT_EQ(nfp, 0);
    EXPECT_EQ(nlp, 200);
    EXPECT_EQ(out[0], y[1000]);
}

TEST(GridResample, NoWholeRatioInterpolatesAndHitsSamples)
{
    const int nlpOld = 10000; // 0 ... 1 s at 10 kHz
    auto f = [](double t) { return std::sin(40 * t) + t * t; };
    std::vector<float> y;
    for (int k = 0; k <= nlpOld; ++k)
        y.push_back(static_cast<float>(f(k * double(0.0001f))));
    std::vector<float> out(2000);
    int nfp = 0, nlp = 0;
    ASSERT_TRUE(GridResample(y.data(), 0, nlpOld, 0.0001f, 0.000625f, out.data(), out.size(), nfp, nlp));
    EXPECT_EQ(nfp, 0);
    EXPECT_EQ(nlp, 1600);
    const double h0 = 0.0001f, h1 = 0.000625f;
    for (int j = 0; j <= nlp; ++j) {
        const double t = j * h1;
        if (j % 4 == 0) {
            // Every 0.0025 s the new time is an old sample time.
            ASSERT_EQ(out[j], y[j / 4 * 25]) << j;
            continue;
        }
        // Regression: beyond about 50 ms the tolerance grew with t and outputs snapped to samples.
        const int i0 = int(t / h0);
        const double expect = y[i0] + (double(y[i0 + 1]) - y[i0]) * (t - i0 * h0) / h0;
        ASSERT_NEAR(out[j], expect, 2e-6) << j;
    }
}

TEST(GridResample, InterpolatesBetweenTheEnclosingSamplesAtNegativeTimes)
{
    // y = k^2 at k = -8 ... 8 and a new step of 5/8 old steps (both exact in
    // binary): output m lies at u = 5m/8 old steps and is the chord value
    // floor(u)^2 + (2 floor(u) + 1)(u - floor(u)); -12.8 and 12.8 move inward.
    std::vector<float> y;
    for (int k = -8; k <= 8; ++k)
        y.push_back(float(k * k));
    const float h0 = 1.0f / 1024, h1 = h0 * 5 / 8;
    std::vector<float> out(32);
    int nfp = 0, nlp = 0;
    ASSERT_TRUE(GridResample(y.data(), -8, 8, h0, h1, out.data(), out.size(), nfp, nlp));
    EXPECT_EQ(nfp, -12);
    EXPECT_EQ(nlp, 12);
    for (int m = nfp; m <= nlp; ++m) {
        const double u = m * 0.625, f = std::floor(u);
        EXPECT_EQ(out[m - nfp], f * f + (2 * f + 1) * (u - f)) << m;
    }
}

TEST(GridResample, LastIntervalIsInterpolated)
{
    // Regression: the last interval was extrapolated from the one before it.
    const float y[4] = {0, 0, 0, 10};
    float out[8];
    int nfp = 0, nlp = 0;
    ASSERT_TRUE(GridResample(y, 0, 3, 0.001f, 0.0007f, out, 8, nfp, nlp));
    EXPECT_EQ(nlp, 4);
    EXPECT_NEAR(out[4], 8.0f, 1e-3);
}

TEST(GridResample, NearWholeRatioStaysInsideTheArray)
{
    // Regression: a near-whole ratio drifted past the last sample on a long span.
    const int nlpOld = 100000;
    std::vector<float> y(nlpOld + 1);
    for (int k = 0; k <= nlpOld; ++k)
        y[k] = float(k);
    std::vector<float> out(30000);
    int nfp = 0, nlp = 0;
    ASSERT_TRUE(GridResample(y.data(), 0, nlpOld, 0.0001f, 0.0001f * 4.996f, out.data(), out.size(), nfp, nlp));
    ASSERT_GT(nlp * 5, nlpOld);
    EXPECT_EQ(out[nlp - nfp], float(nlpOld));
    float small[3];
    EXPECT_FALSE(GridResample(y.data(), 0, 100, 0.0001f, 0.0005f, small, 3, nfp, nlp));
}

TEST(GridResample, InfiniteStepsAreRefused)
{
    // Regression: an infinite new step gave one output of 0 x inf (NaN) reported as success.
    const float inf = std::numeric_limits<float>::infinity();
    const float y[4] = {1, 2, 3, 4};
    float out[16];
    int nfp = 7, nlp = 7;
    EXPECT_FALSE(GridResample(y, 0, 3, 0.001f, inf, out, 16, nfp, nlp));
    EXPECT_FALSE(GridResample(y, 0, 3, inf, 0.0005f, out, 16, nfp, nlp));
    EXPECT_EQ(nfp, 7);
    EXPECT_EQ(nlp, 7);
    const float x[4] = {0, 1, 2, 3};
    nfp = 0;
    nlp = 8;
    EXPECT_FALSE(ResampleXYCore(x, y, 0, 3, inf, out, nfp, nlp));
}

#if !defined(ONDREL_NO_MEMORY_LIMIT)
// Regression: a resampling that ran short of memory said "Error Interpolating Data".
TEST(Resample, AResultBeyondMemorySaysSo)
{
    EXPECT_EXIT(
        {
            LimitAddressSpace(size_t(32) << 20);
            KVSignal s = UniformSignal(0, 1000, 0.001f, Line);
            KVErrorList e;
            const bool ok = Resample(s, 1e-8f, &e, size_t(1) << 28);
            std::fprintf(stderr, "%s\n", Lines(e).empty() ? "" : Lines(e).front().c_str());
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(1), "Kalvio::Resample - Not enough memory");
}
#endif

TEST(Resample, AGridBeyondWhatASignalHoldsIsRefusedWithTheCount)
{
    KVSignal s = UniformSignal(0, 3000, 0.0001f, Line);
    KVErrorList e;
    EXPECT_FALSE(Resample(s, 1e-9f, &e, size_t(1) << 30));
    // (0.3 s over the float nearest 1e-9 s: 299999991 points)
    EXPECT_EQ(Lines(e), std::vector<std::string>{"Kalvio::Resample - Resampling to 1e-09 would give 299999991 points, "
                                                 "more than a signal can hold (268435456)"});
}
