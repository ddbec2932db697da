#include "TfTemplate.h"
#include "TfTestSupport.h"

#include <gtest/gtest.h>

using namespace Toolsif;
using Names = std::vector<std::string>;

TEST(TfTemplate, MatchesWildcardsAndNumberRanges)
{
    EXPECT_TRUE(MatchTemplate("run*.rvf", "run.rvf"));
    EXPECT_TRUE(MatchTemplate("run?.rvf", "run7.rvf"));
    EXPECT_FALSE(MatchTemplate("run?.rvf", "run17.rvf"));
    EXPECT_FALSE(MatchTemplate("run*.rvf", "Run1.rvf")); // names are case-sensitive
    std::vector<long> v;
    EXPECT_TRUE(MatchTemplate("run(1-12).rvf", "run12.rvf", &v));
    EXPECT_EQ(v, std::vector<long>{12});
    EXPECT_FALSE(MatchTemplate("run(1-12).rvf", "run13.rvf"));
    EXPECT_FALSE(MatchTemplate("run(1-12).rvf", "run0.rvf"));
    EXPECT_FALSE(MatchTemplate("run(1-12).rvf", "run01.rvf")); // unpadded range
    EXPECT_TRUE(MatchTemplate("run(01-12).rvf", "run01.rvf"));
    EXPECT_FALSE(MatchTemplate("run(01-12).rvf", "run1.rvf"));
    EXPECT_TRUE(MatchTemplate("t(1-3)c(10-20)*", "t2c15.rvf", &v));
    EXPECT_EQ(v, (std::vector<long>{2, 15}));
    // Not a range: the parenthesis is an ordinary character.
    EXPECT_TRUE(MatchTemplate("a(b).rvf", "a(b).rvf"));
    EXPECT_FALSE(IsTemplate("a(b).rvf"));
    EXPECT_FALSE(IsTemplate("a(3-1).rvf"));
    EXPECT_TRUE(IsTemplate("run(1-3).rvf"));
    EXPECT_FALSE(IsTemplate("dir*/a.rvf")); // directories are literal
    // Regression: many stars against a long name took exponential time.
    EXPECT_FALSE(MatchTemplate("*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(250, 'a')));
    EXPECT_TRUE(MatchTemplate("*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(250, 'a') + "b"));
}

TEST(TfTemplate, ExpandsToPlainFilesInNumberOrder)
{
    TfTest::TempDir dir;
    for (const char* n : {"run1.rvf", "run2.rvf", "run10.rvf", "run12.rvf", "other.rvf"})
        TfTest::WriteText(n, "x");
    std::filesystem::create_directory("run3.rvf"); // a directory is no match
    EXPECT_EQ(ExpandTemplate("run(1-10).rvf"), (Names{"run1.rvf", "run2.rvf", "run10.rvf"}));
    EXPECT_EQ(ExpandTemplate("run*.rvf"), (Names{"run1.rvf", "run10.rvf", "run12.rvf", "run2.rvf"}));
    EXPECT_EQ(ExpandTemplate(dir.Path() + "/run?.rvf"),
              (Names{dir.Path() + "/run1.rvf", dir.Path() + "/run2.rvf"}));
    EXPECT_TRUE(ExpandTemplate("nothere/*.rvf").empty());
}

TEST(TfTemplate, ExpandRangesSpellsOutNamesWithoutTheDisk)
{
    EXPECT_EQ(ExpandRanges("d/r(08-10)*.rvf"), (Names{"d/r08*.rvf", "d/r09*.rvf", "d/r10*.rvf"}));
    EXPECT_EQ(ExpandRanges("plain.rvf"), Names{"plain.rvf"});
    EXPECT_TRUE(ExpandRanges("r(1-999999999).rvf").empty()); // too many names
}

TEST(TfTemplate, HitlistSkipsEmptyLinesKeepsBlanksAndReportsMisses)
{
    TfTest::TempDir dir;
    TfTest::WriteText("a.rvf", "x");
    TfTest::WriteText("b1.rvf", "x");
    TfTest::WriteText("b2.rvf", "x");
    TfTest::WriteText("list.hit", "a.rvf\r\n\r\nb*.rvf\n\na.rvf \nmissing.rvf");
    Names names, notFound;
    ASSERT_TRUE(ReadHitlistFile("list.hit", names, notFound));
    EXPECT_EQ(names, (Names{"a.rvf", "b1.rvf", "b2.rvf"}));
    EXPECT_EQ(notFound, (Names{"a.rvf ", "missing.rvf"}));
    EXPECT_FALSE(ReadHitlistFile("nolist.hit", names, notFound));
    EXPECT_FALSE(ReadHitlistFile(dir.Path(), names, notFound));
}
