#include "AppTestSupport.h"
#include "FileWrite.h"
#include "HitlistFile.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

// Regression: the window's saves went through a second replace helper that
// cut a hard-linked hitlist off its other names.
TEST_F(AppTest, ReplacingAFileKeepsItsLinksAndItsMode)
{
    const QString real = WriteBytes("real.hit", "/old.rvf\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    const QString link = PathOf("link.hit");
    ASSERT_EQ(::symlink(QFile::encodeName(real).constData(), QFile::encodeName(link).constData()), 0);

    QString reason;
    ASSERT_TRUE(WriteNameLines(link, {"/x/a.rvf"}, false, &reason)) << reason.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(real), "/x/a.rvf\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    const QString other = PathOf("other.hit");
    ASSERT_EQ(::link(QFile::encodeName(real).constData(), QFile::encodeName(other).constData()), 0);
    ASSERT_TRUE(WriteNameLines(real, {"/x/b.rvf"}, false, &reason)) << reason.toStdString();
    EXPECT_EQ(ReadBytes(other), "/x/b.rvf\r\n");

    EXPECT_FALSE(WriteWholeFile(PathOf("none/t.txt"), "x", reason));
    EXPECT_EQ(reason, "no such file or directory");
}
