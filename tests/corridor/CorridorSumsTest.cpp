#include "CorridorSums.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(CorridorSums, SampleStandardDeviationPerIndex)
{
    CorridorSums sums;
    const float a[] = {1.0f, 10.0f, 5.0f};
    const float b[] = {2.0f, 10.0f, 7.0f};
    const float c[] = {3.0f, 10.0f, 9.0f};
    sums.Start(0, a, 3);
    EXPECT_FALSE(sums.Add(0, b, 3, 1));
    EXPECT_FALSE(sums.Add(0, c, 3, 2));
    const CorridorSums::Result r = sums.Compute(0, 2);
    EXPECT_EQ(r.mean, (std::vector<float>{2.0f, 10.0f, 7.0f}));
    EXPECT_EQ(r.sigma, (std::vector<float>{1.0f, 0.0f, 2.0f}));
    EXPECT_DOUBLE_EQ(r.cumulativeVariance, 5.0);
    EXPECT_EQ(r.variancePoints, 3);
}

TEST(CorridorSums, LargeOffsetsDoNotCancel)
{
    // Regression: 32-bit sums of squares near 1e6 gave sigma 0 or a negative
    // variance (NaN) where the true sigma is 1.
    CorridorSums sums;
    const float a[] = {1000000.0f, -3000000.0f};
    const float b[] = {1000001.0f, -3000001.0f};
    const float c[] = {1000002.0f, -3000002.0f};
    sums.Start(0, a, 2);
    sums.Add(0, b, 2, 1);
    sums.Add(0, c, 2, 2);
    const CorridorSums::Result r = sums.Compute(0, 1);
    EXPECT_EQ(r.mean, (std::vector<float>{1000001.0f, -3000001.0f}));
    EXPECT_EQ(r.sigma, (std::vector<float>{1.0f, 1.0f}));
}

TEST(CorridorSums, SingleAndUncoveredIndicesHaveNoVarianceShare)
{
    CorridorSums sums;
    const float a[] = {4.0f, 6.0f};
    const float b[] = {8.0f, 2.0f};
    sums.Start(0, a, 2);        // indices 0, 1
    sums.Add(1, b, 2, 1);       // indices 1, 2
    const CorridorSums::Result r = sums.Compute(-1, 3);
    EXPECT_EQ(r.points, 5);
    EXPECT_EQ(r.emptyPoints, 2);       // -1 and 3
    EXPECT_EQ(r.variancePoints, 1);    // only index 1 has two curves
    EXPECT_EQ(r.mean, (std::vector<float>{0.0f, 4.0f, 7.0f, 2.0f, 0.0f}));
    EXPECT_EQ(r.sigma[2], std::sqrt(2.0f));
    EXPECT_EQ(r.sigma[1], 0.0f);
    EXPECT_DOUBLE_EQ(r.cumulativeVariance, 2.0);
    for (float v : r.mean)
        EXPECT_FALSE(std::isnan(v));
}

TEST(CorridorSums, ShortSpanIsReportedWhenCurvesMissAnIndex)
{
    CorridorSums sums;
    const float y[] = {1.0f, 1.0f, 1.0f, 1.0f};
    sums.Start(0, y, 2);                  // 0..1
    EXPECT_FALSE(sums.Add(0, y, 2, 1));   // 0..1: count 2
    EXPECT_TRUE(sums.Add(1, y, 2, 2));    // index 2 has only this curve
    EXPECT_EQ(sums.Count(1), 3);
    EXPECT_EQ(sums.Count(2), 1);
    EXPECT_EQ(sums.Count(7), 0);
    // Index 0 now has as many curves as came before this one: not short.
    EXPECT_FALSE(sums.Add(0, y, 2, 3));
}
