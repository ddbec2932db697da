// The ISO/TS 18571 rating: closed forms of each score, the warping against a
// full-matrix warping, and every input that is refused.
#include "CurveRating.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace Kalvio;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A half-sine pulse of height 50 from 0.02 s to 0.06 s on a 0.1 s record.
double Pulse(double t)
{
    return t > 0.02 && t < 0.06 ? 50.0 * std::sin(kPi * (t - 0.02) / 0.04) : 0.0;
}

KVSignal PulseSignal(float del, double delay = 0.0, double gain = 1.0, double offset = 0.0)
{
    KVSignal s = UniformSignal(0, static_cast<int>(std::lround(0.1 / del)), del,
                               [&](double t) { return gain * Pulse(t - delay) + offset; });
    s.SetYUnits("G");
    return s;
}

CurveRating Rate(const KVSignal& ref, const KVSignal& comp, const RatingInterval& iv = {})
{
    CurveRating r;
    KVErrorList errors;
    EXPECT_TRUE(RateSignals(ref, comp, iv, r, &errors)) << (Lines(errors).empty() ? "" : Lines(errors)[0]);
    return r;
}

std::string Refusal(const KVSignal& ref, const KVSignal& comp, const RatingInterval& iv = {})
{
    CurveRating r;
    KVErrorList errors;
    EXPECT_FALSE(RateSignals(ref, comp, iv, r, &errors));
    const std::vector<std::string> lines = Lines(errors);
    return lines.size() == 1 ? lines[0] : "(" + std::to_string(lines.size()) + " messages)";
}

// The warped magnitude error by the full cost matrix and a walk back from the
// last pair, the same tie order (diagonal, along the reference, along the
// comparison).
double FullMatrixMagnitudeError(const std::vector<double>& a, const std::vector<double>& b, long band)
{
    const long n = static_cast<long>(a.size());
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> D(n, std::vector<double>(n, inf));
    auto at = [&](long i, long j) { return i < 0 || j < 0 ? inf : D[i][j]; };
    for (long i = 0; i < n; ++i)
        for (long j = std::max(0L, i - band); j <= std::min(n - 1, i + band); ++j) {
            const double c = (a[i] - b[j]) * (a[i] - b[j]);
            D[i][j] = i == 0 && j == 0 ? c : c + std::min({at(i - 1, j - 1), at(i - 1, j), at(i, j - 1)});
        }
    double num = 0, den = 0;
    long i = n - 1, j = n - 1;
    for (;;) {
        num += std::fabs(a[i] - b[j]);
        den += std::fabs(a[i]);
        if (i == 0 && j == 0)
            break;
        const double d = at(i - 1, j - 1), u = at(i - 1, j), l = at(i, j - 1);
        if (d <= u && d <= l)
            --i, --j;
        else if (u <= l)
            --i;
        else
            --j;
    }
    return num / den;
}

} // namespace

TEST(CurveRating, IdenticalCurvesScoreOneEverywhere)
{
    const KVSignal ref = PulseSignal(1e-4f);
    const CurveRating r = Rate(ref, ref);
    EXPECT_EQ(r.rating, 1.0);
    EXPECT_EQ(r.corridor, 1.0);
    EXPECT_EQ(r.phase, 1.0);
    EXPECT_EQ(r.magnitude, 1.0);
    EXPECT_EQ(r.slope, 1.0);
    EXPECT_EQ(r.shiftSamples, 0);
    EXPECT_FALSE(r.resampled);
    EXPECT_EQ(r.samples, 1001u);
    EXPECT_NEAR(r.innerWidth, 2.5, 1e-5);
    EXPECT_NEAR(r.outerWidth, 25.0, 1e-4);
}

// Regression: a million samples were rated for a quarter of an hour without
// a limit; more shared samples than the limit are refused with the way out.
TEST(CurveRating, MoreSharedSamplesThanTheLimitAreRefused)
{
    const KVSignal ref = PulseSignal(1e-4f); // 1,001 samples
    CurveRating r;
    KVErrorList e;
    RatingInterval interval;
    interval.maxSamples = 1001;
    EXPECT_TRUE(RateSignals(ref, ref, interval, r, &e));
    interval.maxSamples = 1000;
    EXPECT_FALSE(RateSignals(ref, ref, interval, r, &e));
    ASSERT_EQ(e.ErrorCount(), 1);
    EXPECT_NE(e.ErrorMessage(0).find("they share 1001 samples, more than 1000"), std::string::npos)
        << e.ErrorMessage(0);
}

TEST(CurveRating, PureShiftLowersOnlyPhaseAndCorridor)
{
    const KVSignal ref = PulseSignal(1e-4f);
    for (const double delay : {0.005, -0.008}) {
        const CurveRating r = Rate(ref, PulseSignal(1e-4f, delay));
        const long long samples = std::llround(delay / 1e-4);
        EXPECT_EQ(r.shiftSamples, samples) << delay;
        EXPECT_NEAR(r.shift, delay, 1e-9);
        EXPECT_DOUBLE_EQ(r.phase, 1.0 - (std::fabs(double(samples)) / 1001.0) / 0.2);
        // The sample times are float: the shifted samples agree to their rounding.
        EXPECT_NEAR(r.magnitude, 1.0, 1e-5);
        EXPECT_NEAR(r.slope, 1.0, 1e-5);
        EXPECT_LT(r.corridor, 0.9);
        EXPECT_NEAR(r.rating, 0.4 * r.corridor + 0.2 * (r.phase + 2.0), 1e-5);
    }
}

TEST(CurveRating, OffsetInsideTheInnerCorridorKeepsTheCorridorScore)
{
    const KVSignal ref = PulseSignal(1e-4f);
    const CurveRating inside = Rate(ref, PulseSignal(1e-4f, 0.0, 1.0, 2.4)); // inner half-width 2.5
    EXPECT_EQ(inside.corridor, 1.0);
    EXPECT_EQ(inside.phase, 1.0);
    EXPECT_LT(inside.magnitude, 1.0);
    // Midway between the corridors every sample scores ((0.5 - 0.275) / 0.45)^2 = 1/4.
    const CurveRating between = Rate(ref, PulseSignal(1e-4f, 0.0, 1.0, 0.275 * 50.0));
    EXPECT_NEAR(between.corridor, 0.25, 1e-6);
    // Beyond the outer corridor nothing scores.
    EXPECT_EQ(Rate(ref, PulseSignal(1e-4f, 0.0, 1.0, 26.0)).corridor, 0.0);
}

TEST(CurveRating, ScaledCurveSlopeErrorIsTheScaleMinusOne)
{
    const CurveRating r = Rate(PulseSignal(1e-4f), PulseSignal(1e-4f, 0.0, 1.5));
    EXPECT_EQ(r.shiftSamples, 0);
    EXPECT_NEAR(r.slope, 1.0 - 0.5 / 2.0, 1e-6);
}

TEST(CurveRating, PublishedWorkedExampleOfAScaledSine)
{
    // Reference sin(20 t), comparison 1.3 sin(20 t), t = 0 ... 0.1499 s at
    // 0.1 ms: R = 0.713, as the public test suite of an open ISO-MME library
    // asserts it (tests/test_correlation.py).
    std::vector<float> t(1500), c(1500);
    for (std::size_t i = 0; i < t.size(); ++i) {
        t[i] = static_cast<float>(std::sin(20.0 * 1e-4 * double(i)));
        c[i] = 1.3f * t[i];
    }
    CurveRating r;
    std::string why;
    ASSERT_TRUE(RateSamples(t.data(), c.data(), t.size(), r, why)) << why;
    EXPECT_EQ(std::lround(r.rating * 1000), 713);
}

TEST(CurveRating, ATieInTheShiftSearchKeepsTheSmallerShift)
{
    // A curve of whole periods correlates exactly 1 with itself at every
    // shift of whole periods (integers: every sum is exact); only shift 0 may win.
    const float period[] = {-2, -1, 0, 1, 2, 2, 1, 0, -1, -2};
    std::vector<float> y(1000);
    for (std::size_t i = 0; i < y.size(); ++i)
        y[i] = period[i % 10];
    CurveRating r;
    std::string why;
    ASSERT_TRUE(RateSamples(y.data(), y.data(), y.size(), r, why)) << why;
    EXPECT_EQ(r.shiftSamples, 0);
    EXPECT_EQ(r.phase, 1.0);
}

TEST(CurveRating, SlopesAreSmoothedOverNinePoints)
{
    // A single sample raised by a on a flat stretch adds +a/2h and -a/2h to
    // the derivative two samples apart; a centred mean of w points spreads
    // each over w samples, of which 2 do not cancel: the slope error sums to
    // 2a / (w h) against the pulse's derivative sum of 100 / h.
    const KVSignal ref = PulseSignal(1e-4f);
    KVSignal comp = PulseSignal(1e-4f);
    comp.Y()[800] += 45.0f;
    EXPECT_NEAR(Rate(ref, comp).slope, 1.0 - (2.0 * 45.0 / 9.0 / 100.0) / 2.0, 2e-3);
}

TEST(CurveRating, WarpingMatchesTheFullMatrix)
{
    // Shapes that warp: a pulse against a narrower, taller one with a ripple.
    const std::size_t n = 301;
    std::vector<float> a(n), b(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = double(i) / double(n - 1);
        a[i] = static_cast<float>(std::exp(-std::pow((t - 0.5) / 0.15, 2)));
        b[i] = static_cast<float>(1.3 * std::exp(-std::pow((t - 0.5) / 0.1, 2)) + 0.05 * std::sin(40 * t));
    }
    CurveRating r;
    std::string why;
    ASSERT_TRUE(RateSamples(a.data(), b.data(), n, r, why)) << why;
    ASSERT_EQ(r.shiftSamples, 0);
    const double error = FullMatrixMagnitudeError({a.begin(), a.end()}, {b.begin(), b.end()}, 30);
    EXPECT_NEAR(r.magnitude, std::max(0.0, 1.0 - error / 0.5), 1e-12);
    EXPECT_GT(r.magnitude, 0.0);
}

TEST(CurveRating, ComparisonOnAnotherStepIsResampledOntoTheReferenceGrid)
{
    const KVSignal ref = PulseSignal(1e-4f);
    const CurveRating r = Rate(ref, PulseSignal(5e-5f));
    EXPECT_TRUE(r.resampled);
    EXPECT_EQ(r.samples, 1001u);
    EXPECT_EQ(r.rating, 1.0); // every second sample lies on the reference's grid
    // An interval in the signals' time unit.
    RatingInterval iv;
    iv.from = 0.01;
    iv.to = 0.07;
    const CurveRating part = Rate(ref, PulseSignal(5e-5f), iv);
    EXPECT_EQ(part.samples, 601u);
    EXPECT_NEAR(part.from, 0.01, 1e-7);
    EXPECT_NEAR(part.to, 0.07, 1e-7);
}

TEST(CurveRating, RefusedInputsNameTheCause)
{
    const KVSignal ref = PulseSignal(1e-4f);
    RatingInterval narrow;
    narrow.from = 0.03;
    narrow.to = 0.0308;
    EXPECT_NE(Refusal(ref, ref, narrow).find("share 9 samples in the interval; a rating needs at least 10"),
              std::string::npos);
    KVSignal late = UniformSignal(995, 2000, 1e-4f, Pulse);
    late.SetYUnits("G");
    EXPECT_NE(Refusal(ref, late).find("share 6 samples"), std::string::npos);

    EXPECT_NE(Refusal(PulseSignal(1e-4f, 0.0, 0.0), ref).find("the reference is zero everywhere"), std::string::npos);

    KVSignal bad = PulseSignal(1e-4f);
    bad.Y()[300] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_NE(Refusal(ref, bad).find("has a sample that is not a finite number at 0.03"), std::string::npos);
    EXPECT_NE(Refusal(bad, ref).find("has a sample that is not a finite number"), std::string::npos);

    KVSignal force = PulseSignal(1e-4f);
    force.SetYUnits("N");
    EXPECT_NE(Refusal(ref, force).find("their Y units differ (\"N\" and \"G\")"), std::string::npos);

    EXPECT_NE(Refusal(ref, PulseSignal(1e-4f, 0.0, 0.0, 3.0)).find("constant"), std::string::npos);

    KVSignal uneven = XYSignal({0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11}, std::vector<float>(11, 1.0f));
    uneven.SetYUnits("G");
    EXPECT_NE(Refusal(ref, uneven).find("needs a constant time step"), std::string::npos);
}
