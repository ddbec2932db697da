#pragma once
// A criterion's plot, the same in the report and the window: the channels as
// the assessment used them, over the protocol's window in ms, the resultant
// it was computed on, and its marks (limit lines, the HPL to LPL band and
// capping line, the window that decided it).
#include "AssessCriteria.h"
#include "Assessment.h"
#include "CGraph.h"
#include "CriteriaUnits.h"

#include <QList>
#include <QString>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KVSignal;

namespace CriterionPlot {

// A curve of a plot: its time in ms and values, with its legend text.
struct Curve {
    std::vector<float> t, y;
    QString label;
    std::string units;
};

// The span of a plot's time axis (ms).
struct Span {
    double from = -HUGE_VAL, to = HUGE_VAL;
};

// The protocol's window in ms.
Span SpanOf(const Assess::Protocol& p);
// The samples of s within span (a 10 s record shows its event, not a spike at the edge).
Curve CurveOf(const KVSignal& s, const QString& label, const Span& span);
// The resultant of three accelerations, which HIC and the 3 ms clip judge;
// none for other criteria.
std::optional<Curve> ResultantOf(const Assess::CriterionRow* row, const std::vector<std::shared_ptr<const KVSignal>>& used,
                                 const QString& suffix, const Span& span);
// The factor from a criterion's reported unit to the unit the criteria
// library works in (kN to N, the others as they are).
double ReportedToWorking(const std::string& unit);
// The curves (each its own length) and their legend put into graph.
void FillGraph(CGraph& graph, const std::vector<Curve>& curves);
// Marks of criterion c on a plot of channels in units: the limit (or the HPL
// to LPL band and the capping line) on the side the curves reach (below zero
// when negative) when limitApplies, and the window that decided it.
QList<CGraphMark> MarksOf(const Assess::CriterionResult& c, const std::string& units, Criteria::Quantity q, bool negative,
                          bool limitApplies, double secondsToX = 1000.0);
// Whether the criterion's value is the peak of its channels, so that its
// limit can be drawn on them (not HIC, Nij, an index or a combination).
bool LimitOnChannels(const Assess::CriterionResult& c);
// Whether the criterion's value lies below zero on the curves judged
// (compression below zero, tension above): its limit is drawn there.
bool ValueBelowZero(const Assess::CriterionResult& c, const std::vector<Curve>& judged, const std::string& units,
                    Criteria::Quantity q);

// A channel named with what was done to it for the criterion:
// "11HEAD0000H3ACXA, filtered to CFC 1000", "11NECKUP00H3FOZA, CFC 1000 as recorded".
QString UsedChannelLabel(const Assess::ChannelUse& use);

// Shows on graph the channels of criterion c of assessment a as it used them
// (the signals an assessment with keepChannels handed on), the resultant it
// was computed on, a panel per unit over the protocol's window in ms, with
// its limits and window; titled with the test's name and the value. Returns
// why nothing could be shown, else empty.
QString ShowCriterion(CGraph& graph, const Assess::Assessment& a, const Assess::CriterionResult& c);

} // namespace CriterionPlot
