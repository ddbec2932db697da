#include "KVNumberText.h"

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

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

namespace {

// Whether KVQuickFloat reads all of text.
bool QuickWhole(const std::string& text, float& v)
{
    return KVQuickFloat(text.data(), text.data() + text.size(), v) == text.data() + text.size();
}

// Whether the quick reading of text, where it reads one, is from_chars's to
// the bit; counts the texts it reads in quick.
bool QuickIsFromChars(const std::string& text, int& quick)
{
    float q = 0;
    if (!QuickWhole(text, q))
        return true;
    ++quick;
    float f = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), f);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size())
        return false;
    return std::memcmp(&q, &f, sizeof q) == 0;
}

} // namespace

TEST(NumberText, QuickFloatIsTheCorrectlyRoundedFloat)
{
    // A sample read other than as the correctly rounded float would change
    // every channel filtered and stored from it.
    std::vector<std::string> texts = {"0", "-0", "0.000", "-0.055995382", "1", "123456789", "3.4028234e38",
                                      "1.1754944e-38", "1.1754942e-38", "16777217", "16777219", "33554433",
                                      "1e22", "1e-22", "9007199254740993", "1234567890123456789", "5e-324",
                                      "7.006492e-46", "1e", ".5", "5.", "1e+", "+1", "--1", "1.2.3", "1e99999",
                                      "12345678901234567890", "inf", "nan", "0x10", "1,5", " 1", "1 "};
    std::mt19937_64 random(2231);
    char buf[64];
    for (int i = 0; i < 200000; ++i) {
        // Random floats as the writers print them, and the doubles halfway
        // between two floats (where rounding twice could go wrong) in as
        // many digits as the quick path takes.
        const float f = std::ldexp(float(random() % 16777216), int(random() % 80) - 60) * (random() % 2 ? 1 : -1);
        const double half = (double(f) + double(std::nextafter(f, 2 * f))) / 2;
        const int digits = 1 + int(random() % 17);
        std::snprintf(buf, sizeof buf, "%.*g", digits, double(f));
        texts.push_back(buf);
        std::snprintf(buf, sizeof buf, "%.*g", digits, half);
        texts.push_back(buf);
        std::snprintf(buf, sizeof buf, "%.*f", int(random() % 12), double(f));
        texts.push_back(buf);
    }
    int quick = 0;
    for (const std::string& t : texts)
        EXPECT_TRUE(QuickIsFromChars(t, quick)) << t;
    // The path is taken for most of them (the test says something), never for
    // what from_chars alone may judge.
    EXPECT_GT(quick, 400000);
    for (const char* refused : {"1e", ".5", "5.", "+1", "inf", "nan", "1e99999", "12345678901234567890", "16777217",
                                "1e-40", "1e39", "", "1,5", "12345678x"})
    {
        float v = 7;
        EXPECT_FALSE(QuickWhole(refused, v)) << refused;
    }
}
