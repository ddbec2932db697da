#include "Damage.h"
#include "PeakLoads.h"
#include "ThorChest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace Criteria;

namespace {

// A unit-mass oscillator k, c = a1 k at rest, then a step of A at t = 0:
// delta = A/k [1 - e^(-zeta w t) (cos wd t + zeta w / wd sin wd t)].
double StepResponse(double a, double k, double a1, double t)
{
    const double w = std::sqrt(k);
    const double zeta = a1 * k / (2 * w);
    const double wd = w * std::sqrt(1 - zeta * zeta);
    return a / k * (1 - std::exp(-zeta * w * t) * (std::cos(wd * t) + zeta * w / wd * std::sin(wd * t)));
}

TEST(Damage, ConstantAccelerationAboutYFollowsTheDampedOscillator)
{
    // Y has no coupling: one damped oscillator whose overshoot peaks at pi / wd.
    const DamageModel m;
    const double a = 5000, dt = 1e-4;
    const std::vector<double> zero(1001, 0.0), ay(1001, a);
    const DamageResult r = ComputeDamage(zero, ay, zero, dt);
    ASSERT_TRUE(r.found);
    for (size_t i : {10u, 100u, 250u, 1000u})
        EXPECT_NEAR(r.history[i], m.beta * StepResponse(a, m.kyy, m.a1, double(i) * dt), 1e-7) << i;
    const double w = std::sqrt(m.kyy), zeta = m.a1 * m.kyy / (2 * w), wd = w * std::sqrt(1 - zeta * zeta);
    const double peak = m.beta * a / m.kyy * (1 + std::exp(-zeta * w * std::numbers::pi / wd));
    EXPECT_NEAR(r.value, peak, 1e-4 * peak);
    EXPECT_NEAR(double(r.at) * dt, std::numbers::pi / wd, dt);
    // The time given is the sample of the largest value, not a neighbour.
    EXPECT_EQ(r.history[r.at], r.value);
    EXPECT_EQ(*std::max_element(r.history.begin(), r.history.end()), r.value);
}

TEST(Damage, XAndZAreCoupledAndASymmetricModelIsNot)
{
    const std::vector<double> zero(501, 0.0), az(501, 3000.0);
    DamageModel uncoupled;
    uncoupled.kxz = 0;
    const DamageResult z = ComputeDamage(zero, zero, az, 1e-4, uncoupled);
    EXPECT_NEAR(z.history[300], uncoupled.beta * StepResponse(3000, uncoupled.kzz, uncoupled.a1, 0.03), 1e-7);
    // With the published coupling the X mass is pulled along: the length of
    // delta then exceeds the Z response alone at some time.
    const DamageResult coupled = ComputeDamage(zero, zero, az, 1e-4);
    EXPECT_NE(coupled.value, z.value);
    EXPECT_FALSE(ComputeDamage({1.0}, {1.0}, {1.0}, 1e-4).found);
}

TEST(ThorChest, RibEndsFollowLengthAndBothAngles)
{
    const double pi = std::numbers::pi;
    // At rest 200 mm straight ahead; then shortened by 40 mm; then swung
    // to the side; then tipped 30 degrees down.
    const std::vector<double> l = {200, 160, 200, 200};
    const std::vector<double> ay = {0, 0, 0, pi / 6};
    const std::vector<double> az = {0, 0, pi / 2, 0};
    const IrTraccResult r = ComputeIrTracc({&l, &ay, &az});
    ASSERT_EQ(r.resultant.size(), 4u);
    EXPECT_NEAR(r.resultant[1], 40, 1e-12);
    EXPECT_NEAR(r.x[1], 40, 1e-12);
    EXPECT_NEAR(r.resultant[2], 200 * std::sqrt(2.0), 1e-12);
    EXPECT_NEAR(r.x[2], 200, 1e-12);
    // (173.205, 0, -100) from (200, 0, 0).
    EXPECT_NEAR(r.resultant[3], std::sqrt(std::pow(200 - 100 * std::sqrt(3.0), 2) + 100 * 100), 1e-12);
    EXPECT_NEAR(r.x[3], 200 - 100 * std::sqrt(3.0), 1e-12);

    // The largest of the points decides, by resultant or by x.
    const std::vector<double> l2 = {200, 170, 170, 170}, zero(4, 0.0);
    const ThorChestResult both = ComputeThorChest({{&l2, &zero, &zero}, {&l, &ay, &az}});
    EXPECT_EQ(both.point, 1u);
    EXPECT_NEAR(both.peak.value, 200 * std::sqrt(2.0), 1e-12);
    const ThorChestResult byX = ComputeThorChest({{&l2, &zero, &zero}, {&l, &ay, &az}}, false);
    EXPECT_EQ(byX.point, 1u);
    EXPECT_EQ(byX.peak.at, 2u);
    EXPECT_FALSE(ComputeThorChest({{&l, nullptr, &az}}).peak.found);
    // All four rods count: the last one deciding is not left out.
    const ThorChestResult four = ComputeThorChest({{&l2, &zero, &zero}, {&l2, &zero, &zero}, {&l2, &zero, &zero}, {&l, &ay, &az}});
    EXPECT_EQ(four.point, 3u);
    EXPECT_NEAR(four.peak.value, 200 * std::sqrt(2.0), 1e-12);
}

TEST(PeakLoads, PeaksOfMagnitudeResultantCompressionAndRibs)
{
    const PeakResult slider = PeakMagnitude({1, -7.5, 3});
    EXPECT_EQ(slider.value, 7.5);
    EXPECT_EQ(slider.at, 1u);
    const PeakResult acetabulum = PeakResultant({3, 1}, {4, 1}, {0, 1});
    EXPECT_EQ(acetabulum.value, 5);
    EXPECT_EQ(acetabulum.at, 0u);
    EXPECT_EQ(PeakAxialCompression({500, -2000, -100}).value, 2000);
    EXPECT_FALSE(PeakAxialCompression({1, 2}).found);
    const RibPeak ribs = PeakRibCompression({{1, 20, 3}, {5, 31, 2}, {30, 0}});
    EXPECT_EQ(ribs.rib, 1u);
    EXPECT_EQ(ribs.peak.value, 31);
    EXPECT_EQ(ribs.peak.at, 1u);
}

} // namespace
