#include "PlotDecimation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

namespace {

struct Extremes {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    void Add(double v)
    {
        low = std::min(low, v);
        high = std::max(high, v);
    }
};

// Lowest and highest y per column, of the points given.
std::map<int, Extremes> PerColumn(const std::vector<double>& x, const std::vector<double>& y, double lower,
                                  double upper, int columns)
{
    std::map<int, Extremes> m;
    for (size_t i = 0; i < x.size(); ++i) {
        const double c = PixelColumn(x[i], lower, upper, columns);
        if (!std::isnan(y[i]) && c >= 0 && c < columns)
            m[int(c)].Add(y[i]);
    }
    return m;
}

void ExpectExact(const std::vector<float>& xf, const std::vector<float>& yf, double lower, double upper,
                 int columns, bool edges = true)
{
    ReducedCurve r;
    ReduceToColumns(xf.data(), yf.data(), xf.size(), lower, upper, columns, r);
    const std::vector<double> x(xf.begin(), xf.end());
    const std::vector<double> y(yf.begin(), yf.end());
    const auto want = PerColumn(x, y, lower, upper, columns);
    const auto got = PerColumn(r.x, r.y, lower, upper, columns);
    ASSERT_EQ(got.size(), want.size()) << columns << " columns";
    for (const auto& [c, e] : want) {
        EXPECT_EQ(got.at(c).low, e.low) << "column " << c;
        EXPECT_EQ(got.at(c).high, e.high) << "column " << c;
    }
    EXPECT_TRUE(std::is_sorted(r.x.begin(), r.x.end()));
    EXPECT_LE(r.x.size(), size_t(columns + 2) * 4 + x.size() / 2); // the NaN breaks on top
    if (!edges)
        return;
    // The line reaches past both edges: the neighbours outside the range are kept.
    const size_t first = size_t(std::lower_bound(x.begin(), x.end(), lower) - x.begin());
    const size_t last = size_t(std::upper_bound(x.begin(), x.end(), upper) - x.begin());
    ASSERT_FALSE(r.x.empty());
    EXPECT_EQ(r.x.front(), x[first > 0 ? first - 1 : 0]);
    EXPECT_EQ(r.x.back(), x[std::min(last, x.size() - 1)]);
}

} // namespace

TEST(PlotDecimationTest, KeepsEveryColumnsExtremesAndTheEdges)
{
    std::mt19937 rng(7);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    std::vector<float> x(200000);
    std::vector<float> y(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        x[i] = float(i) * 1e-4f;
        y[i] = noise(rng) + (i % 9973 == 0 ? 50.0f : 0.0f); // lone peaks
    }
    for (int columns : {1, 7, 640, 1999, 100000, 400000}) {
        ExpectExact(x, y, 0.0, 19.9999, columns);        // the whole curve
        ExpectExact(x, y, 3.12345, 3.98765, columns);    // begins and ends between samples
        ExpectExact(x, y, -5.0, 1.00005, columns);       // begins before the data
    }
}

TEST(PlotDecimationTest, GapsBreakTheLineWithoutLosingExtremes)
{
    // Equal x values too: a gap marker takes the key of the point before it.
    std::vector<float> x{0, 1, 1, 2, 3, 3, 4, 5, 6, 7, 8, 9};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> y{nan, 5, nan, -2, 8, 1, nan, nan, 3, -7, 4, nan};
    ExpectExact(x, y, 0.5, 8.5, 3, false);
    ReducedCurve r;
    ReduceToColumns(x.data(), y.data(), x.size(), -1.0, 10.0, 2, r);
    ASSERT_FALSE(r.y.empty());
    EXPECT_FALSE(std::isnan(r.y.front()));
    EXPECT_FALSE(std::isnan(r.y.back()));
    EXPECT_EQ(std::count_if(r.y.begin(), r.y.end(), [](double v) { return std::isnan(v); }), 2);
}

TEST(PlotDecimationTest, NothingForNoColumnsOrAnEmptyRange)
{
    const std::vector<float> x{0, 1, 2};
    const std::vector<float> y{1, 2, 3};
    ReducedCurve r;
    ReduceToColumns(x.data(), y.data(), 3, 0.0, 2.0, 0, r);
    EXPECT_TRUE(r.x.empty());
    ReduceToColumns(x.data(), y.data(), 3, 1.0, 1.0, 10, r);
    EXPECT_TRUE(r.x.empty());
    ReduceToColumns(x.data(), y.data(), 3, 5.0, 6.0, 10, r); // beyond the data: its last point
    EXPECT_EQ(r.x, std::vector<double>{2.0});
}
