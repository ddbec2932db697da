#include "CommandLine.h"
#include "AppTestSupport.h"
#include "FileCommands.h"
#include "OndrelSettings.h"
#include "Requests.h"

#include <QFileInfo>

TEST_F(AppTest, CommandLineListSwitchPositions)
{
    const QString list = WriteBytes("list.txt", "one.rvf\r\n\r\n two.rvf \nthree.rvf");
    {
        COndrelCommandLineInfo info;
        info.Parse({"a.rvf", "-L", list, "b.rvf"});
        EXPECT_EQ(info.files, (QStringList{"a.rvf", "one.rvf", " two.rvf ", "three.rvf", "b.rvf"}));
        EXPECT_FALSE(info.listNext);
    }
    {
        COndrelCommandLineInfo info;
        info.Parse({"-L" + list});
        EXPECT_EQ(info.files, (QStringList{"one.rvf", " two.rvf ", "three.rvf"}));
    }
    {
        COndrelCommandLineInfo info;
        info.Parse({"a.rvf", "-l", list, "-X", "-L  "});
        EXPECT_EQ(info.files, (QStringList{"a.rvf", "one.rvf", " two.rvf ", "three.rvf"}));
        EXPECT_TRUE(info.listNext); // "-L  " is a bare list switch once its blanks are cut
    }
    {
        COndrelCommandLineInfo info;
        info.Parse({"a.rvf", "-L"});
        EXPECT_EQ(info.files, QStringList{"a.rvf"});
        EXPECT_TRUE(info.listNext);
    }
    {
        // An unreadable list file adds nothing and says nothing.
        COndrelCommandLineInfo info;
        info.Parse({"-L", PathOf("missing.txt"), "c.rvf"});
        EXPECT_EQ(info.files, QStringList{"c.rvf"});
    }
}

TEST_F(AppTest, CommandLineSlashStartsAPathAndRequestSwitchesCarryTheirName)
{
    COndrelCommandLineInfo info;
    info.Parse({"/data/run1/*.rvf", "--datafile", "/x/a b.rvf", "--hitlist", "/x/l.hit"});
    EXPECT_EQ(info.files, QStringList{"/data/run1/*.rvf"});
    EXPECT_EQ(info.requests, (QStringList{"[DataFile(/x/a b.rvf)]", "[HitList(/x/l.hit)]"}));
}

TEST_F(AppTest, BrowseCommandLineExpandsPatternsAndReportsMissingEntries)
{
    WriteRvf("b.rvf", Ramp(3));
    WriteRvf("a.rvf", Ramp(3));
    WriteBytes("c.txt", "0 1\n1 2\n");
    QDir(Dir()).mkdir("sub.rvf");
    FileCommands::BrowseCommandLine(*doc, {Dir() + "*.rvf", PathOf("nothing.rvf"), PathOf("c.txt")});
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_EQ(doc->FileList(), (QStringList{PathOf("a.rvf"), PathOf("b.rvf"), PathOf("c.txt")}));
    EXPECT_EQ(ui.caption, "Browsing Command Line arguments");
    EXPECT_EQ(hints, std::vector<int>{HINT_LIST_CHANGED});
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0], QStringList{"File, " + PathOf("nothing.rvf") + ", does not Exist"});
}

// Regression: "ondrel DIR" said "File, DIR, does not Exist" of an existing directory.
TEST_F(AppTest, CommandLineOfOneFolderBrowsesThatDirectory)
{
    WriteRvf("a.rvf", Ramp(3));
    QDir(Dir()).mkdir("sub");
    FileCommands::BrowseCommandLine(*doc, {Dir()});
    EXPECT_FALSE(doc->List().HitMode());
    EXPECT_EQ(doc->List().Directory(), OndrelSettings::NormaliseDirectory(QFileInfo(Dir()).absoluteFilePath()));
    EXPECT_EQ(ui.caption, "Browsing " + doc->List().Directory());
    EXPECT_TRUE(ui.errorDialogs.empty());
}

TEST_F(AppTest, BrowseCommandLineWithNothingFoundKeepsModeAndCaptionButSaysWhy)
{
    FileCommands::BrowseCommandLine(*doc, {PathOf("gone.rvf")});
    EXPECT_FALSE(doc->List().HitMode());
    EXPECT_TRUE(doc->FileList().isEmpty());
    EXPECT_TRUE(ui.caption.isEmpty());
    EXPECT_TRUE(hints.empty());
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
}

TEST(Requests, FixedPositions)
{
    QString name;
    EXPECT_EQ(ParseRequest("[DataFile(/a.rvf)]", name), ERequest::DataFile);
    EXPECT_EQ(name, "/a.rvf");
    EXPECT_EQ(ParseRequest("[HitList(/l.hit)]", name), ERequest::HitList);
    EXPECT_EQ(name, "/l.hit");
    name = "unchanged";
    EXPECT_EQ(ParseRequest("[DataFile()]", name), ERequest::None);
    EXPECT_EQ(ParseRequest("[HitList()]", name), ERequest::None);
    EXPECT_EQ(ParseRequest("[open(\"/a.rvf\")]", name), ERequest::None);
    EXPECT_EQ(name, "unchanged");
    // The name is cut by position, not by the brackets.
    EXPECT_EQ(ParseRequest("[DataFile(/a.rvf)] ", name), ERequest::DataFile);
    EXPECT_EQ(name, "/a.rvf)");
}

TEST_F(AppTest, DataFileRequestSwitchesToHitlistModeAndAddsOnce)
{
    BrowseDataDir();
    WriteRvf("a.rvf", Ramp(2));
    doc->List().SetNames({"a.rvf"});
    hints.clear();
    EXPECT_TRUE(FileCommands::HandleRequest(*doc, "[DataFile(/x/new.rvf)]"));
    EXPECT_TRUE(FileCommands::HandleRequest(*doc, "[DataFile(/x/new.rvf)]"));
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_TRUE(doc->List().Directory().isEmpty());
    EXPECT_EQ(doc->FileList(), (QStringList{PathOf("a.rvf"), "/x/new.rvf"}));
    EXPECT_EQ(hints, (std::vector<int>{HINT_LIST_CHANGED, HINT_LIST_CHANGED}));
    EXPECT_FALSE(FileCommands::HandleRequest(*doc, "[DataFile()]"));
}

TEST_F(AppTest, HitListRequestAppendsAndShowsMessages)
{
    const QString a = WriteRvf("a.rvf", Ramp(2));
    const QString list = WriteBytes("l.hit", (a + "\r\n" + PathOf("none.rvf") + "\r\n").toUtf8());
    doc->SwitchToHitMode();
    doc->List().SetNames({"/keep.rvf"});
    EXPECT_TRUE(FileCommands::HandleRequest(*doc, "[HitList(" + list + ")]"));
    EXPECT_EQ(doc->FileList(), (QStringList{"/keep.rvf", a}));
    EXPECT_EQ(hints, std::vector<int>{HINT_LIST_CHANGED});
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0], QStringList{"Hitlist " + list + ", filename " + PathOf("none.rvf") + ", not found"});
}
