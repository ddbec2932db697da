#include "AppTestSupport.h"
#include "EditCommands.h"
#include "FileCommands.h"
#include "LabelCommands.h"
#include "ListCommands.h"
#include "OperateCommands.h"

#include <array>

namespace {

KVSignal Labelled(const char* yUnits, size_t n = 4)
{
    KVSignal s = Ramp(n);
    s.SetYUnits(yUnits);
    return s;
}

} // namespace

TEST_F(AppTest, SelectionLoadsNewNamesInOrderAndUnloadsDeselected)
{
    WriteRvf("a.rvf", Ramp(3));
    WriteRvf("b.rvf", Ramp(5));
    WriteBytes("c.txt", "0 1\n1 2\n");
    BrowseDataDir();
    EXPECT_EQ(doc->FileList(), (QStringList{"a.rvf", "b.rvf", "c.txt"}));
    hints.clear();

    ListCommands::SelectionChanged(*doc, {"a.rvf"}, true);
    ListCommands::SelectionChanged(*doc, {"a.rvf", "b.rvf"}, true);
    ListCommands::SelectionChanged(*doc, {"a.rvf", "b.rvf", "c.txt"}, true);
    EXPECT_EQ(LoadedNames(), (QStringList{"a.rvf", "b.rvf", "c.txt"}));
    EXPECT_EQ(doc->Loaded().MaxPoints(), 5);
    EXPECT_EQ(hints, (std::vector<int>{HINT_PLOT_CHANGED, HINT_PLOT_CHANGED, HINT_PLOT_CHANGED}));
    EXPECT_EQ(doc->Signals()[2].signal.PointCount(), 2u); // the text file through the second reader
    EXPECT_FALSE(doc->Signals()[0].modified);

    ListCommands::SelectionChanged(*doc, {"a.rvf", "c.txt"}, false);
    EXPECT_EQ(LoadedNames(), (QStringList{"a.rvf", "c.txt"}));
    EXPECT_EQ(doc->Loaded().MaxPoints(), 3);

    // Deselecting everything unloads all and keeps the texts; the plot is
    // told, so that it stops showing the unloaded curves.
    const QString yLabel = doc->Texts().yLabel;
    hints.clear();
    ListCommands::SelectionChanged(*doc, {}, false);
    EXPECT_TRUE(doc->Signals().empty());
    EXPECT_EQ(doc->Loaded().MaxPoints(), 0);
    EXPECT_EQ(hints, std::vector<int>{HINT_PLOT_CHANGED});
    EXPECT_EQ(doc->Texts().yLabel, yLabel);
    EXPECT_TRUE(ui.messageBoxes.isEmpty());
}

TEST_F(AppTest, SelectionReadsOnlyTheNewlySelectedFiles)
{
    WriteRvf("a.rvf", Ramp(3));
    WriteRvf("b.rvf", Ramp(4));
    BrowseDataDir();
    ListCommands::SelectionChanged(*doc, {"a.rvf"}, true);
    // a.rvf is already loaded: its file is not read again.
    ASSERT_TRUE(QFile::remove(PathOf("a.rvf")));
    ListCommands::SelectionChanged(*doc, {"a.rvf", "b.rvf"}, true);
    EXPECT_EQ(LoadedNames(), (QStringList{"a.rvf", "b.rvf"}));
    EXPECT_TRUE(ui.messageBoxes.isEmpty());
}

TEST_F(AppTest, AFileThatFailsToLoadIsReportedAndChangesNothingElse)
{
    WriteRvf("a.rvf", Ramp(3));
    WriteBytes("bad.rvf", "RVF-1992 but truncated");
    WriteRvf("c.rvf", Ramp(3));
    BrowseDataDir();
    ListCommands::SelectionChanged(*doc, {"a.rvf"}, true);
    ListCommands::SelectionChanged(*doc, {"a.rvf", "bad.rvf"}, true);
    ListCommands::SelectionChanged(*doc, {"a.rvf", "bad.rvf", "c.rvf"}, true);
    EXPECT_EQ(LoadedNames(), (QStringList{"a.rvf", "c.rvf"}));
    // The failed name is tried again whenever another item becomes selected.
    ASSERT_EQ(ui.messageBoxes.size(), 2);
    EXPECT_FALSE(ui.messageBoxes[0].isEmpty());
    EXPECT_EQ(ui.waitDepth, 0);
}

TEST_F(AppTest, UnloadIgnoresCaseButLoadIsExact)
{
    WriteRvf("a.rvf", Ramp(3));
    WriteRvf("A.rvf", Ramp(6));
    BrowseDataDir();
    ListCommands::SelectionChanged(*doc, {"a.rvf"}, true);
    ListCommands::SelectionChanged(*doc, {"A.rvf"}, true);
    EXPECT_EQ(LoadedNames(), (QStringList{"a.rvf", "A.rvf"}));
}

TEST_F(AppTest, LoadFileNeedsANameAndADirectory)
{
    EXPECT_FALSE(doc->LoadFile("a.rvf")); // directory mode, no directory
    doc->SwitchToHitMode();
    EXPECT_FALSE(doc->LoadFile(QString()));
    EXPECT_TRUE(ui.messageBoxes.isEmpty());
    doc->Loaded().Add({"/nine", Ramp(9)});
    EXPECT_EQ(doc->Loaded().MaxPoints(), 9);
    EXPECT_TRUE(doc->LoadFile(WriteRvf("a.rvf", Ramp(7))));
    EXPECT_EQ(doc->Loaded().MaxPoints(), 0);
    EXPECT_EQ(doc->Loaded().LastLoaded().PointCount(), 7u);
    EXPECT_EQ(doc->Loaded().CurrentFile(), PathOf("a.rvf"));

    // A batch takes the reason back instead of a message box it would stop at.
    QString failure;
    EXPECT_FALSE(doc->LoadFile(PathOf("gone.rvf"), &failure));
    EXPECT_TRUE(failure.contains("gone.rvf")) << failure.toStdString();
    EXPECT_TRUE(ui.messageBoxes.isEmpty());

    // A selected file's samples move into the loaded signals: a long record
    // was held twice (the load record and the list's copy).
    ListCommands::SelectionChanged(*doc, {PathOf("a.rvf")}, true);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_EQ(doc->Signals()[0].signal.PointCount(), 7u);
    EXPECT_EQ(doc->Loaded().LastLoaded().PointCount(), 0u);
}

TEST_F(AppTest, OneSignalLabelsTitleAndSubTitle)
{
    KVSignal s = MakeSignal(5, 0.5f, [](size_t i) { return std::array<float, 5>{1, -2.5f, 3, 7.25f, -2.5f}[i]; });
    s.SetTestReference("REF1   ");
    s.SetSensorAttachment("HEAD  ");
    s.SetAxis("X");
    s.SetSensorLocation("DRIVER");
    doc->Loaded().Add({"run1.rvf", s});
    doc->UpdateLabels();
    EXPECT_EQ(doc->Texts().yLabel, "ACCELERATION G");
    EXPECT_EQ(doc->Texts().xLabel, "TIME SECONDS");
    EXPECT_EQ(doc->Texts().title, "run1.rvf (REF1), HEAD,X axis, occ DRIVER");
    EXPECT_EQ(doc->Texts().subTitle, "Ymin -2.500 @ 0.5, Ymax 7.250 @ 1.5");

    // Over-long labels fall back to the units, then to 47 characters.
    s.SetYType(std::string(40, 'T'));
    s.SetYUnits(std::string(10, 'U'));
    s.SetXUnits(std::string(60, 'S'));
    ListCommands::SelectionChanged(*doc, {}, false);
    doc->Loaded().Add({QString(300, 'n'), s});
    doc->UpdateLabels();
    EXPECT_EQ(doc->Texts().yLabel, QString(10, 'U'));
    EXPECT_EQ(doc->Texts().xLabel, QString(47, 'S'));
    EXPECT_EQ(doc->Texts().title, QString(254, 'n'));
}

TEST_F(AppTest, SubTitleOfFortySixStaysWholeAndLongerIsCut)
{
    // "Ymin -1000.000 @ 1000.0, Ymax 1000.000 @ 1001.0" is 47 characters.
    KVSignal s = MakeSignal(2, 1.0f, [](size_t i) { return i == 0 ? -1000.0f : 1000.0f; }, 1000.0f);
    doc->Loaded().Add({"x", s});
    doc->Texts().FollowSubTitle(doc->Loaded());
    EXPECT_EQ(doc->Texts().subTitle, "Ymin -1000.000 @ 1000.0, Ymax 1000.000 @ 1001.");
    s.SetPoint(1000.0f, -100.0f, 0);
    ListCommands::SelectionChanged(*doc, {}, false);
    doc->Loaded().Add({"x", s});
    doc->Texts().FollowSubTitle(doc->Loaded());
    EXPECT_EQ(doc->Texts().subTitle, "Ymin -100.000 @ 1000.0, Ymax 1000.000 @ 1001.0");
    EXPECT_EQ(doc->Texts().subTitle.size(), 46);
}

TEST_F(AppTest, SeveralSignalsGiveUnitsLabelAndLegend)
{
    ui.texts = {"kept", "old"};
    LabelCommands::XAxis(*doc);
    LabelCommands::Title(*doc);
    doc->Loaded().Add({"/long/directory/name/first.rvf", Labelled("G")});
    doc->Loaded().Add({"b.rvf", Labelled("g")});
    doc->UpdateLabels();
    EXPECT_EQ(doc->Texts().yLabel, "G");
    // The X label names the loaded signals' units, not a former selection's.
    EXPECT_EQ(doc->Texts().xLabel, "TIME SECONDS");
    EXPECT_TRUE(doc->Texts().title.isEmpty());
    EXPECT_TRUE(doc->Texts().subTitle.isEmpty());
    EXPECT_EQ(doc->Texts().legend, (QStringList{"first.rvf", "b.rvf"}));

    doc->Loaded().Add({"c.rvf", Labelled("N")});
    doc->Loaded().Add({"d.rvf", Labelled("G")});
    doc->UpdateLabels();
    EXPECT_EQ(doc->Texts().yLabel, "Mixed Units");
    EXPECT_EQ(doc->Texts().legend.size(), 4);
}

TEST_F(AppTest, TitleTellsModeAndModification)
{
    doc->UpdateTitle();
    EXPECT_EQ(ui.title, "Directory");
    doc->SwitchToHitMode();
    doc->Loaded().Add({"a", Ramp(2)});
    doc->Loaded().Add({"b", Ramp(2), true});
    doc->UpdateTitle();
    EXPECT_EQ(ui.title, "HitList - Modified");
}

TEST_F(AppTest, SwitchToHitModePrefixesListAndLoadedNames)
{
    doc->BrowseDirectory("/d/");
    doc->List().SetNames({"a.rvf", "b.rvf"});
    doc->Loaded().Add({"b.rvf", Ramp(2)});
    doc->SwitchToHitMode();
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_TRUE(doc->List().Directory().isEmpty());
    EXPECT_EQ(doc->FileList(), (QStringList{"/d/a.rvf", "/d/b.rvf"}));
    EXPECT_EQ(LoadedNames(), QStringList{"/d/b.rvf"});
}

// Regression: a computed signal took the directory for its file name, which Reload then tried to read.
TEST_F(AppTest, SwitchToHitModeLeavesComputedSignalsUnnamed)
{
    doc->BrowseDirectory("/d/");
    doc->Loaded().Add({QString(), Ramp(2), true});
    doc->SwitchToHitMode();
    EXPECT_EQ(LoadedNames(), QStringList{QString()});
}

TEST_F(AppTest, ReloadRestoresFilesDropsModifiedAndKeepsComputedSignals)
{
    WriteRvf("a.rvf", Ramp(3));
    BrowseDataDir();
    // a.rvf as an operation leaves it: changed and flagged.
    KVSignal changed = Ramp(3);
    changed.SetPoint(0.0f, 42.0f, 0);
    doc->Loaded().Add({"a.rvf", changed, true});
    KVSignal computed = Ramp(8);
    computed.SetPoint(0.0f, -1.0f, 0);
    doc->Loaded().Add({QString(), computed, true});
    doc->UpdateTitle();
    EXPECT_EQ(ui.title, "Directory - Modified");
    hints.clear();

    OperateCommands::Reload(*doc);
    EXPECT_FLOAT_EQ(doc->Signals()[0].signal.Y()[0], 0.0f);
    EXPECT_FALSE(doc->Signals()[0].modified);
    EXPECT_FLOAT_EQ(doc->Signals()[1].signal.Y()[0], -1.0f);
    EXPECT_TRUE(doc->Signals()[1].modified);
    EXPECT_EQ(doc->Loaded().MaxPoints(), 8);
    EXPECT_EQ(hints, std::vector<int>{HINT_PLOT_CHANGED});

    ListCommands::SelectionChanged(*doc, {"a.rvf"}, false);
    OperateCommands::Reload(*doc);
    EXPECT_EQ(ui.title, "Directory");
}

TEST_F(AppTest, CollectErrorsAndShowMessages)
{
    doc->ShowMessages();
    EXPECT_TRUE(ui.errorDialogs.empty());
    AddDocError(*doc, "Not a Number", "Kalvio::derivY");
    AddDocError(*doc, "second", "Ondrel");
    doc->Messages().SetLines({"stale"});
    doc->Messages().CollectErrors();
    EXPECT_EQ(doc->Messages().Lines(), (QStringList{"Kalvio::derivY - Not a Number", "Ondrel - second"}));
    doc->ShowMessages();
    doc->ShowMessages();
    ASSERT_EQ(ui.errorDialogs.size(), 2u);
    EXPECT_EQ(doc->Messages().Lines().size(), 2);
}

TEST_F(AppTest, OpenDirectoryEntersDirectoryModeAndCancelChangesNothing)
{
    doc->SwitchToHitMode();
    doc->Loaded().Add({"x", Ramp(2)});
    FileCommands::OpenDirectory(*doc);
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_EQ(doc->Signals().size(), 1u);

    ui.directories.push_back(Dir().chopped(1));
    FileCommands::OpenDirectory(*doc);
    EXPECT_FALSE(doc->List().HitMode());
    EXPECT_EQ(doc->List().Directory(), Dir());
    EXPECT_TRUE(doc->Signals().empty());
    EXPECT_EQ(ui.caption, "Browsing " + Dir());
    EXPECT_EQ(hints, (std::vector<int>{HINT_LIST_CHANGED, HINT_PLOT_CHANGED}));
}

TEST_F(AppTest, RvfInformationReplacesTheSignalOnOkOnly)
{
    doc->Loaded().Add({"a", Ramp(2)});
    EditCommands::RvfInformation(*doc);
    EXPECT_EQ(doc->Signals()[0].signal.TestTitle(), " ");
    // OK without a change changes nothing.
    ui.headerEdits.push_back([](KVSignal&) {});
    EditCommands::RvfInformation(*doc);
    EXPECT_FALSE(doc->Signals()[0].modified);
    EXPECT_TRUE(hints.empty());

    // Regression: an edited header was neither marked nor shown, and Reload
    // or Exit dropped it without a word.
    ui.headerEdits.push_back([](KVSignal& s) {
        s.SetTestTitle("SLED 12");
        s.SetTestReference("XR-99");
    });
    EditCommands::RvfInformation(*doc);
    EXPECT_EQ(doc->Signals()[0].signal.TestTitle(), "SLED 12");
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_EQ(doc->Texts().title, "a (XR-99)");
    EXPECT_EQ(ui.title, "Directory - Modified");
    EXPECT_EQ(hints, std::vector<int>{HINT_PLOT_CHANGED});
}
