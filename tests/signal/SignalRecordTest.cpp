// The signal record, its error list and the error object.
#include "KVErrorList.h"
#include "KVException.h"
#include "KVSignal.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <limits>
#include <new>
#include <random>
#include <utility>

namespace {

float Zero(size_t) { return 0.0f; }

// The extremes as the plain scan computes them, one comparison after the other.
void ReferenceExtremes(const std::vector<float>& v, float& lo, float& hi)
{
    hi = lo = v[0];
    for (float x : v) {
        if (x > hi)
            hi = x;
        else if (x < lo)
            lo = x;
    }
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, 4) == 0; }

} // namespace

TEST(SignalRecord, NewSignalHoldsTheDefaults)
{
    KVSignal s;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(s.Dimension(), "MET");
    EXPECT_EQ(s.TestNumber(), "0");
    EXPECT_EQ(s.TestSource(), " ");
    EXPECT_EQ(s.Ais(), "0");
    EXPECT_EQ(s.XType(), "TIME");
    EXPECT_EQ(s.XUnits(), "MILLISECONDS");
    EXPECT_EQ(s.YUnits(), " ");
    EXPECT_EQ(s.FilterClass(), 1000);
    EXPECT_EQ(s.HicInterval(), 36);
    EXPECT_EQ(s.ModelYear(), local.tm_year + 1900);
    EXPECT_EQ(s.XMax(), 99999.0f);
    EXPECT_EQ(s.XMin(), 99999.0f);
    EXPECT_EQ(s.YMax(), 99999.0f);
    EXPECT_EQ(s.YMin(), 99999.0f);
    EXPECT_EQ(s.Del(), 99999.0f);
    EXPECT_EQ(s.T0(), 0.0f);
    EXPECT_FALSE(s.HasData());
    EXPECT_TRUE(s.NoData());
    EXPECT_EQ(s.PointCount(), 0u);
    EXPECT_EQ(s.X(), nullptr);
    EXPECT_EQ(s.Y(), nullptr);
    EXPECT_EQ(s.ErrorCount(), 0);
}

TEST(SignalRecord, ResetRestoresHeaderButKeepsArraysAndHasData)
{
    KVSignal s = MakeSignal(3, 0.0f, 1.0f, Zero);
    s.SetDimension("ENG");
    s.SetFilterClass(60);
    s.SetTestTitle(nullptr); // a null text is taken as empty
    EXPECT_EQ(s.TestTitle(), "");
    s.Reset();
    EXPECT_EQ(s.Dimension(), "MET");
    EXPECT_EQ(s.FilterClass(), 1000);
    EXPECT_EQ(s.TestTitle(), " ");
    EXPECT_TRUE(s.HasData());
    EXPECT_EQ(s.PointCount(), 3u);
}

TEST(SignalRecord, AllocateAndFree)
{
    KVSignal s;
    EXPECT_FALSE(s.Allocate(0));
    EXPECT_TRUE(s.NoData());
    ASSERT_TRUE(s.Allocate(5));
    EXPECT_FALSE(s.NoData());
    EXPECT_EQ(s.PointCount(), 5u);
    s.SetPoint(1.0f, 2.0f, 4);
    EXPECT_EQ(s.X()[4], 1.0f);
    EXPECT_EQ(s.Y()[4], 2.0f);
    // A smaller allocation reuses the arrays; a larger one gets new ones.
    ASSERT_TRUE(s.Allocate(2));
    EXPECT_EQ(s.PointCount(), 2u);
    ASSERT_TRUE(s.Allocate(1000));
    EXPECT_EQ(s.PointCount(), 1000u);
    s.SetPoint(7.0f, 8.0f, 999);
    EXPECT_FALSE(s.Allocate(0));
    EXPECT_TRUE(s.NoData());
    EXPECT_EQ(s.X(), nullptr);
    ASSERT_TRUE(s.Allocate(3));
    s.FreeData();
    EXPECT_TRUE(s.NoData());
    EXPECT_EQ(s.PointCount(), 0u);
    EXPECT_EQ(s.Y(), nullptr);
}

TEST(SignalRecord, ShrinkToKeepsTheFirstPoints)
{
    KVSignal s = MakeSignal(10, 0.0f, 1.0f, Zero);
    s.ShrinkTo(4);
    EXPECT_EQ(s.PointCount(), 4u);
    EXPECT_EQ(s.X()[3], 3.0f);
    s.ShrinkTo(9); // never grows
    EXPECT_EQ(s.PointCount(), 4u);
    s.ShrinkTo(0);
    EXPECT_TRUE(s.NoData());
}

TEST(SignalRecord, AdoptArraysNeedsEqualNonEmptyLengths)
{
    KVSignal s;
    EXPECT_FALSE(s.AdoptArrays({1.0f, 2.0f}, {1.0f}));
    EXPECT_FALSE(s.AdoptArrays({}, {}));
    EXPECT_TRUE(s.NoData());
    ASSERT_TRUE(s.AdoptArrays({1.0f, 2.0f}, {3.0f, 4.0f}));
    EXPECT_EQ(s.PointCount(), 2u);
    EXPECT_EQ(s.X()[1], 2.0f);
    EXPECT_EQ(s.Y()[0], 3.0f);
}

TEST(SignalRecord, TimeStepWithinOnePercentOfEachStep)
{
    KVSignal s;
    s.Allocate(4);
    const float keep[] = {0.0f, 1.0f, 2.0f, 3.005f};
    for (size_t i = 0; i < 4; ++i)
        s.SetPoint(keep[i], 0.0f, i);
    s.UpdateTimeStep();
    EXPECT_EQ(s.Del(), 1.0f);
    s.SetPoint(3.05f, 0.0f, 3);
    s.UpdateTimeStep();
    EXPECT_EQ(s.Del(), 99999.0f);
    // Once the step is lost it stays lost, even when later steps agree again.
    s.Allocate(5);
    const float lost[] = {0.0f, 1.0f, 3.0f, 4.0f, 5.0f};
    for (size_t i = 0; i < 5; ++i)
        s.SetPoint(lost[i], 0.0f, i);
    s.UpdateTimeStep();
    EXPECT_EQ(s.Del(), 99999.0f);
}

TEST(SignalRecord, TimeStepAndExtremesKeepTheirValuesWithTooFewPoints)
{
    KVSignal s;
    s.SetDel(0.5f);
    s.SetXMax(3.0f);
    s.UpdateExtremes(); // no point
    s.UpdateTimeStep();
    EXPECT_EQ(s.XMax(), 3.0f);
    EXPECT_EQ(s.Del(), 0.5f);
    s.Allocate(1);
    s.SetPoint(2.0f, -1.0f, 0);
    s.UpdateTimeStep(); // one point
    EXPECT_EQ(s.Del(), 0.5f);
    s.UpdateExtremes();
    EXPECT_EQ(s.XMax(), 2.0f);
    EXPECT_EQ(s.XMin(), 2.0f);
    EXPECT_EQ(s.YMin(), -1.0f);
}

TEST(SignalRecord, ExtremesMatchThePlainScanBitForBit)
{
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> value(-1000.0f, 1000.0f);
    std::uniform_int_distribution<int> pick(0, 9);
    for (size_t n : {1u, 2u, 7u, 8u, 9u, 17u, 125u, 1000u}) {
        for (int round = 0; round < 20; ++round) {
            std::vector<float> x(n), y(n);
            for (size_t i = 0; i < n; ++i) {
                // Signed zeros and NaNs are where a careless reordering differs.
                const int k = pick(rng);
                x[i] = k == 0 ? 0.0f : k == 1 ? -0.0f : value(rng);
                y[i] = k == 2 ? std::numeric_limits<float>::quiet_NaN() : k == 3 ? -0.0f : value(rng);
            }
            if (round == 0)
                y[0] = std::numeric_limits<float>::quiet_NaN();
            if (round == 1)
                std::fill(x.begin(), x.end(), 0.0f), x[n / 2] = -0.0f;
            KVSignal s;
            ASSERT_TRUE(s.AdoptArrays(KVSamples(x.begin(), x.end()), KVSamples(y.begin(), y.end())));
            s.UpdateExtremes();
            float lo, hi;
            ReferenceExtremes(x, lo, hi);
            EXPECT_TRUE(SameBits(s.XMin(), lo) && SameBits(s.XMax(), hi)) << "n=" << n << " round=" << round;
            ReferenceExtremes(y, lo, hi);
            EXPECT_TRUE(SameBits(s.YMin(), lo) && SameBits(s.YMax(), hi)) << "n=" << n << " round=" << round;
        }
    }
}

TEST(SignalRecord, CopyConstructionCopiesOnlySignalsWithData)
{
    KVSignal src = MakeSignal(3, 0.0f, 0.5f, Zero);
    src.SetTestTitle("CRASH");
    src.AddError("boom", "Kalvio::Test");
    KVSignal copy(src);
    EXPECT_TRUE(copy.HasData());
    EXPECT_EQ(copy.TestTitle(), "CRASH");
    ASSERT_EQ(copy.PointCount(), 3u);
    EXPECT_NE(copy.X(), src.X());
    EXPECT_EQ(copy.X()[2], 1.0f);
    EXPECT_EQ(ErrorLines(copy), ErrorLines(src));

    src.SetHasData(false);
    KVSignal empty(src);
    EXPECT_FALSE(empty.HasData());
    EXPECT_EQ(empty.TestTitle(), " ");
    EXPECT_TRUE(empty.NoData());
    EXPECT_EQ(empty.ErrorCount(), 1);
}

TEST(SignalRecord, AssigningASignalWithoutDataKeepsTheTarget)
{
    KVSignal target = MakeSignal(4, 0.0f, 1.0f, Zero);
    target.SetTestTitle("KEPT");
    target.AddError("old", "A::B");
    KVSignal source;
    source.SetTestTitle("IGNORED");
    source.AddError("new", "C::D");
    target = source;
    EXPECT_FALSE(target.HasData());
    EXPECT_EQ(target.TestTitle(), "KEPT");
    EXPECT_EQ(target.PointCount(), 4u);
    EXPECT_EQ(ErrorLines(target), std::vector<std::string>{"C::D | new"});

    KVSignal withData = MakeSignal(2, 5.0f, 1.0f, Zero);
    withData.SetTestTitle("TAKEN");
    target = withData;
    EXPECT_TRUE(target.HasData());
    EXPECT_EQ(target.TestTitle(), "TAKEN");
    ASSERT_EQ(target.PointCount(), 2u);
    EXPECT_EQ(target.X()[1], 6.0f);
    EXPECT_EQ(target.ErrorCount(), 0);

    target = target; // onto itself: nothing changes
    EXPECT_EQ(target.PointCount(), 2u);
    EXPECT_EQ(target.X()[0], 5.0f);
}

TEST(SignalRecord, HeaderAndDataCopy)
{
    KVSignal a = MakeSignal(3, 1.0f, 1.0f, Zero);
    a.SetAxis("X");
    KVSignal b = MakeSignal(8, 0.0f, 1.0f, Zero);
    b.CopyHeaderAndData(a);
    EXPECT_EQ(b.Axis(), "X");
    ASSERT_EQ(b.PointCount(), 3u);
    EXPECT_EQ(b.X()[0], 1.0f);
    KVSignal none;
    b.CopyHeaderAndData(none);
    EXPECT_TRUE(b.NoData());
    b.CopyHeaderAndData(b);
    EXPECT_TRUE(b.NoData());
}

TEST(ErrorList, RecordsInOrderAndAnswersOutOfRange)
{
    KVErrorList list;
    list.AddError(KVException("first", "A::One"));
    list.AddError("second", "B::Two");
    EXPECT_EQ(list.ErrorCount(), 2);
    EXPECT_EQ(list.ErrorMessage(1), "second");
    EXPECT_EQ(list.ErrorScope(0), "A::One");
    EXPECT_EQ(list.ErrorMessage(2), "");
    EXPECT_EQ(list.ErrorScope(-1), "");

    list.AppendErrors(list); // onto itself: doubles, in order
    EXPECT_EQ(ErrorLines(list),
              (std::vector<std::string>{"A::One | first", "B::Two | second", "A::One | first", "B::Two | second"}));

    KVErrorList other;
    other.AddError("third", "C::Three");
    list.AssignErrors(other);
    EXPECT_EQ(ErrorLines(list), std::vector<std::string>{"C::Three | third"});
    list.AppendErrors(other);
    EXPECT_EQ(list.ErrorCount(), 2);
    list.ClearErrors();
    EXPECT_EQ(list.ErrorCount(), 0);
}

TEST(SignalRecord, SharedArraysAreCopiedByTheFirstWrite)
{
    const KVSignal src = MakeSignal(4, 0.0f, 1.0f, Zero);
    const float* x = src.X();
    const float* y = src.Y();
    KVSignal share;
    share.ShareArraysOf(src);
    ASSERT_TRUE(share.HasData());
    EXPECT_EQ(std::as_const(share).X(), x);
    EXPECT_EQ(std::as_const(share).Y(), y);

    // Writing Y gives the writer its own Y; X stays shared.
    share.Y()[1] = 7.0f;
    EXPECT_EQ(src.Y()[1], 0.0f);
    EXPECT_NE(std::as_const(share).Y(), y);
    EXPECT_EQ(std::as_const(share).X(), x);
    // SetPoint and a new Allocate never write into the other's memory.
    share.SetPoint(9.0f, 9.0f, 0);
    EXPECT_EQ(src.X()[0], 0.0f);
    KVSignal again;
    again.ShareArraysOf(src);
    ASSERT_TRUE(again.Allocate(4));
    again.SetPoint(5.0f, 5.0f, 3);
    EXPECT_EQ(src.X()[3], 3.0f);
    EXPECT_EQ(src.Y()[3], 0.0f);

    // A Y to overwrite is fresh memory, not a copy, and leaves the other alone.
    KVSignal fresh;
    fresh.ShareArraysOf(src);
    float* out = fresh.YToOverwrite();
    EXPECT_NE(out, y);
    out[0] = 4.0f;
    EXPECT_EQ(src.Y()[0], 0.0f);
    EXPECT_EQ(fresh.YToOverwrite(), out); // now its own: no second array
}

TEST(SignalRecord, AFreedLargeBlockServesOnlyItsOwnSize)
{
    // A kept block handed out for another size would be an array shorter
    // than asked for.
    const size_t big = size_t(8) << 20;
    void* a = KVAllocateSamples(big);
    KVFreeSamples(a, big);
    void* b = KVAllocateSamples(big + 4096);
    EXPECT_NE(b, a);
    void* c = KVAllocateSamples(big);
    EXPECT_EQ(c, a); // reused, not fetched fresh from the system
    static_cast<char*>(b)[big + 4095] = 1;
    KVFreeSamples(b, big + 4096);
    KVFreeSamples(c, big);
}

#if !defined(ONDREL_NO_MEMORY_LIMIT)
namespace {

// With room for about three blocks of 64 MiB, keeps two freed ones and then
// asks for a block of another size: 0 when it was had, 1 when not.
int AllocateBesideKeptBlocks()
{
    const size_t block = size_t(64) << 20;
    LimitAddressSpace(size_t(200) << 20);
    void* a = KVAllocateSamples(block);
    void* b = KVAllocateSamples(block);
    KVFreeSamples(a, block);
    KVFreeSamples(b, block);
    try {
        void* c = KVAllocateSamples(block + (size_t(32) << 20));
        KVFreeSamples(c, block + (size_t(32) << 20));
    } catch (const std::bad_alloc&) {
        return 1;
    }
    return 0;
}

} // namespace

// Regression: blocks kept for reuse made a request of another size fail for
// want of memory that they alone held.
TEST(SignalRecord, KeptBlocksGiveWayToARequestThatNeedsTheirMemory)
{
    EXPECT_EXIT(std::_Exit(AllocateBesideKeptBlocks()), ::testing::ExitedWithCode(0), "");
}
#endif
