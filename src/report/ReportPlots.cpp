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

Curve CurveOf(const KVSignal& s, const QString& label)
{
    Curve c;
    c.label = label;
    c.units = s.Header().YUnits;
    double toSeconds = 1;
    if (!Criteria::TimeFactor(s.Header().XUnits, toSeconds))
        toSeconds = 1;
    const size_t n = s.PointCount();
    c.t.resize(n);
    c.y.assign(s.Y(), s.Y() + n);
    for (size_t i = 0; i < n; ++i)
        c.t[i] = static_cast<float>(double(s.X()[i]) * toSeconds * 1000.0);
    return c;
}

// The factor from a criterion's reported unit to the unit the criteria
// library works in (kN to N, the others as they are).
double ReportedToWorking(const std::string& unit) { return unit == "kN" ? 1000.0 : 1.0; }

// Draws curves (each its own length) with the marks into rect.
void PaintCurves(QPainter& painter, const QRectF& rect, const std::vector<Curve>& curves, const QString& title,
                 const QString& xLabel, const QString& yLabel, const QList<CGraphMark>& marks)
{
    CGraph graph;
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
        std::vector<KVSignal> used;
        for (size_t k = 0; k < c->channels.size(); ++k) {
            KVSignal s;
            KVErrorList errors;
            if (!Assess::LoadChannelAsUsed(t.source, c->channels[k], s, errors)) {
                problems += Q(c->channels[k].code + ": " + ErrorText(errors)) + "\n";
                continue;
            }
            const QString label =
                Q(c->channels[k].code) + (tests.size() > 1 ? " (" + Q(t.assessment.test) + ")" : QString());
            Curve curve = CurveOf(s, label);
            if (row && !row->inputs.empty())
                quantityOf[curve.units] = row->inputs[k % row->inputs.size()];
            byUnit[curve.units].push_back(curve);
            used.push_back(std::move(s));
        }
        // Three accelerations make a resultant, which HIC and the 3 ms clip judge.
        if (used.size() == 3 && row && row->inputs.size() == 3
            && std::all_of(row->inputs.begin(), row->inputs.end(),
                           [](Criteria::Quantity q) { return q == Criteria::Quantity::Acceleration; })) {
            KVSignal r;
            KVErrorList errors;
            if (Kalvio::Resultant(r, used[0], used[1], used[2], &errors))
                resultant.push_back(
                    CurveOf(r, "resultant" + (tests.size() > 1 ? " (" + Q(t.assessment.test) + ")" : QString())));
        }
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
        float lo = 0, hi = 0;
        for (const Curve& k : onResultant ? resultant : curves)
            for (float v : k.y)
                if (std::isfinite(v)) {
                    lo = std::min(lo, v);
                    hi = std::max(hi, v);
                }
        // The side of the curves the criterion's value lies on decides where
        // its limit is drawn (compression below zero, tension above).
        double toUnits = 0;
        const double v = c0.value && Criteria::UnitFactor(units, q, toUnits) && toUnits != 0
                             ? *c0.value * ReportedToWorking(c0.unit) / toUnits
                             : double(hi);
        const bool negative = std::fabs(-double(lo) - v) < std::fabs(double(hi) - v);
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

QList<CGraphMark> CriterionMarks(const Assess::CriterionResult& c, const std::vector<const KVSignal*>& channels)
{
    if (channels.empty() || !channels.front())
        return {};
    const KVHeader& h = channels.front()->Header();
    double toSeconds = 1;
    if (!Criteria::TimeFactor(h.XUnits, toSeconds) || toSeconds <= 0)
        toSeconds = 1;
    const Assess::CriterionRow* row = Assess::FindCriterionRow(c.criterion);
    const Criteria::Quantity q = row && !row->inputs.empty() ? row->inputs.front() : Criteria::Quantity::Force;
    bool sameUnits = true;
    float lo = 0, hi = 0;
    for (const KVSignal* s : channels) {
        sameUnits = sameUnits && s && s->Header().YUnits == h.YUnits;
        for (size_t i = 0; s && i < s->PointCount(); ++i)
            if (std::isfinite(s->Y()[i])) {
                lo = std::min(lo, s->Y()[i]);
                hi = std::max(hi, s->Y()[i]);
            }
    }
    double factor = 0;
    const double v = c.value && Criteria::UnitFactor(h.YUnits, q, factor) && factor != 0
                         ? *c.value * Detail::ReportedToWorking(c.unit) / factor
                         : double(hi);
    const bool negative = std::fabs(-double(lo) - v) < std::fabs(double(hi) - v);
    return Detail::MarksOf(c, h.YUnits, q, negative, Detail::LimitOnChannels(c) && sameUnits, 1.0 / toSeconds);
}

} // namespace Report
