// The reals of kalvio's output: exactly the characters of "%.9g".
#include "CliSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

std::string Printf(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}

} // namespace

TEST(FormatReal, SameCharactersAsPrintf)
{
    const double inf = std::numeric_limits<double>::infinity();
    // Whole numbers at the edge of nine digits, signed zeros, float integers
    // beyond 2^24, fractions, the extremes of a float, NaN and infinities.
    for (const double v : {0.0, -0.0, 1.0, -1.0, 2026.0, 999999999.0, -999999999.0, 1e9, -1e9, 999999999.5,
                           16777217.0, double(16777218.0f), 123456792.0, 0.5, -0.25, 1e-5, 9.99999975e-05,
                           double(std::numeric_limits<float>::max()), double(std::numeric_limits<float>::denorm_min()),
                           std::nan(""), inf, -inf})
        EXPECT_EQ(FormatReal(v), Printf(v)) << v;
    // Floats of every exponent, as header fields hold them.
    uint32_t bits = 12345;
    for (int i = 0; i < 200000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        float f;
        std::memcpy(&f, &bits, 4);
        ASSERT_EQ(FormatReal(f), Printf(f)) << bits;
        const double whole = std::trunc(double(f));
        ASSERT_EQ(FormatReal(whole), Printf(whole)) << bits;
    }
}
