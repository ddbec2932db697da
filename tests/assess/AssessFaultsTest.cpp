// Faults found by comparing the assessment with a peer on public tests: the
// belt under its standard code, cumulative 3 ms values, the occupant load
// criterion from the trolley, inverted side-dummy deflections; and the
// constants and steps that the protocols' public texts give.
#include "AssessSupport.h"
#include "Scoring.h"
#include "SupportFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace Assess;
using namespace AssessSupport;

namespace {

std::string ShippedText(const std::string& id)
{
    return ReadText(std::string(ONDREL_PROTOCOLS_SOURCE_DIR) + "/" + id + ".json");
}

Protocol Parsed(const std::string& text)
{
    Protocol p;
    std::string error;
    EXPECT_TRUE(ParseProtocol(text, "p.json", p, error)) << error;
    return p;
}

} // namespace

// Fault: the frontal protocol looked for the shoulder belt only under the
// demo's own code (SEBEUP), so a test coded as ISO/TS 13499 defines it (B3)
// had the modifier n/a and the driver incomplete.
TEST(AssessFaults, TheShoulderBeltIsFoundUnderItsStandardCode)
{
    TempDir dir;
    const std::string test = WriteTest(
        dir, "61", {{"11SEBE0000B3FO0D", "NEWTONS", [](double t) { return HalfSine(t, 7000, 0.06); }, 0}});
    AssessOptions driver;
    driver.positions = {'1'};
    const Assessment a = AssessAt(test, Shipped("euro-ncap-frontal-fw-2023"), driver);
    const CriterionResult* belt = Find(a, "shoulder_belt_force");
    ASSERT_TRUE(belt);
    ASSERT_EQ(belt->status, Status::Ok) << belt->reason;
    EXPECT_NEAR(*belt->value, 7.0, 0.01);
    EXPECT_DOUBLE_EQ(*belt->pointsTaken, 2);
}

// Fault: the 3 ms value was the worst single run where the regulation asks
// for the cumulative one. The chest holds 70 g twice for 2 ms on a 20 g
// plateau: cumulatively 70 g for 4 ms, in one run only the plateau (noise of
// +-0.001 g keeps the channel check from calling the plateaus saturated).
TEST(AssessFaults, ThreeMillisecondValuesAreCumulativeWhereTheFileSaysSo)
{
    const auto chest = [](double t) {
        const double ms = (t - kStart) * 1000;
        if (ms < 0 || ms >= 40)
            return 0.0;
        return (ms >= 10 && ms < 12) || (ms >= 20 && ms < 22) ? 70.0 : 20.0;
    };
    TempDir dir;
    const std::string test = WriteTest(dir, "62",
                                       {{"11CHST0000H3ACXC", "G'S", chest},
                                        {"11CHST0000H3ACYC", "G'S", [](double) { return 0.0; }},
                                        {"11CHST0000H3ACZC", "G'S", [](double) { return 0.0; }}});
    const Assessment cumulative = AssessAt(test, Shipped("fmvss208"));
    const CriterionResult* c = Find(cumulative, "chest_a3ms");
    ASSERT_TRUE(c && c->value) << (c ? c->reason : "");
    EXPECT_NEAR(*c->value, 70, 0.01);
    EXPECT_FALSE(*c->pass);
    std::string text = ShippedText("fmvss208");
    for (size_t at; (at = text.find("\"cumulative\"")) != std::string::npos;)
        text.replace(at, 12, "\"single_run\"");
    const Assessment single = AssessAt(test, Parsed(text));
    const CriterionResult* s = Find(single, "chest_a3ms");
    ASSERT_TRUE(s && s->value);
    EXPECT_NEAR(*s->value, 20, 0.01);
    EXPECT_TRUE(*s->pass);
    // Every 3 ms value says which it is.
    text.replace(text.find(", \"clip_3ms\": \"single_run\""), 26, "");
    Protocol p;
    std::string error;
    EXPECT_FALSE(ParseProtocol(text, "p.json", p, error));
    EXPECT_NE(error.find("a 3 ms value says \"clip_3ms\""), std::string::npos) << error;
}

// Fault: the MPDB occupant load criterion was taken from the test car's sill;
// it belongs to the barrier trolley, and without a trolley channel it is n/a.
TEST(AssessFaults, TheOccupantLoadCriterionComesFromTheTrolley)
{
    const double v = 50 / 3.6, d = 0.09;
    const auto decel = [&](double t) { return -HalfSine(t, v * kPi / (2 * d) / 9.80665, d); };
    TempDir dir;
    const std::string car = WriteTest(dir, "63", {{"10SILBLE0000ACXA", "G'S", decel, 0}});
    const Protocol mpdb = Shipped("euro-ncap-mpdb-2023");
    AssessOptions driver;
    driver.positions = {'1'};
    driver.dummy = "thor-50m";
    const Assessment withoutTrolley = AssessAt(car, mpdb, driver);
    ASSERT_EQ(withoutTrolley.occupants.size(), 1u);
    const CriterionResult* none = &withoutTrolley.occupants[0].modifiers.at(0);
    EXPECT_EQ(none->criterion, "olc");
    EXPECT_EQ(none->status, Status::NotAvailable);
    EXPECT_NE(none->reason.find("no channel M0MBAR??????ACX?"), std::string::npos) << none->reason;
    const std::string trolley = WriteTest(dir, "64", {{"M0MBARCG0000ACXA", "G'S", decel, 0}});
    const Assessment withTrolley = AssessAt(trolley, mpdb, driver);
    ASSERT_EQ(withTrolley.occupants.size(), 1u);
    const CriterionResult& olc = withTrolley.occupants[0].modifiers.at(0);
    EXPECT_EQ(olc.status, Status::Ok) << olc.reason;
    EXPECT_GT(*olc.value, 0);
    // The trolley's speed in the unit the input declares: 50 km/h is 13.89 m/s.
    std::string text = ShippedText("euro-ncap-mpdb-2023");
    const std::string kmh = "\"unit\": \"km/h\", \"default\": 50";
    text.replace(text.find(kmh), kmh.size(), "\"unit\": \"m/s\", \"default\": 13.8888889");
    const Assessment inMetres = AssessAt(trolley, Parsed(text), driver);
    ASSERT_EQ(inMetres.occupants.size(), 1u);
    EXPECT_NEAR(*inMetres.occupants[0].modifiers.at(0).value, *olc.value, 1e-6);
    const std::string metres = "\"unit\": \"m/s\"";
    text.replace(text.find(metres), metres.size(), "\"unit\": \"ft\"");
    Protocol p;
    std::string error;
    EXPECT_FALSE(ParseProtocol(text, "p.json", p, error));
    EXPECT_NE(error.find("the initial velocity's unit is km/h, m/s or mph, not \"ft\""), std::string::npos) << error;
}

// Fault: WorldSID ribs recorded with the other sign read about 0 mm and
// scored full points. The left ribs compress toward +Y; the viscous
// criterion follows from the WorldSID's constants (1.0, 170 mm) in closed
// form, VC = (D0 pi / T) (D0 / 170) / 2.
TEST(AssessFaults, InvertedRibsAreDoubtfulAndTheWorldSidHasItsViscousCriterion)
{
    const double d0 = 39, t = 0.03;
    for (const double sign : {1.0, -1.0}) {
        SCOPED_TRACE(sign);
        std::vector<SynthChannel> ribs;
        for (const char* code : {"11TRRILE01WSDSYC", "11TRRILE02WSDSYC", "11TRRILE03WSDSYC"})
            ribs.push_back({code, "MILLIMETERS", [=](double x) { return sign * HalfSine(x, d0, t); }, 0});
        TempDir dir;
        AssessOptions driver;
        driver.positions = {'1'};
        const Assessment a = AssessAt(WriteTest(dir, "65", ribs), Shipped("euro-ncap-side-mdb-2023"), driver);
        const CriterionResult* chest = Find(a, "chest_lateral_compression");
        const CriterionResult* vc = Find(a, "chest_vc");
        ASSERT_TRUE(chest && chest->value && vc && vc->value);
        if (sign > 0) {
            EXPECT_EQ(chest->status, Status::Ok) << chest->reason;
            EXPECT_NEAR(*chest->value, d0, 0.01);
            EXPECT_NEAR(*vc->value, (d0 / 1000 * kPi / t) * (d0 / 170) / 2, 2e-3);
            EXPECT_DOUBLE_EQ(*vc->pointsTaken, 0);
            continue;
        }
        EXPECT_EQ(chest->status, Status::Doubtful);
        EXPECT_NE(chest->reason.find("11TRRILE01WSDSYC: its largest excursion (-39.0 mm) lies on the non-compressive "
                                     "side (it compresses toward +Y)"),
                  std::string::npos)
            << chest->reason;
        EXPECT_FALSE(chest->score);
    }
}

// Choices the public texts leave open are held doubtful with their reason;
// the knee slider scores in the region the protocol names.
TEST(AssessFaults, OpenChoicesAreDoubtfulAndTheKneeSliderIsInTheKneeFemurPelvisRegion)
{
    const Protocol mpdb = Shipped("euro-ncap-mpdb-2023");
    const RegionRule& knee = mpdb.occupants[0].regions[3];
    EXPECT_EQ(knee.region, "knee_femur_pelvis");
    std::vector<std::string> names;
    for (const CriterionRule& c : knee.criteria)
        names.push_back(c.criterion);
    EXPECT_NE(std::find(names.begin(), names.end(), "knee_slider_left"), names.end());
    EXPECT_NE(mpdb.occupants[0].regions[1].criteria[0].doubtful.find("occipital condyle"), std::string::npos);
    EXPECT_NE(knee.criteria[0].doubtful.find("duration curve"), std::string::npos);
}

TEST(AssessScoring, StepsTakeThePointsOfTheHighestLevelPassed)
{
    // DAMAGE on the MPDB head: above 0.42 one point, above 0.47 two.
    CriterionRule rule;
    rule.criterion = "damage";
    rule.modifier = ModifierRule{};
    rule.modifier->steps = {{0.42, 1}, {0.47, 2}};
    rule.modifier->points = 2;
    const struct {
        double value, taken;
    } cases[] = {{0.3, 0}, {0.42, 0}, {0.4201, 1}, {0.47, 1}, {0.5, 2}};
    for (const auto& c : cases) {
        CriterionResult r;
        r.value = c.value;
        ScoreCriterion(rule, true, false, 0, 4, r);
        ASSERT_TRUE(r.pointsTaken) << c.value;
        EXPECT_DOUBLE_EQ(*r.pointsTaken, c.taken) << c.value;
    }
}

// Among the places a criterion measures, the largest value decides; two places
// of one value, and two channels of one class matching one pattern, keep the
// first.
TEST(AssessFaults, TheLargestCandidateDecidesAndATieKeepsTheFirst)
{
    TempDir dir;
    const auto force = [](double kn, double late) {
        return [kn, late](double t) { return -HalfSine(t - late, kn * 1000, 0.02); };
    };
    const std::string test = WriteTest(dir, "31",
                                       {{"11FEMRLE00H3FOZ0", "NEWTONS", force(5, 0), 0},
                                        {"11FEMRLE00H3FOZA", "NEWTONS", force(7, 0), 0}, // as near the class: not taken
                                        {"11FEMRRI00H3FOZ0", "NEWTONS", force(6, 0), 0},
                                        {"11TIBILEUPH3FOZ0", "NEWTONS", force(4, 0.01), 0},
                                        {"11TIBIRIUPH3FOZ0", "NEWTONS", force(4, 0), 0}});
    Protocol p = Shipped("fmvss208");
    for (RegionRule& region : p.occupants[0].regions)
        for (CriterionRule& c : region.criteria) {
            if (c.criterion == "femur_left")
                c.channels = {{"??FEMRLE00??FOZ?"}, {"??FEMRRI00??FOZ?"}};
            if (c.criterion == "femur_right")
                c.channels = {{"??TIBIRIUP??FOZ?"}, {"??TIBILEUP??FOZ?"}};
        }
    AssessOptions options;
    options.positions = {'1'};
    const Assessment a = AssessAt(test, p, options);
    // The peak (of the place that decides) at the pulse's middle, 10 ms in.
    for (const auto& [name, kn, peak] : {std::tuple{"femur_left", 6.0, kStart + 0.01},
                                         {"femur_right", 4.0, kStart + 0.01}}) {
        const CriterionResult* c = Find(a, name);
        ASSERT_TRUE(c && c->value && c->t1) << name;
        EXPECT_NEAR(*c->value, kn, 0.02) << name;
        EXPECT_NEAR(*c->t1, peak, 2e-4) << name;
    }
}

// A channel covers the protocol's window when its first and last samples lie
// within half a step of the window's ends; one step short is n/a.
TEST(AssessFaults, TheWindowIsCoveredToHalfAStepAtEitherEnd)
{
    TempDir dir; // -10 to 150 ms
    const std::string test =
        WriteTest(dir, "32", {{"11FEMRLE00H3FOZ0", "NEWTONS", [](double t) { return -HalfSine(t, 5000, 0.02); }, 0}});
    AssessOptions options;
    options.positions = {'1'};
    for (const auto& [from, to, covered] : {std::tuple{-0.010, 0.150, true}, {-0.0101, 0.150, false},
                                            {0.0, 0.1501, false}}) {
        Protocol p = Shipped("fmvss208");
        p.windowFrom = from;
        p.windowTo = to;
        const Assessment a = AssessAt(test, p, options);
        const CriterionResult* femur = Find(a, "femur_left");
        ASSERT_TRUE(femur) << from << " " << to;
        EXPECT_EQ(femur->status == Status::Ok, covered) << from << " " << to << ": " << femur->reason;
    }
}
