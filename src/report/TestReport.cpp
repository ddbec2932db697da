#include "TestReport.h"

#include "AssessCriteria.h"
#include "AssessReport.h"
#include "CGraph.h"
#include "CriteriaUnits.h"
#include "IsoMmeText.h"
#include "KVErrorList.h"
#include "KVOutputFile.h"
#include "KVSignal.h"
#include "Kalvio.h"
#include "ReportPage.h"
#include "SignalCheck.h"

#include <QBuffer>
#include <QDateTime>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace Report {

namespace {

using Assess::Band;
using Assess::CriterionResult;
using Assess::Status;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The colours of the bands, of pass and fail, and of what could not be judged.
QColor BandFill(Band band)
{
    switch (band) {
    case Band::Good:
        return QColor(46, 158, 68);
    case Band::Adequate:
        return QColor(245, 214, 40);
    case Band::Marginal:
        return QColor(242, 140, 20);
    case Band::Weak:
        return QColor(140, 90, 45);
    case Band::Poor:
        return QColor(210, 40, 40);
    }
    return {};
}
const QColor kPass(46, 158, 68), kFail(210, 40, 40), kNotAvailable(190, 190, 190), kDoubtful(225, 225, 170);

// One channel's check, for the quality page.
struct ChannelCheck {
    std::string code, name;
    Kalvio::CheckResult result;
    std::string readError; // the channel could not be read
};

// What one test contributes: its channels, its assessment, its cover lines
// and the check of every channel.
struct TestData {
    std::vector<std::string> paths;
    Assess::TestSource source;
    Assess::Assessment assessment;
    std::vector<std::pair<QString, QString>> cover;
    std::vector<ChannelCheck> checks;
};

std::string ErrorText(const KVErrorList& errors)
{
    std::string text;
    for (const KVException& e : errors.Errors())
        text += (text.empty() ? "" : "; ") + e.Message();
    return text.empty() ? "cannot be read" : text;
}

// The test's own description: the lines of its test file, which every
// channel of an ISO-MME test carries.
std::vector<std::pair<QString, QString>> CoverLines(const TestData& t)
{
    std::vector<std::pair<QString, QString>> lines;
    lines.push_back({"Test", Q(t.source.Name().empty() ? t.paths.front() : t.source.Name())});
    KVSignal first;
    KVErrorList ignored;
    IsoMmeHeader h;
    if (!t.source.Channels().empty() && t.source.Load(t.source.Channels().front(), first, ignored))
        for (const auto& [name, value] : first.Header().Side.testLines)
            h.fields.push_back({name, value, 0});
    const auto add = [&](const char* label, const std::string& field) {
        if (const auto v = h.Given(field))
            lines.push_back({label, Q(*v)});
    };
    add("Title", "Title");
    add("Laboratory", "Laboratory name");
    add("Laboratory reference", "Laboratory test ref. number");
    add("Date", "Date of the test");
    add("Test type", "Type of the test");
    add("Regulation", "Regulation");
    int objects = 0;
    if (const auto n = h.Given("Number of test objects"))
        objects = std::clamp(std::atoi(n->c_str()), 0, 99);
    for (int k = 1; k <= objects; ++k) {
        const std::string key = std::to_string(k);
        QString object = Q(h.Given("Name of test object " + key).value_or("(no name)"));
        if (const auto v = h.Given("Velocity test object " + key); v && std::isfinite(std::atof(v->c_str())))
            object += QStringLiteral(", %1 m/s (%2 km/h)").arg(Q(*v)).arg(std::atof(v->c_str()) * 3.6, 0, 'f', 1);
        lines.push_back({QStringLiteral("Test object %1").arg(k), object});
    }
    QString dummies;
    for (const Assess::OccupantResult& o : t.assessment.occupants)
        dummies += (dummies.isEmpty() ? "" : "\n") + QStringLiteral("position %1 (%2): %3")
                                                          .arg(QChar(o.position))
                                                          .arg(Q(o.label), Q(o.dummyName));
    lines.push_back({"Dummies", dummies.isEmpty() ? QStringLiteral("none assessed") : dummies});
    return lines;
}

std::vector<ChannelCheck> CheckChannels(const Assess::TestSource& source)
{
    std::vector<ChannelCheck> checks;
    KVSignal s;
    for (const Assess::TestSource::Entry& e : source.Channels()) {
        ChannelCheck c{e.code, e.name, {}, {}};
        KVErrorList errors;
        if (source.Load(e, s, errors))
            c.result = Kalvio::CheckSignal(s);
        else
            c.readError = ErrorText(errors);
        checks.push_back(std::move(c));
    }
    // Failures first, then warnings, each in the test's order.
    std::stable_sort(checks.begin(), checks.end(), [](const ChannelCheck& a, const ChannelCheck& b) {
        const auto rank = [](const ChannelCheck& c) {
            return c.readError.empty() ? 2 - static_cast<int>(c.result.verdict) : -1;
        };
        return rank(a) < rank(b);
    });
    return checks;
}

bool Scored(const Assess::Protocol& p) { return p.scoring == Assess::Scoring::SlidingScale; }

// The cell of a criterion's result: points or verdict on its band's colour,
// n/a grey.
Cell ResultCell(const CriterionResult& c, bool scored)
{
    if (c.status == Status::NotAvailable)
        return {"n/a", kNotAvailable};
    const QColor doubtful = c.status == Status::Doubtful ? kDoubtful : QColor();
    if (c.isModifier)
        return {Q(Assess::ModifierText(c)), doubtful};
    if (scored) {
        if (!c.score)
            return {"monitored", doubtful};
        QString text = Q(Assess::Fixed(*c.score, 2) + " of " + Assess::Fixed(c.maxScore.value_or(0), 0));
        if (c.band)
            text += ", " + QString::fromLatin1(Assess::BandName(*c.band));
        if (c.capped)
            text += ", capped";
        if (c.status == Status::Doubtful)
            text += " (doubtful)";
        return {text, c.band ? BandFill(*c.band) : doubtful};
    }
    if (!c.pass)
        return {"monitored", doubtful};
    return {*c.pass ? "pass" : "FAIL", *c.pass ? kPass : kFail, !*c.pass};
}

// The criterion of name in occupant position of an assessment, or null.
const CriterionResult* FindCriterion(const Assess::Assessment& a, char position, const std::string& region,
                                     const std::string& name)
{
    for (const Assess::OccupantResult& o : a.occupants) {
        if (o.position != position)
            continue;
        for (const Assess::RegionResult& r : o.regions) {
            if (r.region != region)
                continue;
            for (const CriterionResult& c : r.criteria)
                if (c.criterion == name)
                    return &c;
            for (const CriterionResult& c : r.modifiers)
                if (c.criterion == name)
                    return &c;
        }
    }
    return nullptr;
}

const Assess::RegionResult* FindRegion(const Assess::Assessment& a, char position, const std::string& region)
{
    for (const Assess::OccupantResult& o : a.occupants)
        if (o.position == position)
            for (const Assess::RegionResult& r : o.regions)
                if (r.region == region)
                    return &r;
    return nullptr;
}

const Assess::OccupantResult* FindOccupant(const Assess::Assessment& a, char position)
{
    for (const Assess::OccupantResult& o : a.occupants)
        if (o.position == position)
            return &o;
    return nullptr;
}

QString RegionTotal(const Assess::RegionResult* r, bool scored)
{
    if (!r)
        return "n/a";
    if (scored)
        return r->score ? Q(Assess::Fixed(*r->score, 2) + " of " + Assess::Fixed(r->maxScore, 0)
                            + (r->band ? std::string(", ") + Assess::BandName(*r->band) : std::string()))
                        : Q("n/a of " + Assess::Fixed(r->maxScore, 0));
    return r->pass ? (*r->pass ? "pass" : "FAIL") : "incomplete";
}

QColor RegionFill(const Assess::RegionResult* r, bool scored)
{
    if (!r)
        return kNotAvailable;
    if (scored)
        return r->band ? BandFill(*r->band) : kNotAvailable;
    return r->pass ? (*r->pass ? kPass : kFail) : kNotAvailable;
}

// The summary of every occupant: a table per occupant with the tests side by
// side (as many as fit across), the reasons of what is n/a, the totals.
void SummaryPages(CReportPage& page, const std::vector<TestData>& tests)
{
    const Assess::Assessment& first = tests.front().assessment;
    const bool scored = Scored(first.protocol);
    page.NewPage();
    page.Heading("Summary");
    // Criterion, unit, limit, then per test its value and result.
    const double fixed = 145 + 28 + 135;
    const double perTest = tests.size() == 1 ? page.Width() - fixed : 120;
    const size_t across = std::max<size_t>(1, static_cast<size_t>((page.Width() - fixed) / perTest));
    for (const Assess::OccupantResult& occupant : first.occupants) {
        for (size_t from = 0; from < tests.size(); from += across) {
            const size_t to = std::min(tests.size(), from + across);
            page.Heading(QStringLiteral("Position %1 (%2, %3)")
                             .arg(QChar(occupant.position))
                             .arg(Q(occupant.label), Q(occupant.dummyName)),
                         12);
            std::vector<double> widths = {145, 28, 135};
            std::vector<Cell> head = {{"criterion"}, {"unit"}, {scored ? "HPL / LPL" : "limit"}};
            for (size_t t = from; t < to; ++t) {
                const double w = (page.Width() - fixed) / double(to - from);
                widths.push_back(w * 0.38);
                widths.push_back(w * 0.62);
                const QString name = Q(tests[t].assessment.test);
                head.push_back({tests.size() == 1 ? "value" : name + " value"});
                head.push_back({scored ? "points" : "verdict"});
            }
            page.Row(widths, head, true);
            std::vector<QString> reasons;
            for (const Assess::RegionResult& region : occupant.regions) {
                std::vector<Cell> regionRow = {{Q(region.region), {}, true}, {}, {}};
                for (size_t t = from; t < to; ++t) {
                    const Assess::RegionResult* r = FindRegion(tests[t].assessment, occupant.position, region.region);
                    regionRow.push_back({});
                    regionRow.push_back({RegionTotal(r, scored), RegionFill(r, scored), true});
                }
                page.Row(widths, regionRow);
                std::vector<const CriterionResult*> rows;
                for (const CriterionResult& c : region.criteria)
                    rows.push_back(&c);
                for (const CriterionResult& c : region.modifiers)
                    rows.push_back(&c);
                for (const CriterionResult* c0 : rows) {
                    std::vector<Cell> cells = {{Q(c0->criterion)}, {Q(c0->unit)}, {Q(Assess::CriterionLimitText(*c0))}};
                    for (size_t t = from; t < to; ++t) {
                        const CriterionResult* c =
                            FindCriterion(tests[t].assessment, occupant.position, region.region, c0->criterion);
                        if (!c) {
                            cells.push_back({"-"});
                            cells.push_back({"n/a", kNotAvailable});
                            continue;
                        }
                        cells.push_back({Q(Assess::CriterionValueText(*c))});
                        cells.push_back(ResultCell(*c, scored));
                        if (!c->reason.empty())
                            reasons.push_back(QStringLiteral("%1%2: %3%4")
                                                  .arg(tests.size() > 1 ? Q(tests[t].assessment.test) + " " : "")
                                                  .arg(Q(c->criterion))
                                                  .arg(c->status == Status::Ok ? "" : Q(Assess::StatusName(c->status)) + ": ")
                                                  .arg(Q(c->reason)));
                    }
                    page.Row(widths, cells);
                }
            }
            std::vector<Cell> total = {{scored ? "total" : "verdict", {}, true}, {}, {}};
            for (size_t t = from; t < to; ++t) {
                const Assess::OccupantResult* o = FindOccupant(tests[t].assessment, occupant.position);
                QString text = "n/a";
                QColor fill = kNotAvailable;
                if (o && scored) {
                    text = o->score ? Q(Assess::Fixed(*o->score, 2)) : "n/a";
                    text += Q(" of " + Assess::Fixed(o->maxScore, 0));
                    if (o->score2026)
                        text += Q(" (2026: " + Assess::Fixed(*o->score2026, 2) + ")");
                    if (!o->verdict.empty())
                        text += " " + Q(o->verdict);
                    fill = o->score ? QColor() : kNotAvailable;
                } else if (o) {
                    text = Q(o->verdict);
                    fill = o->verdict == "pass" ? kPass : o->verdict == "fail" ? kFail : kNotAvailable;
                }
                total.push_back({});
                total.push_back({text, fill, true});
            }
            page.Row(widths, total);
            page.Space(4);
            for (const QString& r : reasons)
                page.Paragraph(r, 8, QColor(90, 90, 90), 8);
            if (scored && tests.size() == 1) {
                // The bands from 2026: the points each band gives, beside the straight line.
                QString bands;
                for (const Assess::RegionResult& r : occupant.regions)
                    if (r.score2026)
                        bands += QStringLiteral("%1%2 %3").arg(bands.isEmpty() ? "" : ", ", Q(r.region),
                                                               Q(Assess::Fixed(*r.score2026, 2)));
                if (!bands.isEmpty())
                    page.Paragraph("Points by colour band (from 2026): " + bands, 8, QColor(60, 60, 60), 8);
            }
            page.Space(8);
        }
    }
    // The observations that are no curves, with their source.
    bool any = false;
    for (const TestData& t : tests)
        any = any || !t.assessment.inputs.empty();
    if (any) {
        page.Heading("Inputs that are not curves", 12);
        for (const TestData& t : tests)
            for (const Assess::InputUse& in : t.assessment.inputs)
                page.Paragraph(QStringLiteral("%1%2 = %3 (%4)%5")
                                   .arg(tests.size() > 1 ? Q(t.assessment.test) + ": " : "")
                                   .arg(Q(in.name))
                                   .arg(in.isNumber ? Q(Assess::Fixed(in.value, 2) + (in.unit.empty() ? "" : " " + in.unit))
                                                    : in.value != 0 ? "yes" : "no")
                                   .arg(Q(in.source))
                                   .arg(in.meaning.empty() ? "" : ": " + Q(in.meaning)),
                               9);
    }
    for (const TestData& t : tests)
        for (const std::string& w : t.assessment.warnings)
            page.Paragraph(Q("warning (" + t.assessment.test + "): " + w), 8.5, QColor(120, 60, 0));
}

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
    PaintCurves(painter, rect, plotted, Q(c.criterion) + ": time at or above each level", Q("Level (" + c.unit + ")"),
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
        page.Paragraph(Q(c0.criterion) + ": no curves" + (c0.reason.empty() ? QString() : " (" + Q(c0.reason) + ")"),
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
        QString title = Q(c0.criterion) + ": " + value;
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

void QualityPages(CReportPage& page, const std::vector<TestData>& tests)
{
    page.NewPage();
    page.Heading("Channel quality");
    for (const TestData& t : tests) {
        if (tests.size() > 1)
            page.Heading(Q("Test " + t.assessment.test), 12);
        size_t failed = 0, warned = 0;
        for (const ChannelCheck& c : t.checks) {
            if (!c.readError.empty() || c.result.verdict == Kalvio::CheckVerdict::Fail)
                ++failed;
            else if (c.result.verdict == Kalvio::CheckVerdict::Warning)
                ++warned;
        }
        if (failed == 0 && warned == 0) {
            page.Paragraph(QStringLiteral("All %1 channels of test %2 passed the channel check.")
                               .arg(t.checks.size())
                               .arg(Q(t.assessment.test)));
            continue;
        }
        page.Paragraph(QStringLiteral("%1 of %2 channels fail the channel check, %3 have warnings; the others passed.")
                           .arg(failed)
                           .arg(t.checks.size())
                           .arg(warned));
        const std::vector<double> widths = {105, 45, page.Width() - 150};
        page.Row(widths, {{"channel"}, {"verdict"}, {"findings"}}, true);
        for (const ChannelCheck& c : t.checks) {
            if (c.readError.empty() && c.result.verdict == Kalvio::CheckVerdict::Ok)
                continue;
            const bool fail = !c.readError.empty() || c.result.verdict == Kalvio::CheckVerdict::Fail;
            QString findings = Q(c.readError);
            for (const Kalvio::CheckFinding& f : c.result.findings)
                findings += (findings.isEmpty() ? "" : "\n") + Q(std::string(Kalvio::CheckVerdictName(f.severity)) + " "
                                                                 + Kalvio::CheckKindName(f.kind) + ": " + f.message);
            page.Row(widths, {{Q(c.code) + "\n" + Q(c.name)}, {fail ? "fail" : "warning", fail ? kFail : kDoubtful},
                              {findings}});
        }
    }
}

void CoverPage(CReportPage& page, const std::vector<TestData>& tests, const ReportRequest& request)
{
    const Assess::Protocol& p = request.protocol;
    page.NewPage();
    page.Space(40);
    page.Heading(tests.size() == 1 ? Q("Test report " + tests.front().assessment.test) : "Test report: repeat tests", 22);
    page.Paragraph(Q(p.name), 12);
    page.Space(16);
    for (const TestData& t : tests) {
        page.Facts(t.cover);
        page.Space(12);
    }
    page.Facts({{"Protocol", Q(p.id + ", " + p.name)},
                {"Version", Q(p.version + (p.date.empty() ? "" : " (" + p.date + ")"))},
                {"Source", Q(p.source)},
                {"Made by", Q(request.maker) + " " + QStringLiteral(ONDREL_VERSION_TEXT)},
                {"Made on", QDateTime::currentDateTime().toString(Qt::ISODate)}});
}

} // namespace

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
                         ? *c.value * ReportedToWorking(c.unit) / factor
                         : double(hi);
    const bool negative = std::fabs(-double(lo) - v) < std::fabs(double(hi) - v);
    return MarksOf(c, h.YUnits, q, negative, LimitOnChannels(c) && sameUnits, 1.0 / toSeconds);
}

bool MakeReport(const ReportRequest& request, QByteArray& pdf, std::string& error)
{
    if (request.tests.empty()) {
        error = "no test given";
        return false;
    }
    std::vector<TestData> tests(request.tests.size());
    for (size_t i = 0; i < request.tests.size(); ++i) {
        TestData& t = tests[i];
        t.paths = request.tests[i];
        const std::string name = t.paths.empty() ? std::string("(no file)") : t.paths.front();
        KVErrorList errors;
        if (!t.source.Open(t.paths, errors)) {
            error = name + ": " + ErrorText(errors);
            return false;
        }
        Assess::AssessOptions options = request.options;
        options.progress = nullptr;
        if (!Assess::AssessTest(t.source, request.protocol, options, t.assessment, error)) {
            error = name + ": " + error;
            return false;
        }
        if (t.assessment.occupants.empty()) {
            error = name + ": no occupant of protocol " + request.protocol.id + " is in this test";
            return false;
        }
        t.cover = CoverLines(t);
        t.checks = CheckChannels(t.source);
        if (request.progress && !request.progress(0.5 * double(i + 1) / double(request.tests.size()))) {
            error = "cancelled";
            return false;
        }
    }
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(request.page == PageFormat::Letter ? QPageSize::Letter : QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    writer.setTitle(Q("Test report " + tests.front().assessment.test + " under " + request.protocol.id));
    writer.setCreator(Q(request.maker));
    QString names;
    for (const TestData& t : tests)
        names += (names.isEmpty() ? "" : ", ") + Q(t.assessment.test);
    CReportPage page(writer, (tests.size() == 1 ? "Test " : "Tests ") + names + "  |  " + Q(request.protocol.id));
    if (!page.Ok()) {
        error = "the PDF could not be started";
        return false;
    }
    CoverPage(page, tests, request);
    SummaryPages(page, tests);
    RegionPages(page, tests, request.progress);
    if (request.progress && !request.progress(0.95)) {
        error = "cancelled";
        return false;
    }
    QualityPages(page, tests);
    return true;
}

bool WriteReport(const ReportRequest& request, const std::string& path, std::string& error)
{
    QByteArray pdf;
    {
        // The painter ends with MakeReport's page, which closes the PDF.
        if (!MakeReport(request, pdf, error))
            return false;
    }
    std::string reason;
    if (!KVWriteFile(path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(pdf.constData()),
                                                     static_cast<size_t>(pdf.size())),
                     reason)) {
        error = path + ": " + reason;
        return false;
    }
    return true;
}

} // namespace Report
