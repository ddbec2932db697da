#include "Kalvio.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Kalvio;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Amplitude of the component at frequency f over whole periods of samples [from, to).
double Amplitude(const KVSignal& s, double f, size_t from, size_t to)
{
    double a = 0, b = 0;
    for (size_t i = from; i < to; ++i) {
        const double w = 2 * kPi * f * s.X()[i];
        a += s.Y()[i] * std::sin(w);
        b += s.Y()[i] * std::cos(w);
    }
    return 2.0 / double(to - from) * std::hypot(a, b);
}

// Gain of the forward-backward section: |H|^2 of the prewarped two-pole design.
double DesignGain(double f, double F, double dt)
{
    const double r = std::tan(kPi * f * dt) / std::tan(kPi * 1.2465 * F * dt);
    return 1.0 / (1.0 + std::pow(r, 4));
}

KVSignal Sine(double f) { return UniformSignal(0, 19999, 0.0001f, [f](double t) { return std::sin(2 * kPi * f * t); }); }

} // namespace

TEST(BWfilt, GainAtDcAndAroundTheCorner)
{
    // CFC 60: corner 100 Hz, about -3 dB there; J211 gain is 1 at DC.
    for (double f : {10.0, 50.0, 100.0, 160.0, 300.0}) {
        KVSignal s = Sine(f);
        ASSERT_TRUE(BWfilt(s, 60, nullptr));
        const double gain = Amplitude(s, f, 5000, 15000);
        EXPECT_NEAR(gain, DesignGain(f, 100.0, 0.0001), 2e-3) << f << " Hz";
    }
    KVSignal corner = Sine(100.0);
    ASSERT_TRUE(BWfilt(corner, 60, nullptr));
    EXPECT_NEAR(20 * std::log10(Amplitude(corner, 100.0, 5000, 15000)), -3.0, 0.1);
}

TEST(BWfilt, ConstantUnchangedEndsIncluded)
{
    KVSignal s = UniformSignal(-100, 899, 0.0001f, [](double) { return 7.25; });
    ASSERT_TRUE(BWfilt(s, 180, nullptr));
    for (size_t i = 0; i < s.PointCount(); ++i)
        ASSERT_NEAR(s.Y()[i], 7.25f, 1e-5) << i;
}

TEST(BWfilt, RampKeepsSlopeAtBothEnds)
{
    KVSignal s = UniformSignal(0, 999, 0.0001f, [](double t) { return 1.0 + 200.0 * t; });
    const KVSignal before = s;
    ASSERT_TRUE(BWfilt(s, 60, nullptr));
    const size_t n = s.PointCount();
    const double step = 200.0 * 0.0001;
    EXPECT_NEAR(s.Y()[1] - s.Y()[0], step, step * 0.01);
    EXPECT_NEAR(s.Y()[n - 1] - s.Y()[n - 2], step, step * 0.01);
    // The ends stay on the line within a tenth of one step.
    EXPECT_NEAR(s.Y()[0], before.Y()[0], step * 0.1);
    EXPECT_NEAR(s.Y()[n - 1], before.Y()[n - 1], step * 0.1);
}

TEST(BWfilt, SameClassTwiceChangesNothing)
{
    KVSignal s = Sine(150.0);
    ASSERT_TRUE(BWfilt(s, 180, nullptr));
    EXPECT_EQ(s.FilterClass(), 180);
    const KVSignal once = s;
    KVErrorList e;
    ASSERT_TRUE(BWfilt(s, 180, &e));
    EXPECT_TRUE(SameSignal(s, once));
    EXPECT_TRUE(FilterClassKeeps(s, 180));
    // A narrower class filters again.
    ASSERT_TRUE(BWfilt(s, 60, &e));
    EXPECT_EQ(s.FilterClass(), 60);
    EXPECT_NE(YOf(s), YOf(once));
    EXPECT_EQ(e.ErrorCount(), 0);
}

// Regression: CFC 1000 on a channel filtered at CFC 180 relabelled it as class
// 1000 (cut-off 1666.7 Hz), a bandwidth its data no longer has.
TEST(BWfilt, AWiderClassThanTheRecordedOneIsRefused)
{
    KVSignal s = Sine(150.0);
    s.Header().SourceName = "chest.rvf";
    ASSERT_TRUE(BWfilt(s, 180, nullptr));
    EXPECT_EQ(FilteredClass(s), 180);
    const KVSignal at180 = s;
    for (const int wider : {600, 1000}) {
        KVErrorList e;
        EXPECT_FALSE(BWfilt(s, wider, &e)) << wider;
        EXPECT_TRUE(SameSignal(s, at180)) << wider;
        ASSERT_EQ(e.ErrorCount(), 1);
        EXPECT_EQ(e.Errors()[0].Message(), "chest.rvf is filtered at CFC 180; CFC " + std::to_string(wider) +
                                               " cannot restore what is gone");
    }
    // Without a recorded cut-off nothing is known to be gone: the class is applied.
    KVSignal raw = Sine(150.0);
    EXPECT_EQ(FilteredClass(raw), 0);
    EXPECT_TRUE(BWfilt(raw, 1000, nullptr));
}

TEST(BWfilt, UpdatesHeader)
{
    KVSignal s = Sine(20.0);
    s.SetHic(500);
    s.SetHicInterval(36);
    s.SetClip3ms(40);
    s.SetClip3msT1(0.01f);
    s.SetCsi(3);
    s.SetAis("2");
    ASSERT_TRUE(BWfilt(s, 120.0, nullptr));
    EXPECT_EQ(s.Hic(), 0.0f);
    EXPECT_EQ(s.HicInterval(), 0);
    EXPECT_EQ(s.Clip3ms(), 0.0f);
    EXPECT_EQ(s.Csi(), 0.0f);
    EXPECT_EQ(s.Clip3msT1(), 0.01f);
    EXPECT_EQ(s.Ais(), "2");
    EXPECT_EQ(s.CutOffFrequency(), 120.0f);
    EXPECT_EQ(s.StoppingFrequency(), 300.0f);
    EXPECT_EQ(s.FilterClass(), 1000); // 72 fits no class
    EXPECT_EQ(s.Status(), "FILTERED");

    KVSignal c = Sine(20.0);
    c.SetFilterClass(180);
    ASSERT_TRUE(BWfilt(c, 1000, nullptr));
    EXPECT_NEAR(c.CutOffFrequency(), 1666.6667f, 1e-3);
    EXPECT_EQ(c.FilterClass(), 1000);
}

TEST(BWfilt, CornerAboveLimitLeavesSamplesButMarksHeader)
{
    KVSignal s = UniformSignal(0, 399, 0.00025f, [](double t) { return std::sin(300 * t); });
    const std::vector<float> y = YOf(s);
    s.SetFilterClass(60);
    ASSERT_TRUE(BWfilt(s, 1000, nullptr));
    EXPECT_EQ(YOf(s), y);
    EXPECT_EQ(s.Status(), "FILTERED");
    EXPECT_EQ(s.FilterClass(), 1000);
}

TEST(BWfilt, OverlapWarning)
{
    KVSignal s = Sine(20.0);
    s.SetPreFilterFrequency(800.0f);
    KVErrorList e;
    ASSERT_TRUE(BWfilt(s, 180, &e));
    EXPECT_EQ(Lines(e), std::vector<std::string>{
                            "Kalvio::BWfilt - WARNING - Filter causes overlap distortion with previous filtering"});
    EXPECT_EQ(s.Status(), "DISTORTED");

    KVSignal quiet = Sine(20.0);
    quiet.SetPreFilterFrequency(800.0f);
    ASSERT_TRUE(BWfilt(quiet, 180, nullptr));
    EXPECT_EQ(quiet.Status(), "DISTORTED");

    KVSignal ok = Sine(20.0);
    ok.SetPreFilterFrequency(1500.0f);
    KVErrorList none;
    KVSignal wide = ok;
    ASSERT_TRUE(BWfilt(ok, 180, &none));
    ASSERT_TRUE(BWfilt(wide, 600, &none));
    KVSignal widest = Sine(20.0);
    widest.SetPreFilterFrequency(10.0f);
    ASSERT_TRUE(BWfilt(widest, 1000, &none));
    EXPECT_EQ(none.ErrorCount(), 0);
    EXPECT_EQ(ok.Status(), "FILTERED");
    EXPECT_EQ(widest.Status(), "FILTERED");
}

TEST(BWfilt, FailuresLeaveSignalUnchanged)
{
    KVSignal s = Sine(20.0);
    const KVSignal before = s;
    KVErrorList e;
    EXPECT_FALSE(BWfilt(s, 100, &e));
    s.SetXUnits("MILLISECONDS");
    EXPECT_FALSE(BWfilt(s, 60, &e));
    s.SetXUnits("SECONDS");
    s.SetXType("DISPLACEMENT");
    EXPECT_FALSE(BWfilt(s, 60, &e));
    s.SetXType("TIME");
    EXPECT_FALSE(BWfilt(s, -5.0, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{
                            "Kalvio::BWfilt - Frequency Channel Class is not specified in SAE J211",
                            "Kalvio::BWfilt - Time must be in seconds",
                            "Kalvio::BWfilt - Data must have X Type TIME",
                            "Kalvio::BWfilt - Error Filtering Data",
                        }));
    EXPECT_TRUE(SameSignal(s, before));
}

TEST(BWfilt, MarkerStepIsNotASampleRate)
{
    // Regression: Del 99999 passed as a step, the data stayed and were marked FILTERED.
    KVSignal s = XYSignal({0, 0.001f, 0.002f, 0.004f}, {1, 2, 3, 4});
    const KVSignal before = s;
    KVErrorList e;
    EXPECT_FALSE(BWfilt(s, 60, &e));
    s.Header().SourceName = "uneven.rvf";
    EXPECT_FALSE(BWfilt(s, 60, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{
                            "Kalvio::BWfilt - Error Filtering Data: the signal of test 0 curve 0 needs a constant time step",
                            "Kalvio::BWfilt - Error Filtering Data: uneven.rvf needs a constant time step"}));
    EXPECT_TRUE(SameSignal(s, before));
}

TEST(BWfilt, AClassCountsAsAppliedOnlyWhenTheHeaderRecordsIt)
{
    // Regression: a text file's default class 1000 made CFC 1000 succeed unfiltered.
    KVSignal text = Sine(1000.0);
    ASSERT_EQ(text.FilterClass(), 1000);
    const KVSignal before = text;
    ASSERT_TRUE(BWfilt(text, 1000, nullptr));
    EXPECT_NE(YOf(text), YOf(before));
    EXPECT_FLOAT_EQ(text.CutOffFrequency(), 1666.66667f);
    // A header that records a class by its cut-off or, without one, its
    // pre-filter frequency is left alone at that class.
    for (const auto& [cutOff, preFilter] : {std::pair{1666.67f, 0.0f}, std::pair{0.0f, 1650.0f}}) {
        KVSignal recorded = Sine(1000.0);
        recorded.SetCutOffFrequency(cutOff);
        recorded.SetPreFilterFrequency(preFilter);
        ASSERT_TRUE(BWfilt(recorded, 1000, nullptr));
        EXPECT_EQ(YOf(recorded), YOf(before)) << cutOff;
    }
}

TEST(BWfiltCore, ShortRecordsStayInsideTheArray)
{
    // Three samples: Np = 1 and no padded steps; constant in, constant out.
    float three[3] = {2, 2, 2};
    ASSERT_TRUE(BWfiltCore(three, 3, 0.0001f, 100.0));
    for (float v : three)
        EXPECT_NEAR(v, 2.0f, 1e-6);
    // One and two samples: defined results without reading outside (checked under ASan).
    float one[1] = {3};
    ASSERT_TRUE(BWfiltCore(one, 1, 0.0001f, 100.0));
    EXPECT_EQ(one[0], 3.0f);
    float two[2] = {1, 1};
    ASSERT_TRUE(BWfiltCore(two, 2, 0.0001f, 100.0));
    EXPECT_NEAR(two[0], 1.0f, 1e-6);
    EXPECT_NEAR(two[1], 1.0f, 1e-6);
    float ramp[2] = {0, 1};
    ASSERT_TRUE(BWfiltCore(ramp, 2, 0.0001f, 100.0));
    EXPECT_TRUE(std::isfinite(ramp[0]) && std::isfinite(ramp[1]));
    EXPECT_FALSE(BWfiltCore(ramp, 0, 0.0001f, 100.0));
    EXPECT_FALSE(BWfiltCore(ramp, 2, 0.0f, 100.0));
}

TEST(BWfiltCore, CornerIsWarpedWithTheTruncatedTwoPi)
{
    // Reference values computed to 40 digits with 6.2831853 (dt = 1e-4 s, F = 100 Hz);
    // with 2 pi instead, a0 moves by 2e-9 relative, far beyond the 1e-12 allowed.
    const std::array<double, 5> c = BWfiltCoefficients(1e-4, 100.0);
    const double reference[5] = {0.0014523674703227881544, 0.0029047349406455763088, 0.0014523674703227881544,
                                 1.889343224347788789, -0.89515269422907994159};
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(c[i], reference[i], 1e-12 * std::fabs(reference[i])) << i;
}

TEST(BWfilt, IntoAnotherSignalIsTheInPlaceFilterOfACopyToTheBit)
{
    // The cases of every path: filtered, passed (corner above the limit, one
    // sample, the class it carries), refused, and values so large that the
    // in-place filter guards them.
    struct Case {
        const char* what;
        KVSignal in;
        int cfc;
    };
    KVSignal carries = Sine(30.0);
    ASSERT_TRUE(BWfilt(carries, 180, nullptr));
    KVSignal minutes = Sine(30.0);
    minutes.SetXUnits("MINUTES");
    std::vector<Case> cases;
    cases.push_back({"sine", Sine(30.0), 60});
    cases.push_back({"two samples", UniformSignal(0, 1, 0.0001f, [](double t) { return 1 + t; }), 60});
    cases.push_back({"one sample", UniformSignal(0, 0, 0.0001f, [](double) { return 2.0; }), 60});
    cases.push_back({"corner above the limit", UniformSignal(0, 99, 0.001f, [](double t) { return t; }), 1000});
    cases.push_back({"carries the class", carries, 180});
    cases.push_back({"not in seconds", minutes, 60});
    cases.push_back({"too large to filter unguarded",
                     UniformSignal(0, 199, 0.0001f, [](double t) { return t < 0.01 ? -3.3e38 : 3.3e38; }), 60});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KVSignal before = c.in;
        KVSignal inPlace = c.in;
        KVErrorList e1, e2;
        const bool ok1 = BWfilt(inPlace, c.cfc, &e1);
        KVSignal into;
        const bool ok2 = BWfilt(c.in, into, c.cfc, &e2);
        EXPECT_EQ(ok1, ok2);
        EXPECT_EQ(Lines(e1), Lines(e2));
        EXPECT_TRUE(SameSignal(into, inPlace));
        EXPECT_TRUE(SameSignal(c.in, before));
    }
    // The frequency form, with the header it records.
    const KVSignal in = Sine(30.0);
    KVSignal inPlace = in, into;
    ASSERT_TRUE(BWfilt(inPlace, 250.0, nullptr));
    ASSERT_TRUE(BWfilt(in, into, 250.0, nullptr));
    EXPECT_TRUE(SameSignal(into, inPlace));
}
