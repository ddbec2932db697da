#include "PlotDecimation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The points of one column between gaps: indices of its first, lowest,
// highest and last point.
struct Group {
    size_t first = 0;
    size_t low = 0;
    size_t high = 0;
    size_t last = 0;
    bool open = false;
};

void Emit(const float* x, const float* y, size_t i, ReducedCurve& out)
{
    out.x.push_back(x[i]);
    out.y.push_back(y[i]);
}

void Flush(const float* x, const float* y, Group& g, ReducedCurve& out)
{
    if (!g.open)
        return;
    g.open = false;
    const size_t a = std::min(g.low, g.high);
    const size_t b = std::max(g.low, g.high);
    Emit(x, y, g.first, out);
    if (a != g.first)
        Emit(x, y, a, out);
    if (b != a && b != g.first)
        Emit(x, y, b, out);
    if (g.last != b && g.last != g.first)
        Emit(x, y, g.last, out);
}

} // namespace

double ColumnEdge(double c, double lower, double upper, int columns)
{
    return lower + (upper - lower) * c / double(columns);
}

double PixelColumn(double v, double lower, double upper, int columns)
{
    double c = std::floor((v - lower) * (double(columns) / (upper - lower)));
    // The edges decide: the quotient may round across one.
    while (v < ColumnEdge(c, lower, upper, columns))
        c -= 1.0;
    while (v >= ColumnEdge(c + 1.0, lower, upper, columns))
        c += 1.0;
    return c;
}

void ReduceToColumns(const float* x, const float* y, size_t count, double xLower, double xUpper, int columns,
                     ReducedCurve& out)
{
    out.x.clear();
    out.y.clear();
    if (!x || !y || count == 0 || columns < 1 || !(xUpper > xLower))
        return;
    // One neighbour on either side of the range, so that the line runs to the edge.
    size_t begin = static_cast<size_t>(
        std::lower_bound(x, x + count, xLower, [](float a, double b) { return double(a) < b; }) - x);
    size_t end = static_cast<size_t>(
        std::upper_bound(x, x + count, xUpper, [](double a, float b) { return a < double(b); }) - x);
    begin = begin > 0 ? begin - 1 : 0;
    end = std::min(end + 1, count);
    out.x.reserve(size_t(columns) * 4 + 8);
    out.y.reserve(size_t(columns) * 4 + 8);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    size_t i = begin;
    while (i < end) {
        if (std::isnan(y[i])) {
            if (!out.y.empty() && !std::isnan(out.y.back())) {
                out.x.push_back(x[i]);
                out.y.push_back(nan);
            }
            ++i;
            continue;
        }
        // Points outside the range fall into the columns just beside it.
        const double c = std::clamp(PixelColumn(x[i], xLower, xUpper, columns), -1.0, double(columns));
        const double edge = c >= columns ? inf : ColumnEdge(c + 1.0, xLower, xUpper, columns);
        Group g{i, i, i, i, true};
        float low = y[i];
        float high = y[i];
        for (++i; i < end && double(x[i]) < edge; ++i) {
            const float yi = y[i];
            if (std::isnan(yi))
                break;
            if (yi < low) {
                low = yi;
                g.low = i;
            }
            if (yi > high) {
                high = yi;
                g.high = i;
            }
        }
        g.last = i - 1;
        Flush(x, y, g, out);
    }
    // A break at the very end draws nothing.
    while (!out.y.empty() && std::isnan(out.y.back())) {
        out.x.pop_back();
        out.y.pop_back();
    }
}
