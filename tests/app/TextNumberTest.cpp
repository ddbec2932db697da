#include "TextNumber.h"

#include <gtest/gtest.h>

TEST(TextNumber, ReadsTheLeadingNumberLikeAtof)
{
    EXPECT_DOUBLE_EQ(TextToNumber("0.0"), 0.0);
    EXPECT_DOUBLE_EQ(TextToNumber(" \t-12.5"), -12.5);
    EXPECT_DOUBLE_EQ(TextToNumber("+3"), 3.0);
    EXPECT_DOUBLE_EQ(TextToNumber("2.5e-3 s"), 0.0025);
    EXPECT_DOUBLE_EQ(TextToNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(TextToNumber("1e"), 1.0);
    EXPECT_DOUBLE_EQ(TextToNumber("abc"), 0.0);
    EXPECT_DOUBLE_EQ(TextToNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(TextToNumber("+-1"), 0.0);
    EXPECT_DOUBLE_EQ(TextToNumber("1,5"), 1.0); // the decimal point is "." whatever the locale
}
