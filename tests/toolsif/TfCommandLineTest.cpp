#include "TfCommandLine.h"
#include "TfTestSupport.h"

#include <gtest/gtest.h>

using namespace Toolsif;

TEST(TfCommandLine, SlashIsASwitchMarkOnlyForKnownWords)
{
    const auto known = [](const std::string& w) { return w == "HELP"; };
    EXPECT_EQ(SwitchWord("/help", known), "HELP");
    EXPECT_EQ(SwitchWord("-help", known), "HELP");
    EXPECT_EQ(SwitchWord("help", known), "HELP");
    EXPECT_EQ(SwitchWord("/tmp/run1.rvf", known), "/TMP/RUN1.RVF");
    EXPECT_EQ(SwitchWord("--x", known), "-X"); // only one mark is removed
    const char* argv[] = {"corridor", "a", "", "b"};
    EXPECT_EQ(GetCl(4, argv), (std::vector<std::string>{"a", "", "b"}));
}

TEST(TfCommandLine, GenericSwitchesAndTheTemplate)
{
    TfTest::TempDir dir;
    std::filesystem::create_directory("OutDir");
    TfTest::Console c;
    Session& s = c.s;
    ASSERT_EQ(ProcCl(s, {"", "-batch", "/Out=OutDir", "run*.rvf", "overwrite"}, "Corridor"), 0);
    EXPECT_TRUE(s.options.batch);
    EXPECT_TRUE(s.options.overwrite);
    EXPECT_EQ(s.options.outDir, "OutDir"); // the value keeps its case
    EXPECT_EQ(s.options.templ, "run*.rvf");
    EXPECT_TRUE(c.Out().empty());
}

TEST(TfCommandLine, OddCommandLinesAreRefusedWithAMessage)
{
    TfTest::TempDir dir;
    TfTest::Console c;
    Session& s = c.s;
    EXPECT_EQ(ProcCl(s, {"-frobnicate"}, "Corridor"), 1);
    EXPECT_TRUE(c.Said("*** Unknown option -frobnicate"));
    EXPECT_EQ(ProcCl(s, {"a.rvf", "b.rvf"}, "Corridor"), 1);
    EXPECT_TRUE(c.Said("b.rvf is a second one"));
    EXPECT_EQ(ProcCl(s, {"OUT=nowhere"}, "Corridor"), 1);
    EXPECT_TRUE(c.Said("*** Output directory not found: nowhere"));
}

TEST(TfCommandLine, LogSwitchCopiesMessagesToTheLog)
{
    TfTest::TempDir dir;
    TfTest::Console c;
    Session& s = c.s;
    ASSERT_EQ(ProcCl(s, {"LOG=run.log"}, "Corridor"), 0);
    MsgWrite(s.msg, "*** one");
    CleanUp(s);
    EXPECT_EQ(TfTest::ReadText("run.log"), "*** one\n");
    EXPECT_EQ(c.Out(), "*** one\n");
}

TEST(TfSession, RepColsWrapsMessagesAtBlanks)
{
    std::ostringstream out;
    MsgUnit unit;
    unit.out = &out;
    RepCols(unit, 10);
    MsgWrite(unit, "aaa bbb ccc dddddddddddd");
    EXPECT_EQ(out.str(), "aaa bbb\nccc\ndddddddddd\ndd\n");
}
