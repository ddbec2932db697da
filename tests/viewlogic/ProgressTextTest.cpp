#include "ProgressText.h"

#include <gtest/gtest.h>

TEST(Progress, PercentAndCaption)
{
    EXPECT_EQ(ProgressPercent(42, 100, 0), 42);
    EXPECT_EQ(ProgressPercent(1, 3, 0), 33);
    EXPECT_EQ(ProgressPercent(999, 1000, 0), 99);
    // Regression: an empty range divided by zero.
    EXPECT_EQ(ProgressPercent(5, 0, 0), 0);
    EXPECT_EQ(ProgressCaption("Progress", 42), "Progress [42%]");
}
