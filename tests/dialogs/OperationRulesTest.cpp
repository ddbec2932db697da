#include "FilterClassText.h"
#include "NumberText.h"
#include "OperationRules.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ResampleRules, SpanIsDerivedOnlyWhenMissing)
{
    EXPECT_FLOAT_EQ(ResampleSpan(0.001f, 201, 0.0f), 0.2f);
    EXPECT_FLOAT_EQ(ResampleSpan(0.001f, 201, -1.0f), 0.2f);
    EXPECT_FLOAT_EQ(ResampleSpan(0.001f, 201, 0.5f), 0.5f);
    // No usable step or too few points: the span stays as given.
    EXPECT_FLOAT_EQ(ResampleSpan(0.0f, 201, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(ResampleSpan(0.001f, 1, 0.0f), 0.0f);
}

// Regression: the count was trunc(span / step + 0.99), one fewer than the
// grid points resampling gives (both ends of the span are kept).
TEST(ResampleRules, TimeStepModeCountsTheGridPointsOfTheSpan)
{
    auto c = ResolveResample(ResampleMode::TimeStep, 0.001f, 0, 0.2f);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->points, 201);
    EXPECT_FLOAT_EQ(c->timeStep, 0.001f);

    c = ResolveResample(ResampleMode::TimeStep, 0.0003f, 0, 0.2f); // 666.67 steps
    ASSERT_TRUE(c);
    EXPECT_EQ(c->points, 667);
}

TEST(ResampleRules, TimeStepModeRefusesUnusableSteps)
{
    EXPECT_FALSE(ResolveResample(ResampleMode::TimeStep, 0.0f, 100, 0.2f));
    EXPECT_FALSE(ResolveResample(ResampleMode::TimeStep, -0.001f, 100, 0.2f));
    // No span: one point only.
    EXPECT_FALSE(ResolveResample(ResampleMode::TimeStep, 0.001f, 100, 0.0f));
    // A step longer than the span gives one point only.
    EXPECT_FALSE(ResolveResample(ResampleMode::TimeStep, 0.3f, 100, 0.2f));
    // Regression: a tiny step used to overflow the point count.
    EXPECT_FALSE(ResolveResample(ResampleMode::TimeStep, 1e-30f, 100, 0.2f));
}

TEST(ResampleRules, PointsModeSpreadsTheSpanOverPointsMinusOneSteps)
{
    // Regression: span / points made 201 points come out as 202 after resampling.
    auto c = ResolveResample(ResampleMode::Points, 0.0f, 201, 0.2f);
    ASSERT_TRUE(c);
    EXPECT_FLOAT_EQ(c->timeStep, 0.001f);
    EXPECT_EQ(c->points, 201);

    EXPECT_FALSE(ResolveResample(ResampleMode::Points, 0.001f, 1, 0.2f));
    EXPECT_FALSE(ResolveResample(ResampleMode::Points, 0.001f, 0, 0.2f));
    EXPECT_FALSE(ResolveResample(ResampleMode::Points, 0.001f, -5, 0.2f));
    EXPECT_FALSE(ResolveResample(ResampleMode::Points, 0.001f, 201, 0.0f));
}

TEST(IntervalRules, StopMustLieStrictlyAfterStart)
{
    EXPECT_FALSE(IntervalIsValid(0.05f, 0.05f));
    EXPECT_FALSE(IntervalIsValid(0.1f, 0.05f));
    EXPECT_TRUE(IntervalIsValid(-0.01f, 0.05f));
}

TEST(LabelRules, RowsWriteBackAtTheirOwnIndexOnly)
{
    const QStringList labels{"a", "b"};
    // Three rows (three names) but two labels: the third row has nowhere to go.
    EXPECT_EQ(ApplyRowLabels(labels, {0, 1, 2}, {"A", "B", "C"}), (QStringList{"A", "B"}));
    // Rows in another order still land at their own index.
    EXPECT_EQ(ApplyRowLabels(labels, {1, 0}, {"B", "A"}), (QStringList{"A", "B"}));
    // More labels than rows: the others stay.
    EXPECT_EQ(ApplyRowLabels({"a", "b", "c"}, {0}, {"A"}), (QStringList{"A", "b", "c"}));
}

TEST(FilterClassText, ClassesShowTheirTextAndOthersNone)
{
    EXPECT_EQ(FilterClassText(60), "CFC 60");
    EXPECT_EQ(FilterClassText(180), "CFC 180");
    EXPECT_EQ(FilterClassText(600), "CFC 600");
    EXPECT_EQ(FilterClassText(1000), "CFC 1000");
    EXPECT_EQ(FilterClassText(1001), "None");
    EXPECT_EQ(FilterClassText(1003), "None");
    EXPECT_EQ(FilterClassText(0), "None");
}

TEST(FilterClassText, TextReadsBackIgnoringCase)
{
    EXPECT_EQ(FilterClassFromText("CFC 60"), 60);
    EXPECT_EQ(FilterClassFromText("cfc 600"), 600);
    EXPECT_EQ(FilterClassFromText("Cfc 1000"), 1000);
    EXPECT_EQ(FilterClassFromText("  CFC 180 "), 180);
    EXPECT_EQ(FilterClassFromText("None"), 1002);
    EXPECT_EQ(FilterClassFromText("CFC60"), 1002);
    EXPECT_EQ(FilterClassFromText("CFC 6000"), 1002);
    EXPECT_EQ(FilterClassFromText(""), 1002);
}

TEST(NumberText, RealsShowTheirShortestExactText)
{
    EXPECT_EQ(FormatReal(0.001f), "0.001");
    EXPECT_EQ(FormatReal(99999.0f), "99999");
    EXPECT_EQ(FormatReal(-2.5f), "-2.5");
    EXPECT_EQ(FormatReal(0.0f), "0");
    // An untouched box reads back as the very same float.
    for (float v : {1.2345678f, 0.000625f, 3.4e38f, -1e-7f, 1.0f / 3.0f})
        EXPECT_EQ(ParseReal(FormatReal(v)), v) << FormatReal(v).toStdString();
}

TEST(NumberText, PlainRealsNeverUseAnExponent)
{
    // Regression: the resample dialog showed a 0.1 ms step as "1e-04".
    EXPECT_EQ(FormatPlainReal(0.0001f), "0.0001");
    EXPECT_EQ(FormatPlainReal(0.0003f), "0.0003");
    EXPECT_EQ(FormatPlainReal(99999.0f), "99999");
    for (float v : {0.000625f, 1.0f / 3.0f, -1e-7f, 3.4e38f})
        EXPECT_EQ(ParseReal(FormatPlainReal(v)), v) << FormatPlainReal(v).toStdString();
}

TEST(NumberText, BadNumbersAreRefused)
{
    EXPECT_EQ(ParseReal(" 2.5 "), 2.5f);
    EXPECT_EQ(ParseReal("1e-3"), 0.001f);
    EXPECT_FALSE(ParseReal(""));
    EXPECT_FALSE(ParseReal("abc"));
    EXPECT_FALSE(ParseReal("1.5x"));
    EXPECT_FALSE(ParseReal("1,5"));
    EXPECT_FALSE(ParseReal("nan"));
    EXPECT_FALSE(ParseReal("inf"));
    EXPECT_FALSE(ParseReal("1e39"));  // beyond float

    EXPECT_EQ(ParseInt(" 2024 "), 2024);
    EXPECT_EQ(ParseInt("-7"), -7);
    EXPECT_FALSE(ParseInt("2.5"));
    EXPECT_FALSE(ParseInt(""));
    EXPECT_FALSE(ParseInt("99999999999"));
    EXPECT_FALSE(ParseInt("0x10"));
}
