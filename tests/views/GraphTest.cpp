#include "CGraph.h"
#include "CGraphFit.h"
#include "GraphPictures.h"
#include "LineTypes.h"
#include "PlotContent.h"
#include "SupportSignals.h"
#include "SupportWidgets.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImageReader>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QSet>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

class GraphTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(dir.isValid());
    }

    // Two curves of 500 and 300 points, as the plot view hands them over.
    void ShowTwoCurves(CGraph& graph)
    {
        a = MakeSignal(500, 0.0f, 0.001f, [](size_t i) { return float(i % 50); });
        b = MakeSignal(300, 0.0f, 0.001f, [](size_t i) { return 5.0f + float(i % 7); });
        std::vector<float> x, y;
        FillCurveBuffers({&a, &b}, 500, kAbsentValue, x, y);
        graph.SetAbsentValue(kAbsentValue);
        graph.SetCurves(x.data(), y.data(), 2, 500);
        graph.SetLineTypes(CurveLineTypes(0, 2));
        graph.SetLegend({"first", "second"});
        graph.SetTitle("Two Curves");
        graph.Replot();
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    KVSignal a;
    KVSignal b;
};

} // namespace

TEST_F(GraphTest, JpegFilesHaveTheRequestedPixelSize)
{
    CGraph graph;
    ShowTwoCurves(graph);
    QString error;
    ASSERT_TRUE(SaveGraphJpeg(graph, Path("a.jpg"), 640, 480, &error)) << error.toStdString();
    ASSERT_TRUE(SaveGraphJpeg(graph, Path("b.jpg"), 320, 240, &error)) << error.toStdString();
    QImageReader reader(Path("a.jpg"));
    EXPECT_EQ(reader.format(), "jpeg");
    EXPECT_EQ(reader.size(), QSize(640, 480));
    EXPECT_EQ(QImage(Path("b.jpg")).size(), QSize(320, 240));
}

TEST_F(GraphTest, AFailedPictureIsReportedAndLeavesNoFile)
{
    CGraph graph;
    ShowTwoCurves(graph);
    QString error;
    const QString missing = Path("no/such/dir/a.jpg");
    EXPECT_FALSE(SaveGraphJpeg(graph, missing, 640, 480, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(missing));
    error.clear();
    EXPECT_FALSE(SaveGraphSvg(graph, Path("no/such/dir/a.svg"), 10000, 5000, &error));
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_FALSE(SaveGraphJpeg(graph, Path("zero.jpg"), 0, 480, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(Path("zero.jpg")));
}

TEST_F(GraphTest, SvgParsesKeepsTextsAndCarriesTheSizeInMillimetres)
{
    CGraph graph;
    ShowTwoCurves(graph);
    graph.SetAxisLabels("TIME SECONDS", "ACCELERATION G");
    graph.SetTitleBlock({{"Status: FILTERED", "", "Max 1.00 at 2.0 ms"}});
    graph.Replot();
    QString error;
    ASSERT_TRUE(SaveGraphSvg(graph, Path("a.svg"), 10000, 5000, &error)) << error.toStdString();
    QFile file(Path("a.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();
    QXmlStreamReader xml(svg);
    QString width, height;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("svg")) {
            width = xml.attributes().value("width").toString();
            height = xml.attributes().value("height").toString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(width, "100mm");
    EXPECT_EQ(height, "50mm");
    EXPECT_TRUE(QSvgRenderer(svg).isValid());
    for (const char* text : {"Two Curves", "TIME SECONDS", "Status: FILTERED", "Max 1.00 at 2.0 ms", "second"})
        EXPECT_TRUE(svg.contains(text)) << text;
    EXPECT_TRUE(graph.SvgData(50, 50).isEmpty());
}

TEST_F(GraphTest, AbsentPointsAreNotDrawn)
{
    CGraph graph;
    ShowTwoCurves(graph);
    ASSERT_EQ(graph.CurveCount(), 2);
    EXPECT_EQ(graph.DrawnPointCount(0), 500);
    EXPECT_EQ(graph.DrawnPointCount(1), 300);

    // The padded curve draws exactly as the same curve cut to its own length;
    // drawing the padding would add a line back to the origin.
    const QImage padded = graph.RenderImage(400, 300);
    std::vector<float> x(a.X(), a.X() + 500), y(a.Y(), a.Y() + 500);
    x.insert(x.end(), b.X(), b.X() + 300);
    y.insert(y.end(), b.Y(), b.Y() + 300);
    CGraph cut;
    cut.SetCurves(x.data(), y.data(), 1, 500);
    cut.SetCurves(nullptr, nullptr, 0, 0);
    EXPECT_EQ(cut.CurveCount(), 0);
    std::vector<float> px, py;
    FillCurveBuffers({&a, &b}, 500, kAbsentValue, px, py);
    // A marker the graph does not know: the padding is then drawn as data.
    graph.SetAbsentValue(-1.0f);
    graph.SetCurves(px.data(), py.data(), 2, 500);
    graph.Replot();
    EXPECT_EQ(graph.DrawnPointCount(1), 500);
    EXPECT_NE(graph.RenderImage(400, 300), padded);
    graph.SetAbsentValue(kAbsentValue);
    graph.SetCurves(px.data(), py.data(), 2, 500);
    graph.Replot();
    EXPECT_EQ(graph.RenderImage(400, 300), padded);
}

TEST_F(GraphTest, GapsInsideACurveAndUnsortedCurves)
{
    const float A = kAbsentValue;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Every other point absent or not finite: each break costs one marker.
    const std::vector<float> x{A, 0, A, 1, nan, 2, A, 3, 4, A};
    const std::vector<float> y{0, 5, 1, 6, 1, 7, 1, 8, 9, 1};
    CGraph graph;
    graph.SetAbsentValue(kAbsentValue);
    graph.SetCurves(x.data(), y.data(), 1, int(x.size()));
    graph.Replot();
    EXPECT_EQ(graph.DrawnPointCount(0), 5);
    // Y keeps 5 % of the curves' range free above and below them.
    const std::vector<double> shown = graph.ShownRanges();
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[1], 4);
    EXPECT_DOUBLE_EQ(shown[2], 4.8);
    EXPECT_DOUBLE_EQ(shown[3], 9.2);
    // X running backwards (a loop, a hysteresis) is drawn in point order too.
    const std::vector<float> bx{0, 2, 1, 3}, by{0, 1, 2, 3};
    graph.SetCurves(bx.data(), by.data(), 1, 4);
    graph.Replot();
    EXPECT_EQ(graph.DrawnPointCount(0), 4);
    EXPECT_FALSE(graph.RenderImage(200, 150).isNull());
    // A flat line still gets a range of some height.
    const std::vector<float> fx{0, 1}, fy{3, 3};
    graph.SetCurves(fx.data(), fy.data(), 1, 2);
    graph.Replot();
    const std::vector<double> r = graph.ShownRanges();
    EXPECT_LT(r[2], 3.0);
    EXPECT_GT(r[3], 3.0);
}

// The right end of the widest run of the first curve's colour in an image.
int RightmostCurvePixel(const QImage& image)
{
    const QColor curve = CurveColour(0);
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int distance = std::abs(c.red() - curve.red()) + std::abs(c.green() - curve.green()) +
                                 std::abs(c.blue() - curve.blue());
            if (distance < 60)
                right = std::max(right, x);
        }
    }
    return right;
}

// Regression: a graph without any title drew its axes squeezed into a narrow strip.
TEST_F(GraphTest, AxesSpanTheWidthWithOrWithoutTitles)
{
    const std::vector<float> x{0, 10}, y{1, 1};
    CGraph graph;
    graph.SetCurves(x.data(), y.data(), 1, 2);
    graph.SetLineTypes({6});
    graph.Replot();
    EXPECT_GT(RightmostCurvePixel(graph.RenderImage(400, 300)), 360);
    graph.SetTitle("title");
    graph.Replot();
    EXPECT_GT(RightmostCurvePixel(graph.RenderImage(400, 300)), 360);
}

TEST_F(GraphTest, ElevenCurvesGetTheAlternatingPensAndOwnColours)
{
    std::vector<float> x(11 * 10), y(11 * 10);
    for (size_t i = 0; i < x.size(); ++i) {
        x[i] = float(i % 10);
        y[i] = float(i / 10);
    }
    CGraph graph;
    graph.SetCurves(x.data(), y.data(), 11, 10);
    const std::vector<int> types = CurveLineTypes(0, 11);
    graph.SetLineTypes(types);
    graph.Replot();
    ASSERT_EQ(graph.CurveCount(), 11);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(graph.CurvePen(i), LineTypePen(types[size_t(i)], CurveColour(i))) << i;
    EXPECT_NE(graph.CurvePen(0), graph.CurvePen(10)); // same type 0, other colour
    // Curves beyond the list of types draw as type 0.
    graph.SetLineTypes({6});
    EXPECT_EQ(graph.CurvePen(3).width(), LineTypePen(0, Qt::black).width());
}

TEST_F(GraphTest, ZoomSurvivesNewDataUntilReset)
{
    CGraph graph;
    graph.resize(600, 400);
    graph.show();
    ShowTwoCurves(graph);
    const std::vector<double> full = graph.ShownRanges();
    EXPECT_NEAR(full[0], 0.0, 1e-9);
    EXPECT_NEAR(full[1], 0.499, 1e-6);
    EXPECT_NEAR(full[2], -0.05 * 49.0, 1e-9); // 5 % of the range as margin
    EXPECT_NEAR(full[3], 1.05 * 49.0, 1e-9);
    EXPECT_FALSE(graph.IsZoomed());

    graph.ZoomTo(0.1, 0.2, 1.0, 2.0);
    ShowTwoCurves(graph);
    EXPECT_TRUE(graph.IsZoomed());
    EXPECT_EQ(graph.ShownRanges(), (std::vector<double>{0.1, 0.2, 1.0, 2.0}));
    graph.ResetZoom();
    EXPECT_FALSE(graph.IsZoomed());
    EXPECT_EQ(graph.ShownRanges(), full);

    // The mouse wheel zooms and counts as a user zoom.
    QWidget* chart = graph.findChild<QWidget*>();
    ASSERT_NE(chart, nullptr);
    const QPointF centre(chart->width() / 2.0, chart->height() / 2.0);
    QWheelEvent wheel(centre, chart->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(chart, &wheel);
    EXPECT_TRUE(graph.IsZoomed());
    EXPECT_LT(graph.ShownRanges()[1] - graph.ShownRanges()[0], full[1] - full[0]);

    // A double click goes back to the whole data range.
    QMouseEvent dbl(QEvent::MouseButtonDblClick, centre, chart->mapToGlobal(centre), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &dbl);
    EXPECT_FALSE(graph.IsZoomed());
    EXPECT_EQ(graph.ShownRanges(), full);

    // So does "Show All" of the context menu, which says what it does.
    graph.ZoomTo(0.1, 0.2, 1.0, 2.0);
    ASSERT_NE(graph.ShowAllAction(), nullptr);
    EXPECT_EQ(graph.ShowAllAction()->text(), "Show All");
    EXPECT_FALSE(graph.ShowAllAction()->toolTip().isEmpty());
    graph.ShowAllAction()->trigger();
    EXPECT_FALSE(graph.IsZoomed());
    EXPECT_EQ(graph.ShownRanges(), full);
}

// Regression: forty curves' legend overlapped itself and ran off the picture.
TEST_F(GraphTest, TheLegendOfFortyCurvesStaysInsideAndApart)
{
    constexpr int kCurves = 40;
    std::vector<float> x(kCurves * 2), y(kCurves * 2);
    QStringList labels;
    for (int i = 0; i < kCurves; ++i) {
        x[size_t(2 * i)] = 0.0f;
        x[size_t(2 * i + 1)] = 1.0f;
        y[size_t(2 * i)] = y[size_t(2 * i + 1)] = float(i);
        labels << QStringLiteral("%1_head_accel_x.rvf").arg(2200 + i);
    }
    CGraph graph;
    graph.SetCurves(x.data(), y.data(), kCurves, 2);
    graph.SetLegend(labels);
    graph.SetTitle("Forty Curves");
    graph.Replot();
    for (const QSize size : {QSize(1000, 600), QSize(640, 480), QSize(320, 240)}) {
        const QList<QRect> items = graph.LegendItemRects(size.width(), size.height());
        ASSERT_EQ(items.size(), kCurves) << size.width();
        const QRect picture(0, 0, size.width(), size.height());
        for (int i = 0; i < kCurves; ++i) {
            EXPECT_TRUE(picture.contains(items[i])) << size.width() << " item " << i;
            for (int k = i + 1; k < kCurves; ++k)
                EXPECT_FALSE(items[i].intersects(items[k])) << size.width() << " items " << i << ", " << k;
        }
        // The axes keep the larger part of the width; in small pictures the tick labels take their share.
        const int least = size.width() >= 640 ? size.width() / 2 : size.width() / 4;
        EXPECT_GT(graph.PlotAreaRect(size.width(), size.height()).width(), least) << size.width();
    }
    // Where there is room the labels are whole.
    EXPECT_TRUE(graph.SvgData(16000, 10000).contains("2239_head_accel_x.rvf"));
}

// Two hundred codes of one test in one legend used to be cut in the middle
// into alike labels ("11H…CX0"); shortened, they still differ.
TEST_F(GraphTest, ShortenedLegendLabelsStillTellTheCurvesApart)
{
    constexpr int kCurves = 200;
    std::vector<float> x(kCurves * 2), y(kCurves * 2);
    QStringList labels;
    for (int i = 0; i < kCurves; ++i) {
        x[size_t(2 * i)] = 0.0f;
        x[size_t(2 * i + 1)] = 1.0f;
        y[size_t(2 * i)] = y[size_t(2 * i + 1)] = float(i);
        labels << QStringLiteral("11HEAD%1H3AC%2A").arg(i / 3, 4, 10, QLatin1Char('0')).arg(QChar("XYZ"[i % 3]));
    }
    CGraph graph;
    graph.SetCurves(x.data(), y.data(), kCurves, 2);
    graph.SetLegend(labels);
    graph.Replot();
    const QByteArray svg = graph.SvgData(12000, 8000);
    QSet<QString> shown;
    QXmlStreamReader xml(svg);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text")) {
            const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            if (text.contains(QStringLiteral("…")))
                shown.insert(text);
        }
    EXPECT_EQ(shown.size(), kCurves); // every label shortened, no two alike
}

TEST_F(GraphTest, LongTitlesWrapInsteadOfBeingCut)
{
    const QFontMetrics metrics(QFont(QStringLiteral("DejaVu Sans")));
    const QString title = "veh4127_tunnel_vx.txt (REF-2231), TUNNEL,X axis, occ DRIVER SEAT";
    const QStringList lines = WrapText(title, metrics, 250, 9);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.join(' '), title);
    for (const QString& line : lines)
        EXPECT_LE(metrics.horizontalAdvance(line), 250) << line.toStdString();
    // A word wider than the line is broken; past the last line the text is shortened.
    EXPECT_EQ(WrapText(QString(40, 'w'), metrics, 60, 99).join(""), QString(40, 'w'));
    const QStringList cut = WrapText(title, metrics, 60, 2);
    ASSERT_EQ(cut.size(), 2);
    EXPECT_TRUE(cut[1].endsWith(QChar(0x2026))) << cut[1].toStdString();
    EXPECT_TRUE(WrapText("", metrics, 60, 2).isEmpty());
}

TEST_F(GraphTest, PrintsAPageAndCopiesImageAndSvg)
{
    CGraph graph;
    ShowTwoCurves(graph);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("plot.pdf"));
    QString error;
    ASSERT_TRUE(graph.Print(printer, &error)) << error.toStdString();
    QFile pdf(Path("plot.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");

    CopyGraphToClipboard(graph, 10000, 5000);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasImage());
    EXPECT_TRUE(QSvgRenderer(data->data("image/svg+xml")).isValid());
}

TEST_F(GraphTest, ALongCurveKeepsALoneSpikeOnScreenInPicturesAndAfterZoom)
{
    // A long curve is drawn reduced to pixel columns: a one-sample peak must stay.
    const int n = 100000;
    std::vector<float> x(n), y(n, 0.0f);
    for (int i = 0; i < n; ++i)
        x[size_t(i)] = float(i);
    y[61234] = 1.0f;
    CGraph graph;
    graph.SetCurves(x.data(), y.data(), 1, n);
    graph.Replot();
    EXPECT_EQ(graph.DrawnPointCount(0), n);
    ASSERT_EQ(graph.CurvePen(0).color(), QColor(0, 0, 200)); // bluish pixels are the curve's
    // The columns where the curve crosses the height of value 0.5.
    auto crossings = [&](int w, int h) {
        const QImage image = graph.RenderImage(w, h);
        const QRect area = graph.PlotAreaRect(w, h);
        const std::vector<double> r = graph.ShownRanges();
        const int row = area.top() + int((r[3] - 0.5) / (r[3] - r[2]) * area.height());
        std::vector<double> at;
        for (int c = area.left(); c <= area.right(); ++c) {
            const QColor p = image.pixelColor(c, row);
            if (p.blue() - p.red() > 50)
                at.push_back(r[0] + (c - area.left() + 0.5) / area.width() * (r[1] - r[0]));
        }
        return at;
    };
    for (auto [lower, upper] : {std::pair{0.0, double(n)}, std::pair{61000.0, 61500.0}}) {
        graph.ZoomTo(lower, upper, -0.5, 1.5);
        for (int w : {300, 1200}) {
            const std::vector<double> at = crossings(w, 400);
            ASSERT_FALSE(at.empty()) << w << " pixels from " << lower;
            const double pixel = (upper - lower) / w;
            EXPECT_NEAR(at.front(), 61234.0, 3 * pixel) << w;
            EXPECT_NEAR(at.back(), 61234.0, 3 * pixel) << w;
        }
    }
}

TEST_F(GraphTest, ALongCurveTakenOverDrawsAsTheCopiedOne)
{
    // Arrays handed over are drawn where they lie when every point is
    // drawn; absent points still become gaps through a copy.
    const int n = 50000;
    std::vector<float> x(n), y(n);
    for (int i = 0; i < n; ++i) {
        x[size_t(i)] = float(i) * 0.001f;
        y[size_t(i)] = std::sin(float(i) * 0.002f) * (i == 30000 ? 5.0f : 1.0f);
    }
    std::vector<float> gappy = y;
    std::fill(gappy.begin() + 1000, gappy.begin() + 1011, kAbsentValue);
    for (const std::vector<float>* values : {&y, &gappy}) {
        CGraph copied, taken;
        for (CGraph* g : {&copied, &taken})
            g->SetAbsentValue(kAbsentValue);
        copied.SetCurves(x.data(), values->data(), 1, n);
        taken.SetCurves(std::vector<float>(x), std::vector<float>(*values), 1, n);
        copied.Replot();
        taken.Replot();
        EXPECT_EQ(taken.DrawnPointCount(0), values == &y ? n : n - 11);
        EXPECT_EQ(taken.RenderImage(600, 400), copied.RenderImage(600, 400));
        taken.ZoomTo(29.0, 31.0, -6.0, 6.0);
        copied.ZoomTo(29.0, 31.0, -6.0, 6.0);
        EXPECT_EQ(taken.RenderImage(600, 400), copied.RenderImage(600, 400));
    }
    // Arrays shorter than the counts say give no curves.
    CGraph graph;
    graph.SetCurves(std::vector<float>(10), std::vector<float>(10), 1, n);
    EXPECT_EQ(graph.CurveCount(), 0);
    // The arrays come back, in the same memory, once the curves are dropped.
    std::vector<float> bx = x, by = y;
    const float* memory = bx.data();
    graph.SetCurves(std::move(bx), std::move(by), 1, n);
    ASSERT_EQ(graph.CurveCount(), 1);
    std::vector<float> backX, backY{1.0f};
    graph.ReturnCurves(backX, backY);
    EXPECT_EQ(graph.CurveCount(), 0);
    EXPECT_EQ(backX.data(), memory);
    EXPECT_EQ(backY, y);
    // Curves drawn from the caller's arrays give nothing back.
    graph.SetCurves(x.data(), y.data(), 1, n);
    graph.ReturnCurves(backX, backY);
    EXPECT_EQ(graph.CurveCount(), 0);
    EXPECT_EQ(backX.data(), memory);
}

TEST_F(GraphTest, MarksShowLimitsAboveTheCurvesAndPaintIntoAnyPainter)
{
    CGraph graph;
    ShowTwoCurves(graph); // the curves reach 49
    const QColor limit(200, 0, 200), window(0, 0, 220);
    graph.SetMarks({{CGraphMark::Level, 70.0, 0.0, "limit 70", limit},
                    {CGraphMark::XSpan, 0.1, 0.2, "window", window}});
    graph.Replot();
    const std::vector<double> range = graph.ShownRanges();
    EXPECT_GE(range[3], 70.0); // the limit is in sight
    const QRect area = graph.PlotAreaRect(800, 500);
    const int limitRow = area.top() + static_cast<int>((range[3] - 70.0) / (range[3] - range[2]) * area.height());
    // Pixels of the limit's colour on its row (the curves stay below 49).
    const auto onLimitRow = [&](const QImage& image) {
        int n = 0;
        for (int y = limitRow - 2; y <= limitRow + 2; ++y)
            for (int x = area.left(); x < area.right(); ++x) {
                const QColor c(image.pixel(x, y));
                n += c.red() > 150 && c.blue() > 150 && c.green() < 80;
            }
        return n;
    };
    const QImage shown = graph.RenderImage(800, 500);
    EXPECT_GT(onLimitRow(shown), area.width() / 3); // a dashed line across
    // The painted copy draws the same marks in the same places, also on a
    // device of another resolution (a PDF page has 72 dots an inch).
    QImage painted(800, 500, QImage::Format_RGB32);
    painted.setDotsPerMeterX(2835);
    painted.setDotsPerMeterY(2835);
    painted.fill(Qt::white);
    QPainter painter(&painted);
    graph.Paint(painter, QRectF(0, 0, 800, 500));
    painter.end();
    EXPECT_GT(onLimitRow(painted), area.width() / 3);
    // The shaded stretch, 0.1 s of the X range shown, is pale blue above the curves.
    int shaded = 0;
    const int row = area.top() + area.height() / 4;
    for (int x = area.left(); x < area.right(); ++x) {
        const QColor c(shown.pixel(x, row));
        shaded += c.blue() > c.red() + 20;
    }
    EXPECT_NEAR(shaded, area.width() * 0.1 / (range[1] - range[0]), area.width() * 0.03);

    graph.SetMarks({});
    graph.Replot();
    EXPECT_LT(graph.ShownRanges()[3], 70.0);
    EXPECT_EQ(onLimitRow(graph.RenderImage(800, 500)), 0);
}

// The capping label of a limit below zero stood at zero, far from its line,
// and labels of levels close together were drawn over each other.
TEST_F(GraphTest, MarkLabelsSitBesideTheirOwnLinesAndClearOfEachOther)
{
    CGraph graph;
    ShowTwoCurves(graph); // 0 to 49
    const QColor red(200, 30, 30), orange(235, 150, 20);
    graph.SetMarks({{CGraphMark::XSpan, 0.1, 0.2, "window", QColor(60, 90, 200)},
                    {CGraphMark::Level, -30.0, 0.0, "capping -30", red},
                    {CGraphMark::LevelBand, 60.0, 55.0, "HPL 60 / LPL 55", orange},
                    {CGraphMark::Level, 62.0, 0.0, "limit 62", red}});
    graph.Replot();
    const std::vector<double> range = graph.ShownRanges();
    const QRect area = graph.PlotAreaRect(800, 500);
    const auto rowOf = [&](double v) { return area.top() + (range[3] - v) / (range[3] - range[2]) * area.height(); };
    const QList<QRectF> labels = graph.MarkLabelRects(800, 500);
    ASSERT_EQ(labels.size(), 4);
    const double levels[] = {-30.0, 60.0, 62.0};
    for (int k = 1; k < 4; ++k) {
        const double row = rowOf(levels[k - 1]);
        EXPECT_TRUE(labels[k].bottom() <= row || labels[k].top() >= row) << k; // not across its line
        EXPECT_LT(std::min(std::fabs(labels[k].bottom() - row), std::fabs(labels[k].top() - row)), 8.0) << k;
        EXPECT_TRUE(QRectF(area).contains(labels[k])) << k;
    }
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_FALSE(labels[i].intersects(labels[j])) << i << " " << j;
}

// Two hundred channels in seven units made one tall panel over six strips
// whose labels overlapped, beside a legend of unreadable columns.
TEST_F(GraphTest, ManyPanelsKeepALeastHeightAndManyCurvesAreCountedInTheLegend)
{
    constexpr int kCurves = 200, kUnits = 7;
    std::vector<float> x(kCurves * 2), y(kCurves * 2);
    std::vector<int> panelOf;
    QStringList labels, units;
    for (int k = 0; k < kUnits; ++k)
        units << QStringLiteral("unit %1").arg(k);
    for (int i = 0; i < kCurves; ++i) {
        x[size_t(2 * i)] = 0.0f;
        x[size_t(2 * i + 1)] = 1.0f;
        y[size_t(2 * i)] = y[size_t(2 * i + 1)] = float(i);
        panelOf.push_back(i % kUnits);
        labels << QStringLiteral("11CHAN%1H3ACXA").arg(i, 4, 10, QLatin1Char('0'));
    }
    CGraph graph;
    graph.SetPanels(panelOf, units);
    graph.SetCurves(x.data(), y.data(), kCurves, 2);
    graph.SetLegend(labels);
    graph.resize(1000, 500);
    graph.Replot();
    const QList<QRect> panels = graph.PanelAreaRects(1000, 500);
    ASSERT_GE(panels.size(), 2);
    EXPECT_LT(panels.size(), kUnits);
    for (const QRect& r : panels)
        EXPECT_GE(r.height(), 50);
    const QByteArray svg = graph.SvgData(10000, 5000);
    EXPECT_TRUE(svg.contains(QStringLiteral("%1 more panels hidden").arg(kUnits - panels.size()).toUtf8())) << svg.size();
    const QList<QRect> items = graph.LegendItemRects(1000, 500);
    EXPECT_LT(items.size(), kCurves);
    EXPECT_TRUE(svg.contains("more curves"));
    EXPECT_EQ(graph.LegendToolTip().split('\n'), labels);
    // A picture tall enough shows every panel and no note.
    EXPECT_EQ(graph.PanelAreaRects(1000, 1400).size(), kUnits);
    EXPECT_FALSE(graph.SvgData(10000, 14000).contains("hidden"));
}
