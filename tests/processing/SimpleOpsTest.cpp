#include "Kalvio.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

using namespace Kalvio;

namespace {

KVSignal MillisecondGrid() { return UniformSignal(-50, 200, 0.001f, [](double t) { return 10 * t; }); }

} // namespace

TEST(Truncate, KeepsHalfOpenWindowAndSetsIndices)
{
    KVSignal s = MillisecondGrid();
    KVErrorList e;
    ASSERT_TRUE(Truncate(s, 0.0f, 0.1f, &e));
    EXPECT_EQ(e.ErrorCount(), 0);
    ASSERT_EQ(s.PointCount(), 100u);
    EXPECT_FLOAT_EQ(s.X()[0], 0.0f);
    EXPECT_FLOAT_EQ(s.X()[99], 0.099f);
    EXPECT_EQ(s.Nfp(), 0);
    EXPECT_EQ(s.Nlp(), 99);
    EXPECT_EQ(s.Status(), "Truncated");
    EXPECT_FLOAT_EQ(s.XMax(), 0.099f);
    EXPECT_FLOAT_EQ(s.YMin(), 0.0f);
}

TEST(Truncate, RefusesEmptyOrReversedInterval)
{
    KVSignal s = MillisecondGrid();
    const KVSignal before = s;
    KVErrorList e;
    EXPECT_FALSE(Truncate(s, 0.0f, 0.0f, &e));
    EXPECT_FALSE(Truncate(s, 0.1f, 0.0f, nullptr));
    EXPECT_EQ(Lines(e), std::vector<std::string>{"Kalvio::Truncate - Stop time is before Start Time"});
    EXPECT_TRUE(SameSignal(s, before));
}

TEST(Truncate, WindowWithoutSamplesLeavesNoPoints)
{
    KVSignal s = MillisecondGrid();
    EXPECT_TRUE(Truncate(s, 0.0101f, 0.0105f, nullptr));
    EXPECT_EQ(s.PointCount(), 0u);
    EXPECT_TRUE(s.NoData());
    // Regression: an empty window must give consistent indices (Nlp - Nfp + 1 == 0).
    EXPECT_EQ(s.Nlp() - s.Nfp() + 1, 0);
}

TEST(Truncate, IndicesFollowTheFirstKeptSample)
{
    // Regression: Nfp came from trunc(start / Del), one step off when start lies between samples.
    KVSignal s = MillisecondGrid();
    ASSERT_TRUE(Truncate(s, 0.0105f, 0.02f, nullptr));
    EXPECT_FLOAT_EQ(s.X()[0], 0.011f);
    EXPECT_EQ(s.Nfp(), 11);
    EXPECT_EQ(s.Nlp() - s.Nfp() + 1, static_cast<int>(s.PointCount()));

    // Regression: without a step Nlp was m, one past the last kept point.
    KVSignal xy = XYSignal({0, 1, 2, 3, 4}, {5, 6, 7, 8, 9});
    ASSERT_TRUE(Truncate(xy, 1.0f, 3.5f, nullptr));
    EXPECT_EQ(xy.PointCount(), 3u);
    EXPECT_EQ(xy.Nfp(), 0);
    EXPECT_EQ(xy.Nlp(), 2);
    EXPECT_EQ(YOf(xy), (std::vector<float>{6, 7, 8}));
}

TEST(Truncate, NegativeStartRoundsAwayFromZero)
{
    KVSignal s = MillisecondGrid();
    ASSERT_TRUE(Truncate(s, -0.0304f, 0.0f, nullptr));
    EXPECT_EQ(s.Nfp(), -30);
    EXPECT_EQ(s.Nlp(), -1);
}

TEST(AddConstant, ShiftsValuesAndIndices)
{
    KVSignal s = MillisecondGrid();
    ASSERT_TRUE(AddConstantX(s, -0.01f, nullptr));
    EXPECT_NEAR(s.X()[50], -0.01f, 1e-6);
    EXPECT_EQ(s.Nfp(), -60);
    EXPECT_EQ(s.Nlp(), 190);
    ASSERT_TRUE(AddConstantY(s, 2.5f, nullptr));
    EXPECT_NEAR(s.Y()[50], 2.5f, 1e-6);
    EXPECT_NEAR(s.YMax(), 4.5f, 1e-5);
    EXPECT_EQ(s.Status(), " ");
}

TEST(AddConstant, MarkerStepKeepsIndices)
{
    // Regression: Del 99999 was taken as a step and the indices moved by round(c / 99999).
    KVSignal s = XYSignal({0, 1, 2}, {0, 0, 0});
    ASSERT_TRUE(AddConstantX(s, 60000.0f, nullptr));
    EXPECT_EQ(s.Nfp(), 0);
    EXPECT_EQ(s.Nlp(), 2);
}

TEST(Scale, ScalesAxesAndStep)
{
    KVSignal s = MillisecondGrid();
    ASSERT_TRUE(ScaleX(s, 2.0f, nullptr));
    EXPECT_FLOAT_EQ(s.Del(), 0.002f);
    EXPECT_FLOAT_EQ(s.X()[250], 0.4f);
    EXPECT_EQ(s.Nfp(), -50);
    EXPECT_EQ(s.Nlp(), 200);
    ASSERT_TRUE(ScaleY(s, -3.0f, nullptr));
    EXPECT_FLOAT_EQ(s.YMin(), -6.0f);

    // Regression: the no-step marker was scaled into a bogus step.
    KVSignal xy = XYSignal({0, 1, 2}, {0, 1, 0});
    ASSERT_TRUE(ScaleX(xy, 0.001f, nullptr));
    EXPECT_EQ(xy.Del(), KV_NO_VALUE);
}

TEST(SimpleOps, FailuresReportOnceAndChangeNothing)
{
    KVSignal s = MillisecondGrid();
    const KVSignal before = s;
    KVSignal empty;
    KVErrorList e;
    EXPECT_FALSE(ScaleY(s, 0.0f, &e));
    EXPECT_FALSE(ScaleX(s, 0.0f, &e));
    EXPECT_FALSE(ScaleY(empty, 2.0f, &e));
    EXPECT_FALSE(ScaleX(empty, 2.0f, &e));
    EXPECT_FALSE(AddConstantY(empty, 1.0f, &e));
    EXPECT_FALSE(AddConstantX(empty, 1.0f, &e));
    EXPECT_EQ(Lines(e), (std::vector<std::string>{
                            "Kalvio::ScaleY - Cannot Scale signal by zero",
                            "Kalvio::ScaleX - Cannot Scale Data by zero",
                            "Kalvio::ScaleY - No Data",
                            "Kalvio::ScaleX - No Data",
                            "Kalvio::AddConstantY - No Data",
                            "Kalvio::AddConstantX - No Data",
                        }));
    EXPECT_TRUE(SameSignal(s, before));
    EXPECT_FALSE(ScaleY(s, 0.0f, nullptr));
    EXPECT_FALSE(AddConstantY(empty, 1.0f, nullptr));
}

TEST(Peak, FirstOfEqualPeaksInMilliseconds)
{
    KVSignal s = XYSignal({0.001f, 0.002f, 0.003f, 0.004f}, {1, 5, 5, -7});
    float v = 0, t = 0;
    ASSERT_TRUE(PeakMaximum(s, v, t));
    EXPECT_FLOAT_EQ(v, 5.0f);
    EXPECT_FLOAT_EQ(t, 2.0f);
    ASSERT_TRUE(PeakMinimum(s, v, t));
    EXPECT_FLOAT_EQ(v, -7.0f);
    EXPECT_FLOAT_EQ(t, 4.0f);
    s.SetXUnits("MILLISECONDS");
    ASSERT_TRUE(PeakMaximum(s, v, t));
    EXPECT_FLOAT_EQ(t, 0.002f);
    KVSignal none;
    EXPECT_FALSE(PeakMaximum(none, v, t));
    s.SetHasData(false);
    EXPECT_FALSE(PeakMinimum(s, v, t));
}

TEST(AddConstant, ShiftsAndScalesWhoseTimesAFileCannotHoldAreRefused)
{
    // Regression: add-x 1e6 on a 0.1 ms grid clamped the indices to the int
    // range and left samples on one time, and the result was stored (501 of
    // 3,001 samples) with success.
    KVSignal s = UniformSignal(-500, 2500, 0.0001f, [](double t) { return t; });
    const KVSignal before = s;
    KVErrorList e;
    EXPECT_FALSE(AddConstantX(s, 1e6f, &e));   // indices beyond the int range
    EXPECT_FALSE(AddConstantX(s, 1e4f, &e));    // 0.1 ms below the resolution at 10,000 s
    EXPECT_FALSE(ScaleX(s, 1e-42f, &e));        // times below the float range fall together
    EXPECT_EQ(Lines(e), (std::vector<std::string>{
                            "Kalvio::AddConstantX - The shifted sample indices lie beyond the range a file can hold",
                            "Kalvio::AddConstantX - The shifted times would fall together: the step is below the "
                            "float resolution at the new times",
                            "Kalvio::ScaleX - The scaled times would fall together: they are below the float range",
                        }));
    EXPECT_TRUE(SameSignal(s, before));
    ASSERT_TRUE(AddConstantX(s, 10.0f, &e)); // 0.1 ms still resolves at 10 s
    EXPECT_EQ(s.Nfp(), -500 + 100000);
}
