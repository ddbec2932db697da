#pragma once
// A long curve reduced to what a picture can show: per pixel column its
// first, lowest, highest and last point, in the order of the data, so that
// every peak stays and the line joins the columns as the full curve does.
#include <cstddef>
#include <vector>

// The points kept, in the order of the data; a NaN y breaks the line.
struct ReducedCurve {
    std::vector<double> x;
    std::vector<double> y;
};

// Where column c begins when [lower, upper) is cut into columns equal parts.
double ColumnEdge(double c, double lower, double upper, int columns);

// The pixel column c of value v: ColumnEdge(c) <= v < ColumnEdge(c + 1).
// Below the range it is negative, at or beyond the upper end columns or more.
double PixelColumn(double v, double lower, double upper, int columns);

// Reduces count points whose x never decreases to the columns of
// [xLower, xUpper]. Per column the kept points have the same minimum and
// maximum y as all points there; the last point before the range and the
// first after it are kept so that the line leaves the picture as it would.
// A point with a NaN y breaks the line (one NaN point is kept for it).
// Nothing is kept for columns < 1 or an empty range.
void ReduceToColumns(const float* x, const float* y, size_t count, double xLower, double xUpper, int columns,
                     ReducedCurve& out);
