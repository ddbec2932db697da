#include "AppTestSupport.h"
#include "EditCommands.h"
#include "Kalvio.h"
#include "LabelCommands.h"
#include "ListCommands.h"
#include "OperateCommands.h"

#include <cmath>

namespace {

// 2 t + 1 over 11 points with step 0.001 s: derivative 2 everywhere.
KVSignal Line(size_t n = 11)
{
    return MakeSignal(n, 0.001f, [](size_t i) { return 2.0f * 0.001f * float(i) + 1.0f; });
}

} // namespace

TEST_F(AppTest, DerivativeOverThreeSignalsWhereTheSecondFails)
{
    doc->Loaded().Add({"a", Line()});
    doc->Loaded().Add({"b", Line(1)});
    doc->Loaded().Add({"c", Line()});
    AddDocError(*doc, "stale", "Ondrel");
    OperateCommands::Derivative(*doc);
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_FALSE(doc->Signals()[1].modified);
    EXPECT_TRUE(doc->Signals()[2].modified);
    for (size_t i = 0; i < 11; ++i) {
        EXPECT_NEAR(doc->Signals()[0].signal.Y()[i], 2.0f, 1e-3f) << i;
        EXPECT_NEAR(doc->Signals()[2].signal.Y()[i], 2.0f, 1e-3f) << i;
    }
    EXPECT_FLOAT_EQ(doc->Signals()[1].signal.Y()[0], 1.0f);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    // Each line names the signal it is about.
    EXPECT_EQ(ui.errorDialogs[0], QStringList{"b: Kalvio::derivY - Too few data points to compute a derivative"});
    EXPECT_EQ(ui.title, "Directory - Modified");
    EXPECT_EQ(hints, std::vector<int>{HINT_PLOT_CHANGED});
    EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(AppTest, FilterByFrequencyThatIsRejectedKeepsDataAndFlag)
{
    KVSignal ms = Line();
    ms.SetXUnits("MILLISECONDS");
    doc->Loaded().Add({"a", ms});
    ui.filterChoices.push_back({4, 100.0f});
    OperateCommands::Filter(*doc);
    EXPECT_FALSE(doc->Signals()[0].modified);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[3], Line().Y()[3]);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0], QStringList{"a: Kalvio::BWfilt - Time must be in seconds"});

    // Cancel changes nothing and shows nothing.
    OperateCommands::Filter(*doc);
    EXPECT_EQ(ui.errorDialogs.size(), 1u);
}

TEST_F(AppTest, FilterClassesAndTheToolbarGuard)
{
    // A constant signal passes the low-pass unchanged.
    KVSignal constant = MakeSignal(200, 0.0001f, [](size_t) { return 5.0f; });
    constant.SetFilterClass(1001);
    doc->Loaded().Add({"a", constant});
    ui.filterChoices.push_back({1, 0.0f});
    OperateCommands::Filter(*doc);
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_NEAR(doc->Signals()[0].signal.Y()[100], 5.0f, 1e-3f);
    EXPECT_TRUE(ui.errorDialogs.empty());

    hints.clear();
    OperateCommands::FilterClass(*doc, 100);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0], QStringList{"Improper Frequency Class"});
    EXPECT_TRUE(hints.empty());
}

TEST_F(AppTest, ConstantCommandsAskWithTheirTextsAndReadNumbersLikeAtof)
{
    doc->Loaded().Add({"a", Line()});
    ui.texts = {"1.5e1xyz", "abc", "  -2", "+3"};
    OperateCommands::AddConstantY(*doc);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[0], 16.0f);
    OperateCommands::ScaleY(*doc); // "abc" counts as 0; ScaleY refuses a zero factor
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[0], 16.0f);
    EXPECT_EQ(ui.errorDialogs.size(), 1u);
    OperateCommands::ScaleY(*doc);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[0], -32.0f);
    OperateCommands::ScaleX(*doc);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.X()[10], 0.03f);
    OperateCommands::AddConstantX(*doc); // cancelled: no answer left
    ASSERT_EQ(ui.textPrompts.size(), 5u);
    EXPECT_EQ(ui.textPrompts[0], (std::pair<QString, QString>{"Add A constant Value to Y data", "Y Value"}));
    EXPECT_EQ(ui.textPrompts[1], (std::pair<QString, QString>{"Multiply Y Axis by Constant Value", "Y Multiplier"}));
    EXPECT_EQ(ui.textPrompts[3], (std::pair<QString, QString>{"Multiply X Axis by Constant Value", "X Multiplier"}));
    EXPECT_EQ(ui.textPrompts[4], (std::pair<QString, QString>{"Add A constant Value to X data", "X Value"}));
    EXPECT_EQ(ui.textInitial, (std::vector<QString>{"0.0", "1.0", "1.0", "1.0", "0.0"}));
}

TEST_F(AppTest, ResampleAndTruncateAreFilledFromTheFirstSignal)
{
    doc->Loaded().Add({"a", Line(11)});
    doc->Loaded().Add({"b", Line(21)});
    ui.timeSteps.push_back(0.002f);
    OperateCommands::Resample(*doc);
    ASSERT_EQ(ui.resampleShown.size(), 1u);
    EXPECT_FLOAT_EQ(ui.resampleShown[0].timeStep, 0.001f);
    EXPECT_EQ(ui.resampleShown[0].points, 11);
    EXPECT_FLOAT_EQ(ui.resampleShown[0].span, 0.01f);
    KVSignal a = Line(11);
    KVSignal b = Line(21);
    ASSERT_TRUE(Kalvio::Resample(a, 0.002f, nullptr));
    ASSERT_TRUE(Kalvio::Resample(b, 0.002f, nullptr));
    ASSERT_GT(b.PointCount(), a.PointCount());
    EXPECT_EQ(doc->Signals()[0].signal.PointCount(), a.PointCount());
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Del(), 0.002f);
    EXPECT_EQ(doc->Loaded().MaxPoints(), static_cast<int>(b.PointCount()));

    ui.intervals.push_back({0.0f, 0.0045f});
    OperateCommands::Truncate(*doc);
    ASSERT_EQ(ui.intervalShown.size(), 1u);
    EXPECT_FLOAT_EQ(ui.intervalShown[0].first, 0.0f);
    EXPECT_FLOAT_EQ(ui.intervalShown[0].second, a.X()[a.PointCount() - 1]);
    // X = 0, 0.002, 0.004 lie in [0, 0.0045).
    EXPECT_EQ(doc->Signals()[0].signal.PointCount(), 3u);
    EXPECT_EQ(doc->Signals()[1].signal.PointCount(), 3u);
    // Regression: the largest point count used to stay at its old value after Truncate.
    EXPECT_EQ(doc->Loaded().MaxPoints(), 3);

    // Regression: the span came from XMax, so data starting before time zero
    // got too large a step for a number of points.
    ListCommands::SelectionChanged(*doc, {}, false);
    doc->Loaded().Add({"c",
                       MakeSignal(
                           31, 0.01f, [](size_t) { return 0.0f; }, -0.05f)});
    OperateCommands::Resample(*doc);
    ASSERT_EQ(ui.resampleShown.size(), 2u);
    EXPECT_NEAR(ui.resampleShown[1].span, 0.30f, 1e-6f);
}

// Regression: a number of points gave one point fewer (1001 gave 1000), the
// last sample dropped by the capacity rule of a time step.
TEST_F(AppTest, ResampleByNumberOfPointsGivesThatNumberOverTheSpan)
{
    for (const float x0 : {0.0f, -0.05f}) {
        ListCommands::SelectionChanged(*doc, {}, false);
        doc->Loaded().Add({"a",
                           MakeSignal(
                               2001, 0.0005f, [](size_t i) { return float(i); }, x0)});
        for (const int points : {1001, 401}) {
            ui.pointCounts.push_back(points);
            OperateCommands::Resample(*doc);
            const KVSignal& s = doc->Signals()[0].signal;
            ASSERT_EQ(s.PointCount(), size_t(points)) << x0;
            EXPECT_NEAR(s.X()[0], x0, 1e-6f);
            EXPECT_NEAR(s.X()[points - 1], x0 + 1.0f, 1e-5f) << points;
            EXPECT_NEAR(s.Y()[points - 1], 2000.0f, 1e-2f) << points; // the last sample stays
        }
    }
}

TEST_F(AppTest, ResultantLeavesOneUnnamedEntryThatReloadKeeps)
{
    const auto three = [](size_t) { return 3.0f; };
    const auto four = [](size_t) { return 4.0f; };
    WriteRvf("x.rvf", MakeSignal(5, 0.001f, three));
    WriteRvf("y.rvf", MakeSignal(5, 0.001f, four));
    BrowseDataDir();
    ListCommands::SelectionChanged(*doc, {"x.rvf", "y.rvf"}, true);
    hints.clear();
    OperateCommands::Resultant(*doc);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_TRUE(doc->Signals()[0].name.isEmpty());
    // Regression: a computed result did not count as modified, so nothing asked before it was lost.
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_EQ(ui.title, "Directory - Modified");
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[2], 5.0f);
    EXPECT_EQ(hints, std::vector<int>{HINT_PLOT_CHANGED});
    EXPECT_TRUE(ui.errorDialogs.empty());
    OperateCommands::Reload(*doc);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[2], 5.0f);
    EXPECT_EQ(doc->Signals().size(), 1u);
}

TEST_F(AppTest, ResultantWithOneSignalAndFailedCombinationsKeepTheSignals)
{
    doc->Loaded().Add({"a", Line()});
    OperateCommands::Resultant(*doc);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0], QStringList{"a: Ondrel - Resultant is computed for 2 or 3 signals only"});
    doc->Loaded().Add({"b", Line(5)});
    OperateCommands::Sum(*doc);
    EXPECT_EQ(doc->Signals().size(), 2u);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[0], 1.0f);
    EXPECT_EQ(ui.errorDialogs.size(), 2u);
}

TEST_F(AppTest, SumAndAverageReplaceAllByOneResult)
{
    doc->Loaded().Add({"a", MakeSignal(4, 0.001f, [](size_t i) { return float(i); }), true});
    doc->Loaded().Add({"b", MakeSignal(4, 0.001f, [](size_t) { return 3.0f; })});
    OperateCommands::Average(*doc);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[3], 3.0f);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[1], 2.0f);
    doc->Loaded().Add({"c", MakeSignal(4, 0.001f, [](size_t) { return 1.0f; })});
    OperateCommands::Sum(*doc);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[1], 3.0f);
    // The result goes by the name of what made it, in the title and in messages.
    EXPECT_EQ(doc->Signals()[0].DisplayName(), "Sum");
    EXPECT_TRUE(doc->Texts().title.startsWith("Sum")) << doc->Texts().title.toStdString();
    ui.headerEdits.push_back([](KVSignal& s) { s.SetXUnits("MILLISECONDS"); });
    EditCommands::RvfInformation(*doc);
    ui.filterChoices.push_back({4, 100.0f});
    OperateCommands::Filter(*doc);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0], QStringList{"Sum: Kalvio::BWfilt - Time must be in seconds"});
}

TEST_F(AppTest, LabelCommandsCutTitlesTo46)
{
    ui.texts = {QString(60, 't'), QString(46, 's'), QString(80, 'x'), "Force N"};
    LabelCommands::Title(*doc);
    LabelCommands::SubTitle(*doc);
    LabelCommands::XAxis(*doc);
    LabelCommands::YAxis(*doc);
    EXPECT_EQ(doc->Texts().title, QString(46, 't'));
    EXPECT_EQ(doc->Texts().subTitle, QString(46, 's'));
    EXPECT_EQ(doc->Texts().xLabel, QString(80, 'x'));
    EXPECT_EQ(doc->Texts().yLabel, "Force N");
    EXPECT_EQ(hints.size(), 4u);
    ASSERT_EQ(ui.textPrompts.size(), 4u);
    EXPECT_EQ(ui.textPrompts[0], (std::pair<QString, QString>{"Enter Plot Label", "Title Label"}));
    EXPECT_EQ(ui.textPrompts[1].second, "Sub Title Label");
    EXPECT_EQ(ui.textPrompts[2].second, "X Axis Label");
    EXPECT_EQ(ui.textPrompts[3].second, "Y Axis Label");
    LabelCommands::Title(*doc); // Cancel
    EXPECT_EQ(doc->Texts().title, QString(46, 't'));
    EXPECT_EQ(ui.textInitial.back(), QString(46, 't'));
}

TEST_F(AppTest, SignalLabelsEditsTheLegend)
{
    LabelCommands::SignalLabels(*doc);
    EXPECT_TRUE(ui.labelNamesShown.empty());
    doc->Loaded().Add({"a.rvf", Line()});
    doc->Loaded().Add({"b.rvf", Line()});
    doc->UpdateLabels();
    ui.signalLabels.push_back({"left", "right"});
    LabelCommands::SignalLabels(*doc);
    ASSERT_EQ(ui.labelNamesShown.size(), 1u);
    EXPECT_EQ(ui.labelNamesShown[0], (QStringList{"a.rvf", "b.rvf"}));
    EXPECT_EQ(doc->Texts().legend, (QStringList{"left", "right"}));
}

TEST_F(AppTest, OperateCommandsRunTheLibrarysOperations)
{
    // A command whose operation the table did not know would leave the signal as it was.
    const KVSignal s = MakeSignal(2000, 0.0001f, [](size_t i) { return std::sin(0.01 * double(i)) + 0.3; });
    struct {
        void (*command)(COndrelDoc&);
        bool (*direct)(KVSignal&, KVErrorList*);
    } const cases[] = {
        {&OperateCommands::Integrate, [](KVSignal& x, KVErrorList* e) { return Kalvio::TrapInteg(x, e); }},
        {&OperateCommands::Fir100, [](KVSignal& x, KVErrorList* e) { return Kalvio::FIR100(x, true, e); }},
        {&OperateCommands::BiasAutoRemoveY, [](KVSignal& x, KVErrorList* e) { return Kalvio::Bias(x, e); }},
    };
    for (const auto& c : cases) {
        doc->Loaded().Clear();
        doc->Loaded().Add({"s.rvf", s});
        c.command(*doc);
        KVSignal expected = s;
        KVErrorList errors;
        ASSERT_TRUE(c.direct(expected, &errors));
        const KVSignal& got = doc->Signals()[0].signal;
        EXPECT_TRUE(doc->Signals()[0].modified);
        ASSERT_EQ(got.PointCount(), expected.PointCount());
        EXPECT_NE(got.Y()[got.PointCount() / 2], s.Y()[s.PointCount() / 2]);
        for (size_t i = 0; i < got.PointCount(); ++i)
            ASSERT_EQ(got.Y()[i], expected.Y()[i]) << i;
    }
}
