#include "Bric.h"
#include "Olc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Criteria;

namespace {

constexpr double kG = 9.80665;
constexpr double kDt = 0.00001;

// A vehicle decelerating at d (m/s^2) from v0 until it stops, then at rest; in g.
std::vector<double> Braking(double d, double v0, double end)
{
    std::vector<double> a;
    const double stop = v0 / d;
    for (size_t i = 0; double(i) * kDt <= end; ++i) {
        const double t = double(i) * kDt;
        // The sample straddling the stop holds the mean so that the velocity ends at 0.
        const double share = std::clamp((stop - (t - kDt / 2)) / kDt, 0.0, 1.0);
        a.push_back(-d * share / kG);
    }
    return a;
}

TEST(Olc, ConstantDecelerationWithoutStopping)
{
    // Free flight: d t1^2 / 2 = 0.065. Catching up at t2 with v_occ = v(t2)
    // and 0.3 m moved: OLC (t2 - t1) = d t2 and d t1 (t2 - t1) / 2 = 0.235,
    // so OLC = d (d t1^2 + 0.47) / 0.47 = d * 60 / 47 whatever v0.
    const double d = 20 * kG;
    const double t1 = std::sqrt(0.13 / d);
    const double t2 = t1 + 0.47 / (d * t1);
    const OlcResult r = ComputeOlc(Braking(d, 30, 0.2), kDt, 30);
    ASSERT_TRUE(r.found) << r.problem;
    EXPECT_NEAR(r.value, 20.0 * 60 / 47, 1e-4);
    EXPECT_NEAR(r.t1, t1, 1e-6);
    EXPECT_NEAR(r.t2, t2, 1e-6);
    EXPECT_FALSE(r.reversed);
    EXPECT_NEAR(r.history.back(), 300.0, 0.01); // mm at t2
    // A deceleration stored as positive gives the same.
    std::vector<double> positive = Braking(d, 30, 0.2);
    for (double& v : positive)
        v = -v;
    const OlcResult flipped = ComputeOlc(positive, kDt, 30);
    EXPECT_TRUE(flipped.reversed);
    EXPECT_DOUBLE_EQ(flipped.value, r.value);
}

TEST(Olc, VehicleStopsBeforeTheOccupantCatchesUp)
{
    // The vehicle rests after V / d, having moved V^2 / (2 d); the occupant
    // then stops within 0.3 m of it: V t1 + V^2 / (2 OLC) - V^2 / (2 d) = 0.3.
    const double d = 20 * kG;
    const double v = 10;
    const double t1 = std::sqrt(0.13 / d); // before the stop at 51 ms
    const double olc = v * v / (2 * (0.3 + v * v / (2 * d) - v * t1));
    const OlcResult r = ComputeOlc(Braking(d, v, 0.2), kDt, v);
    ASSERT_TRUE(r.found) << r.problem;
    EXPECT_NEAR(r.value, olc / kG, 1e-4);
    EXPECT_NEAR(r.t2, t1 + v / olc, 1e-6);

    // Stopped even before the free flight ends: V t1 - V^2 / (2 d) = 0.065 and
    // the occupant sheds V over the last 0.235 m: OLC = V^2 / 0.47.
    const double slow = 2;
    const OlcResult s = ComputeOlc(Braking(d, slow, 0.3), kDt, slow);
    ASSERT_TRUE(s.found) << s.problem;
    EXPECT_NEAR(s.t1, (0.065 + slow * slow / (2 * d)) / slow, 1e-6);
    EXPECT_NEAR(s.value, slow * slow / 0.47 / kG, 1e-4);
}

TEST(Olc, RecordsTooShortOrWithoutVelocityAreRefused)
{
    EXPECT_NE(ComputeOlc(Braking(20 * kG, 30, 0.02), kDt, 30).problem.find("65 mm"), std::string::npos);
    EXPECT_NE(ComputeOlc(Braking(20 * kG, 30, 0.05), kDt, 30).problem.find("300 mm"), std::string::npos);
    EXPECT_FALSE(ComputeOlc(Braking(20 * kG, 30, 0.2), kDt, 0).found);
}

TEST(Bric, PeaksOverCriticalValuesAddAsAVector)
{
    const BricCritical male50 = *FindDummy("h3-50m")->bric;
    EXPECT_DOUBLE_EQ(ComputeBric({0, -66.25}, {0, 0}, {0, 0}, male50).value, 1.0);
    // 0.6 and 0.8 of the critical values at different instants: 1.0; Z counts by magnitude.
    const BricResult r = ComputeBric({0.6 * 66.25, 0, 0}, {0, -0.8 * 56.45, 0}, {0, 0, -42.87}, male50);
    EXPECT_NEAR(r.value, std::sqrt(2.0), 1e-12);
    EXPECT_EQ(r.peaks[1].at, 1u);
    EXPECT_DOUBLE_EQ(r.peaks[2].value, 42.87);
}

} // namespace
