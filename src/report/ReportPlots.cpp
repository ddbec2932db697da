// The region pages of the report: the channels each criterion used, as it
// used them, with its limits and window; exceedance curves beside the time
// at or above each level.
#include "AssessCriteria.h"
#include "AssessReport.h"
#include "CGraph.h"
#include "CriteriaUnits.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "Kalvio.h"
#include "ReportParts.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <optional>

namespace Report {

namespace Detail {

using Assess::CriterionResult;

namespace {

// A curve of a plot: its time in ms and values, with its legend text.
struct Curve {
    std::vector<float> t, y;
    QString label;
    std::string units;
};

// The span of a plot's time axis (ms): the protocol's window.
struct Span {
    double from = -HUGE_VAL, to = HUGE_VAL;
};

Span SpanOf(const Assess::Protocol& p) { return {p.windowFrom * 1000.0, p.windowTo * 1000.0}; }

// The curve of s over span (a 10 s record shows its event, not a spike at the edge).
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

// The resultant of three accelerations, which HIC and the 3 ms clip judge;
// none for other criteria.
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

// The factor from a criterion's reported unit to the unit the criteria
// library works in (kN to N, the others as they are).
double ReportedToWorking(const std::string& unit) { return unit == "kN" ? 1000.0 : 1.0; }

// The curves (each its own length) and their legend put into graph.
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

// Draws curves (each its own length) with the marks into rect.
void PaintCurves(QPainter& painter, const QRectF& rect, const std::vector<Curve>& curves, const QString& title,
                 const QString& xLabel, const QString& yLabel, const QList<CGraphMark>& marks)
{
    CGraph graph;
    FillGraph(graph, curves);
    graph.SetSubTitle(title);
    graph.SetAxisLabels(xLabel, yLabel);
    graph.SetMarks(marks);
    // Laid out a quarter larger than the page's points and drawn scaled
    // down, the plot gets the room its legend would take.
    constexpr double kScale = 1.25;
    const QRectF laid(rect.topLeft() * kScale, rect.size() * kScale);
    graph.resize(static_cast<int>(laid.width()), static_cast<int>(laid.height()));
    graph.Replot();
    painter.save();
    painter.scale(1 / kScale, 1 / kScale);
    graph.Paint(painter, laid);
    painter.restore();
}

// Marks of a criterion on a plot of channels in units: the limit (or the HPL
// to LPL band and the capping line) on the side the curves reach, and the
// window that decided it.
QList<CGraphMark> MarksOf(const CriterionResult& c, const std::string& units, Criteria::Quantity q, bool negative,
                          bool limitApplies, double secondsToX = 1000.0)
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

// The time at or above each force level against the level, and the
// exceedance curve, as a second plot.
void PaintExceedance(QPainter& painter, const QRectF& rect, const CriterionResult& c, const std::vector<Curve>& curves,
                     double factor, bool negative)
{
    std::vector<Curve> plotted;
    for (const Curve& k : curves) {
        if (k.t.size() < 2)
            continue;
        const double dt = (double(k.t.back()) - double(k.t.front())) / double(k.t.size() - 1); // ms
        std::vector<double> levels;
        for (float v : k.y)
            levels.push_back((negative ? -double(v) : double(v)) * factor / ReportedToWorking(c.unit));
        std::sort(levels.begin(), levels.end(), std::greater<>());
        // Level F is reached for (i + 1) samples: the (i + 1) largest are at or above it.
        Curve d;
        d.label = k.label + " time at or above";
        const size_t stepEvery = std::max<size_t>(1, levels.size() / 2000);
        for (size_t i = 0; i < levels.size(); i += stepEvery) {
            if (levels[i] <= 0)
                break;
            d.t.push_back(static_cast<float>(levels[i]));
            d.y.push_back(static_cast<float>(double(i + 1) * dt));
        }
        plotted.push_back(std::move(d));
    }
    Curve limit;
    limit.label = "exceedance curve";
    for (size_t i = 0; i < c.curve.size(); ++i) {
        // The curve gives the time a level may last; drawn from its highest level down.
        limit.t.push_back(static_cast<float>(c.curve[i].second));
        limit.y.push_back(static_cast<float>(c.curve[i].first));
    }
    if (!c.curve.empty()) {
        limit.t.push_back(static_cast<float>(c.curve.back().second));
        limit.y.push_back(static_cast<float>(std::max(c.curve.back().first * 1.5, c.curve.back().first + 10)));
    }
    plotted.push_back(std::move(limit));
    PaintCurves(painter, rect, plotted, Q(Assess::CriterionTitle(c)) + ": time at or above each level", Q("Level (" + c.unit + ")"),
                "Time (ms)", {});
}

constexpr double kPlotHeight = 215;

// The criteria whose value is the peak of its channels, so that its limit can
// be drawn on them (not HIC, Nij, an index or a combination).
bool LimitOnChannels(const CriterionResult& c)
{
    return c.unit == "kN" || c.unit == "Nm" || c.unit == "mm" || c.unit == "g";
}

// Whether the criterion's value lies on the side below zero of the curves
// judged (compression below zero, tension above): its limit is drawn there.
bool ValueBelowZero(const CriterionResult& c, const std::vector<Curve>& judged, const std::string& units,
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

// The plots of one criterion: its channels as used (one line per test), split
// by unit, with the limit, the window and, for an exceedance curve, the
// time-above-level plot.
void CriterionPlots(CReportPage& page, const std::vector<TestData>& tests, char position, const std::string& region,
                    const CriterionResult& c0)
{
    const Assess::CriterionRow* row = Assess::FindCriterionRow(c0.criterion);
    std::map<std::string, std::vector<Curve>> byUnit;
    std::map<std::string, Criteria::Quantity> quantityOf;
    std::vector<Curve> resultant;
    QString problems;
    for (const TestData& t : tests) {
        const CriterionResult* c = FindCriterion(t.assessment, position, region, c0.criterion);
        if (!c)
            continue;
        const QString suffix = tests.size() > 1 ? " (" + Q(t.assessment.test) + ")" : QString();
        std::vector<std::shared_ptr<const KVSignal>> used;
        for (size_t k = 0; k < c->channels.size(); ++k) {
            std::shared_ptr<const KVSignal> s = c->channels[k].signal;
            if (!s) {
                auto read = std::make_shared<KVSignal>();
                KVErrorList errors;
                if (!Assess::LoadChannelAsUsed(t.source, c->channels[k], *read, errors)) {
                    problems += Q(c->channels[k].code + ": " + ErrorText(errors)) + "\n";
                    continue;
                }
                s = std::move(read);
            }
            Curve curve = CurveOf(*s, UsedChannelLabel(c->channels[k]) + suffix, SpanOf(t.assessment.protocol));
            if (row && !row->inputs.empty())
                quantityOf[curve.units] = row->inputs[k % row->inputs.size()];
            byUnit[curve.units].push_back(curve);
            used.push_back(std::move(s));
        }
        if (std::optional<Curve> r = ResultantOf(row, used, suffix, SpanOf(t.assessment.protocol)))
            resultant.push_back(std::move(*r));
    }
    const QString value = Q(Assess::CriterionValueText(c0) + (c0.unit.empty() ? "" : " " + c0.unit));
    if (byUnit.empty()) {
        page.Paragraph(Q(Assess::CriterionTitle(c0)) + ": no curves" + (c0.reason.empty() ? QString() : " (" + Q(c0.reason) + ")"),
                       9, QColor(90, 90, 90));
        return;
    }
    for (auto& [units, curves] : byUnit) {
        const Criteria::Quantity q = quantityOf.count(units) ? quantityOf[units] : Criteria::Quantity::Force;
        std::vector<Curve> shown = curves;
        const bool onResultant = !resultant.empty() && q == Criteria::Quantity::Acceleration;
        if (onResultant)
            shown.insert(shown.end(), resultant.begin(), resultant.end());
        const bool negative = ValueBelowZero(c0, onResultant ? resultant : curves, units, q);
        const QList<CGraphMark> marks = MarksOf(c0, units, q, negative, LimitOnChannels(c0) && byUnit.size() == 1);
        QString title = Q(Assess::CriterionTitle(c0)) + ": " + value;
        if (tests.size() == 1) {
            const QString limit = Q(Assess::CriterionLimitText(c0));
            title += " (" + (limit.isEmpty() ? QString() : limit + ", ") + ResultCell(c0, Scored(tests.front().assessment.protocol)).text + ")";
        }
        page.Picture(kPlotHeight, [&](QPainter& p, const QRectF& r) {
            PaintCurves(p, r, shown, title, "Time (ms)", Q(units), marks);
        });
        double factor = 0;
        if (!c0.curve.empty() && Criteria::UnitFactor(units, q, factor))
            page.Picture(kPlotHeight * 0.8, [&](QPainter& p, const QRectF& r) {
                PaintExceedance(p, r, c0, curves, factor, negative);
            });
    }
    if (!problems.isEmpty())
        page.Paragraph(problems.trimmed(), 8, QColor(120, 60, 0));
}

} // namespace

// One page (or more) per body region and occupant.
void RegionPages(CReportPage& page, const std::vector<TestData>& tests, const std::function<bool(double)>& progress)
{
    const Assess::Assessment& first = tests.front().assessment;
    size_t done = 0, all = 0;
    for (const Assess::OccupantResult& o : first.occupants)
        all += o.regions.size();
    for (const Assess::OccupantResult& o : first.occupants) {
        for (const Assess::RegionResult& r : o.regions) {
            page.NewPage();
            page.Heading(QStringLiteral("Position %1 (%2, %3): %4").arg(QChar(o.position)).arg(Q(o.label), Q(o.dummyName), Q(r.region)));
            for (const CriterionResult& c : r.criteria)
                CriterionPlots(page, tests, o.position, r.region, c);
            for (const CriterionResult& c : r.modifiers)
                if (!c.channels.empty())
                    CriterionPlots(page, tests, o.position, r.region, c);
            if (progress && !progress(0.5 + 0.4 * double(++done) / double(std::max<size_t>(all, 1))))
                return;
        }
    }
}

} // namespace Detail

QString UsedChannelLabel(const Assess::ChannelUse& use)
{
    // "raw, filtered to CFC 1000" reads "CODE, filtered to CFC 1000".
    const std::string raw = "raw, ";
    const std::string how = use.filter.rfind(raw, 0) == 0 ? use.filter.substr(raw.size()) : use.filter;
    return Detail::Q(use.code) + (how.empty() ? QString() : ", " + Detail::Q(how));
}

QString ShowCriterion(CGraph& graph, const Assess::Assessment& a, const Assess::CriterionResult& c)
{
    const std::string& test = a.test;
    using namespace Detail;
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

} // namespace Report
