#include "TfPrompt.h"
#include "TfTestSupport.h"

#include <gtest/gtest.h>

using namespace Toolsif;

namespace {

// Asks FILE_PROMPT until it ends; the names in order.
std::vector<std::string> Drain(Session& s)
{
    std::vector<std::string> names;
    for (int guard = 0; guard < 50; ++guard) {
        std::string name;
        bool end = false;
        FilePrompt(s, "File?", "[done]", "", name, end);
        if (end)
            return names;
        names.push_back(name);
    }
    ADD_FAILURE() << "FILE_PROMPT never ended";
    return names;
}

} // namespace

TEST(TfPrompt, TemplateAnswersTheListThenTheConsoleAsksAgain)
{
    TfTest::TempDir dir;
    TfTest::WriteText("r1.rvf", "x");
    TfTest::WriteText("r2.rvf", "x");
    TfTest::Console c("nomatch*.rvf\nr(1-2).rvf\nsingle.rvf\n\n");
    Session& s = c.s;
    EXPECT_EQ(Drain(s), (std::vector<std::string>{"r1.rvf", "r2.rvf"}));
    EXPECT_TRUE(c.Said("*** No file matches nomatch*.rvf"));
    EXPECT_TRUE(c.Said("File? [done] "));
    // After the template ran out, the console is asked again.
    EXPECT_EQ(Drain(s), std::vector<std::string>{"single.rvf"});
    EXPECT_FALSE(s.prompt.expanding);
}

TEST(TfPrompt, HitlistAnswerAndAbandonedList)
{
    TfTest::TempDir dir;
    TfTest::WriteText("a.rvf", "x");
    TfTest::WriteText("b.rvf", "x");
    TfTest::WriteText("runs.hit", "a.rvf\ngone.rvf\nb.rvf\n");
    TfTest::Console c("@runs.hit\n@nolist.hit\n");
    Session& s = c.s;
    std::string name;
    bool end = false;
    FilePrompt(s, "File?", "[done]", "", name, end);
    EXPECT_EQ(name, "a.rvf");
    EXPECT_TRUE(s.prompt.expanding);
    EXPECT_TRUE(c.Said("*** Hitlist runs.hit, file name gone.rvf, not found"));
    FileDel(s.prompt); // abandon: b.rvf is dropped
    FilePrompt(s, "File?", "[done]", "", name, end);
    EXPECT_TRUE(c.Said("*** Hitlist nolist.hit cannot be read"));
    EXPECT_TRUE(end); // then the input ended
    EXPECT_TRUE(s.prompt.endOfInput);
}

TEST(TfPrompt, BatchRunEndsWhenTheCommandLineTemplateIsUsedUp)
{
    TfTest::TempDir dir;
    TfTest::WriteText("r1.rvf", "x");
    TfTest::Console c("should.not.be.read\n");
    Session& s = c.s;
    s.options.batch = true;
    s.options.templ = "r*.rvf";
    EXPECT_TRUE(BatSet(s));
    EXPECT_EQ(Drain(s), std::vector<std::string>{"r1.rvf"});
    EXPECT_TRUE(Drain(s).empty());
    EXPECT_FALSE(c.Said("should"));
}
