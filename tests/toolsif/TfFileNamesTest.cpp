#include "TfFileNames.h"
#include "TfTestSupport.h"

#include <gtest/gtest.h>

using namespace Toolsif;

TEST(TfFileNames, AddPathKeepsNamesWithADirectoryOfTheirOwn)
{
    EXPECT_EQ(AddPath("out", "a.rvf"), "out/a.rvf");
    EXPECT_EQ(AddPath("out/", "a.rvf"), "out/a.rvf");
    EXPECT_EQ(AddPath("", "a.rvf"), "a.rvf");
    EXPECT_EQ(AddPath("out", "/data/a.rvf"), "/data/a.rvf");
    // Regression: the .aps name derived from a path got the directory twice.
    EXPECT_EQ(AddPath("out", "out/a.aps"), "out/a.aps");
}

TEST(TfFileNames, ComboPositionAndTidying)
{
    EXPECT_EQ(FnCombo("1234_AVG", "rvf"), "1234_AVG.rvf");
    EXPECT_EQ(FnCombo("1234_AVG", ".aps"), "1234_AVG.aps");
    EXPECT_EQ(FtPosnS("dir.rvf/x.RVF", ".rvf"), 9u);
    EXPECT_EQ(FtPosnS("dir.rvf/x.dat", ".rvf"), std::string::npos);
    EXPECT_EQ(FnNameExtract("./out//a.rvf"), "out/a.rvf");
}

TEST(TfFileNames, IncrementFindsTheFirstUnusedName)
{
    TfTest::TempDir dir;
    EXPECT_EQ(FnIncr("a.rvf", false), "a.rvf");
    TfTest::WriteText("a.rvf", "x");
    TfTest::WriteText("a_1.rvf", "x");
    EXPECT_EQ(FnIncr("a.rvf", false), "a_2.rvf");
    EXPECT_EQ(FnIncr("a.rvf", true), "a.rvf");
    TfTest::WriteText("pendax", "x");
    EXPECT_EQ(FnNinc("pendax"), "pendax_1");
    std::filesystem::create_directory("d.x");
    TfTest::WriteText("d.x/noext", "x");
    EXPECT_EQ(FnNinc("d.x/noext"), "d.x/noext_1");
}

TEST(TfFileNames, ValidNamesNeedAnExistingDirectoryAndAPlainLeaf)
{
    TfTest::TempDir dir;
    std::filesystem::create_directory("sub");
    EXPECT_TRUE(FnValid("a.rvf"));
    EXPECT_TRUE(FnValid("sub/a.rvf"));
    EXPECT_FALSE(FnValid("missing/a.rvf"));
    EXPECT_FALSE(FnValid("sub"));
    EXPECT_FALSE(FnValid("sub/"));
    EXPECT_FALSE(FnValid("   "));
    EXPECT_FALSE(FnValid("a\tb.rvf"));
    EXPECT_FALSE(FnValid(".."));
    EXPECT_FALSE(FnValid(std::string(256, 'a')));
}
