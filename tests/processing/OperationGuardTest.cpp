// Every operation is all-or-nothing: a result that is not finite, or memory
// that runs out, leaves the signal as it was and says why.
#include "Kalvio.h"
#include "KalvioSupport.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <new>

using namespace Kalvio;
using Texts = std::vector<std::string>;

namespace {

KVSignal Ramp(float del, float top)
{
    KVSignal s = UniformSignal(0, 20, del, [top](double t) { return t * 1000.0 * top; });
    s.SetTestNumber("2231");
    return s;
}

KVSignal Step(float level)
{
    KVSignal s = UniformSignal(0, 199, 0.0001f, [level](double t) { return t < 0.01 ? -level : level; });
    s.SetTestNumber("2231");
    return s;
}

} // namespace

TEST(OperationGuard, ResultsThatAreNotFiniteChangeNothing)
{
    // Regression: overflowing operations wrote infinite samples and succeeded.
    struct Case {
        const char* scope;
        KVSignal signal;
        std::function<bool(KVSignal&, KVErrorList*)> op;
    };
    const std::vector<Case> cases = {
        {"ScaleY", Ramp(0.001f, 100.0f), [](KVSignal& s, KVErrorList* e) { return ScaleY(s, 1e38f, e); }},
        {"AddConstantY", Ramp(0.001f, 1e35f), [](KVSignal& s, KVErrorList* e) { return AddConstantY(s, 3.4e38f, e); }},
        {"ScaleX", Ramp(1.0f, 1.0f), [](KVSignal& s, KVErrorList* e) { return ScaleX(s, 1e38f, e); }},
        {"derivY", Ramp(1e-30f, 1e37f), [](KVSignal& s, KVErrorList* e) { return derivY(s, e); }},
        {"TrapInteg", Ramp(1e30f, 1e-20f), [](KVSignal& s, KVErrorList* e) { return TrapInteg(s, e); }},
        {"Sum", Ramp(0.001f, 1e37f), [](KVSignal& s, KVErrorList* e) {
             KVSignal twin = s;
             return Sum({&s, &twin}, e);
         }},
        {"Average", Ramp(0.001f, 1e37f), [](KVSignal& s, KVErrorList* e) {
             KVSignal twin = s;
             return Average({&s, &twin}, e);
         }},
        // |(2e38, 2e38, 2e38)| = 3.5e38 lies beyond the float range.
        {"Resultant", Ramp(0.001f, 1e37f), [](KVSignal& s, KVErrorList* e) {
             const KVSignal a = s;
             return Resultant(s, a, a, a, e);
         }},
        // A step between -3.3e38 and 3.3e38 overshoots the float range.
        {"BWfilt", Step(3.3e38f), [](KVSignal& s, KVErrorList* e) { return BWfilt(s, 100.0, e); }},
    };
    for (const Case& c : cases) {
        KVSignal s = c.signal;
        KVErrorList e;
        EXPECT_FALSE(c.op(s, &e)) << c.scope;
        EXPECT_TRUE(SameSignal(s, c.signal)) << c.scope;
        std::string code;
        ASSERT_TRUE(FileNameCode(c.signal, &code));
        EXPECT_EQ(Lines(e), Texts{std::string("Kalvio::") + c.scope + " - " + c.scope + " of signal " + code
                                  + " gives values that are not finite; the signal is left as it was"});
    }
    // A header value read as infinite does not block an operation that leaves it so.
    KVSignal odd = Ramp(0.001f, 1.0f);
    odd.SetClosingSpeed(std::numeric_limits<float>::infinity());
    EXPECT_TRUE(ScaleY(odd, 2.0f, nullptr));
}

TEST(OperationGuard, MemoryFailuresAreReportedAndUndone)
{
    KVSignal s = Ramp(0.001f, 1.0f);
    const KVSignal before = s;
    KVErrorList e;
    for (bool lengthError : {false, true}) {
        EXPECT_FALSE(Guarded(s, "Test", &e, [&]() -> bool {
            s.Y()[3] = 7.0f;
            s.SetStatus("HALF DONE");
            if (lengthError)
                throw std::length_error("vector");
            throw std::bad_alloc();
        }));
        EXPECT_TRUE(SameSignal(s, before));
    }
    EXPECT_EQ(Lines(e), (Texts{"Kalvio::Test - Not enough memory", "Kalvio::Test - Not enough memory"}));
}

TEST(OperationGuard, ResamplingRefusesMorePointsThanItsLimit)
{
    // Regression: a step typed in the wrong unit built hundreds of millions of
    // points and wrote a file of gigabytes.
    KVSignal s = UniformSignal(0, 10, 0.1f, [](double t) { return t; }); // 0 .. 1 s
    const KVSignal before = s;
    KVErrorList e;
    EXPECT_FALSE(Resample(s, 0.001f, &e, 1000));
    EXPECT_EQ(Lines(e), Texts{"Kalvio::Resample - Resampling to 0.001 would give 1001 points, more than the limit "
                              "of 1000"});
    EXPECT_TRUE(SameSignal(s, before));
    ASSERT_TRUE(Resample(s, 0.001f, &e, 1001));
    EXPECT_EQ(s.PointCount(), 1001u);
    KVSignal big = UniformSignal(0, 200, 0.001f, [](double t) { return t; });
    EXPECT_FALSE(Resample(big, 1e-9f, &e)); // the default limit
    EXPECT_NE(e.ErrorMessage(e.ErrorCount() - 1).find("points, more than the limit of 10000000"), std::string::npos);
}

TEST(OperationGuard, FilterWithoutACopyStaysWithinItsGainBound)
{
    // The filter skips the guard's copy when the largest |Y| times 1000 is
    // finite; its output must then stay below 4 times that largest |Y|.
    const float m = std::numeric_limits<float>::max() / 1001.0f;
    const std::vector<std::pair<const char*, std::function<double(double)>>> shapes = {
        {"step", [m](double t) { return t < 0.01 ? -m : m; }},
        {"alternating", [m](double t) { return std::lround(t * 1e4) % 2 ? -m : m; }},
        {"spike", [m](double t) { return std::fabs(t - 0.005) < 5e-5 ? m : -m; }},
    };
    for (const auto& [name, shape] : shapes) {
        for (double corner : {1.0, 100.0, 3000.0}) {
            KVSignal s = UniformSignal(0, 199, 0.0001f, shape);
            ASSERT_TRUE(YStaysFiniteWithGain(s, 1e3));
            ASSERT_TRUE(BWfilt(s, corner, nullptr)) << name << " " << corner;
            for (size_t i = 0; i < s.PointCount(); ++i)
                ASSERT_LE(std::fabs(s.Y()[i]), 4.0f * m) << name << " " << corner << " at " << i;
        }
    }
    KVSignal nan = UniformSignal(0, 9, 0.001f, [](double) { return std::nan(""); });
    EXPECT_FALSE(YStaysFiniteWithGain(nan, 1.0));
}
