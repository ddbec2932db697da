// The region pages of the report: the channels each criterion used, as it
// used them, with its limits and window; exceedance curves beside the time
// at or above each level.
#include "AssessCriteria.h"
#include "AssessReport.h"
#include "CGraph.h"
#include "CriterionPlot.h"
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
using namespace CriterionPlot;

namespace {

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

} // namespace Report
