#include "AppTestSupport.h"
#include "FileCommands.h"
#include "ListCommands.h"
#include "OndrelSettings.h"
#include "OperateCommands.h"

TEST_F(AppTest, SortByNameAndByExtensionInByteOrder)
{
    doc->List().SetNames({"c.b10", "a.x", "b.b01", "d.X", "noext", "B.b01"});
    ListCommands::SortByExtension(*doc);
    EXPECT_EQ(doc->FileList(), (QStringList{"noext", "d.X", "b.b01", "B.b01", "c.b10", "a.x"}));
    EXPECT_EQ(OndrelSettings::ReadInt(OndrelSettings::kSort), 1);
    ListCommands::SortByName(*doc);
    EXPECT_EQ(doc->FileList(), (QStringList{"B.b01", "a.x", "b.b01", "c.b10", "d.X", "noext"}));
    EXPECT_EQ(OndrelSettings::ReadInt(OndrelSettings::kSort), 0);
    doc->List().Sort(7);
    EXPECT_EQ(doc->FileList().front(), "B.b01");
}

TEST_F(AppTest, RelistFollowsTheSortSettingAndAnEmptyDirectoryListsEmpty)
{
    WriteRvf("z.a01", Ramp(2));
    WriteRvf("y.a02", Ramp(2));
    WriteBytes("plain", "0 0\n");
    OndrelSettings::WriteInt(OndrelSettings::kSort, 1);
    BrowseDataDir();
    EXPECT_EQ(doc->FileList(), (QStringList{"plain", "z.a01", "y.a02"}));

    // Regression: an empty directory used to keep the names of the one browsed before.
    QTemporaryDir empty;
    ui.directories.push_back(empty.path());
    FileCommands::OpenDirectory(*doc);
    ListCommands::Relist(*doc);
    EXPECT_TRUE(doc->FileList().isEmpty());
}

TEST_F(AppTest, ApplyFilterListsMatchesOrReportsAndKeepsTheList)
{
    WriteRvf("v1.aa0", Ramp(2));
    WriteRvf("w1.aa0", Ramp(2));
    BrowseDataDir();
    ui.texts.push_back("v*");
    ListCommands::ApplyFilter(*doc);
    ASSERT_EQ(ui.textPrompts.size(), 1u);
    EXPECT_EQ(ui.textPrompts[0].first, "Apply Filter for Displaying File Names");
    EXPECT_EQ(ui.textPrompts[0].second, "Enter Filter    (e.g. v*.aa0.*)");
    EXPECT_EQ(ui.textInitial[0], "*.*");
    EXPECT_EQ(doc->FileList(), QStringList{"v1.aa0"});

    ui.texts.push_back("q*");
    ListCommands::ApplyFilter(*doc);
    EXPECT_EQ(doc->FileList(), QStringList{"v1.aa0"});
    EXPECT_EQ(ui.messageBoxes, QStringList{"Error Processing Filter (q*)"});

    ListCommands::Relist(*doc); // the filter lasts until the next re-listing
    EXPECT_EQ(doc->FileList().size(), 2);
}

TEST_F(AppTest, PastingTwoPathsInDirectoryModeGivesAHitlist)
{
    WriteRvf("a.rvf", Ramp(2));
    BrowseDataDir();
    hints.clear();
    ui.clipboard = "/x/one.rvf\r\n/y/two.rvf\r\n";
    ListCommands::PasteFilenames(*doc);
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_EQ(doc->FileList(), (QStringList{PathOf("a.rvf"), "/x/one.rvf", "/y/two.rvf"}));
    EXPECT_EQ(hints, std::vector<int>{HINT_LIST_CHANGED});
    ui.clipboard.clear();
    ListCommands::PasteFilenames(*doc);
    EXPECT_EQ(hints.size(), 1u);
}

TEST_F(AppTest, CopyFilenamesGivesFullPathsOfTheLoadedSignals)
{
    ListCommands::CopyFilenames(*doc);
    EXPECT_TRUE(ui.clipboard.isEmpty());
    doc->BrowseDirectory("/d/");
    doc->Loaded().Add({"a.rvf", Ramp(2)});
    doc->Loaded().Add({QString(), Ramp(2)}); // regression: a computed signal was copied as the directory
    doc->Loaded().Add({"b.rvf", Ramp(2)});
    ListCommands::CopyFilenames(*doc);
    EXPECT_EQ(ui.clipboard, "/d/a.rvf\r\n/d/b.rvf\r\n");
}

TEST_F(AppTest, RemoveAndClearCommands)
{
    doc->SwitchToHitMode();
    doc->List().SetNames({"/a", "/b", "/c", "/b"});
    doc->Loaded().Add({"/b", Ramp(2)});
    ListCommands::RemoveUnselectedItems(*doc);
    EXPECT_EQ(doc->FileList(), (QStringList{"/b", "/b"}));
    EXPECT_EQ(doc->Signals().size(), 1u);
    doc->List().SetNames(doc->FileList() + QStringList{"/c"});
    ListCommands::RemoveSelectedItems(*doc);
    EXPECT_EQ(doc->FileList(), QStringList{"/c"});
    EXPECT_TRUE(doc->Signals().empty());
    // Regression: the plot kept the removed signals' curves; it is told too.
    EXPECT_EQ(hints, (std::vector<int>{HINT_LIST_CHANGED, HINT_LIST_CHANGED, HINT_PLOT_CHANGED}));

    doc->BrowseDirectory("/d/");
    ListCommands::ClearList(*doc);
    EXPECT_TRUE(doc->FileList().isEmpty());
    EXPECT_TRUE(doc->List().Directory().isEmpty());
}

TEST_F(AppTest, ListingNamesFilesItCannotRead)
{
    const QString locked = WriteRvf("locked.rvf", Ramp(2));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    BrowseDataDir();
    EXPECT_EQ(doc->FileList(), QStringList{"locked.rvf"});
    EXPECT_TRUE(ui.messageBoxes.isEmpty());
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Regression: Operate > Reload (and its toolbar button) discarded modified
// signals unasked.
TEST_F(AppTest, ReloadAsksBeforeDroppingModifiedSignals)
{
    WriteRvf("x.rvf", Ramp(5));
    BrowseDataDir();
    ASSERT_TRUE(ListCommands::SelectionChanged(*doc, {"x.rvf"}, true));
    OperateCommands::Derivative(*doc);
    ASSERT_TRUE(doc->Signals().at(0).modified);
    const float changed = doc->Signals()[0].signal.Y()[2];
    ui.dropAnswers = {EDropAnswer::Cancel, EDropAnswer::Discard};
    OperateCommands::Reload(*doc);
    ASSERT_EQ(ui.dropQuestions.size(), 1u);
    EXPECT_EQ(ui.dropQuestions[0], QStringList{"x.rvf"});
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_EQ(doc->Signals()[0].signal.Y()[2], changed);
    OperateCommands::Reload(*doc);
    EXPECT_FALSE(doc->Signals()[0].modified);
    EXPECT_EQ(doc->Signals()[0].signal.Y()[2], Ramp(5).Y()[2]);
}

// Regression: a computed result did not count as modified, and a new
// selection, Open Directory and Open Hitlist dropped changed signals unasked.
TEST_F(AppTest, CommandsThatDropModifiedSignalsAskFirst)
{
    WriteRvf("x.rvf", Ramp(5));
    WriteRvf("y.rvf", Ramp(5));
    BrowseDataDir();
    ASSERT_TRUE(ListCommands::SelectionChanged(*doc, {"x.rvf", "y.rvf"}, true));
    EXPECT_TRUE(ui.dropQuestions.empty()) << "nothing modified: no question";
    OperateCommands::Sum(*doc);
    ASSERT_TRUE(doc->Signals().at(0).modified);

    // Cancel keeps the result: a click elsewhere, another directory, a hitlist, Clear.
    ui.dropAnswers = {EDropAnswer::Cancel, EDropAnswer::Cancel, EDropAnswer::Cancel, EDropAnswer::Cancel};
    EXPECT_FALSE(ListCommands::SelectionChanged(*doc, {"y.rvf"}, true));
    QTemporaryDir other;
    ui.directories.push_back(other.path());
    FileCommands::OpenDirectory(*doc);
    ui.openPaths.push_back(WriteBytes("list.hit", PathOf("x.rvf").toUtf8() + "\n"));
    FileCommands::OpenHitlist(*doc);
    ListCommands::ClearList(*doc);
    ASSERT_EQ(ui.dropQuestions.size(), 4u);
    EXPECT_EQ(ui.dropQuestions[0], QStringList{"Sum"});
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_EQ(doc->Signals()[0].DisplayName(), "Sum");
    EXPECT_EQ(doc->List().Directory(), Dir());
    EXPECT_FALSE(doc->List().HitMode());
    EXPECT_EQ(doc->FileList().size(), 2);

    // Save writes the result before it goes; a save dialog cancelled keeps it.
    ui.dropAnswers = {EDropAnswer::Save, EDropAnswer::Save};
    EXPECT_FALSE(ListCommands::SelectionChanged(*doc, {"y.rvf"}, true));
    EXPECT_EQ(doc->Signals()[0].DisplayName(), "Sum");
    ui.savePaths.push_back({PathOf("sum.rvf")});
    EXPECT_TRUE(ListCommands::SelectionChanged(*doc, {"y.rvf"}, true));
    EXPECT_TRUE(QFile::exists(PathOf("sum.rvf")));
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_EQ(doc->Signals()[0].name, "y.rvf");
}

// Selecting every channel of a large test read them all with no sign of
// progress and no way to stop.
TEST_F(AppTest, SelectingManyFilesShowsProgressAndCancelKeepsWhatWasLoaded)
{
    QStringList names;
    for (int k = 0; k < 60; ++k) {
        names << QStringLiteral("c%1.rvf").arg(k, 2, 10, QLatin1Char('0'));
        WriteRvf(names.back(), Ramp(3));
    }
    BrowseDataDir();
    ui.cancelProgressAt = 20;
    EXPECT_FALSE(ListCommands::SelectionChanged(*doc, names, true));
    EXPECT_EQ(ui.progressTitles, QStringList{"Loading Signals"});
    EXPECT_EQ(doc->Signals().size(), 20u);
    // Fifty files or fewer load at once.
    ui.progressTitles.clear();
    EXPECT_TRUE(ListCommands::SelectionChanged(*doc, names.mid(0, 50), true));
    EXPECT_TRUE(ui.progressTitles.isEmpty());
    EXPECT_EQ(doc->Signals().size(), 50u);
}
