#include "Criterion.h"
#include "KVErrorList.h"
#include "PlotSeries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace Criteria;

namespace {

Channel Pulse(double peak, const char* axis, Quantity q = Quantity::Acceleration, int filterClass = 1000)
{
    Channel c;
    c.path = std::string("head_") + axis;
    c.axis = axis;
    c.quantity = q;
    c.filterClass = filterClass;
    c.t0 = -0.001;
    c.dt = 0.0001;
    for (int i = 0; i <= 110; ++i) {
        const double t = c.TimeAt(size_t(i));
        c.y.push_back(t >= 0 && t <= 0.010 ? peak * std::sin(std::numbers::pi * t / 0.010) : 0.0);
    }
    return c;
}

const DummyInfo& Male50() { return *FindDummy("h3-50m"); }

TEST(Evaluate, HicOfThreeAxesUsesTheResultant)
{
    // 60, 80 and 0 g half-sines make a 100 g resultant: HIC 414.6 as above.
    const std::vector<Channel> in = {Pulse(60, "X"), Pulse(-80, "Y"), Pulse(0, "Z")};
    Outcome o;
    KVErrorList errors;
    ASSERT_TRUE(Evaluate(DefOf(CriterionId::Hic), in, Male50(), o, errors));
    ASSERT_EQ(o.values.size(), 2u);
    EXPECT_EQ(o.values[0].name, "HIC15");
    EXPECT_NEAR(o.values[0].value, 414.6, 0.2);
    EXPECT_NEAR(o.values[0].t2 - o.values[0].t1, 0.0067, 0.00011);
    EXPECT_TRUE(o.Pass());
    ASSERT_EQ(o.inputs.size(), 4u);
    EXPECT_EQ(o.inputs[3].label, "Resultant");
    EXPECT_EQ(o.marks.size(), 2u);
    EXPECT_TRUE(o.notes.empty());
}

TEST(Evaluate, SingleChannelByMagnitudeAndFilterWarning)
{
    const std::vector<Channel> in = {Pulse(-100, "X", Quantity::Acceleration, 600)};
    Outcome o;
    KVErrorList errors;
    ASSERT_TRUE(Evaluate(DefOf(CriterionId::Clip3ms), in, Male50(), o, errors));
    // Over 10 ms the level held for 3 ms is 100 sin(0.35 pi).
    EXPECT_NEAR(o.values[0].value, 100 * std::sin(0.35 * std::numbers::pi), 1e-9);
    EXPECT_NEAR(o.values[0].t1, 0.0035, 1e-9);
    ASSERT_EQ(o.notes.size(), 2u);
    EXPECT_NE(o.notes[0].find(": CFC 600, but 3ms Clip is defined on CFC 180 or CFC 1000"), std::string::npos);
    EXPECT_NE(o.notes[1].find("magnitude"), std::string::npos);
}

TEST(Evaluate, LimitsDecidePassOrFail)
{
    Outcome o;
    KVErrorList errors;
    // 4200 N of tension: over 4170 N for the 50th male.
    Channel fz = Pulse(4200, "Z", Quantity::Force, 600);
    ASSERT_TRUE(Evaluate(DefOf(CriterionId::Neck208), {fz}, Male50(), o, errors));
    EXPECT_FALSE(o.values[0].Pass());
    EXPECT_TRUE(o.values[1].Pass());
    EXPECT_FALSE(o.Pass());
    EXPECT_NE(FormatOutcome(o).find("tension: 4200 N; at 0.00500 s; limit 4170; FAIL"), std::string::npos);
    EXPECT_NE(FormatOutcome(o).find("result: FAIL"), std::string::npos);
}

TEST(Evaluate, DummyWithoutConstantsAndWrongCountsFail)
{
    const std::vector<Channel> neck = {Pulse(1, "X", Quantity::Force, 600), Pulse(1, "Y", Quantity::Moment, 600),
                                       Pulse(1, "Z", Quantity::Force, 600)};
    Outcome o;
    KVErrorList errors;
    EXPECT_FALSE(Evaluate(DefOf(CriterionId::Nij), neck, *FindDummy("h3-95m"), o, errors));
    ASSERT_EQ(errors.ErrorCount(), 1);
    EXPECT_EQ(errors.ErrorMessage(0),
              "no Nij constants for the Hybrid III 95th male; choose one of: h3-50m, h3-5f, h3-5f-oop");
    KVErrorList more;
    EXPECT_FALSE(Evaluate(DefOf(CriterionId::Vc), neck, Male50(), o, more));
    EXPECT_EQ(more.ErrorMessage(0), "V*C takes one input channels, not 3");
}

TEST(Evaluate, VcUsesTheConstantsOfTheChosenDummy)
{
    Channel d = Pulse(0, "X", Quantity::Deflection, 180);
    for (size_t i = 0; i < d.y.size(); ++i)
        d.y[i] = 1000.0 * double(i) * d.dt; // 1 m/s
    Outcome o;
    KVErrorList errors;
    ASSERT_TRUE(Evaluate(DefOf(CriterionId::Vc), {d}, *FindDummy("sid-iis"), o, errors));
    const double at = d.y[d.y.size() - 3];
    EXPECT_NEAR(o.values[0].value, 1.0 * 1.0 * at / 138, 1e-9);
    EXPECT_EQ(o.history.v.size(), d.y.size());
}

TEST(PlotSeries, CurvesArePaddedAndMarksStandAtTheirTimes)
{
    const std::vector<Channel> in = {Pulse(100, "X")};
    Outcome o;
    KVErrorList errors;
    ASSERT_TRUE(Evaluate(DefOf(CriterionId::Clip3ms), in, Male50(), o, errors));
    const float absent = -1e30f;
    const PlotCurves p = InputCurves(o, absent);
    // The input, the deciding stretch and two vertical lines.
    ASSERT_EQ(p.curveCount, 4);
    ASSERT_EQ(p.pointsPerCurve, 111);
    EXPECT_FLOAT_EQ(p.x[0], -1.0f); // ms
    const size_t stretch = 111;
    EXPECT_NEAR(p.x[stretch], 3.5f, 1e-4f);
    EXPECT_NEAR(p.x[stretch + 30], 6.5f, 1e-4f);
    EXPECT_EQ(p.x[stretch + 31], absent);
    EXPECT_NEAR(p.x[2 * 111], 3.5f, 1e-4f);
    EXPECT_NEAR(p.x[2 * 111 + 1], 3.5f, 1e-4f);
    EXPECT_FLOAT_EQ(p.y[2 * 111 + 1], 100.0f);
    EXPECT_EQ(p.labels[3], "3 ms t2");
    EXPECT_EQ(p.roles, (std::vector<CurveRole>{CurveRole::Signal, CurveRole::Deciding, CurveRole::Mark,
                                               CurveRole::Mark}));
    EXPECT_EQ(HistoryCurves(o, absent).curveCount, 0);
}

TEST(PlotSeries, HistoryCarriesItsLimitAndTheInstantOfTheMaximum)
{
    Channel d = Pulse(0, "X", Quantity::Deflection, 180);
    for (size_t i = 0; i < d.y.size(); ++i)
        d.y[i] = 1000.0 * double(i) * d.dt;
    Outcome o;
    KVErrorList errors;
    ASSERT_TRUE(Evaluate(DefOf(CriterionId::Vc), {d}, Male50(), o, errors));
    const PlotCurves p = HistoryCurves(o, -1e30f);
    ASSERT_EQ(p.curveCount, 3);
    EXPECT_EQ(p.labels, (std::vector<std::string>{"V*C (m/s)", "limit", "V*C max"}));
    const size_t n = static_cast<size_t>(p.pointsPerCurve);
    EXPECT_FLOAT_EQ(p.y[n], 1.0f); // the limit level from the first to the last time
    EXPECT_FLOAT_EQ(p.x[n + 1], p.x[n - 1]);
    // The maximum stands at the last sample that has a rate: 9.8 ms.
    EXPECT_NEAR(p.x[2 * n], 9.8f, 1e-4f);
    EXPECT_FLOAT_EQ(p.y[2 * n + 1], 1.0f); // the line reaches up to the limit
}

} // namespace
