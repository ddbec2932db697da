#pragma once
// Line types of the plot's curves: the per-curve sequence chosen by the
// "LineStyle" setting and the pen each of the twelve types stands for.
#include <QColor>
#include <QPen>

#include <vector>

// Number of line types the graph knows: 0 to 11.
inline constexpr int kLineTypeCount = 12;

// The line type of each of n curves for a LineStyle value: 0 alternates
// 0, 1, 2, 3, 4, 5, 6, 9, 10, 11; 1 thin, 2 medium, 3 thick solid lines.
// Any other value gives thin solid lines (0).
std::vector<int> CurveLineTypes(int lineStyle, int curveCount);

// The pen of a line type (width and dash pattern) in the given colour; types
// outside 0 to 11 draw as type 0.
QPen LineTypePen(int lineType, const QColor& colour);

// A colour for curve i, distinct from its neighbours; twelve colours cycle,
// so with the ten alternating line types no two of the first 60 curves look alike.
QColor CurveColour(int curveIndex);
