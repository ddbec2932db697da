#include "CorrelationReport.h"

#include "CGraph.h"
#include "CorrelateCommand.h"
#include "KVOutputFile.h"
#include "KVPrintableName.h"
#include "ReportPage.h"

#include <QBuffer>
#include <QDateTime>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>

namespace Report {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString Fixed(double v, int decimals = 3) { return QString::number(v, 'f', decimals); }

// The fills of the rating bands and of what could not be rated.
QColor BandFill(Correlate::Band band)
{
    switch (band) {
    case Correlate::Band::Good:
        return QColor(46, 158, 68);
    case Correlate::Band::Fair:
        return QColor(245, 190, 40);
    case Correlate::Band::Poor:
        return QColor(210, 40, 40);
    }
    return {};
}
const QColor kNotRated(190, 190, 190);

Cell RatingCell(const std::optional<double>& rating)
{
    if (!rating)
        return {"n/a", kNotRated};
    const Correlate::Band band = Correlate::BandOf(*rating);
    return {Fixed(*rating) + " " + QString::fromLatin1(Correlate::BandName(band)), BandFill(band), true};
}

QString PairName(const Correlate::PairResult& p)
{
    return Q(p.pair.test) + " ~ " + Q(p.pair.simulation);
}

QString FactorText(double factor)
{
    return factor == 1.0 ? QString() : QStringLiteral(" x %1").arg(factor, 0, 'g', 6);
}

void CoverPage(CReportPage& page, const Correlate::Result& r)
{
    page.NewPage();
    page.Heading("Correlation of a simulation with its test", 17);
    page.Space(6);
    page.Facts({
        {"Test", Q(r.testName) + "  (" + Q(KVPrintableName(r.test)) + ")"},
        {"Simulation", Q(r.simulationName) + "  (" + Q(KVPrintableName(r.simulation)) + ")"},
        {"Map", Q(KVPrintableName(r.map)) + QStringLiteral(": %1 pairs").arg(r.pairs.size())},
        {"Rated over",
         r.eventWindow ? QStringLiteral("the test channel's event: from time zero to the last time it reaches 5 % of "
                                        "its largest |value|, within the span both curves cover")
                       : QStringLiteral("the span both curves cover")},
        {"Metric", "ISO/TS 18571: rating = 0.4 corridor + 0.2 (phase + magnitude + slope), each from 0 to 1; "
                   "the test channel is the reference, the simulation channel the comparison, put on the "
                   "reference's time step and filtered to one channel class"},
        {"Rating bands", "above 0.75 good (green), above 0.5 fair (amber), else poor (red); no published "
                         "source grades the rating, these are the thresholds in common use"},
        {"Made", "kalvio correlate, " + QDateTime::currentDateTime().toString(Qt::ISODate)},
    });
}

void SummaryTable(CReportPage& page, const Correlate::Result& r)
{
    page.Space(12);
    page.Heading("Every pair");
    const std::vector<double> w = {100, 122, 42, 50, 38, 56, 36, 71};
    page.Row(w, {{"Test channel"}, {"Simulation channel"}, {"Region"}, {"Corridor"}, {"Phase"}, {"Magnitude"},
                 {"Slope"}, {"Rating"}},
             true);
    for (const Correlate::PairResult& p : r.pairs) {
        const QString sim = Q(p.pair.simulation) + FactorText(p.pair.factor);
        if (!p.rating) {
            page.Row(w, {{Q(p.pair.test)}, {sim}, {Q(p.region)}, {"", kNotRated}, {"", kNotRated}, {"", kNotRated},
                         {"", kNotRated}, RatingCell(std::nullopt)});
            page.Paragraph("n/a: " + Q(p.reason), 8, QColor(120, 120, 120), 6);
            continue;
        }
        const Kalvio::CurveRating& c = *p.rating;
        page.Row(w, {{Q(p.pair.test)}, {sim}, {Q(p.region)}, {Fixed(c.corridor)}, {Fixed(c.phase)},
                     {Fixed(c.magnitude)}, {Fixed(c.slope)}, RatingCell(c.rating)});
    }
    page.Space(12);
    page.Heading("Mean rating per body region");
    const std::vector<double> rw = {120, 120, 120};
    page.Row(rw, {{"Region (main location)"}, {"Pairs rated"}, {"Mean rating"}}, true);
    for (const Correlate::RegionMean& m : r.regions)
        page.Row(rw, {{Q(m.region)}, {QStringLiteral("%1 of %2").arg(m.rated).arg(m.pairs)}, RatingCell(m.mean)});
    page.Row(rw, {{"all pairs", {}, true}, {QStringLiteral("%1 of %2").arg(r.rated).arg(r.pairs.size())},
                  RatingCell(r.mean)});
    page.Space(4);
    page.Paragraph("A pair that cannot be rated is n/a with its reason and counts in no mean.", 8,
                   QColor(90, 90, 90));
}

// The samples of s from t0 to t1 (s), time in ms when s is in seconds.
void SpanOf(const KVSignal& s, double t0, double t1, double toX, std::vector<float>& x, std::vector<float>& y)
{
    for (size_t i = 0; i < s.PointCount(); ++i) {
        const double t = s.X()[i];
        if (t < t0 - 1e-9 || t > t1 + 1e-9)
            continue;
        x.push_back(static_cast<float>(t * toX));
        y.push_back(s.Y()[i]);
    }
}

// The reference, the comparison and the reference's corridors over the span
// rated: inner bounds dashed, outer dotted, in the reference's colour.
void PaintPair(QPainter& painter, const QRectF& rect, const Correlate::PairResult& p)
{
    const Kalvio::CurveRating& c = *p.rating;
    const bool seconds = p.reference.XUnits().rfind("SECONDS", 0) == 0;
    const double toX = seconds ? 1000.0 : 1.0;
    std::vector<float> rx, ry, cx, cy;
    SpanOf(p.reference, c.from, c.to, toX, rx, ry);
    SpanOf(p.comparison, c.from, c.to, toX, cx, cy);
    const size_t n = std::max(rx.size(), cx.size());
    CGraph graph;
    const float absent = graph.AbsentValue();
    constexpr int kCurves = 6;
    std::vector<float> x(n * kCurves, absent), y(n * kCurves, absent);
    std::copy(rx.begin(), rx.end(), x.begin());
    std::copy(ry.begin(), ry.end(), y.begin());
    std::copy(cx.begin(), cx.end(), x.begin() + long(n));
    std::copy(cy.begin(), cy.end(), y.begin() + long(n));
    const double offsets[4] = {c.outerWidth, c.innerWidth, -c.innerWidth, -c.outerWidth};
    for (size_t k = 0; k < 4; ++k)
        for (size_t i = 0; i < rx.size(); ++i) {
            x[(k + 2) * n + i] = rx[i];
            y[(k + 2) * n + i] = static_cast<float>(ry[i] + offsets[k]);
        }
    graph.SetAbsentValue(absent);
    graph.SetCurves(std::move(x), std::move(y), kCurves, static_cast<int>(n));
    graph.SetLineTypes({0, 0, 2, 1, 1, 2});
    graph.SetColourIndices({0, 1, 0, 0, 0, 0});
    graph.SetLegend({"test " + Q(p.pair.test), "simulation " + Q(p.pair.simulation) + FactorText(p.pair.factor),
                     QStringLiteral("outer corridor +-%1").arg(c.outerWidth, 0, 'g', 4),
                     QStringLiteral("inner corridor +-%1").arg(c.innerWidth, 0, 'g', 4), "", ""});
    graph.SetSubTitle(PairName(p) + QStringLiteral(": rating %1").arg(Fixed(c.rating)));
    const QString units = Q(p.reference.YUnits()).trimmed();
    graph.SetAxisLabels(seconds ? QStringLiteral("Time (ms)") : "Time (" + Q(p.reference.XUnits()).trimmed() + ")",
                        units.isEmpty() ? QStringLiteral("Value") : units);
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

void PairPages(CReportPage& page, const Correlate::Result& r)
{
    constexpr double kPlotHeight = 300;
    bool first = true;
    for (const Correlate::PairResult& p : r.pairs) {
        if (first)
            page.NewPage();
        first = false;
        page.Need(kPlotHeight + 60);
        page.Heading(PairName(p), 12);
        if (!p.rating) {
            page.Paragraph("n/a: " + Q(p.reason), 9.5, QColor(120, 120, 120));
            page.Space(8);
            continue;
        }
        const Kalvio::CurveRating& c = *p.rating;
        page.Paragraph(Q(p.testTitle) + " against " + Q(p.simulationTitle.empty() ? p.pair.simulation : p.simulationTitle)
                       + "; " + Q(p.filter) + (c.resampled ? "; the simulation put on the test's time step" : "")
                       + QStringLiteral("; rated from %1 to %2 ms, shift %3 ms")
                             .arg(c.from * 1000, 0, 'g', 6)
                             .arg(c.to * 1000, 0, 'g', 6)
                             .arg(c.shift * 1000, 0, 'g', 4),
                       8.5);
        page.Row({80, 80, 80, 80, 80},
                 {RatingCell(c.rating), {"corridor " + Fixed(c.corridor)}, {"phase " + Fixed(c.phase)},
                  {"magnitude " + Fixed(c.magnitude)}, {"slope " + Fixed(c.slope)}});
        page.Space(4);
        page.Picture(kPlotHeight, [&](QPainter& painter, const QRectF& rect) { PaintPair(painter, rect, p); });
    }
}

int Usage(const std::string& problem)
{
    std::fprintf(stderr, "kalvio correlate: %s\nTry 'kalvio correlate --help'.\n", KVPrintableText(problem).c_str());
    return 2;
}

} // namespace

bool MakeCorrelationReport(const Correlate::Result& result, bool letter, QByteArray& pdf, std::string& error)
{
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(letter ? QPageSize::Letter : QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    writer.setTitle(Q("Correlation of " + result.simulationName + " with test " + result.testName));
    writer.setCreator(QStringLiteral("kalvio correlate"));
    CReportPage page(writer, "Correlation  |  test " + Q(result.testName) + "  |  simulation "
                                 + Q(result.simulationName));
    if (!page.Ok()) {
        error = "the PDF could not be started";
        return false;
    }
    CoverPage(page, result);
    SummaryTable(page, result);
    PairPages(page, result);
    return true;
}

int RunCorrelationReport(const std::vector<std::string>& args)
{
    Correlate::Request request;
    const std::string problem = Correlate::ParseArguments(args, request);
    if (!problem.empty())
        return Usage(problem);
    if (request.output.empty())
        return Usage("give the report's file with -o REPORT.pdf");
    Correlate::Options options;
    options.eventWindow = request.eventWindow;
    options.units = request.units;
    options.keepCurves = true;
    Correlate::Result result;
    std::string error;
    QByteArray pdf;
    if (!Correlate::Correlate(request.test, request.simulation, request.map, options, result, error)
        || !MakeCorrelationReport(result, request.page == "letter", pdf, error)) {
        std::fprintf(stderr, "kalvio correlate: %s\n", KVPrintableText(error).c_str());
        return 1;
    }
    std::string reason;
    if (!KVWriteFile(request.output,
                     std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(pdf.constData()), size_t(pdf.size())),
                     reason)) {
        std::fprintf(stderr, "kalvio correlate: %s: %s\n", KVPrintableName(request.output).c_str(),
                     KVPrintableText(reason).c_str());
        return 1;
    }
    return 0;
}

} // namespace Report
