#include "AppTestSupport.h"
#include "FileCommands.h"
#include "ListCommands.h"
#include "OndrelSettings.h"

TEST_F(AppTest, ReadHitlistExpandsWildcardsSkipsBlankLinesAndKeepsBlanksInNames)
{
    WriteRvf("a.rvf", Ramp(2));
    WriteRvf("b.rvf", Ramp(2));
    WriteBytes("notes.txt", "x");
    QDir(Dir()).mkdir("dir.rvf");
    const QString list =
        WriteBytes("l.hit", (Dir() + "*.rvf\r\n\r\n\n" + PathOf("notes.txt") + "\n" + PathOf("a.rvf") + " \r\n").toUtf8());
    doc->Messages().SetLines({"earlier"});
    EXPECT_TRUE(FileCommands::ReadHitlist(*doc, list));
    EXPECT_EQ(doc->FileList(), (QStringList{PathOf("a.rvf"), PathOf("b.rvf"), PathOf("notes.txt")}));
    EXPECT_EQ(doc->Messages().Lines(),
              (QStringList{"earlier", "Hitlist " + list + ", filename " + PathOf("a.rvf") + " , not found"}));
}

TEST_F(AppTest, ReadHitlistThatCannotBeOpenedSaysSo)
{
    EXPECT_FALSE(FileCommands::ReadHitlist(*doc, PathOf("none.hit")));
    ASSERT_EQ(ui.messageBoxes.size(), 1);
    EXPECT_TRUE(ui.messageBoxes[0].startsWith(PathOf("none.hit")));
}

TEST_F(AppTest, OpenHitlistClearsEverythingAndBrowsesTheList)
{
    const QString a = WriteRvf("a.rvf", Ramp(2));
    QDir(Dir()).mkdir("lists");
    const QString list = WriteBytes("lists/run1.hit", (a + "\r\n").toUtf8());
    doc->List().SetNames({"old"});
    doc->Loaded().Add({"old", Ramp(2)});
    doc->Messages().SetLines({"old"});
    FileCommands::OpenHitlist(*doc); // Cancel
    EXPECT_EQ(doc->FileList(), QStringList{"old"});
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Select HitList File");
    EXPECT_EQ(ui.fileRequests[0].filters,
              (QStringList{"HitList File (*.*)", "HitList File (*.txt)", "HitList File (*.hit)",
                           "ISO-MME Test (*.mme *.MME *.zip *.ZIP)",
                           "Simulation (*binout* nodout* glstat* secforc* rcforc* matsum* sbtout* jntforc* deforc* "
                           "abstat*)"}));
    EXPECT_EQ(ui.fileRequests[0].directory, QDir::homePath() + "/");

    ui.openPaths.push_back(list);
    FileCommands::OpenHitlist(*doc);
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_EQ(doc->FileList(), QStringList{a});
    EXPECT_TRUE(doc->Signals().empty());
    EXPECT_TRUE(doc->Messages().Lines().isEmpty());
    EXPECT_EQ(doc->List().HitlistName(), "run1.hit");
    EXPECT_EQ(ui.caption, "Browsing run1.hit");
    EXPECT_EQ(OndrelSettings::ReadString(OndrelSettings::kOutputDir), PathOf("lists/"));
    EXPECT_EQ(hints, (std::vector<int>{HINT_LIST_CHANGED, HINT_PLOT_CHANGED}));
    EXPECT_TRUE(ui.errorDialogs.empty());
}

TEST_F(AppTest, OpenHitlistThatCannotBeReadLeavesAnEmptyListTheViewsHearOf)
{
    doc->List().SetNames({"old"});
    ui.openPaths.push_back(PathOf("gone.hit"));
    FileCommands::OpenHitlist(*doc);
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_TRUE(doc->FileList().isEmpty());
    EXPECT_EQ(ui.messageBoxes.size(), 1);
    EXPECT_TRUE(ui.caption.isEmpty());
    // Regression: the views were not told, so the list view kept offering the old names.
    EXPECT_EQ(hints, (std::vector<int>{HINT_LIST_CHANGED, HINT_PLOT_CHANGED}));
}

TEST_F(AppTest, SaveHitlistInDirectoryModeReadsBackAsTheSameList)
{
    WriteRvf("a.rvf", Ramp(2));
    WriteRvf("b b.rvf", Ramp(2));
    BrowseDataDir();
    const QString out = PathOf("saved.hit");
    ui.savePaths.push_back({out, false});
    ListCommands::SaveHitlist(*doc);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Save Hitlist as");
    EXPECT_EQ(ui.fileRequests[0].filters, QStringList{"Hit List Files (*.*)"});
    EXPECT_TRUE(ui.fileRequests[0].appendBox);
    EXPECT_EQ(ReadBytes(out), (PathOf("a.rvf") + "\r\n" + PathOf("b b.rvf") + "\r\n").toUtf8());

    COndrelDoc other(&ui);
    other.SwitchToHitMode();
    EXPECT_TRUE(FileCommands::ReadHitlist(other, out));
    EXPECT_EQ(other.FileList(), (QStringList{PathOf("a.rvf"), PathOf("b b.rvf")}));
    EXPECT_TRUE(other.Messages().Lines().isEmpty());
}

TEST_F(AppTest, SaveHitlistAppendsAndReplaces)
{
    const QString out = WriteBytes("out.hit", "/first.rvf\r\n");
    doc->SwitchToHitMode();
    doc->List().SetNames({"/x/a.rvf"});
    ui.savePaths.push_back({out, true});
    ListCommands::SaveHitlist(*doc);
    EXPECT_EQ(ReadBytes(out), "/first.rvf\r\n/x/a.rvf\r\n");
    ui.savePaths.push_back({out, false});
    ListCommands::SaveHitlist(*doc);
    EXPECT_EQ(ReadBytes(out), "/x/a.rvf\r\n");
}

TEST_F(AppTest, SaveHitlistWithNothingToSaveShowsNoDialog)
{
    ListCommands::SaveHitlist(*doc);
    ListCommands::SaveSelectedHitlist(*doc);
    EXPECT_TRUE(ui.fileRequests.empty());
}

TEST_F(AppTest, SaveSelectedHitlistWritesLoadedNamesAndSkipsComputedOnes)
{
    doc->BrowseDirectory("/d/");
    doc->List().SetNames({"a.rvf", "b.rvf", "c.rvf"});
    doc->Loaded().Add({"c.rvf", Ramp(2)});
    doc->Loaded().Add({QString(), Ramp(2)});
    doc->Loaded().Add({"a.rvf", Ramp(2)});
    const QString out = PathOf("sel.hit");
    ui.savePaths.push_back({out, false});
    ListCommands::SaveSelectedHitlist(*doc);
    EXPECT_EQ(ReadBytes(out), "/d/c.rvf\r\n/d/a.rvf\r\n");
}

TEST_F(AppTest, AHitlistThatCannotBeWrittenIsReportedWithItsName)
{
    // Regression: a failed save used to pass in silence, so the user believed the list saved.
    doc->SwitchToHitMode();
    doc->List().SetNames({"/x/a.rvf"});
    const QString out = PathOf("no/such/dir/out.hit");
    ui.savePaths.push_back({out, false});
    ListCommands::SaveHitlist(*doc);
    ASSERT_EQ(ui.messageBoxes.size(), 1);
    EXPECT_TRUE(ui.messageBoxes[0].contains(out));
    EXPECT_EQ(OndrelSettings::ReadString(OndrelSettings::kOutputDir), PathOf("no/such/dir/"));
}

TEST_F(AppTest, EditHitlistReplacesTheListInHitlistModeOnly)
{
    doc->List().SetNames({"a.rvf"});
    ui.hitlists.push_back({"/x.rvf"});
    ListCommands::EditHitlist(*doc);
    EXPECT_EQ(doc->FileList(), QStringList{"a.rvf"});
    doc->SwitchToHitMode();
    doc->Loaded().Add({"a.rvf", Ramp(2)});
    ListCommands::EditHitlist(*doc);
    EXPECT_EQ(doc->FileList(), QStringList{"/x.rvf"});
    EXPECT_EQ(doc->Signals().size(), 1u);
    EXPECT_EQ(hints, std::vector<int>{HINT_LIST_CHANGED});
}
