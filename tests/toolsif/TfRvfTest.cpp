#include "TfRvf.h"
#include "TfTestSupport.h"

#include <gtest/gtest.h>

using namespace Toolsif;

TEST(TfRvf, GetAndPutKeepFieldsAndIndexSamplesByPointIndex)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(TfTest::MakeRvf("in.rvf", -2, {1.0f, 2.0f, 3.0f, 4.0f}));
    std::ostringstream out;
    MsgUnit unit;
    unit.out = &out;
    RvfControl control;
    RvfControlInit(control);
    RvfRecord rec;
    ASSERT_EQ(RvfGet("in.rvf", rec, control, unit), 0);
    EXPECT_EQ(rec.Nfp(), -2);
    EXPECT_EQ(rec.Nlp(), 1);
    EXPECT_FALSE(rec.HasX());
    EXPECT_EQ(rec.Y(-2), 1.0f);
    EXPECT_EQ(rec.Y(1), 4.0f);
    EXPECT_EQ(FnDef(rec), "1234_0");
    rec.rvf.Curve.Real310 = 7.5f; // a kept field travels with the record
    rec.rvf.Curve.NumberText = "A/B 1";
    EXPECT_EQ(FnDef(rec), "1234_A_B_1");
    rec.rvf.Curve.Nfp = -1; // write a part of the held samples
    ASSERT_EQ(RvfPut("out.rvf", rec, control, unit), 0);
    RvfRecord back;
    ASSERT_EQ(RvfGet("out.rvf", back, control, unit), 0);
    EXPECT_EQ(back.Nfp(), -1);
    EXPECT_EQ(back.Y(-1), 2.0f);
    EXPECT_EQ(back.Y(1), 4.0f);
    EXPECT_EQ(back.rvf.Curve.Real310, 7.5f);
    EXPECT_EQ(back.rvf.Curve.NumberText, "A/B 1");
}

TEST(TfRvf, FailuresAreReportedNotThrown)
{
    TfTest::TempDir dir;
    std::ostringstream out;
    MsgUnit unit;
    unit.out = &out;
    RvfControl control;
    RvfRecord rec;
    EXPECT_NE(RvfGet("missing.rvf", rec, control, unit), 0);
    EXPECT_NE(out.str().find("*** CRVFFile::RVF_Read - Couldn't open file"), std::string::npos);
    TfTest::WriteText("short.rvf", std::string(512, 'x'));
    EXPECT_NE(RvfGet("short.rvf", rec, control, unit), 0);
    ASSERT_TRUE(TfTest::MakeRvf("in.rvf", 0, {1.0f, 2.0f}));
    ASSERT_EQ(RvfGet("in.rvf", rec, control, unit), 0);
    rec.rvf.Curve.Nlp = 5; // beyond the samples held
    EXPECT_NE(RvfPut("out.rvf", rec, control, unit), 0);
    EXPECT_FALSE(TfTest::Exists("out.rvf"));
}

TEST(TfRvf, MergeWidensTheAccumulatorAndSetsTheAddedSpan)
{
    std::ostringstream out;
    MsgUnit unit;
    unit.out = &out;
    RvfControl control;
    RvfRecord acc, add;
    acc.rvf.Curve.Nfp = 0;
    acc.rvf.Curve.Nlp = 2;
    acc.SetSamples(0, {1, 2, 3}, {0.0f, 0.1f, 0.2f});
    add.rvf.Curve.Nfp = -2;
    add.rvf.Curve.Nlp = 3;
    add.rvf.Curve.Del = 0.1f;
    add.SetSamples(-2, {9, 9, 9, 9, 9, 9}, {});
    ASSERT_EQ(RvfMerge(add, acc, control, unit), 0);
    EXPECT_EQ(acc.Nfp(), -2);
    EXPECT_EQ(acc.Nlp(), 3);
    EXPECT_EQ(acc.Base(), -2);
    EXPECT_EQ(acc.Size(), 6u);
    EXPECT_EQ(acc.Y(-1), 0.0f); // new indices start at 0
    EXPECT_EQ(acc.Y(2), 3.0f);
    EXPECT_FLOAT_EQ(acc.X(-2), -0.2f); // and take X from the added record
    EXPECT_FLOAT_EQ(acc.X(1), 0.1f);
    // Two files far apart would ask for an array of billions of points.
    add.rvf.Curve.Nfp = 2000000000;
    add.rvf.Curve.Nlp = 2000000005;
    add.SetSamples(2000000000, std::vector<float>(6, 1.0f), {});
    EXPECT_NE(RvfMerge(add, acc, control, unit), 0);
    EXPECT_NE(out.str().find("*** ERROR - Point indices -2 to 2000000005 span more than"), std::string::npos);
    EXPECT_EQ(acc.Size(), 6u);
}

TEST(TfIndexStore, WideningAgainAndAgainMovesTheArraysRarely)
{
    IndexStore store = IndexStore::Exactly(0, 10);
    std::vector<int> v(10);
    for (int k = 0; k < 10; ++k)
        v[static_cast<size_t>(k)] = k;
    int moves = 0;
    // Each step adds ten indices below and ten above: 2000 steps.
    for (long long step = 1; step <= 1000; ++step) {
        const IndexStore old = store;
        if (store.Widen(-10 * step, 9 + 10 * step)) {
            Relayout(v, old, store);
            ++moves;
        }
    }
    EXPECT_LE(moves, 40);
    EXPECT_EQ(store.lo, -10000);
    EXPECT_EQ(store.hi, 10009);
    ASSERT_TRUE(store.Stored(store.lo) && store.Stored(store.hi));
    EXPECT_EQ(v.size(), store.size);
    for (long long i = 0; i < 10; ++i)
        EXPECT_EQ(v[store.Slot(i)], i); // the first values moved along
    EXPECT_EQ(v[store.Slot(-10000)], 0);
}
