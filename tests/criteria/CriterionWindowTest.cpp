#include "CCriterionWindow.h"
#include "CGraph.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cmath>
#include <numbers>

using namespace Criteria;

namespace {

void EnsureApplication()
{
    static int argc = 1;
    static char name[] = "criteria_window_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

Channel Pulse(double peak, Quantity q, const char* axis)
{
    Channel c;
    c.path = std::string("/data/neck_") + axis + ".rvf";
    c.axis = axis;
    c.quantity = q;
    c.filterClass = 600;
    c.dt = 0.0001;
    for (int i = 0; i <= 300; ++i)
        c.y.push_back(peak * std::sin(std::numbers::pi * i / 300.0));
    return c;
}

class CriterionWindowTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
};

TEST_F(CriterionWindowTest, HicShowsInputsResultantMarksAndVerdict)
{
    std::vector<Channel> head = {Pulse(60, Quantity::Acceleration, "X"), Pulse(80, Quantity::Acceleration, "Y"),
                                 Pulse(0, Quantity::Acceleration, "Z")};
    for (Channel& c : head)
        c.filterClass = 1000;
    CCriterionWindow w(DefOf(CriterionId::Hic), head, Dummies().front());
    ASSERT_TRUE(w.Evaluated());
    // Three inputs, the resultant, and per HIC window its stretch and two lines.
    EXPECT_EQ(w.InputGraph().CurveCount(), 10);
    EXPECT_TRUE(w.HistoryGraph().isHidden());
    EXPECT_EQ(w.Verdict(), "FAIL"); // a 30 ms 100 g pulse is far over HIC15 700
    EXPECT_TRUE(w.ResultText().contains("HIC15: "));
    EXPECT_TRUE(w.windowTitle().startsWith("HIC - neck_X.rvf, neck_Y.rvf"));
    // Regression: a changed test channel, handed over as a temporary file, was
    // named by that file; it is named by its code.
    head[0].path = "/tmp/RVFa1b2c3";
    head[0].code = "11HEAD0000H3ACXA";
    CCriterionWindow named(DefOf(CriterionId::Hic), head, Dummies().front());
    EXPECT_TRUE(named.windowTitle().startsWith("HIC - 11HEAD0000H3ACXA, neck_Y.rvf")) << named.windowTitle().toStdString();
}

TEST_F(CriterionWindowTest, ChangingTheDummyEvaluatesAgain)
{
    const std::vector<Channel> neck = {Pulse(0, Quantity::Force, "X"), Pulse(0, Quantity::Moment, "Y"),
                                       Pulse(3403, Quantity::Force, "Z")};
    CCriterionWindow w(DefOf(CriterionId::Nij), neck, Dummies().front());
    ASSERT_TRUE(w.Evaluated());
    EXPECT_NEAR(w.CurrentOutcome().values.back().value, 0.5, 1e-9);
    EXPECT_EQ(w.Verdict(), "PASS");
    EXPECT_FALSE(w.HistoryGraph().isHidden());
    EXPECT_EQ(w.HistoryGraph().CurveCount(), 3); // Nij, its limit and the instant of its maximum

    w.SelectDummy(3); // the 95th male has no Nij intercepts
    EXPECT_FALSE(w.Evaluated());
    EXPECT_TRUE(w.ResultText().startsWith("no Nij constants for the Hybrid III 95th male"));
    EXPECT_EQ(w.InputGraph().CurveCount(), 0);

    w.SelectDummy(1); // 5th female: 3403 / 4287
    ASSERT_TRUE(w.Evaluated());
    EXPECT_NEAR(w.CurrentOutcome().values.back().value, 3403.0 / 4287.0, 1e-9);
    EXPECT_EQ(w.CurrentOutcome().dummy, &Dummies()[1]);
}

TEST_F(CriterionWindowTest, OlcShowsTheOccupantAndNoVerdict)
{
    Channel ax = Pulse(-20, Quantity::Acceleration, "X");
    ax.y.assign(2001, -20.0); // 20 g for 200 ms
    CCriterionWindow w(DefOf(CriterionId::Olc), {ax}, Dummies().front(), EvaluateOptions{false, 30.0});
    ASSERT_TRUE(w.Evaluated()) << w.ResultText().toStdString();
    EXPECT_EQ(w.Verdict(), "no limit");
    // The occupant's displacement with its t1-t2 stretch and two lines.
    EXPECT_FALSE(w.HistoryGraph().isHidden());
    EXPECT_EQ(w.HistoryGraph().CurveCount(), 4);
    EXPECT_TRUE(w.ResultText().contains("OLC: 25.53 g"));
}

} // namespace
