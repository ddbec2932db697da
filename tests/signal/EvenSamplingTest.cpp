// Evenly sampled records keep their step through the file layer: long "Y"
// records stay "Y", evenly spaced "X-Y" files and text files get their step
// despite the float32 rounding of their times; a "Y" file without a usable
// step and an "X-Y" file with a short array are refused.
#include "CRVFFile.h"
#include "KVFileAscii.h"
#include "KVFileRvf.h"
#include "KVSignal.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

namespace {

using Lines = std::vector<std::string>;

float Pulse(size_t i) { return std::sin(static_cast<float>(i) * 0.001f) * 40.0f; }

// n points on the grid (nfp + i) x del as a "Y" file load forms them.
KVSignal GridSignal(size_t n, int nfp, float del)
{
    KVSignal s = MakeSignal(n, 0.0f, 1.0f, Pulse);
    for (size_t i = 0; i < n; ++i)
        s.X()[i] = KVGridTime(nfp + static_cast<long long>(i), del);
    s.SetNfp(nfp);
    s.SetNlp(nfp + static_cast<int>(n) - 1);
    s.SetDel(del);
    s.SetXUnits("SECONDS");
    return s;
}

std::string LayoutOf(const std::string& path) { return RvfReadText(ReadAll(path).data() + 16, 10); }

} // namespace

TEST(EvenSampling, LongYRecordsStayYWithTheirSizeStepAndIndices)
{
    // Regression: times near 100 s carry more rounding than 1 % of a 0.1 ms
    // step, so the store wrote such records as "X-Y" (twice the size, step lost).
    TempDir dir;
    struct Case {
        size_t n;
        int nfp;
        float del;
    };
    for (const Case c : {Case{1000000, 0, 0.0001f}, Case{400001, -1000, 0.00005f}}) {
        const KVSignal s = GridSignal(c.n, c.nfp, c.del);
        const std::string a = dir.Path("a.rvf");
        const std::string b = dir.Path("b.rvf");
        ASSERT_TRUE(SaveSignalAsRvf(s, a));
        EXPECT_EQ(LayoutOf(a), "Y") << c.n;
        KVSignal in;
        KVFileRvf loader(a);
        ASSERT_TRUE(loader.Load(in));
        // An operation that keeps the grid, then stored again.
        for (size_t i = 0; i < in.PointCount(); ++i)
            in.Y()[i] += 1.0f;
        ASSERT_TRUE(SaveSignalAsRvf(in, b));
        EXPECT_EQ(LayoutOf(b), "Y");
        EXPECT_EQ(std::filesystem::file_size(a), std::filesystem::file_size(b));
        KVSignal again;
        ASSERT_TRUE(KVFileRvf(b).Load(again));
        EXPECT_EQ(again.Del(), c.del);
        EXPECT_EQ(again.Nfp(), c.nfp);
        EXPECT_EQ(again.X()[c.n - 1], s.X()[c.n - 1]);
    }
    // A time a rounding step off its grid time is still on the grid (the
    // exact comparison that passes most blocks must fall back to the full test).
    KVSignal nudged = GridSignal(10000, -3, 0.0001f);
    nudged.X()[5001] = std::nextafter(nudged.X()[5001], 1.0f);
    EXPECT_TRUE(nudged.IsOnOwnGrid());
    // Times that leave the grid by more than a hundredth of a step keep their X array.
    KVSignal off = GridSignal(1000, 0, 0.0001f);
    off.X()[500] += 0.000002f;
    ASSERT_TRUE(SaveSignalAsRvf(off, dir.Path("off.rvf")));
    EXPECT_EQ(LayoutOf(dir.Path("off.rvf")), "X-Y");
}

TEST(EvenSampling, XYFilesGetTheStepOfTheirXValues)
{
    TempDir dir;
    // A long evenly sampled record (times near 20 s, 20 kHz) stored with its X array.
    KVSignal even = GridSignal(400000, 0, 0.00005f);
    even.SetDel(0.0f); // a zero step keeps the X array in the file
    ASSERT_TRUE(SaveSignalAsRvf(even, dir.Path("even.rvf")));
    ASSERT_EQ(LayoutOf(dir.Path("even.rvf")), "X-Y");
    KVSignal in;
    ASSERT_TRUE(KVFileRvf(dir.Path("even.rvf")).Load(in));
    EXPECT_FLOAT_EQ(in.Del(), 0.00005f);
    for (size_t i : {size_t(0), size_t(1), size_t(399999)})
        EXPECT_EQ(in.X()[i], even.X()[i]); // the X values are kept as the file holds them
    // Stored again it needs no X array: the grid gives the same times.
    ASSERT_TRUE(SaveSignalAsRvf(in, dir.Path("again.rvf")));
    EXPECT_EQ(LayoutOf(dir.Path("again.rvf")), "Y");

    // Evenly spaced but off the grid of its indices (shifted by a third of a
    // step): the step is known, the file keeps its X array.
    KVSignal shifted = GridSignal(300, -100, 0.0001f);
    for (size_t i = 0; i < 300; ++i)
        shifted.X()[i] += 0.0000333f;
    shifted.SetDel(0.0f);
    ASSERT_TRUE(SaveSignalAsRvf(shifted, dir.Path("shifted.rvf")));
    ASSERT_TRUE(KVFileRvf(dir.Path("shifted.rvf")).Load(in));
    EXPECT_NEAR(in.Del(), 0.0001f, 1e-9f);
    ASSERT_TRUE(SaveSignalAsRvf(in, dir.Path("shifted2.rvf")));
    EXPECT_EQ(LayoutOf(dir.Path("shifted2.rvf")), "X-Y");

    // Uneven X keeps the "no constant step" marker.
    KVSignal uneven = GridSignal(300, 0, 0.0001f);
    uneven.X()[150] += 0.00005f;
    uneven.SetDel(0.0f);
    ASSERT_TRUE(SaveSignalAsRvf(uneven, dir.Path("uneven.rvf")));
    ASSERT_TRUE(KVFileRvf(dir.Path("uneven.rvf")).Load(in));
    EXPECT_EQ(in.Del(), KV_NO_VALUE);
}

TEST(EvenSampling, TimeStepAllowsForTheRoundingOfLongRecords)
{
    // 400,000 points at 20 kHz written by a spreadsheet in seconds: the times
    // are decimal numbers rounded to float, and steps near 20 s differ from
    // 50 us by more than 1 %.
    TempDir dir;
    std::string text;
    char line[64];
    for (int i = 0; i < 400000; ++i) {
        std::snprintf(line, sizeof line, "%.5f\t%d\n", i * 0.00005, i % 7);
        text += line;
    }
    WriteText(dir.Path("long.txt"), text);
    KVFileAscii file(dir.Path("long.txt"));
    file.SetOptions({KVTimeUnit::Seconds, {}});
    KVSignal s;
    ASSERT_TRUE(file.Load(s));
    EXPECT_FLOAT_EQ(s.Del(), 0.00005f);
    EXPECT_EQ(s.XUnits(), "SECONDS");
    EXPECT_EQ(file.ErrorCount(), 0);

    // A record that starts late takes its step from the whole span, not from
    // the first difference of two large times.
    KVSignal late = GridSignal(1000, 200000, 0.0001f);
    late.UpdateTimeStep();
    EXPECT_NEAR(late.Del(), 0.0001f, 5e-9f); // the first difference may be 2e-6 off
}

TEST(EvenSampling, TextTimeUnitAndImplausibleSteps)
{
    TempDir dir;
    WriteText(dir.Path("seconds.txt"), "0 1\n0.0001 2\n0.0002 3\n");
    WriteText(dir.Path("ms.txt"), "0 1\n0.1 2\n0.2 3\n");

    // Seconds read as milliseconds: a step of 0.1 us.
    KVFileAscii wrong(dir.Path("seconds.txt"));
    wrong.SetOptions({KVTimeUnit::Milliseconds, [](KVTimeUnit u) {
                          return std::string(u == KVTimeUnit::Seconds ? "--time-unit s" : "--time-unit ms");
                      }});
    KVSignal s;
    ASSERT_TRUE(wrong.Load(s));
    EXPECT_EQ(s.XUnits(), "MILLISECONDS");
    EXPECT_EQ(ErrorLines(wrong),
              Lines{"KVFileAscii::Load | " + dir.Path("seconds.txt") + ": WARNING - time step 0.0001 read as "
                    "milliseconds is 1e-07 s, below 1 us for measured data; if the time column is in seconds, "
                    "use --time-unit s"});

    // Milliseconds read as seconds: a step of 100 ms; without a switch named,
    // the warning names the choice in words.
    KVFileAscii other(dir.Path("ms.txt"));
    other.SetOptions({KVTimeUnit::Seconds, {}});
    ASSERT_TRUE(other.Load(s));
    ASSERT_EQ(other.ErrorCount(), 1);
    EXPECT_NE(other.ErrorMessage(0).find("above 10 ms"), std::string::npos);
    EXPECT_NE(other.ErrorMessage(0).find("use the time unit milliseconds"), std::string::npos);

    // Plausible steps load without a word, in either unit.
    KVFileAscii fine(dir.Path("ms.txt"));
    ASSERT_TRUE(fine.Load(s));
    EXPECT_EQ(fine.ErrorCount(), 0);
    EXPECT_FLOAT_EQ(s.Del(), 0.1f);

    KVTimeUnit u = KVTimeUnit::Milliseconds;
    EXPECT_TRUE(KVParseTimeUnit("seconds", u) && u == KVTimeUnit::Seconds);
    EXPECT_TRUE(KVParseTimeUnit("ms", u) && u == KVTimeUnit::Milliseconds);
    EXPECT_FALSE(KVParseTimeUnit("min", u));
}

TEST(EvenSampling, YFilesWithoutAUsableStepAreRefused)
{
    // Regression: DEL inf, 0, negative or 1e38 loaded with NaN, zero or
    // infinite times, and criteria and derivatives ran on them.
    TempDir dir;
    const float inf = std::numeric_limits<float>::infinity();
    for (const float del : {inf, 0.0f, -0.0001f, 1e38f}) {
        RvfImage img = RvfImage::Minimal(300, "Y");
        img.Int(img.CurveOffset() + 278, -100);
        img.Int(img.CurveOffset() + 282, 199);
        img.Real(img.CurveOffset() + 286, del);
        const std::string path = dir.Path("d.rvf");
        WriteAll(path, img.bytes());
        KVFileRvf file(path);
        KVSignal s;
        EXPECT_FALSE(file.Load(s)) << del;
        char shown[32];
        std::snprintf(shown, sizeof shown, "%g", double(del));
        EXPECT_EQ(ErrorLines(file), Lines{"KVFileRvf::Load | " + path + " has no usable time step: DEL is "
                                          + shown + ", a \"Y\" file needs a positive step whose times stay finite"});
        EXPECT_FALSE(s.HasData());
    }
}

TEST(EvenSampling, XYFilesWithAShortArrayAreRefused)
{
    // Regression: an "X-Y" file whose X DATA records were relabelled Y DATA
    // loaded with every X = 0.
    TempDir dir;
    RvfImage img = RvfImage::Minimal(200, "X-Y"); // two records per run
    for (size_t r = 0; r < 4; ++r)
        img.Text(img.DataOffset() + r * 512, "Y DATA");
    WriteAll(dir.Path("xy.rvf"), img.bytes());
    KVFileRvf file(dir.Path("xy.rvf"));
    KVSignal s;
    EXPECT_FALSE(file.Load(s));
    EXPECT_EQ(ErrorLines(file), Lines{"CRVFFile::ReadSignalArrays | Too few X DATA records: 0 of the 2 that 200 points need"});
    // Three X records and one Y record: the Y run falls short.
    for (size_t r = 0; r < 4; ++r)
        img.Text(img.DataOffset() + r * 512, r == 0 ? "Y DATA" : "X DATA");
    WriteAll(dir.Path("xy.rvf"), img.bytes());
    KVFileRvf again(dir.Path("xy.rvf"));
    EXPECT_FALSE(again.Load(s));
    EXPECT_EQ(ErrorLines(again), Lines{"CRVFFile::ReadSignalArrays | Too few Y DATA records: 1 of the 2 that 200 points need"});
}
