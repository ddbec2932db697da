#pragma once
// What the result window plots, as plain arrays: curves of equal length (time
// in ms) padded with an absent value, ready for a graph that breaks lines there.
#include "Criterion.h"

#include <string>
#include <vector>

namespace Criteria {

// How a curve is drawn: a signal, the stretch that decides the result, or a
// vertical line at a deciding time.
enum class CurveRole { Signal, Deciding, Mark };

struct PlotCurves {
    int curveCount = 0;
    int pointsPerCurve = 0;
    std::vector<float> x; // curve i from element i * pointsPerCurve
    std::vector<float> y;
    std::vector<std::string> labels;
    std::vector<CurveRole> roles;
    std::string yLabel;
};

// The input channels (and the resultant); with no time history also the
// deciding stretch of the last curve and the marks as vertical lines.
PlotCurves InputCurves(const Outcome& outcome, float absent);
// The time history with the limit as a level and the marks; no curve when the
// criterion has none.
PlotCurves HistoryCurves(const Outcome& outcome, float absent);

} // namespace Criteria
