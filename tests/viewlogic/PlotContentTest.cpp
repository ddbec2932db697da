#include "LineTypes.h"
#include "PlotContent.h"
#include "SupportQt.h"
#include "SupportSignals.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace {

PlotSource SourceOf(const std::vector<const KVSignal*>& loaded)
{
    PlotSource source;
    source.loaded = loaded;
    for (size_t i = 0; i < loaded.size(); ++i)
        source.names << QStringLiteral("s%1.rvf").arg(i);
    source.title = "title";
    source.subTitle = "subtitle";
    source.xLabel = "TIME SECONDS";
    source.yLabel = "ACCELERATION G";
    source.file = "a.rvf";
    return source;
}

} // namespace

TEST(PlotContent, ShorterCurvesArePaddedWithTheAbsentValue)
{
    const KVSignal a = MakeSignal(500, 0.0f, 0.001f, [](size_t i) { return float(i); });
    const KVSignal b = MakeSignal(300, 0.0f, 0.001f, [](size_t i) { return -float(i); });
    PlotContent content;
    ASSERT_TRUE(BuildPlotContent(SourceOf({&a, &b}), content));
    EXPECT_EQ(content.curveCount, 2);
    EXPECT_EQ(content.pointsPerCurve, 500);
    ASSERT_EQ(content.x.size(), 1000u);
    ASSERT_EQ(content.y.size(), 1000u);
    EXPECT_EQ(content.y[499], 499.0f);
    EXPECT_EQ(content.x[500 + 299], b.X()[299]);
    EXPECT_EQ(content.y[500 + 299], -299.0f);
    for (size_t i = 300; i < 500; ++i) {
        EXPECT_EQ(content.x[500 + i], kAbsentValue) << i;
        EXPECT_EQ(content.y[500 + i], kAbsentValue) << i;
    }
    EXPECT_FLOAT_EQ(kAbsentValue, 1.0f / 8388608.0f);
}

// Regression: a stale largest point count must not let a longer signal write past its run.
TEST(PlotContent, ASignalLongerThanTheRunIsCut)
{
    const KVSignal a = MakeSignal(10, 0.0f, 1.0f, [](size_t i) { return float(i); });
    const KVSignal b = MakeSignal(4, 0.0f, 1.0f, [](size_t) { return 7.0f; });
    std::vector<float> x, y;
    FillCurveBuffers({&a, &b}, 4, kAbsentValue, x, y);
    ASSERT_EQ(y.size(), 8u);
    EXPECT_EQ(y[3], 3.0f);
    EXPECT_EQ(y[4], 7.0f);
}

// Regression: with no signal, or none of two points, the last curves and texts stayed.
TEST(PlotContent, ThePlotShowsExactlyTheLoadedSignals)
{
    const KVSignal a = MakeSignal(20, 0.0f, 1.0f, [](size_t i) { return float(i); });
    const KVSignal one = MakeSignal(1, 0.0f, 1.0f, [](size_t) { return 1.0f; });
    const KVSignal none;
    PlotContent content;
    ASSERT_TRUE(BuildPlotContent(SourceOf({&a, &a}), content));
    EXPECT_TRUE(content.notice.isEmpty());

    EXPECT_FALSE(BuildPlotContent(SourceOf({}), content));
    EXPECT_EQ(content.curveCount, 0);
    EXPECT_TRUE(content.x.empty());
    EXPECT_TRUE(content.legend.isEmpty());
    for (const QString& text : {content.title, content.subTitle, content.xLabel, content.yLabel})
        EXPECT_TRUE(text.isEmpty()) << text.toStdString();
    EXPECT_TRUE(content.titleBlock.isEmpty());
    EXPECT_EQ(content.notice, "No signal loaded");

    // Signals too short to draw are named, the others drawn with them.
    EXPECT_FALSE(BuildPlotContent(SourceOf({&one}), content));
    EXPECT_EQ(content.curveCount, 0);
    EXPECT_EQ(content.notice, "s0.rvf: 1 point");
    EXPECT_EQ(content.title, "title");
    ASSERT_TRUE(BuildPlotContent(SourceOf({&none, &a}), content));
    EXPECT_EQ(content.curveCount, 2);
    EXPECT_EQ(content.pointsPerCurve, 20);
    EXPECT_EQ(content.notice, "s0.rvf: no points");
}

TEST(PlotContent, OtherTimeUnitsAreDrawnInSeconds)
{
    KVSignal s = MakeSignal(3, 0.0f, 0.5f, [](size_t i) { return float(i); });
    KVSignal ms = MakeSignal(2, 10.0f, 500.0f, [](size_t i) { return float(i); });
    s.SetXUnits("SECONDS");
    ms.SetXUnits("MILLISECONDS");
    PlotContent content;
    ASSERT_TRUE(BuildPlotContent(SourceOf({&s, &ms}), content));
    EXPECT_EQ(content.x[1], 0.5f);
    EXPECT_FLOAT_EQ(content.x[3], 0.01f);
    EXPECT_FLOAT_EQ(content.x[4], 0.51f);
    EXPECT_EQ(content.x[5], kAbsentValue);
    // Units that are not all times stay as stored.
    ms.SetXUnits("MM");
    ASSERT_TRUE(BuildPlotContent(SourceOf({&s, &ms}), content));
    EXPECT_EQ(content.x[3], 10.0f);
}

TEST(PlotContent, OneSignalWithTheMultiLineTitleGetsTheBlockInstead)
{
    KVSignal s = MakeSignal(20, 0.0f, 1.0f, [](size_t i) { return float(i); });
    s.SetTestSource("USER DATA");
    PlotSource source = SourceOf({&s});
    source.shortHeader = false;
    source.labels = QStringList{"only"};
    PlotContent content;
    ASSERT_TRUE(BuildPlotContent(source, content));
    EXPECT_TRUE(content.title.isEmpty());
    EXPECT_TRUE(content.subTitle.isEmpty());
    ASSERT_EQ(content.titleBlock.size(), 9);
    EXPECT_EQ(content.titleBlock[0], "|a.rvf|\t");
    EXPECT_TRUE(content.legend.isEmpty());

    // Short header on: title and subtitle, and the block is cleared.
    source.shortHeader = true;
    ASSERT_TRUE(BuildPlotContent(source, content));
    EXPECT_EQ(content.title, "title");
    EXPECT_EQ(content.subTitle, "subtitle");
    EXPECT_TRUE(content.titleBlock.isEmpty());

    // Two signals never get the block, whatever the header setting.
    source.shortHeader = false;
    source.loaded = {&s, &s};
    source.labels = QStringList{"a", "b"};
    ASSERT_TRUE(BuildPlotContent(source, content));
    EXPECT_TRUE(content.titleBlock.isEmpty());
    EXPECT_EQ(content.title, "title");
    EXPECT_EQ(content.legend, (QStringList{"a", "b"}));
}

TEST(PlotContent, TextsAreCutToTheirLengths)
{
    const KVSignal s = MakeSignal(3, 0.0f, 1.0f, [](size_t) { return 0.0f; });
    PlotSource source = SourceOf({&s});
    source.xLabel = QString(60, 'x');
    source.yLabel = QString(47, 'y');
    source.title = QString(300, 't');
    source.subTitle = QString(60, 's');
    PlotContent content;
    ASSERT_TRUE(BuildPlotContent(source, content));
    EXPECT_EQ(content.xLabel, QString(47, 'x'));
    EXPECT_EQ(content.yLabel, QString(47, 'y'));
    EXPECT_EQ(content.title, QString(254, 't'));
    EXPECT_EQ(content.subTitle, QString(47, 's'));
}

TEST(PlotContent, LegendHasOneLabelPerCurve)
{
    const KVSignal s = MakeSignal(3, 0.0f, 1.0f, [](size_t) { return 0.0f; });
    PlotSource source = SourceOf({&s, &s, &s});
    source.labels = QStringList{"a", "b"};
    PlotContent content;
    ASSERT_TRUE(BuildPlotContent(source, content));
    EXPECT_EQ(content.legend, (QStringList{"a", "b", ""}));
    source.labels = QStringList{"a", "b", "c", "d"};
    ASSERT_TRUE(BuildPlotContent(source, content));
    EXPECT_EQ(content.legend, (QStringList{"a", "b", "c"}));
}

TEST(PlotContent, RatingCorridorsFollowTheReferenceInItsColour)
{
    const KVSignal a = MakeSignal(4, 0.0f, 0.1f, [](size_t i) { return float(i); });
    const KVSignal b = MakeSignal(3, 0.0f, 0.1f, [](size_t) { return 1.0f; });
    PlotSource source = SourceOf({&a, &b});
    source.bandReference = 1;
    source.bandInner = 0.25;
    source.bandOuter = 2.5;
    PlotContent content;
    ASSERT_TRUE(BuildPlotContent(source, content));
    ASSERT_EQ(content.curveCount, 6);
    // Outer +, inner +, inner -, outer -; the reference's absent fourth point stays absent.
    const float expected[4] = {3.5f, 1.25f, 0.75f, -1.5f};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(content.y[std::size_t(2 + c) * 4], expected[c]);
        EXPECT_EQ(content.y[std::size_t(2 + c) * 4 + 3], kAbsentValue);
        EXPECT_EQ(content.x[std::size_t(2 + c) * 4 + 2], content.x[4 + 2]);
    }
    EXPECT_EQ(content.colourOf, (std::vector<int>{0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(std::vector<int>(content.lineTypes.begin() + 2, content.lineTypes.end()), (std::vector<int>{2, 1, 1, 2}));
    EXPECT_EQ(content.legend.size(), 6);
    EXPECT_EQ(content.legend[2], QStringLiteral("outer corridor"));
}

TEST(LineTypes, SequencesOfTheFourStyles)
{
    EXPECT_EQ(CurveLineTypes(0, 11), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 0}));
    EXPECT_EQ(CurveLineTypes(0, 21)[20], 0);
    EXPECT_EQ(CurveLineTypes(0, 21)[17], 9);
    EXPECT_EQ(CurveLineTypes(1, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(CurveLineTypes(2, 2), (std::vector<int>{5, 5}));
    EXPECT_EQ(CurveLineTypes(3, 2), (std::vector<int>{6, 6}));
    // A hand-edited style outside 0 to 3 draws thin solid lines.
    EXPECT_EQ(CurveLineTypes(7, 2), (std::vector<int>{0, 0}));
    EXPECT_EQ(CurveLineTypes(-1, 1), (std::vector<int>{0}));
    EXPECT_TRUE(CurveLineTypes(0, 0).empty());
}

TEST(LineTypes, EveryTypeHasItsOwnPen)
{
    std::set<std::tuple<int, int, QList<qreal>>> seen;
    for (int t = 0; t < kLineTypeCount; ++t) {
        const QPen pen = LineTypePen(t, Qt::red);
        EXPECT_EQ(pen.color(), QColor(Qt::red));
        const QList<qreal> pattern = pen.style() == Qt::SolidLine ? QList<qreal>{} : pen.dashPattern();
        EXPECT_TRUE(seen.insert({pen.width(), int(pen.style()), pattern}).second) << "type " << t;
    }
    EXPECT_EQ(LineTypePen(0, Qt::red).style(), Qt::SolidLine);
    EXPECT_LT(LineTypePen(0, Qt::red).width(), LineTypePen(5, Qt::red).width());
    EXPECT_LT(LineTypePen(5, Qt::red).width(), LineTypePen(6, Qt::red).width());
    EXPECT_EQ(LineTypePen(12, Qt::red), LineTypePen(0, Qt::red));
    EXPECT_EQ(LineTypePen(-3, Qt::red), LineTypePen(0, Qt::red));

    std::set<QRgb> colours;
    for (int i = 0; i < 12; ++i)
        colours.insert(CurveColour(i).rgb());
    EXPECT_EQ(colours.size(), 12u);
    EXPECT_EQ(CurveColour(12), CurveColour(0));
}
