// The correlation of a test with a simulation: the map's checks name their
// line, the event span of --protocol-window ends where the reference last
// reaches its inner corridor, and a test rated against itself through a map
// rates 1 in every region.
#include "Correlation.h"
#include "DemoData.h"
#include "KVErrorList.h"
#include "Kalvio.h"
#include "SupportFiles.h"
#include "SupportSignals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::string Pair(const std::string& extra)
{
    return "{\"test\": \"11HEAD0000H3ACXA\", \"simulation\": \"nodout/1/x_acceleration\"" + extra + "}";
}

} // namespace

TEST(CorrelationMap, EachProblemNamesItsLine)
{
    struct Case {
        std::string text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"{\"pairs\": [\n" + Pair("") + ",\n", 3, "not valid JSON"}, // the end of the text
        {"{\"pairs\": [\n" + Pair("") + ",\n" + Pair(", \"facotr\": 2") + "\n]}", 3, "unknown key \"facotr\""},
        {"{\"pairs\": [\n{\"test\": \"11HEAD\", \"simulation\": \"a/1/b\"}]}", 2, "no 16-character channel code"},
        {"{\"pairs\": [\n" + Pair(",\n \"factor\": 0") + "]}", 3, "\"factor\" takes a number other than 0"},
        {"{\"pairs\": [\n" + Pair(", \"sign\": \"x\"") + "]}", 2, "\"sign\" takes \"+\" or \"-\""},
        {"{\"pairs\": [\n" + Pair(", \"cfc\": 100") + "]}", 2, "60, 180, 600 or 1000"},
        {"{\"pairs\": [\n" + Pair("") + ",\n" + Pair(", \"sign\": \"-\"") + "]}", 3, "pair 2 repeats pair 1"},
        {"{\"pairs\": [\n{\"simulation\": \"a/1/b\"}]}", 2, "needs \"test\""},
        {"{\n\"pairs\": []}", 2, "at least one pair"},
    };
    for (const Case& c : cases) {
        std::vector<Correlate::MapPair> pairs;
        std::string error;
        EXPECT_FALSE(Correlate::ParseMap(c.text, "m.json", pairs, error)) << c.text;
        EXPECT_EQ(error.rfind("m.json:" + std::to_string(c.line) + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
    }
}

TEST(CorrelationMap, SignAndFactorMultiplyAndPairsKnowTheirLines)
{
    std::vector<Correlate::MapPair> pairs;
    std::string error;
    ASSERT_TRUE(Correlate::ParseMap("{\"pairs\": [\n" + Pair(", \"factor\": 0.5, \"sign\": \"-\"") + ",\n\n"
                                        + "{\"test\": \"11chst0000h3acxc\", \"simulation\": \"x\", \"cfc\": 180}]}",
                                    "m.json", pairs, error))
        << error;
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0].factor, -0.5);
    EXPECT_EQ(pairs[0].line, 2);
    EXPECT_EQ(pairs[1].test, "11CHST0000H3ACXC");
    EXPECT_EQ(pairs[1].cfc, 180);
    EXPECT_EQ(pairs[1].line, 4);
}

TEST(CorrelationEvent, EndsWhereTheReferenceLastReachesItsInnerCorridor)
{
    // A half-sine of height 40 from 20 to 60 ms: |y| >= 0.05 x 40 until
    // t = 0.02 + 0.04 (1 - asin(0.05) / pi); before time zero nothing counts.
    KVSignal pulse = UniformSignal(-100, 1000, 1e-4f, [](double t) {
        const double u = t - 0.02;
        return u > 0.0 && u < 0.04 ? 40.0 * std::sin(M_PI * u / 0.04) : (t < 0 ? 100.0 : 0.0);
    });
    const double end = 0.02 + 0.04 * (1.0 - std::asin(0.05) / M_PI);
    const std::optional<Kalvio::RatingInterval> span = Correlate::EventInterval(pulse, -0.01, 0.1);
    ASSERT_TRUE(span);
    EXPECT_EQ(*span->from, 0.0);
    EXPECT_NEAR(*span->to, std::floor(end / 1e-4) * 1e-4, 1e-7);
    EXPECT_FALSE(Correlate::EventInterval(pulse, 0.07, 0.1)) << "nothing but zeros after the event";
}

TEST(CorrelationPair, TheSimulationIsFilteredToTheClassTheTestCarries)
{
    // A pulse with 2 kHz noise; the test channel carries it filtered to CFC
    // 180, the simulation raw: filtered alike, the two are one curve.
    KVSignal raw = UniformSignal(0, 1000, 1e-4f, [](double t) {
        return 40.0 * std::sin(M_PI * std::clamp(t / 0.1, 0.0, 1.0)) + 5.0 * std::sin(2 * M_PI * 2000 * t);
    });
    raw.SetYUnits("G'S");
    KVSignal test = raw;
    ASSERT_TRUE(Kalvio::BWfilt(test, 180, nullptr));
    Correlate::PairResult p;
    Correlate::RatePair(test, raw, {}, p);
    ASSERT_TRUE(p.rating) << p.reason;
    EXPECT_EQ(p.filterClass, 180);
    EXPECT_EQ(p.rating->rating, 1.0);

    test.SetCutOffFrequency(0); // no class recorded: both as they are, the noise costs slope
    Correlate::RatePair(test, raw, {}, p);
    ASSERT_TRUE(p.rating) << p.reason;
    EXPECT_EQ(p.filterClass, 0);
    EXPECT_LT(p.rating->slope, 0.9);
}

TEST(CorrelationPair, ASimulationOnAnotherStepIsPutOnTheTestsGrid)
{
    const KVSignal test = RatingPulse(0, "G'S");
    KVSignal coarse = UniformSignal(0, 200, 5e-4f, [](double t) {
        const double u = t - 0.02;
        return u > 0.0 && u < 0.04 ? 40.0 * std::sin(M_PI * u / 0.04) : 0.0;
    });
    coarse.SetYUnits("G'S");
    Correlate::PairResult p;
    Correlate::RatePair(test, coarse, {}, p);
    ASSERT_TRUE(p.rating) << p.reason;
    EXPECT_TRUE(p.rating->resampled);
    EXPECT_EQ(p.rating->step, 1e-4);
    EXPECT_GT(p.rating->rating, 0.99);
}

class CorrelateDemo : public ::testing::Test {
protected:
    void SetUp() override
    {
        DemoDataSet written;
        KVErrorList errors;
        ASSERT_TRUE(WriteDemoIsoTests(dir.Path(), written, errors));
        test = dir.Path("iso-mme/2231");
    }
    std::string Map(const std::string& pairs)
    {
        const std::string path = dir.Path("map.json");
        WriteText(path, "{\"pairs\": [\n" + pairs + "\n]}\n");
        return path;
    }

    TempDir dir;
    std::string test;
};

TEST_F(CorrelateDemo, ATestAgainstItselfRatesOneInEveryRegionAndAReversedAxisPoor)
{
    const std::string map = Map("{\"test\": \"11HEAD0000H3ACXA\", \"simulation\": \"11HEAD0000H3ACXA\"},\n"
                                "{\"test\": \"11HEAD0000H3ACZA\", \"simulation\": \"11head0000h3acza\", "
                                "\"factor\": -1, \"sign\": \"-\"},\n"
                                "{\"test\": \"11NECKUP00H3FOZB\", \"simulation\": \"11NECKUP00H3FOZB\", \"sign\": \"-\"}");
    Correlate::Result r;
    std::string error;
    ASSERT_TRUE(Correlate::Correlate(test, test, map, {}, r, error)) << error;
    ASSERT_EQ(r.pairs.size(), 3u);
    for (size_t k = 0; k < 2; ++k) {
        ASSERT_TRUE(r.pairs[k].rating) << r.pairs[k].reason;
        EXPECT_EQ(r.pairs[k].rating->rating, 1.0);
    }
    ASSERT_TRUE(r.pairs[2].rating) << r.pairs[2].reason;
    EXPECT_EQ(Correlate::BandOf(r.pairs[2].rating->rating), Correlate::Band::Poor);
    ASSERT_EQ(r.regions.size(), 2u);
    EXPECT_EQ(r.regions[0].region, "HEAD");
    EXPECT_EQ(r.regions[0].mean, 1.0);
    EXPECT_EQ(r.regions[1].region, "NECK");
    EXPECT_EQ(r.regions[1].mean, r.pairs[2].rating->rating);
    EXPECT_EQ(r.rated, 3u);
}

TEST_F(CorrelateDemo, APairThatCannotBeRatedIsNotAvailableAndCountsInNoMean)
{
    const std::string map = Map("{\"test\": \"11HEAD0000H3ACXA\", \"simulation\": \"11HEAD0000H3ACXA\"},\n"
                                "{\"test\": \"11HEAD0000H3ACYA\", \"simulation\": \"11HEAD0000H3AVYC\"}");
    Correlate::Result r;
    std::string error;
    ASSERT_TRUE(Correlate::Correlate(test, test, map, {}, r, error)) << error;
    ASSERT_FALSE(r.pairs[1].rating);
    EXPECT_NE(r.pairs[1].reason.find("CFC 1000 cannot restore"), std::string::npos) << r.pairs[1].reason;
    ASSERT_EQ(r.regions.size(), 1u);
    EXPECT_EQ(r.regions[0].pairs, 2u);
    EXPECT_EQ(r.regions[0].rated, 1u);
    EXPECT_EQ(r.regions[0].mean, 1.0);
}

TEST_F(CorrelateDemo, AChannelTheMapNamesThatIsNotThereFailsNamingItsLine)
{
    const std::string map = Map("{\"test\": \"11HEAD0000H3ACXA\", \"simulation\": \"11HEAD0000H3ACXA\"},\n"
                                "{\"test\": \"11HEAD0000H3ACXA\", \"simulation\": \"nodout/7/x_velocity\"}");
    Correlate::Result r;
    std::string error;
    EXPECT_FALSE(Correlate::Correlate(test, test, map, {}, r, error));
    EXPECT_NE(error.find("map.json:3: the simulation "), std::string::npos) << error;
    EXPECT_NE(error.find("has no channel nodout/7/x_velocity"), std::string::npos) << error;
    EXPECT_TRUE(r.pairs.empty());
}
