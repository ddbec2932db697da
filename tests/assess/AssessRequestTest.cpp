// One request, however it was asked: the command line's options, the JSON
// object Python's keywords become and the fields the dialog sets read alike.
#include "AssessRequest.h"
#include "Protocol.h"

#include <gtest/gtest.h>

namespace {

Assess::AssessRequest FromArgs(const std::vector<std::string>& args, bool withPage = true)
{
    Assess::AssessRequest r;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string problem;
        EXPECT_EQ(Assess::ReadRequestArg(args, i, r, problem, withPage), Assess::ArgRead::Taken) << args[i];
    }
    return r;
}

TEST(AssessRequest, EveryCallersFormGivesTheSameRequest)
{
    const Assess::AssessRequest args
        = FromArgs({"--protocol", "un-r94", "--position", "1", "--position=3", "--dummy", "h3-50m", "--inputs",
                    "in.json", "--protocol-dir=mine", "--page", "letter"});

    Assess::AssessRequest json;
    std::string problem;
    ASSERT_TRUE(Assess::ReadRequestJson(R"({"protocol": "un-r94", "positions": ["1", "3"], "dummy": "h3-50m",
        "inputs": "in.json", "protocol_dir": "mine", "page": "letter", "tests": null})",
                                        json, problem))
        << problem;

    Assess::AssessRequest fields; // as the dialog sets them
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"protocol", "un-r94"}, {"dummy", "h3-50m"}, {"inputs", "in.json"}, {"protocol_dir", "mine"},
             {"page", "letter"}})
        ASSERT_TRUE(Assess::SetRequestField(fields, name, value, problem)) << name;
    ASSERT_TRUE(Assess::AddRequestPositions(fields, " 1, 3", problem));

    EXPECT_EQ(args.positions, (std::vector<char>{'1', '3'}));
    EXPECT_EQ(args.page, Assess::PageSize::Letter);
    EXPECT_TRUE(args == json);
    EXPECT_TRUE(args == fields);
}

TEST(AssessRequest, BadValuesAreRefusedSayingWhatTheyMustBe)
{
    const struct {
        std::vector<std::string> args;
        std::string problem;
    } cases[] = {
        {{"--position", "12"}, "--position takes one code character (1 driver, 3 front passenger), not \"12\""},
        {{"--position="}, "--position takes one code character (1 driver, 3 front passenger), not \"\""},
        {{"--page", "a5"}, "--page takes a4 or letter"},
        {{"--dummy"}, "--dummy needs a key"},
    };
    for (const auto& c : cases) {
        Assess::AssessRequest r;
        size_t i = 0;
        std::string problem;
        EXPECT_EQ(Assess::ReadRequestArg(c.args, i, r, problem, true), Assess::ArgRead::Bad) << c.problem;
        EXPECT_EQ(problem, c.problem);
    }
    // Not a request's option, or the page where no page is made.
    for (const std::vector<std::string>& other : {std::vector<std::string>{"--protocolx", "a"}, {"--page", "a4"}}) {
        Assess::AssessRequest r;
        size_t i = 0;
        std::string problem;
        EXPECT_EQ(Assess::ReadRequestArg(other, i, r, problem, false), Assess::ArgRead::NotMine) << other[0];
        EXPECT_EQ(i, 0u);
    }
    Assess::AssessRequest r;
    std::string problem;
    EXPECT_FALSE(Assess::ReadRequestJson(R"({"position": "1"})", r, problem)); // the key is "positions"
    EXPECT_FALSE(Assess::ReadRequestJson(R"({"positions": [1]})", r, problem));
    EXPECT_FALSE(Assess::AddRequestPositions(r, "1 3 front", problem));
    EXPECT_NE(problem.find("not \"front\""), std::string::npos) << problem;
}

TEST(AssessRequest, TestsArePathsOfOneTestOrAListPerTest)
{
    const struct {
        const char* json;
        std::vector<std::vector<std::string>> tests;
    } cases[] = {
        {R"({"tests": "a.mme"})", {{"a.mme"}}},
        {R"({"tests": ["a.001", "a.002"]})", {{"a.001", "a.002"}}},
        {R"({"tests": [["2231"], ["2234"]]})", {{"2231"}, {"2234"}}},
    };
    for (const auto& c : cases) {
        Assess::AssessRequest r;
        std::string problem;
        ASSERT_TRUE(Assess::ReadRequestJson(c.json, r, problem)) << problem;
        EXPECT_EQ(r.tests, c.tests) << c.json;
    }
}

TEST(AssessRequest, PageSizesReadBothWays)
{
    for (Assess::PageSize p : {Assess::PageSize::A4, Assess::PageSize::Letter}) {
        Assess::PageSize back = p == Assess::PageSize::A4 ? Assess::PageSize::Letter : Assess::PageSize::A4;
        ASSERT_TRUE(Assess::PageSizeOfName(Assess::PageSizeName(p), back));
        EXPECT_EQ(back, p);
    }
}

} // namespace

namespace {

// The bands and ratings are one table each, read both ways; a rating takes
// the colour of its band (acceptable: adequate's).
TEST(AssessVocabulary, BandsAndRatingsReadBothWays)
{
    for (Assess::Band b : {Assess::Band::Good, Assess::Band::Adequate, Assess::Band::Marginal, Assess::Band::Weak,
                           Assess::Band::Poor})
        EXPECT_EQ(Assess::BandOfName(Assess::BandName(b)), b) << Assess::BandName(b);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(Assess::RatingOfName(Assess::RatingName(Assess::Rating(k))), k);
    EXPECT_EQ(Assess::RatingRgb(Assess::Rating::Acceptable), Assess::BandRgb(Assess::Band::Adequate));
    EXPECT_EQ(Assess::RatingRgb(Assess::Rating::Poor), Assess::BandRgb(Assess::Band::Poor));
    EXPECT_FALSE(Assess::BandOfName("acceptable").has_value());
    EXPECT_FALSE(Assess::RatingOfName("adequate").has_value());
}

} // namespace
