#include "AppTestSupport.h"
#include "EditCommands.h"
#include "OndrelSettings.h"

#include <QFileInfo>
#include <QSettings>

using namespace OndrelSettings;

TEST_F(AppTest, SettingsDefaultsAndTheDocumentReadsThem)
{
    EXPECT_EQ(ReadInt(kColumnHeaders), 1);
    EXPECT_EQ(ReadInt(kSaveZoom), 1);
    EXPECT_EQ(ReadInt(kLineStyle), 0);
    EXPECT_EQ(ReadInt(kSort), 0);
    EXPECT_EQ(ReadInt(kShortHeader), 1);
    EXPECT_EQ(ReadString(kOutputDir), QDir::homePath() + "/");
    EXPECT_FALSE(ReadString(kQuillon).isEmpty());
    EXPECT_FALSE(ReadString(kQuillon).endsWith("/"));
    // Installed or not, the default folder holds the criterion programs of this build.
    EXPECT_TRUE(QFileInfo(ReadString(kQuillon) + "/hic").isExecutable()) << ReadString(kQuillon).toStdString();
    EXPECT_TRUE(ReadString(DirectoryKey(0)).isEmpty());
    EXPECT_TRUE(doc->Options().columnHeaders);
    EXPECT_TRUE(doc->Options().saveZoom);
    EXPECT_EQ(doc->Options().lineStyle, 0);
    EXPECT_EQ(doc->Options().quillonDir, ReadString(kQuillon));

    WriteInt(kColumnHeaders, 0);
    WriteInt(kLineStyle, 3);
    WriteString(kQuillon, "/opt/q");
    MakeDoc();
    EXPECT_FALSE(doc->Options().columnHeaders);
    EXPECT_EQ(doc->Options().lineStyle, 3);
    EXPECT_EQ(doc->Options().quillonDir, "/opt/q");
    // Integers are stored as integers in the store's own section.
    EXPECT_EQ(QSettings("Zelnor", "Ondrel").value("Settings/LineStyle").toInt(), 3);
}

TEST_F(AppTest, OptionsWritesFourSettingsOnOkAndNothingOnCancel)
{
    EditCommands::Options(*doc);
    ASSERT_EQ(ui.optionsShown.size(), 1u);
    EXPECT_TRUE(ui.optionsShown[0].columnHeaders);
    EXPECT_TRUE(QSettings("Zelnor", "Ondrel").allKeys().isEmpty());
    EXPECT_TRUE(hints.empty());

    ui.options.push_back({false, false, 2, "/usr/local/quillon", false, "/srv/protocols"});
    EditCommands::Options(*doc);
    EXPECT_FALSE(doc->Options().saveZoom);
    EXPECT_FALSE(doc->Options().columnHeaders);
    EXPECT_EQ(doc->Options().lineStyle, 2);
    EXPECT_EQ(ReadInt(kSaveZoom), 0);
    EXPECT_EQ(ReadInt(kColumnHeaders), 0);
    EXPECT_EQ(ReadInt(kLineStyle), 2);
    EXPECT_EQ(ReadString(kQuillon), "/usr/local/quillon");
    EXPECT_EQ(ReadString(kProtocolDir), "/srv/protocols");
    EXPECT_EQ(hints, std::vector<int>{HINT_PLOT_CHANGED});
}

// Guards the headless batch: its line style must not become the stored choice.
TEST_F(AppTest, SetOptionsChangesThisDocumentOnlyAndTellsNoView)
{
    doc->SetOptions({false, false, 3, "/q", true, {}});
    EXPECT_EQ(doc->Options().lineStyle, 3);
    EXPECT_TRUE(doc->Options().textTimeSeconds);
    EXPECT_TRUE(QSettings("Zelnor", "Ondrel").allKeys().isEmpty());
    EXPECT_TRUE(hints.empty());
    EXPECT_EQ(COndrelDoc().Options().lineStyle, 0);
}

TEST_F(AppTest, RecentDirectoriesKeepTenMostRecentFirstWithoutDuplicates)
{
    for (int i = 0; i < 11; ++i)
        RememberDirectory(QString("/data/run%1").arg(i));
    QStringList list = RecentDirectories();
    ASSERT_EQ(list.size(), 10);
    EXPECT_EQ(list.front(), "/data/run10/");
    EXPECT_EQ(list.back(), "/data/run1/");

    // Typed without the final "/" and in other letter case, already third.
    EXPECT_EQ(RememberDirectory("  /DATA/RUN8 "), "/DATA/RUN8/");
    list = RecentDirectories();
    ASSERT_EQ(list.size(), 10);
    EXPECT_EQ(list.mid(0, 4), (QStringList{"/DATA/RUN8/", "/data/run10/", "/data/run9/", "/data/run7/"}));
    EXPECT_EQ(list.count("/data/run8/"), 0);

    // An empty field stores nothing.
    EXPECT_TRUE(RememberDirectory("   ").isEmpty());
    EXPECT_EQ(RecentDirectories(), list);
}

TEST(SettingsPaths, DirectoryOfPathAndNormalise)
{
    EXPECT_EQ(DirectoryOfPath("/data/run1.txt"), "/data/");
    EXPECT_EQ(DirectoryOfPath("/run1.txt"), "/");
    EXPECT_EQ(NormaliseDirectory("/data/"), "/data/");
    EXPECT_EQ(NormaliseDirectory(""), "");
    EXPECT_EQ(PushRecentDirectory({"/a/", "/B/"}, "/b/"), (QStringList{"/b/", "/a/"}));
    EXPECT_TRUE(DefaultValue("NoSuchKey").isNull());
}
