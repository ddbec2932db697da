#include "TfHitFile.h"
#include "TfTestSupport.h"

#include <gtest/gtest.h>

using namespace Toolsif;
using Lines = std::vector<std::string>;

TEST(TfHitFile, AnExistingFileIsLeftAloneUntilThisRunWrites)
{
    TfTest::TempDir dir;
    TfTest::WriteText("old.hit", "keep1\nkeep2\n");
    TfTest::Console c;
    Session& s = c.s;
    HitFile hit;
    hit.name = "old.hit";
    ASSERT_EQ(HitOpen(hit, false), 0);
    EXPECT_TRUE(hit.entries.empty());
    // Regression: a run that wrote nothing used to truncate and delete the file.
    FileDel(hit);
    EXPECT_EQ(TfTest::ReadText("old.hit"), "keep1\nkeep2\n");
    OutEntry(s, hit);
    EXPECT_TRUE(c.Said("left as it was"));
}

TEST(TfHitFile, AppendTakesOverLinesAndTruncateCutsBack)
{
    TfTest::TempDir dir;
    TfTest::WriteText("old.hit", "one\r\n\ntwo");
    TfTest::Console c;
    Session& s = c.s;
    HitFile hit;
    hit.name = "old.hit";
    ASSERT_EQ(HitOpen(hit, true), 0);
    EXPECT_EQ(hit.entries, (Lines{"one", "", "two"}));
    ASSERT_TRUE(HitAppend(s, hit, {"three"}));
    EXPECT_EQ(TfTest::ReadLines("old.hit"), (Lines{"one", "", "two", "three"}));
    ASSERT_TRUE(HitTruncate(s, hit, 1));
    EXPECT_EQ(TfTest::ReadText("old.hit"), "one\n");
    OutEntry(s, hit);
    EXPECT_TRUE(c.Said(" *** 1 entries in hitlist file old.hit"));
}

TEST(TfHitFile, RewritingKeepsALinkedHitlistAndItsMode)
{
    // Regression: the rewrite replaced a symbolic link by a plain file and
    // gave the new file the default mode.
    TfTest::TempDir dir;
    TfTest::WriteText("real.hit", "one\n");
    std::filesystem::permissions("real.hit", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_symlink("real.hit", "link.hit");
    TfTest::Console c;
    HitFile hit;
    hit.name = "link.hit";
    ASSERT_EQ(HitOpen(hit, true), 0);
    ASSERT_TRUE(HitAppend(c.s, hit, {"two"}));
    EXPECT_TRUE(std::filesystem::is_symlink("link.hit"));
    EXPECT_EQ(TfTest::ReadText("real.hit"), "one\ntwo\n");
    EXPECT_EQ(std::filesystem::status("real.hit").permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(TfHitFile, OpenFailsForAMissingDirectoryAndLeavesNoFileBehind)
{
    TfTest::TempDir dir;
    HitFile hit;
    hit.name = "nodir/x.hit";
    EXPECT_NE(HitOpen(hit, false), 0);
    hit.name = "new.hit";
    ASSERT_EQ(HitOpen(hit, false), 0);
    EXPECT_FALSE(TfTest::Exists("new.hit"));
}

TEST(TfHitFile, PendaxSSearchesOrSpellsOutTemplates)
{
    TfTest::TempDir dir;
    TfTest::WriteText("r1.rvf", "x");
    TfTest::WriteText("r2.rvf", "x");
    TfTest::Console c;
    Session& s = c.s;
    HitFile hit;
    hit.name = "p.hit";
    ASSERT_EQ(HitOpen(hit, false), 0);
    EXPECT_EQ(PendaxS(s, hit, true, false, "r(1-3).rvf"), 2u);
    EXPECT_EQ(PendaxS(s, hit, true, false, "p.h*"), 0u); // never the hit file itself
    EXPECT_EQ(PendaxS(s, hit, true, true, "r1.rvf"), 1u);
    EXPECT_EQ(PendaxS(s, hit, false, false, "q(1-2)*.rvf"), 2u);
    EXPECT_EQ(PendaxS(s, hit, true, false, "none*.rvf"), 0u);
    EXPECT_EQ(PendaxS(s, hit, true, false, "absent.rvf"), 0u);
    TfTest::WriteText("l.hit", "r2.rvf\n\ngone.rvf\n");
    EXPECT_EQ(PendaxS(s, hit, true, false, "@l.hit"), 1u);
    EXPECT_TRUE(c.Said("*** Hitlist l.hit, file name gone.rvf, not found"));
    EXPECT_EQ(PendaxS(s, hit, false, false, "@l.hit"), 2u);
    EXPECT_EQ(PendaxS(s, hit, false, false, "@none.hit"), 0u);
    EXPECT_TRUE(c.Said("*** Hitlist none.hit cannot be read"));
    EXPECT_TRUE(c.Said("*** No file matches none*.rvf"));
    EXPECT_EQ(TfTest::ReadLines("p.hit"),
              (Lines{"r1.rvf", "r2.rvf", dir.Path() + "/r1.rvf", "q1*.rvf", "q2*.rvf", "r2.rvf", "r2.rvf",
                     "gone.rvf"}));
}
