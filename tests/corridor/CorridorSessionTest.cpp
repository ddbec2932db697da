// Scripted console sessions of the corridor program; the files it writes are
// read back with the signal library.
#include "Corridor.h"
#include "CRVFFile.h"
#include "TfTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using TfTest::Exists;
using TfTest::MakeRvf;
using TfTest::Ramp;

namespace {

struct Session {
    int rc = -1;
    std::string out;
    bool Said(const std::string& text) const { return out.find(text) != std::string::npos; }
    size_t Times(const std::string& text) const
    {
        size_t n = 0;
        for (size_t p = out.find(text); p != std::string::npos; p = out.find(text, p + 1))
            ++n;
        return n;
    }
};

Session Corridor(const std::string& input, const std::vector<std::string>& args = {})
{
    std::istringstream in(input);
    std::ostringstream out;
    Session r;
    r.rc = RunCorridor(args, in, out, true);
    r.out = out.str();
    return r;
}

struct Output {
    CRVFFile file;
    bool ok = false;
    std::vector<float> y;
};

Output Read(const std::string& name)
{
    Output o;
    o.ok = o.file.RVF_Read(name);
    o.y = o.file.Y;
    return o;
}

// Ends the file list, then names the three outputs.
const char* const kNames = "\n\nm.rvf\np.aps\nn.ams\n";

} // namespace

TEST(CorridorSession, ThreeIdenticalSpans)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, {1, 4, 10}));
    ASSERT_TRUE(MakeRvf("b.rvf", 0, {2, 4, 12}));
    ASSERT_TRUE(MakeRvf("c.rvf", 0, {3, 4, 14}));
    const Session r = Corridor(std::string("a.rvf\nN\nb.rvf\nc.rvf") + kNames + "\n");
    EXPECT_EQ(r.rc, 0);
    EXPECT_TRUE(r.Said("**  Calculate a Signal Corridor **"));
    EXPECT_TRUE(r.Said("First RVF file name/template/hitlist? [done] "));
    EXPECT_TRUE(r.Said(" Use only data points common to all signals?   (Y/N) [N] "));
    EXPECT_EQ(r.Times("Next RVF file name/template/hitlist? [no more] "), 3u);
    EXPECT_TRUE(r.Said(" Output RVF mean file name? [1234_AVG.rvf] "));
    EXPECT_TRUE(r.Said(" Output RVF mean+sigma file name? [1234_AVG.aps] "));
    EXPECT_TRUE(r.Said(" Output RVF mean-sigma file name? [1234_AVG.ams] "));
    // Sigmas 1, 0, 2: variances 1 + 0 + 4 over three points.
    EXPECT_TRUE(r.Said("*** Average Variance = 1.66667\n"));
    EXPECT_TRUE(r.Said("*** Cumulative Variance = 5\n"));
    EXPECT_TRUE(r.Said("*** Number of Data Points = 3\n"));
    EXPECT_TRUE(r.Said(" *** 3 files processed"));
    EXPECT_FALSE(r.Said("WARNING"));

    const Output m = Read("m.rvf"), p = Read("p.aps"), n = Read("n.ams");
    ASSERT_TRUE(m.ok && p.ok && n.ok);
    EXPECT_EQ(m.y, (std::vector<float>{2, 4, 12}));
    EXPECT_EQ(p.y, (std::vector<float>{3, 4, 14}));
    EXPECT_EQ(n.y, (std::vector<float>{1, 4, 10}));
    EXPECT_EQ(m.file.Curve.Description, "MEAN SIGNAL(    3)");
    EXPECT_EQ(p.file.Curve.Description, "MEAN + SIGMA(    3)");
    EXPECT_EQ(n.file.Curve.Description, "MEAN - SIGMA(    3)");
    EXPECT_EQ(m.file.Curve.NumberText, "AVG");
    EXPECT_EQ(p.file.Curve.NumberText, "MPS");
    EXPECT_EQ(n.file.Curve.NumberText, "MMS");
    EXPECT_EQ(m.file.Curve.Status, "COMPUTED");
    EXPECT_EQ(m.file.Curve.Nfp, 0);
    EXPECT_EQ(m.file.Curve.Nlp, 2);
    EXPECT_FLOAT_EQ(m.file.Curve.Del, 0.0001f);
    EXPECT_EQ(m.file.Curve.YUnits, "G");
}

TEST(CorridorSession, OverlappingSpansWithAndWithoutCommonPoints)
{
    TfTest::TempDir dir;
    // -100..900 and -50..1000, the second lying 2 above the first.
    ASSERT_TRUE(MakeRvf("a.rvf", -100, Ramp(1001, 0.0f, 1.0f)));
    ASSERT_TRUE(MakeRvf("b.rvf", -50, Ramp(1051, 52.0f, 1.0f)));
    Session r = Corridor(std::string("a.rvf\nY\nb.rvf") + kNames + "\n");
    Output m = Read("m.rvf");
    Output p = Read("p.aps");
    ASSERT_TRUE(m.ok && p.ok);
    EXPECT_EQ(m.file.Curve.Nfp, -50);
    EXPECT_EQ(m.file.Curve.Nlp, 900);
    ASSERT_EQ(m.y.size(), 951u);
    EXPECT_EQ(m.y.front(), 51.0f); // (50 + 52) / 2
    EXPECT_EQ(m.y.back(), 1001.0f);
    EXPECT_EQ(p.y.front(), 51.0f + std::sqrt(2.0f));
    EXPECT_TRUE(r.Said("*** Average Variance = 2\n"));
    EXPECT_TRUE(r.Said("*** Cumulative Variance = 1902\n"));
    EXPECT_TRUE(r.Said("*** Number of Data Points = 951\n"));

    r = Corridor(std::string("a.rvf\nn\nb.rvf") + kNames + "\n");
    m = Read("m.rvf");
    const Output n = Read("n.ams");
    ASSERT_TRUE(m.ok && n.ok);
    EXPECT_EQ(m.file.Curve.Nfp, -100);
    EXPECT_EQ(m.file.Curve.Nlp, 1000);
    ASSERT_EQ(m.y.size(), 1101u);
    // Indices of one file only take that file's value, with sigma 0.
    EXPECT_EQ(m.y[0], 0.0f);
    EXPECT_EQ(m.y[49], 49.0f);
    EXPECT_EQ(n.y[49], 49.0f);
    EXPECT_EQ(m.y[1100], 1102.0f);
    EXPECT_EQ(n.y[1100], 1102.0f);
    EXPECT_EQ(m.y[50], 51.0f);
    // Only the 951 indices with two curves share in the variances.
    EXPECT_TRUE(r.Said("*** Average Variance = 2\n"));
    EXPECT_TRUE(r.Said("*** Cumulative Variance = 1902\n"));
    EXPECT_TRUE(r.Said("*** Number of Data Points = 1101\n"));
}

TEST(CorridorSession, TwoIdenticalFilesGiveSigmaZero)
{
    TfTest::TempDir dir;
    const std::vector<float> y = Ramp(300, -7.25f, 0.37f);
    ASSERT_TRUE(MakeRvf("a.rvf", 5, y));
    ASSERT_TRUE(MakeRvf("b.rvf", 5, y));
    const Session r = Corridor(std::string("a.rvf\n\nb.rvf") + kNames + "\n");
    const Output m = Read("m.rvf"), p = Read("p.aps"), n = Read("n.ams");
    ASSERT_TRUE(m.ok && p.ok && n.ok);
    EXPECT_EQ(m.y, y);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(n.y, y);
    EXPECT_TRUE(r.Said("*** Average Variance = 0\n"));
    EXPECT_TRUE(r.Said("*** Cumulative Variance = 0\n"));
    EXPECT_TRUE(r.Said(" *** 2 files processed"));
}

TEST(CorridorSession, MinimizeRangeSuppressesTheQuestion)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, Ramp(10, 0, 1)));
    ASSERT_TRUE(MakeRvf("b.rvf", 3, Ramp(10, 0, 1)));
    const Session r = Corridor(std::string("a.rvf\nb.rvf") + kNames + "\n", {"-minimize_range"});
    EXPECT_FALSE(r.Said("(Y/N)"));
    const Output m = Read("m.rvf");
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.file.Curve.Nfp, 3);
    EXPECT_EQ(m.file.Curve.Nlp, 9);
}

TEST(CorridorSession, HelpAndSyntax)
{
    for (const char* arg : {"-help", "/HELP", "help", "??"}) {
        const Session r = Corridor("", {arg});
        EXPECT_EQ(r.rc, 0);
        EXPECT_TRUE(r.Said("Corridor [<file name>|<template>|@<hitlist>]")) << arg;
        EXPECT_TRUE(r.Said("\n[MINIMIZE_RANGE]\n")) << arg;
        EXPECT_TRUE(r.Said("MINIMIZE_RANGE : Use only those points in common for calculations\n")) << arg;
        EXPECT_TRUE(r.Said("BATCH :")) << arg;
        EXPECT_FALSE(r.Said("Calculate")) << arg;
    }
    const Session r = Corridor("", {"/?"});
    EXPECT_TRUE(r.Said("[MINIMIZE_RANGE]\n"));
    EXPECT_FALSE(r.Said("MINIMIZE_RANGE :"));
    const Session bad = Corridor("", {"-frobnicate"});
    EXPECT_EQ(bad.rc, 2);
    EXPECT_TRUE(bad.Said("*** Unknown option -frobnicate"));
}

TEST(CorridorSession, QuestionAnswersAndEndOfInput)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, Ramp(10, 0, 1)));
    // A bad answer is asked again; the end of input at the question skips.
    Session r = Corridor("a.rvf\nyes\nx\n");
    EXPECT_EQ(r.Times("*** Invalid option"), 2u);
    EXPECT_TRUE(r.Said("*** Operation skipped"));
    EXPECT_EQ(r.rc, 1); // regression: a skipped corridor exited 0
    // The end of input at an output name writes nothing.
    r = Corridor("a.rvf\nN\n\n");
    EXPECT_FALSE(Exists("1234_AVG.rvf"));
    EXPECT_FALSE(r.Said("files processed"));
    // Empty input ends cleanly.
    r = Corridor("");
    EXPECT_EQ(r.rc, 0);
}

TEST(CorridorSession, InconsistentFilesAreSkippedOrWarnedAbout)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, {1, 2, 3}));
    ASSERT_TRUE(MakeRvf("step.rvf", 0, {9, 9, 9}, 0.0002f));
    ASSERT_TRUE(MakeRvf("units.rvf", 0, {3, 4, 5}, 0.0001f, "M/S**2", "MSEC"));
    const Session r = Corridor(std::string("a.rvf\nN\nmissing.rvf\nstep.rvf\nunits.rvf") + kNames + "\n");
    EXPECT_TRUE(r.Said("*** Couldn't read RVF file missing.rvf"));
    EXPECT_TRUE(r.Said("*** ERROR - Inconsistent DEL step"));
    EXPECT_TRUE(r.Said("*** WARNING - Inconsistent Y-units"));
    EXPECT_TRUE(r.Said("*** WARNING - Inconsistent X-units"));
    EXPECT_TRUE(r.Said(" *** 2 files processed"));
    EXPECT_EQ(Read("m.rvf").y, (std::vector<float>{2, 3, 4}));
}

TEST(CorridorSession, UnattendedTemplateIsAbandonedOnAnInconsistentStep)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("r1.rvf", 0, {1, 2, 3}));
    ASSERT_TRUE(MakeRvf("r2.rvf", 0, {1, 2, 3}, 0.0002f));
    ASSERT_TRUE(MakeRvf("r3.rvf", 0, {1, 2, 3}));
    const Session r = Corridor("N\n", {"BATCH", "r(1-3).rvf"});
    EXPECT_TRUE(r.Said("*** ERROR - Inconsistent DEL step"));
    EXPECT_FALSE(r.Said("files processed"));
    EXPECT_FALSE(Exists("1234_AVG.rvf"));
    EXPECT_EQ(r.rc, 1);
}

TEST(CorridorSession, BatchNeverAsksAndNeverReplacesAnInput)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("r1.rvf", 0, {1, 2, 3}));
    ASSERT_TRUE(MakeRvf("r2.rvf", 0, {3, 4, 5}));
    // No answer on the input: the Y/N question is not waited on.
    Session r = Corridor("", {"BATCH", "r(1-2).rvf"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(Read("1234_AVG.rvf").y, (std::vector<float>{2, 3, 4}));
    // Regression: with OVERWRITE the default name of the mean replaced an input.
    std::filesystem::rename("1234_AVG.rvf", "r0.rvf");
    std::filesystem::copy_file("r1.rvf", "1234_AVG.rvf");
    const auto before = TfTest::ReadText("1234_AVG.rvf");
    r = Corridor("", {"BATCH", "OVERWRITE", "1234_AVG.rvf"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.Said("is an input or output of this corridor"));
    EXPECT_EQ(TfTest::ReadText("1234_AVG.rvf"), before);
}

TEST(CorridorSession, NoCommonPointsAndGapsAreHandled)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, {1, 2, 3}));
    ASSERT_TRUE(MakeRvf("b.rvf", 5, {7, 8, 9}));
    Session r = Corridor(std::string("a.rvf\nY\nb.rvf") + kNames + "\n");
    EXPECT_TRUE(r.Said("*** ERROR - No data points common to all signals"));
    EXPECT_FALSE(Exists("m.rvf"));
    // Without common points the uncovered indices 3 and 4 are 0, never NaN.
    r = Corridor(std::string("a.rvf\nN\nb.rvf") + kNames + "\n");
    EXPECT_TRUE(r.Said("*** WARNING - No data at 2 points of the span, written as 0"));
    EXPECT_EQ(Read("m.rvf").y, (std::vector<float>{1, 2, 3, 0, 0, 7, 8, 9}));
    EXPECT_TRUE(r.Said("*** Average Variance = 0\n"));
}

TEST(CorridorSession, ShortSpanWarningOncePerCorridor)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, {1, 1, 1}));
    ASSERT_TRUE(MakeRvf("b.rvf", 0, {1, 1, 1}));
    ASSERT_TRUE(MakeRvf("c.rvf", 2, {1, 1, 1}));
    ASSERT_TRUE(MakeRvf("d.rvf", 4, {1, 1, 1}));
    const Session r = Corridor(std::string("a.rvf\nN\nb.rvf\nc.rvf\nd.rvf") + kNames + "\n");
    EXPECT_EQ(r.Times("*** WARNING - Number of data points less than number of curves\n"), 1u);
}

TEST(CorridorSession, NoShortSpanWarningWhileEveryEarlierCurveIsThere)
{
    // b reaches past a, but a was the only curve before it; c lies inside both.
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, {1, 1, 1}));
    ASSERT_TRUE(MakeRvf("b.rvf", 0, {1, 1, 1, 1}));
    ASSERT_TRUE(MakeRvf("c.rvf", 1, {1, 1}));
    const Session r = Corridor(std::string("a.rvf\nN\nb.rvf\nc.rvf") + kNames + "\n");
    EXPECT_TRUE(r.Said(" *** 3 files processed"));
    EXPECT_FALSE(r.Said("less than number of curves"));
}

TEST(CorridorSession, InvalidOutputNameIsAskedAgain)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, {1, 2, 3}));
    const std::string before = TfTest::ReadText("a.rvf");
    // Regression: typing an input's name as output name wrote over the measured data.
    const Session r = Corridor("a.rvf\nN\n\nnodir/m.rvf\n./a.rvf\nm.rvf\nm.rvf\n\n\n\n");
    EXPECT_EQ(r.Times("*** Invalid file name"), 3u);
    EXPECT_EQ(TfTest::ReadText("a.rvf"), before);
    EXPECT_TRUE(Exists("m.rvf"));
    EXPECT_TRUE(Exists("1234_AVG.aps"));
    EXPECT_TRUE(Exists("1234_AVG.ams"));
}

TEST(CorridorSession, BatchUsesDefaultNamesInTheOutputDirectory)
{
    TfTest::TempDir dir;
    std::filesystem::create_directory("out");
    ASSERT_TRUE(MakeRvf("r1.rvf", 0, {1, 2}));
    ASSERT_TRUE(MakeRvf("r2.rvf", 0, {3, 4}));
    for (int run = 0; run < 2; ++run) {
        const Session r = Corridor("N\n", {"r*.rvf", "-batch", "OUT=out", "MINIMIZE_RANGE"});
        EXPECT_EQ(r.rc, 0);
        EXPECT_FALSE(r.Said("Output RVF"));
        EXPECT_TRUE(r.Said(" *** 2 files processed"));
    }
    // The second run moves to unused names instead of replacing the first.
    for (const char* name : {"out/1234_AVG.rvf", "out/1234_AVG.aps", "out/1234_AVG.ams", "out/1234_AVG_1.rvf",
                             "out/1234_AVG_1.aps", "out/1234_AVG_1.ams"})
        EXPECT_TRUE(Exists(name)) << name;
    EXPECT_EQ(Read("out/1234_AVG_1.rvf").y, (std::vector<float>{2, 3}));
}

namespace {

// An "X-Y" file: X values of their own, no constant step.
bool MakeXy(const std::string& name, int nfp, const std::vector<float>& x, const std::vector<float>& y)
{
    KVSignal s;
    s.Allocate(y.size());
    for (size_t i = 0; i < y.size(); ++i)
        s.SetPoint(x[i], y[i], i);
    s.SetNfp(nfp);
    s.SetNlp(nfp + static_cast<int>(y.size()) - 1);
    s.SetDel(KV_NO_VALUE);
    s.SetHasData(true);
    return KVFileRvf(name).Store(s);
}

} // namespace

TEST(CorridorSession, XyFilesKeepTheirXValues)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeXy("a.rvf", 0, {0.5f, 1.5f, 2.5f}, {1, 2, 3}));
    ASSERT_TRUE(MakeXy("b.rvf", 1, {7.0f, 8.0f, 9.0f}, {4, 6, 8}));
    Corridor(std::string("a.rvf\nN\nb.rvf") + kNames + "\n");
    const Output m = Read("m.rvf");
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.file.FileId.DataType, "X-Y");
    EXPECT_EQ(m.y, (std::vector<float>{1, 3, 4.5f, 8}));
    // Indices first covered by the second file take its X values.
    EXPECT_EQ(m.file.X, (std::vector<float>{0.5f, 1.5f, 2.5f, 9.0f}));
}

TEST(CorridorSession, BuiltProgramRunsFromAPipe)
{
    TfTest::TempDir dir;
    ASSERT_TRUE(MakeRvf("a.rvf", 0, {1, 2, 3}));
    ASSERT_TRUE(MakeRvf("b.rvf", 0, {3, 4, 5}));
    TfTest::WriteText("runs.hit", "a.rvf\nb.rvf\n");
    // The hitlist answers the whole file list; no blank line ends it.
    TfTest::WriteText("answers", "@runs.hit\nN\nm.rvf\np.aps\nn.ams\n");
    const std::string command = std::string(CORRIDOR_EXE) + " < answers > transcript 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string transcript = TfTest::ReadText("transcript");
    EXPECT_NE(transcript.find(" *** 2 files processed"), std::string::npos) << transcript;
    EXPECT_EQ(Read("m.rvf").y, (std::vector<float>{2, 3, 4}));
}

TEST(CorridorSession, RateListsEveryCurveAgainstTheMeanAndMarksTheLowest)
{
    TfTest::TempDir dir;
    auto pulse = [](int delay, float gain) {
        std::vector<float> y(40, 0.0f);
        for (int k = 5; k < 25; ++k)
            y[k + delay] = gain * float(std::sin(3.14159265 * (k - 5) / 20.0));
        return y;
    };
    ASSERT_TRUE(MakeRvf("a.rvf", 0, pulse(0, 10.0f)));
    ASSERT_TRUE(MakeRvf("b.rvf", 0, pulse(0, 10.5f)));
    ASSERT_TRUE(MakeRvf("c.rvf", 0, pulse(6, 10.0f)));
    ASSERT_TRUE(MakeRvf("d.rvf", 35, {1, 2, 3, 4, 5}));
    const Session r = Corridor(std::string("a.rvf\nN\nb.rvf\nc.rvf\nd.rvf") + kNames + "\n", {"RATE"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_TRUE(r.Said(" *** 4 files processed\n*** Ratings against the mean (ISO/TS 18571):\n"
                       "rating  corridor  phase  magnitude  slope  shift ms  curve\n"));
    EXPECT_TRUE(r.Said("  n/a   (the curves share 5 samples; a rating needs at least 10)  d.rvf\n")) << r.out;
    const std::vector<std::string> lines = ReadLines("m.rating.txt");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "Ratings against the mean (ISO/TS 18571) of m.rvf");
    // The late curve is the outlier; the two in phase are not marked.
    EXPECT_NE(lines[4].find("c.rvf  <- lowest"), std::string::npos) << lines[4];
    EXPECT_EQ(lines[2].find("lowest"), std::string::npos);
    EXPECT_EQ(lines[3].find("lowest"), std::string::npos);
    EXPECT_TRUE(r.Said("*** Ratings written to m.rating.txt"));
}
