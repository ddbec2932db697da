#include "TfText.h"

#include <gtest/gtest.h>

using namespace Toolsif;

TEST(TfText, TrimsAndMeasuresBlankPaddedTexts)
{
    EXPECT_EQ(LTrim("   a b  "), "a b  ");
    EXPECT_EQ(LTrim("    "), "");
    EXPECT_EQ(LenTrim("  ab   "), 4u);
    EXPECT_EQ(LenTrim("     "), 0u);
    EXPECT_EQ(Trim("  run1.rvf \r"), "run1.rvf");
}

TEST(TfText, UpcasesOnlyAsciiLettersAndFindsCharacters)
{
    EXPECT_EQ(StrUpcase("hit=Run1.hit \xe9"), "HIT=RUN1.HIT \xe9");
    EXPECT_TRUE(AnyChars("run(1-3).rvf", "()*?"));
    EXPECT_FALSE(AnyChars("run1.rvf", "()*?"));
    EXPECT_FALSE(AnyChars("run1.rvf", ""));
}

TEST(TfText, EqualSpUsesAnAbsoluteTolerance)
{
    EXPECT_TRUE(EqualSp(0.0001f, 0.0001f + 1.0e-7f, 2.0e-7f));
    EXPECT_FALSE(EqualSp(0.0001f, 0.0001f + 5.0e-7f, 2.0e-7f));
    EXPECT_FALSE(EqualSp(0.0001f, std::numeric_limits<float>::quiet_NaN(), 2.0e-7f));
}
