#include "AppTestSupport.h"
#include "Criterion.h"
#include "CriterionCommands.h"
#include "ListCommands.h"
#include "ProgramLaunch.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

KVSignal WithAxis(const char* axis, float y = 1.0f)
{
    KVSignal s = MakeSignal(4, 0.001f, [y](size_t) { return y; });
    s.SetAxis(axis);
    return s;
}

} // namespace

TEST_F(AppTest, SingleSignalPassesItsPathOrATemporaryCopyWhenModified)
{
    SetQuillonDir("/opt/quillon");
    doc->SwitchToHitMode();
    doc->Loaded().Add({"/data/run 1/a.rvf", WithAxis("X")});
    EXPECT_TRUE(CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Neck208)));
    ASSERT_EQ(ui.started.size(), 1u);
    EXPECT_EQ(ui.started[0].program, "/opt/quillon/neck208");
    EXPECT_EQ(ui.started[0].arguments, QStringList{"/data/run 1/a.rvf"});
    EXPECT_TRUE(ui.started[0].removeAfter.isEmpty()); // never the user's own file

    // The signal as an operation leaves it: changed and flagged.
    KVSignal changed = WithAxis("X");
    changed.SetPoint(0.0f, 42.0f, 0);
    ListCommands::SelectionChanged(*doc, {}, false);
    doc->Loaded().Add({"/data/run 1/a.rvf", changed, true});
    CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Vc));
    ASSERT_EQ(ui.started.size(), 2u);
    EXPECT_EQ(ui.started[1].program, "/opt/quillon/vc");
    ASSERT_EQ(ui.started[1].arguments.size(), 1);
    const QString temp = ui.started[1].arguments[0];
    EXPECT_TRUE(temp.startsWith(QDir::tempPath() + "/RVF"));
    // Regression: the copy made for the program was never deleted.
    EXPECT_EQ(ui.started[1].removeAfter, QStringList{temp});
    // The note on the temporary file shows while it is made, then the title returns.
    EXPECT_TRUE(ui.titles.contains("Created Temporary File " + temp));
    EXPECT_EQ(ui.title, "HitList - Modified");
    KVSignal back;
    KVFileRvf reader(QFile::encodeName(temp).toStdString());
    ASSERT_TRUE(reader.Load(back));
    EXPECT_FLOAT_EQ(back.Y()[0], 42.0f);
    QFile::remove(temp);

    // A program that cannot be started leaves no copy behind either.
    ui.startSucceeds = false;
    EXPECT_FALSE(CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Vc)));
    ASSERT_EQ(ui.started.size(), 3u);
    EXPECT_FALSE(QFile::exists(ui.started[2].arguments[0]));
}

TEST(ProgramLaunch, FilesAreRemovedAfterTheProgramEndsAndItsStatusPassesOn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString odd = dir.filePath("it's a \"copy\" $HOME.rvf");
    const QString plain = dir.filePath("b.rvf");
    for (const QString& name : {odd, plain}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // The program sees both files, then they go; its exit status is kept.
    const CLaunch launch = RemoveAfterExit("/bin/sh", {"-c", "test -f \"$0\" && test -f \"$1\" && exit 3", odd, plain},
                                           {odd, plain});
    EXPECT_EQ(QProcess::execute(launch.program, launch.arguments), 3);
    EXPECT_FALSE(QFile::exists(odd));
    EXPECT_FALSE(QFile::exists(plain));
    EXPECT_TRUE(QFile::exists(dir.path()));

    const CLaunch direct = RemoveAfterExit("/q/hic", {"a b"}, {});
    EXPECT_EQ(direct.program, "/q/hic");
    EXPECT_EQ(direct.arguments, QStringList{"a b"});
}

TEST_F(AppTest, DirectoryModeJoinsTheDirectoryCleanly)
{
    SetQuillonDir("/opt/quillon/");
    doc->BrowseDirectory("/data/");
    doc->Loaded().Add({"a.rvf", WithAxis("X")});
    CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Hic));
    ASSERT_EQ(ui.started.size(), 1u);
    EXPECT_EQ(ui.started[0].program, "/opt/quillon/hic");
    EXPECT_EQ(ui.started[0].arguments, QStringList{"/data/a.rvf"});
}

TEST_F(AppTest, ThreeAxisFormOrdersByAxisLetterAndTakesTheFirstOfEach)
{
    SetQuillonDir("/q");
    doc->SwitchToHitMode();
    const auto load = [this](const char* z1, const char* x1, const char* y1) {
        ListCommands::SelectionChanged(*doc, {}, false);
        doc->Loaded().Add({"/z1", WithAxis(z1)});
        doc->Loaded().Add({"/x1", WithAxis(x1)});
        doc->Loaded().Add({"/y1", WithAxis(y1)});
    };
    load("Z", "X", "YL");
    CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Nij));
    CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Clip3ms));
    ASSERT_EQ(ui.started.size(), 2u);
    EXPECT_EQ(ui.started[0].program, "/q/nij");
    EXPECT_EQ(ui.started[0].arguments, (QStringList{"/x1", "/y1", "/z1"}));
    EXPECT_EQ(ui.started[1].program, "/q/clip3ms");
    EXPECT_EQ(ui.started[1].arguments, (QStringList{"/x1", "/y1", "/z1"}));

    load("Z", "X", "X");
    CriterionCommands::RunCriterion(
        *doc, Criteria::DefOf(Criteria::CriterionId::Tibia)); // two X axes and no Y: nothing is started
    CriterionCommands::RunCriterion(
        *doc, Criteria::DefOf(Criteria::CriterionId::Hic)); // the single form needs one signal: nothing either
    EXPECT_EQ(ui.started.size(), 2u);
    EXPECT_TRUE(ui.errorDialogs.empty());

    load("Y", "X", "Z");
    CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Tibia));
    ASSERT_EQ(ui.started.size(), 3u);
    EXPECT_EQ(ui.started[2].arguments, (QStringList{"/x1", "/z1", "/y1"}));
}

// Regression: a computed signal that no operation changed was passed as the browsed directory.
TEST_F(AppTest, AComputedSignalGoesByATemporaryFile)
{
    doc->BrowseDirectory(Dir());
    doc->Loaded().Add({QString(), WithAxis("X")});
    EXPECT_TRUE(CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Hic)));
    ASSERT_EQ(ui.started.size(), 1u);
    ASSERT_EQ(ui.started[0].removeAfter.size(), 1);
    EXPECT_EQ(ui.started[0].arguments, ui.started[0].removeAfter);
    EXPECT_TRUE(QFile::remove(ui.started[0].arguments[0]));
}

TEST_F(AppTest, AxisLettersAreMatchedExactly)
{
    doc->SwitchToHitMode();
    doc->Loaded().Add({"/a", WithAxis("x")});
    doc->Loaded().Add({"/b", WithAxis("Y")});
    doc->Loaded().Add({"/c", WithAxis("Z")});
    EXPECT_FALSE(CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Nij)));
    ListCommands::SelectionChanged(*doc, {"/a", "/b"}, false);
    EXPECT_FALSE(CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Hic)));
    EXPECT_TRUE(ui.started.empty());
}

TEST_F(AppTest, ATemporaryFileThatCannotBeWrittenStartsNothing)
{
    doc->SwitchToHitMode();
    KVSignal empty; // no arrays: the store fails
    doc->Loaded().Add({"/a", empty, true});
    EXPECT_FALSE(CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Vc)));
    EXPECT_TRUE(ui.started.empty());
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_FALSE(ui.errorDialogs[0].isEmpty());
}

TEST_F(AppTest, AProgramThatCannotBeStartedIsNamed)
{
    SetQuillonDir("/nowhere");
    doc->SwitchToHitMode();
    doc->Loaded().Add({"/a", WithAxis("X")});
    ui.startSucceeds = false;
    EXPECT_FALSE(CriterionCommands::RunCriterion(*doc, Criteria::DefOf(Criteria::CriterionId::Vc)));
    ASSERT_EQ(ui.messageBoxes.size(), 1);
    EXPECT_EQ(ui.messageBoxes[0], "Cannot start the criterion program /nowhere/vc");
}
