// Scoring at the exact edges: a value on the capping limit, a margin of 0, a
// level met exactly, the hard-head-contact assumption at its threshold, and a
// region's band, total and band total from their parts; a doubtful result
// without a verdict; speeds in metres per second; the report's texts at
// their edges.
#include "AssessReport.h"
#include "Protocol.h"
#include "ResultLook.h"
#include "Scoring.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Assess;

namespace {

CriterionResult Valued(double value)
{
    CriterionResult r;
    r.value = value;
    r.unit = "mm";
    return r;
}

CriterionRule Scale(double hpl, double lpl)
{
    CriterionRule rule;
    rule.criterion = "chest_deflection";
    rule.hpl = hpl;
    rule.lpl = lpl;
    return rule;
}

} // namespace

TEST(ScoringEdges, CappingMarginAndStepsAtTheirExactLevels)
{
    CriterionRule capped = Scale(18, 34);
    capped.capping = 42;
    for (const auto& [value, expected] : {std::pair{42.0, true}, {41.99, false}}) {
        CriterionResult r = Valued(value);
        ScoreCriterion(capped, true, false, 0, 4, r);
        EXPECT_EQ(r.capped, expected) << value;
    }

    // A pass/fail curve: a margin of exactly 0 keeps within the curve.
    CriterionRule curve;
    curve.criterion = "neck_tension";
    curve.exceedance = {{0, 3.3}, {35, 2.9}, {60, 1.1}};
    for (const auto& [margin, pass] : {std::pair{0.0, true}, {-1e-9, false}}) {
        CriterionResult r = Valued(3);
        r.curve = curve.exceedance;
        r.exceedance = ExceedanceJudgement{true, 3, 0.01, 0.01 + margin, margin};
        ScoreCriterion(curve, false, false, 0, 0, r);
        ASSERT_TRUE(r.pass) << margin;
        EXPECT_EQ(*r.pass, pass) << margin;
    }

    // Steps take their points above their level, not at it (DAMAGE: above
    // 0.42 one point, above 0.47 two).
    CriterionRule steps;
    steps.criterion = "damage";
    steps.modifier = ModifierRule{};
    steps.modifier->points = 2;
    steps.modifier->steps = {{0.42, 1}, {0.47, 2}};
    for (const auto& [value, taken] : {std::pair{0.42, 0.0}, {0.4201, 1.0}, {0.47, 1.0}, {0.4701, 2.0}}) {
        CriterionResult r = Valued(value);
        ScoreCriterion(steps, true, false, 0, 0, r);
        ASSERT_TRUE(r.pointsTaken) << value;
        EXPECT_EQ(*r.pointsTaken, taken) << value;
    }
}

TEST(ScoringEdges, HardHeadContactIsAssumedOnlyAboveItsThreshold)
{
    CriterionRule hic = Scale(500, 700);
    hic.criterion = "hic15";
    hic.onlyWith = "hard_head_contact";
    hic.assumeAbove = 80;
    for (const auto& [peak, scoredOnValue] : {std::pair{80.5, true}, {80.0, false}, {60.0, false}}) {
        CriterionResult r = Valued(700);
        ScoreCriterion(hic, true, false, peak, 4, r);
        ASSERT_TRUE(r.score) << peak;
        // Scored on its value (700: none of 4) or not scored at all (full points).
        EXPECT_EQ(*r.score, scoredOnValue ? 0.0 : 4.0) << peak;
    }
}

TEST(ScoringEdges, JudgedExceedanceCountsTheTimeAtExactlyALevel)
{
    // 1.5 kN held exactly for 20 ms; the curve allows 10 ms at 1.5 kN.
    std::vector<double> history(600, 0.0);
    for (size_t i = 100; i < 300; ++i)
        history[i] = 1.5;
    const ExceedanceJudgement j = JudgeExceedance(history, 1e-4, {{0, 3.0}, {10, 1.5}, {30, 1.0}});
    ASSERT_TRUE(j.judged);
    EXPECT_NEAR(j.duration, 0.020, 1e-12);
    EXPECT_NEAR(j.margin, -0.010, 1e-12);
}

TEST(ScoringEdges, ARegionTakesItsWorstBandAndNeverFallsBelowZero)
{
    RegionResult region;
    region.maxScore = 4;
    for (const double value : {20.0, 31.0}) { // adequate, weak
        CriterionResult c = Valued(value);
        c.hpl = 18;
        c.lpl = 34;
        ScoreCriterion(Scale(18, 34), true, false, 0, 4, c);
        region.criteria.push_back(c);
    }
    CriterionResult modifier = Valued(1);
    modifier.isModifier = true;
    modifier.pointsTaken = 0.5;
    region.modifiers.push_back(modifier);
    AggregateRegion(true, region);
    ASSERT_TRUE(region.band && region.score && region.bandScore);
    EXPECT_EQ(*region.band, Band::Weak);
    EXPECT_DOUBLE_EQ(*region.score, 4 * 3.0 / 16 - 0.5);
    EXPECT_DOUBLE_EQ(*region.bandScore, 4 * 0.2 - 0.5); // the band's points, less the modifier's

    region.modifiers[0].pointsTaken = 2;
    region.score.reset();
    region.bandScore.reset();
    AggregateRegion(true, region);
    EXPECT_EQ(*region.score, 0.0);
    EXPECT_EQ(*region.bandScore, 0.0);
}

TEST(ScoringEdges, ProtocolLimitsThatCannotBeMetAreRefused)
{
    const std::string good = R"({
  "id": "company-x", "name": "Internal", "version": "1", "date": "2026-01-01",
  "source": "company handbook 4.2", "scoring": "sliding_scale", "dummies": ["h3-50m"],
  "occupants": [{"label": "driver", "positions": ["1"], "dummy": "h3-50m", "regions": [
    {"region": "neck", "max_score": 4, "criteria": [
      {"criterion": "neck_tension", "hpl": 1.7, "lpl": 2.62, "capping": 2.7,
       "exceedance": [[0, 2.62], [10, 2.0]], "filter": 1000, "channels": ["??NECKUP00??FOZA"]}]}]}]
})";
    Protocol p;
    std::string error;
    ASSERT_TRUE(ParseProtocol(good, "x.json", p, error)) << error;
    const struct {
        std::string from, to;
    } cases[] = {
        {"\"hpl\": 1.7", "\"hpl\": 2.62"},                      // HPL equal to LPL
        {"\"capping\": 2.7", "\"capping\": 1.7"},               // capping equal to HPL
        {"[[0, 2.62], [10, 2.0]]", "[[1, 2.62], [10, 2.0]]"},   // a curve that starts late
    };
    for (const auto& c : cases) {
        std::string text = good;
        text.replace(text.find(c.from), c.from.size(), c.to);
        EXPECT_FALSE(ParseProtocol(text, "x.json", p, error)) << c.to;
        EXPECT_EQ(error.rfind("x.json:", 0), 0u) << error;
    }
}

// A doubtful result has no verdict or points of its own, and a region holding
// one is undecided even when every value known passes.
TEST(ScoringEdges, ADoubtfulResultLeavesItsRegionUndecided)
{
    CriterionRule femur;
    femur.criterion = "femur_left";
    femur.limit = 10;
    CriterionRule door;
    door.criterion = "door_opened";
    door.modifier = ModifierRule{};
    door.modifier->points = 1;
    door.modifier->atOrAbove = 1;
    CriterionResult fine = Valued(5);
    fine.limit = 10;
    ScoreCriterion(femur, false, false, 0, 0, fine);
    for (const CriterionRule* rule : {&femur, &door}) {
        CriterionResult r = Valued(0);
        r.limit = rule->limit;
        r.status = Status::Doubtful;
        ScoreCriterion(*rule, false, false, 0, 0, r);
        EXPECT_FALSE(r.pass) << rule->criterion;
        EXPECT_FALSE(r.pointsTaken) << rule->criterion;
        r.pass = true; // even with a verdict, a doubtful result decides nothing
        RegionResult region;
        region.criteria.push_back(fine);
        (rule->modifier ? region.modifiers : region.criteria).push_back(r);
        AggregateRegion(false, region);
        EXPECT_FALSE(region.pass) << rule->criterion;
    }
}

TEST(ScoringEdges, SpeedsAreTakenInMetresPerSecond)
{
    const struct {
        double value;
        const char* unit;
        std::optional<double> expected;
    } cases[] = {{36, "km/h", 10.0}, {10, "m/s", 10.0}, {10, "mph", 4.4704}, {10, "kn", std::nullopt}};
    for (const auto& c : cases) {
        const std::optional<double> got = SpeedToMetresPerSecond(c.value, c.unit);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.unit;
        if (got) {
            EXPECT_NEAR(*got, *c.expected, 1e-12) << c.unit;
        }
    }
}

// The text report: a value without unit takes three decimals below 10 and one
// from 10 on; an exceedance's times are in ms; a modifier that took nothing
// says so.
TEST(ScoringEdges, ReportTextsAtTheirEdges)
{
    for (const auto& [value, text] : {std::pair{9.5, "9.500"}, {10.0, "10.0"}, {99.5, "99.5"}}) {
        CriterionResult r = Valued(value);
        r.unit = "";
        EXPECT_EQ(CriterionValueText(r), text) << value;
    }
    CriterionResult held = Valued(2);
    held.unit = "kN";
    held.exceedance = ExceedanceJudgement{true, 2.0, 0.012, 0.010, -0.002};
    const std::vector<std::string> lines = DetailLines(held);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "worst level 2.000 kN: 12.0 ms at or above it, the curve allows 10.0 ms (margin -2.0 ms)");
    CriterionResult modifier = Valued(0);
    modifier.isModifier = true;
    for (const auto& [taken, text] : {std::pair{0.0, "no points off"}, {0.5, "0.50 points off"}}) {
        modifier.pointsTaken = taken;
        EXPECT_EQ(ModifierText(modifier), text) << taken;
    }
}
