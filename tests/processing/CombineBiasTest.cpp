#include "Kalvio.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Kalvio;

namespace {

KVSignal Values(int nfp, std::vector<float> y)
{
    KVSignal s = UniformSignal(nfp, nfp + int(y.size()) - 1, 0.001f, [](double) { return 0.0; });
    for (size_t i = 0; i < y.size(); ++i)
        s.Y()[i] = y[i];
    s.UpdateExtremes();
    return s;
}

} // namespace

TEST(Sum, AddsIntoTheFirstSignal)
{
    KVSignal a = Values(-1, {1, 2, 3});
    KVSignal b = Values(-1, {10, 20, 30});
    KVSignal c = Values(-1, {100, 200, 300});
    ASSERT_TRUE(Sum({&a, &b, &c}, nullptr));
    EXPECT_EQ(YOf(a), (std::vector<float>{111, 222, 333}));
    EXPECT_EQ(YOf(b), (std::vector<float>{10, 20, 30}));
    EXPECT_EQ(a.Status(), "SUM");
    EXPECT_EQ(a.YMax(), 333.0f);

    KVSignal one = Values(0, {4, 5});
    ASSERT_TRUE(Sum({&one}, nullptr));
    EXPECT_EQ(YOf(one), (std::vector<float>{4, 5}));
    ASSERT_TRUE(Average({&one}, nullptr));
    EXPECT_EQ(YOf(one), (std::vector<float>{4, 5}));
    EXPECT_EQ(one.Status(), "AVERAGE");
}

TEST(Sum, SignalListedTwiceAddsItsOwnValues)
{
    // Regression: the first signal listed again added the running sum.
    KVSignal a = Values(0, {1, 2});
    ASSERT_TRUE(Sum({&a, &a}, nullptr));
    EXPECT_EQ(YOf(a), (std::vector<float>{2, 4}));
}

TEST(Average, MeanOfThree)
{
    KVSignal a = Values(0, {1, 2});
    KVSignal b = Values(0, {2, 4});
    KVSignal c = Values(0, {3, 9});
    c.SetDel(0.5f); // time steps are not compared
    ASSERT_TRUE(Average({&a, &b, &c}, nullptr));
    EXPECT_FLOAT_EQ(a.Y()[0], 2.0f);
    EXPECT_FLOAT_EQ(a.Y()[1], 5.0f);
}

TEST(Combine, MismatchesRefusedBeforeAnyArithmetic)
{
    KVSignal a = Values(-100, {1, 2, 3});
    KVSignal b = Values(-99, {1, 2, 3});
    KVSignal c = Values(-100, {1, 2});
    KVSignal d = Values(-100, {1, 2, 3});
    d.SetNlp(0);
    const KVSignal before = a;
    KVErrorList e;
    EXPECT_FALSE(Sum({&a, &b}, &e));
    EXPECT_FALSE(Average({&a, &c}, &e));
    EXPECT_FALSE(Sum({&a, &d}, &e));
    EXPECT_FALSE(Sum({}, &e));
    EXPECT_FALSE(Average({}, &e));
    KVSignal r;
    EXPECT_FALSE(Resultant(r, a, c, &e));
    EXPECT_FALSE(Resultant(r, a, a, c, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{
                            "Kalvio::Sum - Inconsistent start Index (nfp)",
                            "Kalvio::Sum - Inconsistent number of data points",
                            "Kalvio::Sum - Inconsistent stop Index (nlp)",
                            "Kalvio::Sum - No Data",
                            "Kalvio::Average - No Data",
                            "Kalvio::Resultant - Inconsistent Number of Data Points",
                            "Kalvio::Resultant - Inconsistent Number of Data Points",
                        }));
    EXPECT_TRUE(SameSignal(a, before));
    EXPECT_FALSE(Sum({&a, &b}, nullptr));
}

TEST(Resultant, MagnitudeOfTwoAndThree)
{
    KVSignal a = Values(-1, {3, 0, -6});
    KVSignal b = Values(-1, {4, 0, 8});
    KVSignal c = Values(-1, {0, 2, 0});
    a.SetYUnits("G'S");
    KVSignal r;
    ASSERT_TRUE(Resultant(r, a, b, nullptr));
    EXPECT_EQ(YOf(r), (std::vector<float>{5, 0, 10}));
    EXPECT_EQ(r.Axis(), "RS");
    EXPECT_EQ(r.Status(), "COMPUTED");
    EXPECT_EQ(r.YUnits(), "G'S");
    EXPECT_EQ(XOf(r), XOf(a));
    EXPECT_TRUE(r.HasData());
    ASSERT_TRUE(Resultant(r, a, b, c, nullptr));
    EXPECT_EQ(YOf(r), (std::vector<float>{5, 2, 10}));
    // The result may be one of the components.
    ASSERT_TRUE(Resultant(b, a, b, c, nullptr));
    EXPECT_EQ(YOf(b), (std::vector<float>{5, 2, 10}));
}

TEST(Bias, FlatPreEventLevelRemoved)
{
    std::vector<float> y(100, 0.5f);
    for (int i = 0; i < 20; ++i)
        y.push_back(0.5f + 2.0f * i);
    KVSignal s = Values(0, y);
    ASSERT_TRUE(Bias(s, nullptr));
    EXPECT_EQ(s.Y()[0], 0.0f);
    EXPECT_EQ(s.Y()[119], 38.0f);
    EXPECT_EQ(s.YMax(), 38.0f);
    EXPECT_EQ(s.Status(), " ");
}

TEST(Bias, DensestHalfWinsOverOutliers)
{
    std::vector<float> y;
    for (int i = 0; i < 60; ++i)
        y.push_back(1.0f + 0.001f * (i % 7));
    for (int i = 0; i < 40; ++i)
        y.push_back(-3.0f + 8.0f * float((i * 17) % 40) / 39.0f);
    y.push_back(-50.0f); // negative peak counts by magnitude
    y.push_back(2.0f);
    KVSignal s = Values(0, y);
    ASSERT_TRUE(Bias(s, nullptr));
    EXPECT_NEAR(y[0] - s.Y()[0], 1.0, 0.01);
}

TEST(Bias, LaterOfEqualWindowsTakenAtItsMiddle)
{
    // Pre-peak values sort to 1..6; m = 3 and the windows 1-4, 2-5, 3-6 all
    // spread 3: the last wins and its value of rank (m + 1) / 2 = 2 is 5.
    KVSignal s = Values(0, {4, 1, 6, 2, 5, 3, 100, 0});
    ASSERT_TRUE(Bias(s, nullptr));
    EXPECT_EQ(YOf(s), (std::vector<float>{-1, -4, 1, -3, 0, -2, 95, -5}));
}

TEST(Bias, PeakAtSecondAndFirstSample)
{
    KVSignal second = Values(0, {0.25f, 9, 1});
    ASSERT_TRUE(Bias(second, nullptr));
    EXPECT_EQ(YOf(second), (std::vector<float>{0, 8.75f, 0.75f}));
    KVSignal first = Values(0, {9, 1, 2});
    const KVSignal before = first;
    KVErrorList e;
    EXPECT_FALSE(Bias(first, &e));
    EXPECT_TRUE(SameSignal(first, before));
    KVSignal xy = XYSignal({0, 1, 2}, {0, 1, 2});
    EXPECT_FALSE(Bias(xy, &e));
    KVSignal none;
    none.SetDel(0.1f);
    EXPECT_FALSE(Bias(none, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{"Kalvio::Bias - Error Computing Bias",
                                                  "Kalvio::Bias - Bias Algorithm requres y only data",
                                                  "Kalvio::Bias - Too few data points"}));
}
