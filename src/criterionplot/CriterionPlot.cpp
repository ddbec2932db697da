#include "CriterionPlot.h"

#include "AssessReport.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "Kalvio.h"
#include "ResultLook.h"

#include <algorithm>

namespace CriterionPlot {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

Span SpanOf(const Assess::Protocol& p) { return {p.windowFrom * 1000.0, p.windowTo * 1000.0}; }

Curve CurveOf(const KVSignal& s, const QString& label, const Span& span)
{
    Curve c;
    c.label = label;
    c.units = s.Header().YUnits;
    double toSeconds = 1;
    if (!Criteria::TimeFactor(s.Header().XUnits, toSeconds))
        toSeconds = 1;
    const size_t n = s.PointCount();
    for (size_t i = 0; i < n; ++i) {
        const double t = double(s.X()[i]) * toSeconds * 1000.0;
        if (t < span.from - 1e-9 || t > span.to + 1e-9)
            continue;
        c.t.push_back(static_cast<float>(t));
        c.y.push_back(s.Y()[i]);
    }
    return c;
}

std::optional<Curve> ResultantOf(const Assess::CriterionRow* row, const std::vector<std::shared_ptr<const KVSignal>>& used,
                                 const QString& suffix, const Span& span)
{
    if (used.size() != 3 || !row || row->inputs.size() != 3
        || !std::all_of(row->inputs.begin(), row->inputs.end(),
                        [](Criteria::Quantity q) { return q == Criteria::Quantity::Acceleration; }))
        return std::nullopt;
    KVSignal r;
    KVErrorList errors;
    if (!Kalvio::Resultant(r, *used[0], *used[1], *used[2], &errors))
        return std::nullopt;
    return CurveOf(r, "resultant" + suffix, span);
}

double ReportedToWorking(const std::string& unit) { return unit == "kN" ? 1000.0 : 1.0; }

void FillGraph(CGraph& graph, const std::vector<Curve>& curves)
{
    size_t points = 0;
    for (const Curve& c : curves)
        points = std::max(points, c.t.size());
    const float absent = graph.AbsentValue();
    std::vector<float> x(points * curves.size(), absent), y(points * curves.size(), absent);
    QStringList legend;
    for (size_t k = 0; k < curves.size(); ++k) {
        std::copy(curves[k].t.begin(), curves[k].t.end(), x.begin() + static_cast<long>(k * points));
        std::copy(curves[k].y.begin(), curves[k].y.end(), y.begin() + static_cast<long>(k * points));
        legend << curves[k].label;
    }
    graph.SetAbsentValue(absent);
    graph.SetCurves(std::move(x), std::move(y), static_cast<int>(curves.size()), static_cast<int>(points));
    graph.SetLegend(legend);
}

QList<CGraphMark> MarksOf(const Assess::CriterionResult& c, const std::string& units, Criteria::Quantity q, bool negative,
                          bool limitApplies, double secondsToX)
{
    QList<CGraphMark> marks;
    if (c.t1 && c.t2 && *c.t2 > *c.t1)
        marks.append({CGraphMark::XSpan, *c.t1 * secondsToX, *c.t2 * secondsToX,
                      c.criterion.rfind("hic", 0) == 0 ? QStringLiteral("HIC window") : QStringLiteral("window"),
                      QColor(60, 90, 200)});
    double factor = 0;
    if (!limitApplies || !Criteria::UnitFactor(units, q, factor) || factor == 0)
        return marks;
    const double sign = negative ? -1.0 : 1.0;
    const auto level = [&](double reported) { return sign * reported * ReportedToWorking(c.unit) / factor; };
    const auto text = [&](const char* what, double v) {
        return QStringLiteral("%1 %2 %3").arg(what, Q(Assess::Fixed(v, Assess::ReportedDecimals(c.unit, v))), Q(c.unit));
    };
    if (c.limit)
        marks.append({CGraphMark::Level, level(*c.limit), 0, text("limit", *c.limit), QColor(200, 30, 30)});
    if (c.hpl && c.lpl) {
        marks.append({CGraphMark::LevelBand, level(*c.hpl), level(*c.lpl),
                      text("HPL", *c.hpl) + " / " + text("LPL", *c.lpl), QColor(235, 150, 20)});
        if (c.capping && *c.capping != *c.lpl)
            marks.append({CGraphMark::Level, level(*c.capping), 0, text("capping", *c.capping), QColor(200, 30, 30)});
    }
    return marks;
}

bool LimitOnChannels(const Assess::CriterionResult& c)
{
    return c.unit == "kN" || c.unit == "Nm" || c.unit == "mm" || c.unit == "g";
}

bool ValueBelowZero(const Assess::CriterionResult& c, const std::vector<Curve>& judged, const std::string& units,
                    Criteria::Quantity q)
{
    float lo = 0, hi = 0;
    for (const Curve& k : judged)
        for (float v : k.y)
            if (std::isfinite(v)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
    double toUnits = 0;
    const double v = c.value && Criteria::UnitFactor(units, q, toUnits) && toUnits != 0
                         ? *c.value * ReportedToWorking(c.unit) / toUnits
                         : double(hi);
    return std::fabs(-double(lo) - v) < std::fabs(double(hi) - v);
}

QString UsedChannelLabel(const Assess::ChannelUse& use)
{
    // "raw, filtered to CFC 1000" reads "CODE, filtered to CFC 1000".
    const std::string raw = "raw, ";
    const std::string how = use.filter.rfind(raw, 0) == 0 ? use.filter.substr(raw.size()) : use.filter;
    return Q(use.code) + (how.empty() ? QString() : ", " + Q(how));
}

QString ShowCriterion(CGraph& graph, const Assess::Assessment& a, const Assess::CriterionResult& c)
{
    const std::string& test = a.test;
    const Assess::CriterionRow* row = Assess::FindCriterionRow(c.criterion);
    std::vector<Curve> curves;
    std::vector<std::shared_ptr<const KVSignal>> used;
    std::vector<Criteria::Quantity> quantities;
    for (size_t k = 0; k < c.channels.size(); ++k) {
        if (!c.channels[k].signal)
            continue;
        curves.push_back(CurveOf(*c.channels[k].signal, UsedChannelLabel(c.channels[k]), SpanOf(a.protocol)));
        used.push_back(c.channels[k].signal);
        quantities.push_back(row && !row->inputs.empty() ? row->inputs[k % row->inputs.size()]
                                                         : Criteria::Quantity::Force);
    }
    if (curves.empty())
        return c.channels.empty() ? QStringLiteral("%1 used no channel").arg(Q(Assess::CriterionTitle(c)))
                                  : QStringLiteral("The channels of %1 could not be used%2")
                                        .arg(Q(Assess::CriterionTitle(c)), c.reason.empty() ? QString() : ": " + Q(c.reason));
    const std::optional<Curve> resultant = ResultantOf(row, used, {}, SpanOf(a.protocol));
    if (resultant) {
        curves.push_back(*resultant);
        quantities.push_back(Criteria::Quantity::Acceleration);
    }
    // A panel per unit, over one time axis.
    QStringList units;
    std::vector<int> panelOf;
    for (const Curve& k : curves) {
        if (!units.contains(Q(k.units)))
            units << Q(k.units);
        panelOf.push_back(int(units.indexOf(Q(k.units))));
    }
    graph.SetPanels(units.size() > 1 ? panelOf : std::vector<int>{}, units.size() > 1 ? units : QStringList{});
    FillGraph(graph, curves);
    const QString value = Q(Assess::CriterionValueText(c) + (c.unit.empty() ? "" : " " + c.unit));
    graph.SetTitle(Q((test.empty() ? "" : test + ": ") + Assess::CriterionTitle(c)) + ": " + value);
    graph.SetSubTitle({});
    graph.SetAxisLabels(QStringLiteral("Time (ms)"), units.front());
    const std::string unit = curves.front().units;
    const bool negative = ValueBelowZero(c, resultant ? std::vector<Curve>{*resultant} : curves, unit, quantities.front());
    graph.SetMarks(MarksOf(c, unit, resultant ? Criteria::Quantity::Acceleration : quantities.front(), negative,
                           LimitOnChannels(c) && units.size() == 1));
    graph.Replot();
    return {};
}

} // namespace CriterionPlot
