#include "KVNumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

TEST(NumberText, LeadingNumberReadsLikeAtof)
{
    EXPECT_DOUBLE_EQ(KVLeadingNumber("0.0"), 0.0);
    EXPECT_DOUBLE_EQ(KVLeadingNumber(" \t-12.5"), -12.5);
    EXPECT_DOUBLE_EQ(KVLeadingNumber("+3"), 3.0);
    EXPECT_DOUBLE_EQ(KVLeadingNumber("2.5e-3 s"), 0.0025);
    EXPECT_DOUBLE_EQ(KVLeadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(KVLeadingNumber("1e"), 1.0);
    EXPECT_DOUBLE_EQ(KVLeadingNumber("abc"), 0.0);
    EXPECT_DOUBLE_EQ(KVLeadingNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(KVLeadingNumber("+-1"), 0.0);
    EXPECT_DOUBLE_EQ(KVLeadingNumber("1,5"), 1.0); // the decimal point is "." whatever the locale
}

TEST(NumberText, LeadingIntegerIsHeldAtTheIntRange)
{
    EXPECT_EQ(KVLeadingInteger("  +42abc"), 42);
    EXPECT_EQ(KVLeadingInteger("-7"), -7);
    EXPECT_EQ(KVLeadingInteger("T123"), 0);
    EXPECT_EQ(KVLeadingInteger("3.9"), 3);
    EXPECT_EQ(KVLeadingInteger("99999999999"), INT_MAX);
    EXPECT_EQ(KVLeadingInteger("-99999999999999999999999"), INT_MIN);
}

TEST(NumberText, WholeTextMustBeOneFiniteNumberInRange)
{
    double d = 0;
    EXPECT_TRUE(KVParseNumber("+1.5e3", d));
    EXPECT_EQ(d, 1500.0);
    EXPECT_TRUE(KVParseNumber("-.25", d));
    EXPECT_EQ(d, -0.25);
    d = 7;
    for (const char* bad : {"", "+", "-", " 1", "1 ", "1,5", "1e", "++1", "+-1", "0x10", "inf", "nan", "1e999"}) {
        EXPECT_FALSE(KVParseNumber(bad, d)) << bad;
        EXPECT_EQ(d, 7.0) << bad; // a refusal leaves the value alone
    }

    float f = 0;
    EXPECT_TRUE(KVParseNumber("3.4e38", f));
    EXPECT_FALSE(KVParseNumber("3.5e38", f));
    EXPECT_FALSE(KVParseNumber("1e-50", f));

    int i = 0;
    EXPECT_TRUE(KVParseNumber("+2147483647", i));
    EXPECT_EQ(i, INT_MAX);
    EXPECT_TRUE(KVParseNumber("-2147483648", i));
    EXPECT_EQ(i, INT_MIN);
    EXPECT_FALSE(KVParseNumber("2147483648", i));
    EXPECT_FALSE(KVParseNumber("1.0", i));
}
