#include "CriteriaTestSignals.h"
#include "CriterionChannel.h"
#include "KVErrorList.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Criteria;

namespace {

bool Convert(const KVSignal& s, Quantity q, Channel& c, KVErrorList& errors, bool text = false)
{
    return ChannelFromSignal(s, text, "in.rvf", q, c, errors);
}

TEST(ChannelFromSignal, ConvertsUnitsAndTime)
{
    KVErrorList errors;
    Channel c;
    // Milliseconds and pounds: 2 ms step, 1 lbf = 4.4482216 N.
    const KVSignal s = MakeSignal(5, 0.010, 0.002, [](double) { return 10.0; }, "POUNDS", "MILLISECONDS", 1000);
    ASSERT_TRUE(Convert(s, Quantity::Force, c, errors));
    EXPECT_NEAR(c.dt, 0.002, 1e-9);
    EXPECT_NEAR(c.t0, 0.010, 1e-9);
    EXPECT_NEAR(c.y[4], 44.482216, 1e-5);
    EXPECT_EQ(c.filterClass, 1000);

    const KVSignal accel = MakeSignal(3, 0, 0.001, [](double) { return 9.80665; }, "METERS/SEC**2");
    ASSERT_TRUE(Convert(accel, Quantity::Acceleration, c, errors));
    EXPECT_NEAR(c.y[0], 1.0, 1e-6);
    const KVSignal chest = MakeSignal(3, 0, 0.001, [](double) { return 1.0; }, "INCHES");
    ASSERT_TRUE(Convert(chest, Quantity::Deflection, c, errors));
    EXPECT_NEAR(c.y[0], 25.4, 1e-9);
    EXPECT_TRUE(c.code.empty()) << "a file without a code";
    // A test's channel saved to a file keeps its code in the attachment text.
    KVSignal head = MakeSignal(3, 0, 0.001, [](double) { return 1.0; }, "G'S");
    head.SetSensorAttachment("11HEAD0000H3ACXA");
    head.SetFilterClass(1000);
    head.SetCutOffFrequency(1666.67f);
    ASSERT_TRUE(Convert(head, Quantity::Acceleration, c, errors));
    EXPECT_EQ(c.code.substr(0, 14), "11HEAD0000H3AC");
}

TEST(ChannelFromSignal, RefusesWhatACriterionCannotUse)
{
    struct Case {
        KVSignal signal;
        Quantity q;
        const char* message;
    };
    KVSignal uneven = MakeSignal(4, 0, 0.001, [](double) { return 1.0; }, "G'S");
    uneven.X()[3] = 0.0035f;
    KVSignal notTime = MakeSignal(4, 0, 0.001, [](double) { return 1.0; }, "G'S");
    notTime.SetXType("DISPLACEMENT");
    KVSignal nan = MakeSignal(4, 0, 0.001, [](double) { return 1.0; }, "G'S");
    nan.Y()[2] = std::nanf("");
    // A huge Del overflows the times to infinity; once that gave NaN times and "pass".
    KVSignal infinite = MakeSignal(4, 0, 0.001, [](double) { return 1.0; }, "G'S");
    infinite.X()[3] = INFINITY;
    const Case cases[] = {
        {MakeSignal(4, 0, 0.001, [](double) { return 1.0; }, "NEWTONS"), Quantity::Acceleration,
         "Y units \"NEWTONS\" are not units of acceleration"},
        {MakeSignal(4, 0, 0.001, [](double) { return 1.0; }, "G'S", "FURLONGS"), Quantity::Acceleration,
         "X units \"FURLONGS\" are not a time unit"},
        {MakeSignal(1, 0, 0.001, [](double) { return 1.0; }, "G'S"), Quantity::Acceleration, "too few samples"},
        {uneven, Quantity::Acceleration, "no constant time step"},
        {notTime, Quantity::Acceleration, "not TIME"},
        {nan, Quantity::Acceleration, "sample 2 is not a number"},
        {infinite, Quantity::Acceleration, "the time of sample 3 is not a finite number"},
    };
    for (const Case& k : cases) {
        KVErrorList errors;
        Channel c;
        EXPECT_FALSE(Convert(k.signal, k.q, c, errors)) << k.message;
        ASSERT_EQ(errors.ErrorCount(), 1) << k.message;
        EXPECT_NE(errors.ErrorMessage(0).find(k.message), std::string::npos) << errors.ErrorMessage(0);
    }
}

TEST(ChannelFromSignal, TextFileWithoutUnitsIsTakenInTheCriterionUnit)
{
    KVErrorList errors;
    Channel c;
    const KVSignal s = MakeSignal(3, 0, 0.001, [](double) { return 7.0; }, " ");
    ASSERT_TRUE(Convert(s, Quantity::Moment, c, errors, true));
    EXPECT_EQ(c.y[1], 7.0);
    EXPECT_EQ(c.filterClass, 0);
    ASSERT_EQ(c.notes.size(), 1u);
    EXPECT_NE(c.notes[0].find("taken as N m"), std::string::npos);
}

TEST(ChannelFromSignal, StepComesFromTheHeaderWhereTheFloatTimesCannotTellIt)
{
    // A 1 us step in seconds, and times near 2000 s where a float is coarser
    // than the 0.1 ms step (as in a file of 50,000,000 points): the header's
    // Del gives the exact step; without it the times give it as their mean step.
    struct Case {
        size_t n;
        double t0, dt;
        float del;
    };
    for (const Case& k : {Case{200001, 0, 1e-6, 1e-6f}, Case{1000, 2000, 1e-4, 1e-4f}}) {
        KVSignal s = MakeSignal(k.n, k.t0, k.dt, [](double) { return 1.0; }, "G'S");
        KVErrorList errors;
        Channel c;
        ASSERT_TRUE(Convert(s, Quantity::Acceleration, c, errors));
        EXPECT_NEAR(c.dt, k.dt, 1e-3 * k.dt); // as exact as the float times allow
        s.SetDel(k.del);
        ASSERT_TRUE(Convert(s, Quantity::Acceleration, c, errors)) << errors.ErrorMessage(errors.ErrorCount() - 1);
        EXPECT_EQ(c.dt, k.dt);
        EXPECT_TRUE(c.notes.empty());
    }
    // A Del the times do not follow is noted and the times decide.
    KVSignal stale = MakeSignal(5, 0, 0.001, [](double) { return 1.0; }, "G'S");
    stale.SetDel(0.002f);
    KVErrorList errors;
    Channel c;
    ASSERT_TRUE(Convert(stale, Quantity::Acceleration, c, errors));
    EXPECT_NEAR(c.dt, 0.001, 1e-9);
    ASSERT_EQ(c.notes.size(), 1u);
    EXPECT_NE(c.notes[0].find("do not follow the header's step"), std::string::npos);
}

TEST(ChannelFromSignal, InitialVelocityInTheHeaderUnits)
{
    KVSignal s = MakeSignal(3, 0, 0.001, [](double) { return 1.0; }, "G'S");
    s.SetInitialVelocity(54);
    KVErrorList errors;
    Channel c;
    ASSERT_TRUE(Convert(s, Quantity::Acceleration, c, errors));
    EXPECT_NEAR(c.initialVelocity, 15.0, 1e-12); // km/h
    s.SetDimension("ENGLISH");
    ASSERT_TRUE(Convert(s, Quantity::Acceleration, c, errors));
    EXPECT_NEAR(c.initialVelocity, 54 * 0.44704, 1e-12); // mph
}

Channel Grid(double t0, double dt, size_t n)
{
    Channel c;
    c.path = "c";
    c.t0 = t0;
    c.dt = dt;
    for (size_t i = 0; i < n; ++i)
        c.y.push_back(double(i));
    return c;
}

TEST(AlignChannels, CutsToTheSharedSpan)
{
    std::vector<Channel> ch = {Grid(0.0, 0.001, 10), Grid(0.003, 0.001, 10), Grid(-0.002, 0.001, 8)};
    KVErrorList errors;
    ASSERT_TRUE(AlignChannels(ch, 0, errors));
    // Shared span 3 ms to 5 ms: three samples each, first ones at 3 ms.
    for (const Channel& c : ch) {
        ASSERT_EQ(c.y.size(), 3u);
        EXPECT_NEAR(c.t0, 0.003, 1e-12);
    }
    EXPECT_EQ(ch[0].y[0], 3.0);
    EXPECT_EQ(ch[1].y[0], 0.0);
    EXPECT_EQ(ch[2].y[0], 5.0);
    // Each span named in one warning on the first channel.
    ASSERT_EQ(ch[0].notes.size(), 1u);
    EXPECT_NE(ch[0].notes[0].find("c 3 to 12 ms, c -2 to 5 ms); they are combined over the 3 to 5 ms"),
              std::string::npos)
        << ch[0].notes[0];
    // A start that float rounding puts a hair before a grid time (6.9999997 steps) lies on the grid.
    ch = {Grid(0.0, 0.0001, 20), Grid(double(0.0007f), 0.0001, 20)};
    ASSERT_TRUE(AlignChannels(ch, 0, errors));
    EXPECT_EQ(ch[0].y.front(), 7.0);
    EXPECT_EQ(ch[1].y.back(), 12.0);
}

TEST(AlignChannels, OneSampleLessIsQuietAndTooShortASharedSpanIsRefused)
{
    std::vector<Channel> ch = {Grid(0.0, 0.001, 41), Grid(0.0, 0.001, 40)};
    KVErrorList errors;
    ASSERT_TRUE(AlignChannels(ch, 0.015, errors));
    EXPECT_TRUE(ch[0].notes.empty());
    // A Z channel cut to 10 ms cannot give a 15 ms HIC window.
    ch = {Grid(0.0, 0.001, 41), Grid(0.0, 0.001, 41), Grid(0.0, 0.001, 11)};
    EXPECT_FALSE(AlignChannels(ch, 0.015, errors));
    EXPECT_NE(errors.ErrorMessage(0).find("share only 0 to 10 ms (c 0 to 40 ms, c 0 to 40 ms, c 0 to 10 ms), "
                                          "shorter than the 15 ms"),
              std::string::npos)
        << errors.ErrorMessage(0);
}

TEST(AlignChannels, RefusesDifferentGrids)
{
    const char* const messages[] = {"differs from", "do not lie on the time grid", "share no time span"};
    const std::vector<std::vector<Channel>> sets = {
        {Grid(0, 0.001, 10), Grid(0, 0.002, 10)},
        {Grid(0, 0.001, 10), Grid(0.0005, 0.001, 10)},
        {Grid(0, 0.001, 10), Grid(0.02, 0.001, 10)},
    };
    for (size_t k = 0; k < sets.size(); ++k) {
        std::vector<Channel> ch = sets[k];
        KVErrorList errors;
        EXPECT_FALSE(AlignChannels(ch, 0, errors));
        ASSERT_EQ(errors.ErrorCount(), 1);
        EXPECT_NE(errors.ErrorMessage(0).find(messages[k]), std::string::npos) << errors.ErrorMessage(0);
    }
}

TEST(ResultantOf, ThreeFourTwelve)
{
    std::vector<Channel> ch = {Grid(0, 1, 1), Grid(0, 1, 1), Grid(0, 1, 1)};
    ch[0].y = {3};
    ch[1].y = {-4};
    ch[2].y = {12};
    EXPECT_DOUBLE_EQ(ResultantOf(ch)[0], 13.0);
}

} // namespace
