#include "Kalvio.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Kalvio;

TEST(derivY, UniformRampGivesItsSlopeEverywhere)
{
    KVSignal s = UniformSignal(-20, 200, 0.0001f, [](double t) { return 2.0 - 50.0 * t; });
    s.SetYUnits("METERS");
    ASSERT_TRUE(derivY(s, nullptr));
    for (size_t i = 0; i < s.PointCount(); ++i)
        ASSERT_NEAR(s.Y()[i], -50.0 * 3.6, 0.05) << i;
    EXPECT_EQ(s.YUnits(), "KILOMETERS/HOUR");
    EXPECT_EQ(s.YType(), "VELOCITY");
    EXPECT_FLOAT_EQ(s.YMax(), s.YMin() + (s.YMax() - s.YMin()));
    EXPECT_EQ(s.Status(), " ");
    EXPECT_EQ(s.Del(), 0.0001f);
}

TEST(derivY, UniformEndsExactForAParabola)
{
    // Regression: the end guard fired whenever the neighbour was negative (y = -t^2 lost its end slopes).
    KVSignal s = UniformSignal(10, 20, 0.1f, [](double t) { return -t * t; });
    s.SetYUnits("X");
    ASSERT_TRUE(derivY(s, nullptr));
    EXPECT_NEAR(s.Y()[0], -2.0, 1e-4);
    EXPECT_NEAR(s.Y()[10], -4.0, 1e-4);
    EXPECT_NEAR(s.Y()[5], -3.0, 1e-4);
    EXPECT_EQ(s.YUnits(), "X / SEC");
    EXPECT_EQ(s.YType(), "UNKNOWN");
    // Falling slopes: the first end (4) is larger than its neighbour (3.8) and still exact.
    KVSignal m = UniformSignal(-20, -10, 0.1f, [](double t) { return -t * t; });
    ASSERT_TRUE(derivY(m, nullptr));
    EXPECT_NEAR(m.Y()[0], 4.0, 1e-4);
}

TEST(derivY, EndGuardsTakeTheNeighbour)
{
    // Last four 0, 1, 0, 1: the centred neighbour is 0 and the end formula 4/3 G.
    KVSignal s = UniformSignal(0, 7, 1.0f, [](double t) { return t < 4 ? 0.0 : (int(t) % 2 == 1 ? 1.0 : 0.0); });
    ASSERT_TRUE(derivY(s, nullptr));
    EXPECT_EQ(s.Y()[7], s.Y()[6]);
    KVSignal f = UniformSignal(0, 7, 1.0f, [](double t) { return t > 3 ? 0.0 : (int(t) % 2 == 0 ? 1.0 : 0.0); });
    ASSERT_TRUE(derivY(f, nullptr));
    EXPECT_EQ(f.Y()[0], f.Y()[1]);
}

TEST(derivY, ShortUniformSignals)
{
    KVSignal two = UniformSignal(0, 1, 0.5f, [](double t) { return 3 * t; });
    ASSERT_TRUE(derivY(two, nullptr));
    EXPECT_EQ(YOf(two), (std::vector<float>{3, 3}));
    KVSignal three = UniformSignal(0, 2, 1.0f, [](double t) { return t * t; });
    ASSERT_TRUE(derivY(three, nullptr));
    EXPECT_EQ(YOf(three), (std::vector<float>{0, 2, 4}));
    KVSignal four = UniformSignal(0, 3, 1.0f, [](double t) { return t * t; });
    ASSERT_TRUE(derivY(four, nullptr));
    EXPECT_EQ(YOf(four), (std::vector<float>{0, 2, 4, 6}));
}

TEST(derivY, XYRuleExactForParabolaOnUnevenSteps)
{
    const std::vector<float> x = {0, 0.1f, 0.25f, 0.3f, 0.5f, 0.55f, 0.8f, 1.0f};
    std::vector<float> y;
    for (float v : x)
        y.push_back(v * v * 3 + 1);
    KVSignal s = XYSignal(x, y);
    s.SetYUnits("MILLIMETERS");
    ASSERT_TRUE(derivY(s, nullptr));
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(s.Y()[i], 6 * x[i] * 0.0036, 1e-5) << i;
}

TEST(derivY, XYRuleWithRepeatedTimes)
{
    KVSignal s = XYSignal({0, 1, 1, 1, 2, 3, 4}, {0, 1, 5, 1, 2, 3, 4});
    ASSERT_TRUE(derivY(s, nullptr));
    for (size_t i = 0; i < s.PointCount(); ++i)
        EXPECT_TRUE(std::isfinite(s.Y()[i])) << i;
    EXPECT_NEAR(s.Y()[6], 1.0f, 1e-5);
    KVSignal three = XYSignal({0, 1, 3}, {0, 2, 6});
    ASSERT_TRUE(derivY(three, nullptr));
    EXPECT_EQ(YOf(three), (std::vector<float>{2, 2, 2}));
    KVSignal same = XYSignal({1, 1, 1}, {0, 2, 6});
    ASSERT_TRUE(derivY(same, nullptr));
    EXPECT_EQ(YOf(same), (std::vector<float>{0, 0, 0}));
}

TEST(derivY, Failures)
{
    KVSignal one = UniformSignal(0, 0, 0.1f, [](double) { return 1.0; });
    KVSignal two = XYSignal({0, 1}, {0, 1});
    const KVSignal twoBefore = two;
    KVErrorList e;
    EXPECT_FALSE(derivY(one, &e));
    EXPECT_FALSE(derivY(two, &e));
    KVSignal bad = UniformSignal(0, 5, 0.1f, [](double) { return 1.0; });
    bad.SetNlp(40);
    EXPECT_FALSE(derivY(bad, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{"Kalvio::derivY - Too few data points to compute a derivative",
                                                  "Kalvio::derivY - Error Computing an XY derivative",
                                                  "Kalvio::derivY - Error Computing Y derivative"}));
    EXPECT_TRUE(SameSignal(two, twoBefore));
    EXPECT_FALSE(derivY(one, nullptr));
}

TEST(UnitRules, Derivative)
{
    auto d = [](const char* xu, const char* yu) { return DerivativeUnits(xu, yu); };
    EXPECT_EQ(d("SECONDS", "METERS/SEC").units, "KILOMETERS/HOUR");
    EXPECT_FLOAT_EQ(d("SECONDS", "KILOMETERS/HOUR").factor, 0.02832545f);
    EXPECT_EQ(d("SECONDS", "DEGREES/SEC").units, "DEGREES/SEC**2");
    EXPECT_EQ(d("SECONDS", "DEGREES").units, "DEGREES/SEC");
    EXPECT_EQ(d("SECONDS", "NEWTONS").units, "NEWTONS / SEC");
    EXPECT_EQ(d("SECONDS", "NEWTONS").dimension, "UNKNOWN");
    EXPECT_EQ(d("MILLIMETERS", "JOULES").units, "NEWTONS");
    EXPECT_EQ(d("INCHES", "FOOT-POUNDS").dimension, "FORCE");
    EXPECT_EQ(d("MILLIMETERS", "NEWTONS").units, "NEWTONS / MILLIMETERS");
    EXPECT_EQ(d("seconds", "METERS").units, "METERS / seconds");
}

TEST(UnitRules, Integral)
{
    auto i = [](const char* xu, const char* yu, const char* us = "MET") { return IntegralUnits(xu, yu, us, 12.0f); };
    EXPECT_EQ(i("SECONDS", "G'S").units, "KILOMETERS/HOUR");
    EXPECT_FLOAT_EQ(i("SECONDS", "G'S").startValue, 12.0f);
    EXPECT_EQ(i("SECONDS", "G'S", "ENGLISH").units, "MILES/HOUR");
    EXPECT_FLOAT_EQ(i("SECONDS", "G'S", "ENG").factor, 21.93675f);
    EXPECT_FLOAT_EQ(i("SECONDS", "KILOMETERS/HOUR").startValue, 0.0f);
    EXPECT_EQ(i("SECONDS", "DEGREES/SEC**2").units, "DEGREES/SEC");
    EXPECT_EQ(i("SECONDS", "RADIANS/SEC").units, "RADIANS");
    EXPECT_EQ(i("SECONDS", "MILLIMETERS").units, "MILLIMETERS x SECONDS");
    EXPECT_EQ(i("SECONDS", "MILLIMETERS").dimension, "UNKNOWN x TIME");
    EXPECT_EQ(i("MILLIMETERS", "NEWTONS").units, "JOULES");
    EXPECT_FLOAT_EQ(i("MILLIMETERS", "NEWTONS").factor, 0.001f);
    EXPECT_EQ(i("MILLIMETERS", "NEWTONS").dimension, "ENERGY");
    EXPECT_EQ(i("INCHES", "POUNDS").units, "FOOT-POUNDS");
    EXPECT_EQ(i("INCHES", "POUNDS FORCE").units, "UNKNOWN"); // POUNDS must be the whole word
    EXPECT_EQ(i("METERS", "KILONEWTONS").units, "UNKNOWN");
    EXPECT_EQ(i("DEGREES", "NEWTONS").units, "DEGREES - NEWTONS");
}

TEST(TrapInteg, OneGOverATenthOfASecond)
{
    KVSignal s = UniformSignal(-100, 1000, 0.0001f, [](double) { return 1.0; });
    s.SetYUnits("G'S");
    ASSERT_TRUE(TrapInteg(s, nullptr));
    EXPECT_EQ(s.YUnits(), "KILOMETERS/HOUR");
    EXPECT_EQ(s.YType(), "VELOCITY");
    EXPECT_EQ(s.Y()[100], 0.0f);
    EXPECT_NEAR(s.Y()[1100] - s.Y()[100], 3.530394, 1e-4);
    EXPECT_NEAR(s.Y()[0], -0.3530394, 1e-5);

    // The initial velocity is the value at time zero (the running sum is a
    // float, so 1000 small steps onto 50 lose about 2e-3).
    KVSignal v = UniformSignal(-100, 1000, 0.0001f, [](double) { return 1.0; });
    v.SetYUnits("G'S");
    v.SetInitialVelocity(50.0f);
    ASSERT_TRUE(TrapInteg(v, nullptr));
    EXPECT_EQ(v.Y()[100], 50.0f);
    EXPECT_NEAR(v.Y()[1100], 53.530394, 3e-3);

    KVSignal eng = UniformSignal(0, 1000, 0.0001f, [](double) { return 1.0; });
    eng.SetYUnits("G'S");
    eng.SetDimension("ENG");
    ASSERT_TRUE(TrapInteg(eng, nullptr));
    EXPECT_EQ(eng.YUnits(), "MILES/HOUR");
    EXPECT_NEAR(eng.Y()[1000], 2.193675, 2e-4);
}

TEST(TrapInteg, SpanAfterZeroAnchorsAtFirstSample)
{
    KVSignal s = UniformSignal(10, 20, 0.1f, [](double t) { return 2 * t; });
    s.SetYUnits("NEWTONS");
    ASSERT_TRUE(TrapInteg(s, nullptr));
    EXPECT_EQ(s.Y()[0], 0.0f);
    EXPECT_NEAR(s.Y()[10], 4.0 - 1.0, 1e-5); // t^2 from 1 to 2
    EXPECT_EQ(s.YUnits(), "NEWTON-SECONDS");
    EXPECT_EQ(s.YType(), "IMPULSE");
}

TEST(TrapInteg, WorkOverDistance)
{
    KVSignal s = XYSignal({0, 100, 200, 300, 400}, {10, 10, 10, 10, 10});
    s.SetXUnits("MILLIMETERS");
    s.SetYUnits("NEWTONS");
    ASSERT_TRUE(TrapInteg(s, nullptr));
    EXPECT_EQ(s.YUnits(), "JOULES");
    EXPECT_EQ(s.YType(), "ENERGY");
    EXPECT_NEAR(s.Y()[4], 4.0, 1e-5);
}

TEST(TrapInteg, Failures)
{
    KVSignal shortOne = UniformSignal(0, 2, 0.1f, [](double) { return 1.0; });
    KVSignal before = UniformSignal(-20, -5, 0.1f, [](double) { return 1.0; });
    const KVSignal kept = before;
    KVErrorList e;
    EXPECT_FALSE(TrapInteg(shortOne, &e));
    EXPECT_FALSE(TrapInteg(before, &e));
    KVSignal wild = UniformSignal(0, 5, 0.1f, [](double) { return 1.0; });
    wild.SetNlp(500);
    EXPECT_FALSE(TrapInteg(wild, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{"Kalvio::TrapInteg - Too few data points to compute an Integral",
                                                  "Kalvio::TrapInteg - Error Computing the Integral",
                                                  "Kalvio::TrapInteg - Error Computing the Integral"}));
    EXPECT_TRUE(SameSignal(before, kept));
}
