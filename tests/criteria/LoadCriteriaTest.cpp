#include "NeckCriteria.h"
#include "TibiaIndex.h"
#include "ViscousCriterion.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Criteria;

namespace {

const NijIntercepts kMale50 = *FindDummy("h3-50m")->nij;

TEST(Nij, EachInterceptAloneGivesOne)
{
    const NijResult tension = ComputeNij({0, 0}, {0, 0}, {0, 6806}, kMale50);
    EXPECT_DOUBLE_EQ(tension.overall.value, 1.0);
    EXPECT_EQ(tension.overallCase, TensionFlexion);
    EXPECT_EQ(tension.overall.at, 1u);

    const NijResult compression = ComputeNij({0}, {0}, {-6160}, kMale50);
    EXPECT_DOUBLE_EQ(compression.cases[CompressionFlexion].value, 1.0);

    const NijResult extension = ComputeNij({0}, {-135}, {0}, kMale50);
    EXPECT_EQ(extension.overallCase, TensionExtension);
    EXPECT_DOUBLE_EQ(extension.overall.value, 1.0);

    const NijResult flexion = ComputeNij({0}, {310}, {-1}, kMale50);
    EXPECT_EQ(flexion.overallCase, CompressionFlexion);
    EXPECT_NEAR(flexion.overall.value, 1.0 + 1.0 / 6160, 1e-12);
}

TEST(Nij, ShearMovesTheMomentToTheCondyles)
{
    // 1000 N forward shear with no moment at the load cell is 17.78 N m of
    // extension at the condyles.
    const NijResult r = ComputeNij({1000}, {0}, {3403}, kMale50);
    EXPECT_EQ(r.overallCase, TensionExtension);
    EXPECT_NEAR(r.overall.value, 0.5 + 17.78 / 135, 1e-12);
    EXPECT_FALSE(r.cases[CompressionExtension].found);
}

TEST(Nij, CasesKeepTheirOwnMaxima)
{
    const NijResult r = ComputeNij({0, 0, 0, 0}, {155, 0, -67.5, 0}, {0, -3080, 0, 3403}, kMale50);
    EXPECT_DOUBLE_EQ(r.cases[TensionFlexion].value, 0.5);
    EXPECT_EQ(r.cases[TensionFlexion].at, 0u);
    EXPECT_DOUBLE_EQ(r.cases[CompressionFlexion].value, 0.5);
    EXPECT_DOUBLE_EQ(r.cases[TensionExtension].value, 0.5);
    ASSERT_EQ(r.history.size(), 4u);
    EXPECT_DOUBLE_EQ(r.history[1], 0.5);
}

TEST(NeckPeaks, TensionAndCompressionSeparately)
{
    const std::vector<double> fz = {10, 900, -300, 4200, -4100, 0};
    const PeakResult t = PeakTension(fz);
    const PeakResult c = PeakCompression(fz);
    EXPECT_DOUBLE_EQ(t.value, 4200);
    EXPECT_EQ(t.at, 3u);
    EXPECT_DOUBLE_EQ(c.value, 4100);
    EXPECT_EQ(c.at, 4u);
    EXPECT_FALSE(PeakCompression({1, 2, 3}).found);
}

TEST(TibiaIndex, CriticalValuesAloneGiveOne)
{
    const TibiaConstants male50 = *FindDummy("h3-50m")->tibia;
    EXPECT_DOUBLE_EQ(ComputeTibiaIndex({225}, {0}, {0}, male50).peak.value, 1.0);
    EXPECT_DOUBLE_EQ(ComputeTibiaIndex({0}, {-225}, {0}, male50).peak.value, 1.0);
    EXPECT_DOUBLE_EQ(ComputeTibiaIndex({0}, {0}, {-35900}, male50).peak.value, 1.0);
    // The moments combine as a vector: 135 and 180 N m are 225 N m.
    const TibiaResult r = ComputeTibiaIndex({0, 135}, {0, -180}, {0, 17950}, male50);
    EXPECT_NEAR(r.peak.value, 1.5, 1e-12);
    EXPECT_EQ(r.peak.at, 1u);
}

TEST(ViscousCriterion, LinearRampGivesScaleTimesSpeedTimesCompression)
{
    // D = 2000 mm/s * t: V = 2 m/s everywhere the five-point rate reaches.
    const double dt = 0.0001;
    std::vector<double> d;
    for (int i = 0; i <= 400; ++i)
        d.push_back(2000.0 * i * dt);
    const VcResult r = ComputeVc(d, dt, 1.3, 229);
    ASSERT_TRUE(r.peak.found);
    for (size_t i = 2; i + 2 < d.size(); ++i)
        ASSERT_NEAR(r.history[i], 1.3 * 2.0 * d[i] / 229, 1e-9) << i;
    EXPECT_EQ(r.history[0], 0.0);
    EXPECT_EQ(r.history[400], 0.0);
    EXPECT_EQ(r.peak.at, 398u);
    EXPECT_NEAR(r.peak.value, 1.3 * 2.0 * d[398] / 229, 1e-9);
}

TEST(ViscousCriterion, CompressionCountsWhicheverSignTheTransducerUses)
{
    // A negative deflection growing in magnitude is compression too.
    std::vector<double> d;
    for (int i = 0; i <= 100; ++i)
        d.push_back(-1000.0 * i * 0.0001);
    const VcResult r = ComputeVc(d, 0.0001, 1.0, 138);
    EXPECT_NEAR(r.peak.value, 1.0 * 1.0 * 9.8 / 138, 1e-9);
    EXPECT_FALSE(ComputeVc({1, 2, 3, 4}, 0.0001, 1.3, 229).peak.found);
}

} // namespace
