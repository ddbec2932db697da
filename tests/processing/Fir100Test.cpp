#include "Kalvio.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Kalvio;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTapSum = 0.99745112;

KVSignal TenKilohertz(int nfp, int nlp, const std::function<double(double)>& f) { return UniformSignal(nfp, nlp, 0.0001f, f); }

} // namespace

TEST(FIR100, ConstantWithoutBiasRemovalScaledByTapSum)
{
    KVSignal s = TenKilohertz(-1000, 9000, [](double) { return 4.0; });
    ASSERT_TRUE(FIR100(s, false, nullptr));
    ASSERT_GT(s.PointCount(), 0u);
    for (size_t i = 0; i < s.PointCount(); ++i)
        ASSERT_NEAR(s.Y()[i], 4.0 * kTapSum, 4e-6) << i;
}

TEST(FIR100, NewGridAndHeader)
{
    KVSignal s = TenKilohertz(-1000, 9000, [](double t) { return std::sin(2 * kPi * 20 * t); });
    KVErrorList e;
    ASSERT_TRUE(FIR100(s, false, &e));
    EXPECT_EQ(e.ErrorCount(), 0);
    EXPECT_EQ(s.Nfp(), -160);
    EXPECT_EQ(s.Nlp(), 1440);
    ASSERT_EQ(s.PointCount(), 1601u);
    for (size_t i = 0; i < s.PointCount(); ++i)
        ASSERT_EQ(s.X()[i], float(int(i) - 160) * 0.000625f) << i; // as a "Y" file reloads them
    EXPECT_EQ(s.Del(), 0.000625f);
    EXPECT_EQ(s.FilterClass(), 1003);
    EXPECT_EQ(s.CutOffFrequency(), 100.0f);
    EXPECT_EQ(s.StoppingFrequency(), 189.0f);
    EXPECT_EQ(s.Status(), "FIR100 FILTERED");
    // A 20 Hz tone lies in the pass band of both filters: its crest at 0.5125 s stays.
    EXPECT_NEAR(s.Y()[160 + 820], 1.0, 0.03);
}

TEST(FIR100, SymmetricPulseStaysSymmetric)
{
    // The pre-filter runs forward and backward and the taps are symmetric, so
    // a pulse even about t = 0 comes back even about t = h/2 (the 50 taps
    // centre each output half a step early): y[80 + k] = y[81 - k]. A one-way
    // pre-filter would delay or advance it by about 0.75 ms.
    KVSignal s = TenKilohertz(-500, 500, [](double t) { return 50.0 * std::exp(-0.5 * std::pow(t / 0.002, 2)); });
    ASSERT_TRUE(FIR100(s, false, nullptr));
    ASSERT_EQ(s.Nfp(), -80);
    ASSERT_EQ(s.Nlp(), 80);
    const float* y = s.Y();
    EXPECT_NEAR(std::max_element(y, y + 161) - y, 80.5, 0.5);
    EXPECT_GT(y[80], 20.0f);
    for (int k = 1; k <= 80; ++k)
        ASSERT_NEAR(y[80 + k], y[81 - k], 1e-4) << k;
}

TEST(FIR100, SecondCallReportsAndKeepsSamples)
{
    KVSignal s = TenKilohertz(-100, 900, [](double t) { return std::cos(60 * t); });
    ASSERT_TRUE(FIR100(s, true, nullptr));
    const KVSignal once = s;
    KVErrorList e;
    ASSERT_TRUE(FIR100(s, true, &e));
    EXPECT_EQ(Lines(e), std::vector<std::string>{"Kalvio::FIR100 - Signal was previously filterd with FIR100"});
    EXPECT_TRUE(SameSignal(s, once));
}

TEST(FIR100, NeedsConstantStep)
{
    KVSignal s = TenKilohertz(0, 100, [](double) { return 1.0; });
    s.SetDel(0.0f);
    const KVSignal before = s;
    KVErrorList e;
    EXPECT_FALSE(FIR100(s, true, &e));
    // Regression: the 99999 marker was taken as a step and sized a buffer of n * 99999 * 1600 values.
    s.SetDel(KV_NO_VALUE);
    EXPECT_FALSE(FIR100(s, true, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{"Kalvio::FIR100 - Signal must have constant time interval",
                                                  "Kalvio::FIR100 - Signal must have constant time interval"}));
    s.SetDel(0.0f);
    EXPECT_TRUE(SameSignal(s, before));
}

TEST(FIR100, NonStandardSpanWarnsOnlyWithAList)
{
    KVSignal s = TenKilohertz(100, 2000, [](double) { return 2.0; });
    s.SetXUnits("SECONDS ");
    s.SetXType("TIMES");
    KVErrorList e;
    ASSERT_TRUE(FIR100(s, false, &e));
    EXPECT_EQ(Lines(e), std::vector<std::string>{"Kalvio::FIR100 - NonStandard X-Axis Span"});
    EXPECT_EQ(s.Nfp(), 16);

    KVSignal t = TenKilohertz(0, 2000, [](double) { return 2.0; });
    t.SetXUnits("MILLISECONDS");
    t.SetXType("ANGLE");
    KVErrorList f;
    ASSERT_TRUE(FIR100(t, false, &f));
    EXPECT_EQ(Lines(f), (std::vector<std::string>{"Kalvio::FIR100 - RVF must have X Type TIME",
                                                  "Kalvio::FIR100 - RVF xUnits not SECONDS"}));
}

TEST(FIR100, OverlapWarningOnlyWithAList)
{
    auto make = [] {
        KVSignal s = TenKilohertz(-100, 2000, [](double) { return 1.0; });
        s.SetPreFilterFrequency(300.0f);
        s.SetStoppingFrequency(750.0f);
        return s;
    };
    KVSignal s = make();
    KVErrorList e;
    ASSERT_TRUE(FIR100(s, true, &e));
    EXPECT_EQ(Lines(e),
              std::vector<std::string>{"Kalvio::FIR100 - Filter causes overlap distortion with previous filtering"});
    EXPECT_EQ(s.Status(), "DISTORTED");
    KVSignal quiet = make();
    ASSERT_TRUE(FIR100(quiet, true, nullptr));
    EXPECT_EQ(quiet.Status(), "FIR100 FILTERED");
}

TEST(FIR100, BiasRemoved)
{
    // 3.0 offset before an event at 0.05 s.
    KVSignal s = TenKilohertz(-1000, 2000, [](double t) {
        return 3.0 + (t > 0.05 && t < 0.1 ? 50 * std::sin(kPi * (t - 0.05) / 0.05) : 0.0);
    });
    ASSERT_TRUE(FIR100(s, true, nullptr));
    EXPECT_NEAR(s.Y()[80], 0.0f, 1e-3);
    KVSignal kept = TenKilohertz(-1000, 2000, [](double) { return 3.0; });
    ASSERT_TRUE(FIR100(kept, false, nullptr));
    EXPECT_NEAR(kept.Y()[80], 3.0 * kTapSum, 1e-5);
}

TEST(FIR100, PeakAtTheFirstSampleSkipsBiasRemoval)
{
    // No pre-event samples to take a bias from: filtered, the offset kept.
    KVSignal s = TenKilohertz(0, 3000, [](double t) { return 2.0 + 40.0 * std::exp(-t / 0.01); });
    ASSERT_TRUE(FIR100(s, true, nullptr));
    EXPECT_NEAR(s.Y()[s.PointCount() - 1], 2.0 * kTapSum, 0.05);
}

TEST(FIR100, FailuresLeaveSignalUnchanged)
{
    // Regression: the core filtered the signal in place before a later failure.
    KVSignal shortSpan = TenKilohertz(1, 3, [](double t) { return 1000 * t; });
    const KVSignal before = shortSpan;
    KVErrorList e;
    EXPECT_FALSE(FIR100(shortSpan, true, &e));
    EXPECT_EQ(e.ErrorCount(), 2); // NonStandard X-Axis Span, then the failure
    EXPECT_TRUE(SameSignal(shortSpan, before));

    // Regression: 500 samples/s made the 300 Hz pre-filter unstable instead of failing.
    KVSignal coarse = UniformSignal(-10, 100, 0.002f, [](double t) { return t; });
    const KVSignal coarseBefore = coarse;
    KVErrorList c;
    EXPECT_FALSE(FIR100(coarse, true, &c));
    EXPECT_EQ(Lines(c), std::vector<std::string>{"Kalvio::FIR100 - Sample rate too low for the 300 Hz pre-filter"});
    EXPECT_TRUE(SameSignal(coarse, coarseBefore));
    EXPECT_FALSE(FIR100(coarse, true, nullptr));
}

TEST(FIRStage, ShortRecordsAndRate)
{
    // Regression: fewer than 25 samples made the reflection read before the array.
    std::vector<float> x(10, 2.0f);
    std::vector<double> w(x.size() + 50);
    ASSERT_TRUE(FIRStage(x.data(), w.data(), x.size(), 0.000625f));
    for (float v : x)
        EXPECT_NEAR(v, 2.0 * kTapSum, 1e-6);
    float one = 5.0f;
    double w1[51];
    ASSERT_TRUE(FIRStage(&one, w1, 1, 0.000625f));
    EXPECT_NEAR(one, 5.0 * kTapSum, 1e-5);
    EXPECT_FALSE(FIRStage(x.data(), w.data(), x.size(), 0.006f)); // Nyquist below 100 Hz
    EXPECT_FALSE(FIRStage(x.data(), w.data(), 0, 0.000625f));
}

TEST(ButterworthDesign, PassFrequencyHalvedByTwoPasses)
{
    // -40 dB at sqrt(10) x 300 Hz: order 4, halved for the two passes; each
    // pass is -3 dB at 300 Hz, so the pair gives 0.5 there.
    for (double f : {30.0, 300.0, 600.0}) {
        KVSignal s = TenKilohertz(0, 19999, [f](double t) { return std::sin(2 * kPi * f * t); });
        ASSERT_TRUE(ButterworthDesign(s.Y(), 0.0001f, s.PointCount(), 300.0, -40.0, 3, std::sqrt(10.0) * 300.0));
        double a = 0, b = 0;
        for (size_t i = 5000; i < 15000; ++i) {
            a += s.Y()[i] * std::sin(2 * kPi * f * s.X()[i]);
            b += s.Y()[i] * std::cos(2 * kPi * f * s.X()[i]);
        }
        const double gain = 2.0 / 10000 * std::hypot(a, b);
        const double r = std::tan(kPi * f * 0.0001) / std::tan(kPi * 300 * 0.0001);
        EXPECT_NEAR(gain, 1 / (1 + std::pow(r, 4)), 2e-3) << f;
    }
    float x[4] = {1, 2, 3, 4};
    EXPECT_FALSE(ButterworthDesign(x, 0.0001f, 4, 300.0, 40.0, 3, 900.0));
    EXPECT_EQ(x[3], 4.0f);
}

TEST(ButterworthDesign, HigherOrdersKeepAConstant)
{
    // Order 12 (4+4+4) forward only: DC gain 1 for every section.
    std::vector<float> x(2000, 3.0f);
    ASSERT_TRUE(ButterworthDesign(x.data(), 0.0001f, x.size(), 200.0, -120.0, 1, 200.0 * 3.3));
    for (float v : x)
        ASSERT_NEAR(v, 3.0f, 1e-4);
}
