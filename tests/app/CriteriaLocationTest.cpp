#include "CriteriaLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Puts an executable "hic" into dir, made first.
void PutProgram(const QString& dir)
{
    ASSERT_TRUE(QDir().mkpath(dir));
    QFile program(dir + "/hic");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    ASSERT_TRUE(program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

} // namespace

TEST(CriteriaLocation, BesideTheProgramFirstThenTheBuildTreeThenTheInstalledFolder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString r = root.path();
    const CCriteriaLayout layout{"../libexec/ondrel/criteria", r + "/build/src/criteria", r + "/build/",
                                 r + "/usr/libexec/ondrel/criteria"};
    const QString bin = r + "/opt/bin";
    const QString built = r + "/build/src/ondrel";
    EXPECT_EQ(CriteriaDirCandidates(bin, layout),
              (QStringList{bin, r + "/opt/libexec/ondrel/criteria", layout.installed}));
    EXPECT_EQ(CriteriaDirCandidates(built, layout),
              (QStringList{built, r + "/build/src/libexec/ondrel/criteria", layout.buildTree, layout.installed}));
    // A folder that only starts with the build tree's name is not inside it.
    EXPECT_EQ(CriteriaDirCandidates(r + "/build-old/bin", layout).size(), 3);

    // No folder holds a program: the installed folder, even when it is missing.
    EXPECT_EQ(FindCriteriaDir(bin, layout), layout.installed);
    PutProgram(layout.buildTree);
    EXPECT_EQ(FindCriteriaDir(bin, layout), layout.installed);
    EXPECT_EQ(FindCriteriaDir(built, layout), layout.buildTree);
    // A file of the name that cannot be run does not count.
    ASSERT_TRUE(QDir().mkpath(r + "/opt/libexec/ondrel/criteria"));
    QFile plain(r + "/opt/libexec/ondrel/criteria/hic");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(FindCriteriaDir(bin, layout), layout.installed);
    PutProgram(r + "/opt/libexec/ondrel/criteria");
    EXPECT_EQ(FindCriteriaDir(bin, layout), r + "/opt/libexec/ondrel/criteria");
    PutProgram(bin);
    EXPECT_EQ(FindCriteriaDir(bin, layout), bin);
}
