// Risk and rating protocols against synthetic tests whose criteria follow in
// closed form: US NCAP's risk curves, joint and relative risk and stars;
// IIHS ratings by their boundaries, a region by its worst measure.
#include "AssessReport.h"
#include "AssessSupport.h"
#include "Scoring.h"
#include "SupportFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

using namespace Assess;
using namespace AssessSupport;

namespace {

double Logistic(double a, double b, double x)
{
    return 1 / (1 + std::exp(a - b * x));
}

double Phi(double z)
{
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

std::vector<SynthChannel> FrontalDummy(char position, const std::string& dummy)
{
    const std::string p = std::string("1") + position;
    auto code = [&](const std::string& location, const std::string& rest) { return p + location + dummy + rest; };
    const auto zero = [](double) { return 0.0; };
    return {
        {code("HEAD0000", "ACXA"), "G'S", [](double t) { return HalfSine(t, 60, 0.03); }, 0},
        {code("HEAD0000", "ACYA"), "G'S", zero},
        {code("HEAD0000", "ACZA"), "G'S", zero},
        {code("NECKUP00", "FOZB"), "NEWTONS", [](double t) { return HalfSine(t, 2000, 0.03); }, 0},
        {code("NECKUP00", "FOXB"), "NEWTONS", zero},
        {code("NECKUP00", "MOYB"), "NEWTON-METERS", zero},
        {code("CHST0000", "DSXC"), "MILLIMETERS", [](double t) { return -HalfSine(t, 30, 0.05); }, 0},
        {code("FEMRLE00", "FOZB"), "NEWTONS", [](double t) { return -HalfSine(t, 5000, 0.03); }, 0},
        {code("FEMRRI00", "FOZB"), "NEWTONS", [](double t) { return -HalfSine(t, 4000, 0.03); }, 0},
    };
}

} // namespace

TEST(AssessRisk, CurvesStarsAndRatingsAtTheirEdges)
{
    const RiskCurve head{RiskCurve::Form::NormalOfLog, 7.45231, 0.73998, 1, "", 1};
    EXPECT_NEAR(RiskOf(head, std::exp(7.45231)), 0.5, 1e-12);
    EXPECT_DOUBLE_EQ(RiskOf(head, 0), 0);
    // Abdomen force in N from a value in kN.
    const RiskCurve abdomen{RiskCurve::Form::Logistic, 6.04044, 0.002133, 1, "N", 1000};
    EXPECT_NEAR(RiskOf(abdomen, 6.04044 / 2.133), 0.5, 1e-12);
    const StarBands bands{0.15, {{0.67, 5}, {1.00, 4}, {1.33, 3}, {2.67, 2}}, 1};
    const struct {
        double rr;
        int stars;
    } stars[] = {{0.6699, 5}, {0.67, 4}, {1.0, 3}, {2.669, 2}, {2.67, 1}};
    for (const auto& s : stars)
        EXPECT_EQ(StarsOf(bands, s.rr), s.stars) << s.rr;
    const std::vector<double> hic = {560, 700, 840};
    EXPECT_EQ(RatingOf(560, hic), Rating::Good);
    EXPECT_EQ(RatingOf(560.01, hic), Rating::Acceptable);
    EXPECT_EQ(RatingOf(840, hic), Rating::Marginal);
    EXPECT_EQ(RatingOf(840.01, hic), Rating::Poor);
}

TEST(AssessRisk, UsNcapFrontalJointRiskRelativeRiskAndStarsFollowFromTheCurves)
{
    std::vector<SynthChannel> channels = FrontalDummy('1', "H3");
    for (SynthChannel& c : FrontalDummy('3', "HF"))
        channels.push_back(c);
    TempDir dir;
    const Assessment a = AssessAt(WriteTest(dir, "71", channels), Shipped("us-ncap-frontal"));
    ASSERT_EQ(a.occupants.size(), 2u);
    const double hic = HalfSineHic(60, 0.03, 0.015);
    const struct {
        double neckA, neckB, chestB, femurA, femurB, nijFzc;
    } dummies[] = {{10.9745, 2.375, 1.568, 5.795, 0.5196, 6806}, {10.958, 3.770, 1.7212, 5.7949, 0.7619, 4287}};
    double rrSum = 0;
    for (size_t k = 0; k < 2; ++k) {
        SCOPED_TRACE(k);
        const auto& d = dummies[k];
        const OccupantResult& o = a.occupants[k];
        const double head = Phi((std::log(hic) - 7.45231) / 0.73998);
        const double neck = std::max({Logistic(3.2269, 1.9688, 2000 / d.nijFzc), Logistic(d.neckA, d.neckB, 2.0),
                                      Logistic(d.neckA, d.neckB, 0)});
        const double chest = Logistic(10.5456, d.chestB, std::pow(30.0, 0.4612));
        const double femur = Logistic(d.femurA, d.femurB, 5.0);
        EXPECT_NEAR(*Find(a, "hic15", k)->risk, head, 2e-4);
        EXPECT_NEAR(*o.regions[1].risk, neck, 1e-4);
        EXPECT_NEAR(*Find(a, "chest_deflection", k)->risk, chest, 1e-5);
        EXPECT_NEAR(*o.regions[3].risk, femur, 1e-5);
        const double joint = 1 - (1 - head) * (1 - neck) * (1 - chest) * (1 - femur);
        ASSERT_TRUE(o.risk && o.relativeRisk && o.stars) << o.verdict;
        EXPECT_NEAR(*o.risk, joint, 3e-4);
        EXPECT_NEAR(*o.relativeRisk, joint / 0.15, 2e-3);
        rrSum += *o.relativeRisk;
    }
    ASSERT_TRUE(a.relativeRisk && a.stars) << a.vehicleReason;
    EXPECT_DOUBLE_EQ(*a.relativeRisk, rrSum / 2);
    const nlohmann::json j = nlohmann::json::parse(AssessmentJson(a));
    EXPECT_EQ(j["vehicle"]["stars"], *a.stars);
    EXPECT_TRUE(j["occupants"][0]["regions"][0]["criteria"][0]["risk"].is_number());
    // Without the passenger the vehicle has no stars, and says why.
    TempDir one;
    const Assessment driver = AssessAt(WriteTest(one, "72", FrontalDummy('1', "H3")), Shipped("us-ncap-frontal"));
    EXPECT_FALSE(driver.stars);
    EXPECT_EQ(driver.vehicleReason, "no relative risk of the passenger (Hybrid III 5th female)");
}

TEST(AssessRisk, UsNcapSideAddsTheAbdominalForcesAndGivesRisksWithoutStars)
{
    const auto zero = [](double) { return 0.0; };
    const auto force = [](double amplitude) { return [=](double t) { return HalfSine(t, amplitude, 0.03); }; };
    std::vector<SynthChannel> channels = {
        {"11HEAD0000ERACYA", "G'S", [](double t) { return HalfSine(t, 50, 0.03); }, 0},
        {"11HEAD0000ERACXA", "G'S", zero},
        {"11HEAD0000ERACZA", "G'S", zero},
        {"11ABDOFR00ERFOYB", "NEWTONS", force(400), 0},
        {"11ABDOMI00ERFOYB", "NEWTONS", force(500), 0},
        {"11ABDORE00ERFOYB", "NEWTONS", force(600), 0},
        {"11PUBC0000ERFOYB", "NEWTONS", force(1000), 0},
    };
    for (const char* rib : {"11TRRILE01ERDSYC", "11TRRILE02ERDSYC", "11TRRILE03ERDSYC"})
        channels.push_back({rib, "MILLIMETERS", [](double t) { return HalfSine(t, 30, 0.04); }, 0});
    TempDir dir;
    const Assessment a = AssessAt(WriteTest(dir, "73", channels), Shipped("us-ncap-side-mdb"));
    ASSERT_EQ(a.occupants.size(), 1u);
    const CriterionResult* abdomen = Find(a, "abdomen_force");
    ASSERT_TRUE(abdomen && abdomen->value && abdomen->risk);
    EXPECT_NEAR(*abdomen->value, 1.5, 1e-3);
    EXPECT_NEAR(*abdomen->risk, Logistic(6.04044, 0.002133, 1500), 1e-5);
    const double head = Phi((std::log(HalfSineHic(50, 0.03, 0.036)) - 7.45231) / 0.73998);
    const double joint = 1
                         - (1 - head) * (1 - Logistic(5.3895, 0.0919, 30)) * (1 - Logistic(6.04044, 0.002133, 1500))
                               * (1 - Logistic(7.5969, 0.0011, 1000));
    const OccupantResult& o = a.occupants[0];
    ASSERT_TRUE(o.risk) << o.verdict;
    EXPECT_NEAR(*o.risk, joint, 3e-4);
    EXPECT_FALSE(o.stars);
    EXPECT_FALSE(a.stars);
    EXPECT_EQ(a.vehicleReason, "us-ncap-side-mdb gives no star bands");
}

TEST(AssessRating, AnIihsRegionTakesItsWorstMeasure)
{
    const auto zero = [](double) { return 0.0; };
    TempDir dir;
    const std::string test = WriteTest(
        dir, "74",
        {{"11HEAD0000H3ACXA", "G'S", [](double t) { return HalfSine(t, 60, 0.03); }, 0},
         {"11HEAD0000H3ACYA", "G'S", zero},
         {"11HEAD0000H3ACZA", "G'S", zero},
         {"11NECKUP00H3FOZA", "NEWTONS", [](double t) { return HalfSine(t, 3000, 0.03); }, 0},
         {"11NECKUP00H3FOXB", "NEWTONS", zero},
         {"11NECKUP00H3MOYB", "NEWTON-METERS", zero},
         {"11NECKUP00H3FOZB", "NEWTONS", [](double t) { return HalfSine(t, 3000, 0.03); }, 0}});
    for (const char* id : {"iihs-small-overlap", "iihs-moderate-overlap-2"}) {
        SCOPED_TRACE(id);
        AssessOptions driver;
        driver.positions = {'1'};
        const Assessment a = AssessAt(test, Shipped(id), driver);
        ASSERT_EQ(a.occupants.size(), 1u);
        // HIC15 of 60 g over 30 ms is about 322: good; the neck tension of 3.0 kN acceptable.
        EXPECT_EQ(*Find(a, "hic15")->rating, Rating::Good);
        EXPECT_NEAR(*Find(a, "neck_tension")->value, 3.0, 1e-3);
        EXPECT_EQ(*Find(a, "neck_tension")->rating, Rating::Acceptable);
        EXPECT_EQ(*Find(a, "nij")->rating, Rating::Good);
        const std::vector<RegionResult>& regions = a.occupants[0].regions;
        ASSERT_EQ(regions[2].region, "head_neck");
        EXPECT_EQ(*regions[2].rating, Rating::Acceptable);
        // Missing channels leave their regions without a rating, the occupant incomplete.
        EXPECT_FALSE(regions[3].rating);
        EXPECT_EQ(a.occupants[0].verdict, "incomplete");
        const nlohmann::json j = nlohmann::json::parse(AssessmentJson(a));
        EXPECT_EQ(j["occupants"][0]["regions"][2]["band"], "acceptable");
        EXPECT_EQ(j["occupants"][0]["regions"][2]["criteria"][2]["band"], "acceptable");
        // Structure, restraints and kinematics are observed: not observed, n/a.
        EXPECT_EQ(regions[0].criteria[0].status, Status::NotAvailable);
        EXPECT_NE(regions[0].criteria[0].reason.find("not observed: give structure"), std::string::npos);
    }
    AssessOptions observed;
    observed.positions = {'1'};
    observed.inputsText = R"({"structure": "marginal", "restraints_kinematics": "good"})";
    const Assessment a = AssessAt(test, Shipped("iihs-small-overlap"), observed);
    EXPECT_EQ(*a.occupants[0].regions[0].rating, Rating::Marginal);
    EXPECT_EQ(*a.occupants[0].regions[1].rating, Rating::Good);
    std::vector<InputUse> inputs;
    std::string error;
    EXPECT_FALSE(ReadInputs(Shipped("iihs-small-overlap"), R"({"structure": "fair"})", "in.json", inputs, error));
    EXPECT_EQ(error, "in.json:1: \"structure\" is good, acceptable, marginal or poor, not \"fair\"");
}

TEST(AssessRisk, UsNcapSidePoleAddsAcetabulumAndIliacForces)
{
    const auto zero = [](double) { return 0.0; };
    const auto force = [](double amplitude) { return [=](double t) { return HalfSine(t, amplitude, 0.03); }; };
    TempDir dir;
    const std::string test = WriteTest(dir, "75",
                                       {{"11HEAD0000S2ACYA", "G'S", [](double t) { return HalfSine(t, 50, 0.03); }, 0},
                                        {"11HEAD0000S2ACXA", "G'S", zero},
                                        {"11HEAD0000S2ACZA", "G'S", zero},
                                        {"11ACTBLE00S2FOYB", "NEWTONS", force(2000), 0},
                                        {"11ILACLE00S2FOYB", "NEWTONS", force(1000), 0}});
    const Assessment a = AssessAt(test, Shipped("us-ncap-side-pole"));
    ASSERT_EQ(a.occupants.size(), 1u);
    const CriterionResult* pelvis = Find(a, "pelvis_force");
    ASSERT_TRUE(pelvis && pelvis->value && pelvis->risk);
    EXPECT_NEAR(*pelvis->value, 3.0, 1e-3);
    const double head = Phi((std::log(HalfSineHic(50, 0.03, 0.036)) - 7.45231) / 0.73998);
    ASSERT_TRUE(a.occupants[0].risk);
    EXPECT_NEAR(*a.occupants[0].risk, 1 - (1 - head) * (1 - Logistic(6.3055, 0.00094, 3000)), 3e-4);
}

TEST(AssessScale, FullWidthScoresTheFrontPassengerLikeTheDriverAndShowsTheRearOnlyMeasured)
{
    TempDir dir;
    std::vector<SynthChannel> channels = FrontalDummy('3', "H3");
    for (const SynthChannel& c : FrontalDummy('4', "HF"))
        channels.push_back(c);
    channels.push_back({"13SEBE0000B3FO0D", "NEWTONS", [](double t) { return HalfSine(t, 3000, 0.05); }, 0});
    const Assessment a = AssessAt(WriteTest(dir, "41", channels), Shipped("euro-ncap-frontal-fw-2023"));
    ASSERT_EQ(a.occupants.size(), 2u);
    const OccupantResult& front = a.occupants[0];
    EXPECT_EQ(front.label, "passenger");
    // Neck tension 2.0 kN between 1.7 and 2.62; femur 5 kN (the worse leg) between 2.6 and 6.2.
    const auto region = [](const OccupantResult& o, const std::string& name) {
        return *std::find_if(o.regions.begin(), o.regions.end(), [&](const RegionResult& r) { return r.region == name; });
    };
    EXPECT_NEAR(region(front, "neck").score.value_or(-1), 4 * 0.62 / 0.92, 1e-3);
    EXPECT_NEAR(region(front, "femur").score.value_or(-1), 4 * 1.2 / 3.6, 1e-3);
    ASSERT_TRUE(front.score.has_value()) << front.verdict;
    EXPECT_EQ(front.maxScore, 16);

    // The rear passenger's measures are shown, never scored: no points, no total, and why.
    const OccupantResult& rear = a.occupants[1];
    EXPECT_EQ(rear.label, "rear passenger");
    EXPECT_FALSE(rear.score.has_value());
    EXPECT_EQ(rear.verdict, "incomplete");
    const CriterionResult* tension = Find(a, "neck_tension", 1);
    ASSERT_NE(tension, nullptr);
    EXPECT_NEAR(tension->value.value_or(0), 2.0, 1e-3);
    EXPECT_FALSE(tension->score.has_value());
    EXPECT_NE(tension->reason.find("not found in the public protocol texts"), std::string::npos) << tension->reason;
}

TEST(AssessScale, MpdbPassengerLegAndNeckForcesAreMeasuredWithoutTakingTheTotal)
{
    TempDir dir;
    const Assessment a = AssessAt(WriteTest(dir, "42", FrontalDummy('3', "HF")), Shipped("euro-ncap-mpdb-2023"));
    ASSERT_EQ(a.occupants.size(), 1u);
    const OccupantResult& p = a.occupants[0];
    // Head (no contact), neck (no extension) and chest: deflection 30 mm between 22 and 42 mm.
    EXPECT_EQ(p.maxScore, 12);
    ASSERT_TRUE(p.score.has_value()) << p.verdict;
    EXPECT_NEAR(*p.score, 4 + 4 + 4 * 12.0 / 20, 1e-2);
    for (const char* name : {"neck_tension", "femur_left"}) {
        const CriterionResult* c = Find(a, name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_TRUE(c->value.has_value()) << name;
        EXPECT_FALSE(c->score.has_value()) << name;
    }
    EXPECT_NEAR(Find(a, "femur_left")->value.value_or(0), 5.0, 1e-3);
}

TEST(AssessFiles, AMeasuredOnlyRegionHasNoPointsAndAScoredOneNeedsThem)
{
    const std::string head = R"({"id": "x", "name": "x", "version": "1", "date": "2024", "source": "s",
        "scoring": "sliding_scale", "dummies": ["h3-50m"], "occupants": [{"label": "driver", "positions": ["1"],
        "dummy": "h3-50m", "regions": [{"region": "femur", )";
    const std::string tail = R"(]}]}]})";
    const std::string measured = R"({"criterion": "femur_left", "filter": 600, "channels": ["??FEMRLE00??FOZ?"]})";
    const std::string scored = R"({"criterion": "femur_left", "hpl": 2.6, "lpl": 6.2, "filter": 600, "channels": ["??FEMRLE00??FOZ?"]})";
    const struct {
        std::string region;
        const char* error; // "" when the file is sound
    } cases[] = {
        {R"("criteria": [)" + measured, ""},
        {R"("max_score": 4, "criteria": [)" + measured, "only shows measures (no limits) has no \"max_score\""},
        {R"("criteria": [)" + scored, "a scored region needs its \"max_score\""},
        {R"("max_score": 4, "criteria": [)" + scored, ""},
    };
    for (const auto& c : cases) {
        Protocol p;
        std::string error;
        EXPECT_EQ(ParseProtocol(head + c.region + tail, "x.json", p, error), *c.error == 0) << c.region;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}
