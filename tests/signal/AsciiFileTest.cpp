// Two-column text files.
#include "KVFileAscii.h"
#include "KVSignal.h"
#include "SignalTestSupport.h"

#include "KVFilterClass.h"
#include "KVTimeUnits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Lines = std::vector<std::string>;

const char* const kHint = "KVFileAscii::Load | There should be two numbers separated by a space, a tab or one in ',;|'. ";

struct Loaded {
    bool ok;
    Lines errors;
    KVSignal signal;
};

Loaded LoadText(const TempDir& dir, const std::string& text, const std::string& name = "s.txt")
{
    WriteText(dir.Path(name), text);
    Loaded r;
    KVFileAscii file(dir.Path(name));
    r.ok = file.Load(r.signal);
    r.errors = ErrorLines(file);
    return r;
}

Lines LineFailure(const TempDir& dir, int line, const std::string& name = "s.txt")
{
    return {"KVFileAscii::Load | Not Valid ASCII File Format in Line " + std::to_string(line) + " of " + dir.Path(name)
                + ".",
            kHint};
}

} // namespace

TEST(AsciiFile, EverySeparatorGivesThePoint)
{
    TempDir dir;
    for (const char* line : {"0.0,1.5", "0.0 ; 1.5", "0.0|1.5", "0.0\t1.5", "  0.0 ,;| \t1.5 trailing words",
                             "0.0 1.5\r", "+0.0 +1.5e0"}) {
        Loaded r = LoadText(dir, std::string(line) + "\n");
        ASSERT_TRUE(r.ok) << line << ::testing::PrintToString(r.errors);
        ASSERT_EQ(r.signal.PointCount(), 1u) << line;
        EXPECT_EQ(r.signal.X()[0], 0.0f) << line;
        EXPECT_EQ(r.signal.Y()[0], 1.5f) << line;
    }
}

TEST(AsciiFile, HeaderLinesThenNumbers)
{
    TempDir dir;
    Loaded r = LoadText(dir, "Test 12 head accel\n\n;;;\nTIME, ACCEL\n0, 1\n\n  \t \r\n0.001, -2\n0.002,3e1\n");
    ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.errors);
    const KVSignal& s = r.signal;
    ASSERT_EQ(s.PointCount(), 3u);
    EXPECT_TRUE(s.HasData());
    EXPECT_EQ(s.Nfp(), 0);
    EXPECT_EQ(s.Nlp(), 2);
    EXPECT_EQ(s.TestSource(), "ASCII File");
    EXPECT_EQ(s.T0(), 0.0f);
    EXPECT_EQ(s.Y()[2], 30.0f);
    EXPECT_EQ(s.XMax(), 0.002f);
    EXPECT_EQ(s.YMin(), -2.0f);
    EXPECT_EQ(s.Del(), 0.001f);
    EXPECT_EQ(s.Dimension(), "MET"); // everything else is reset
}

TEST(AsciiFile, AHeaderLineThatStatesTheTimeUnitWinsOverTheProgramsChoice)
{
    TempDir dir;
    const auto unitOf = [&](const std::string& header, KVTimeUnit choice) {
        WriteText(dir.Path("u.txt"), header + "\n0 1\n0.0001 2\n0.0002 3\n");
        KVFileAscii file(dir.Path("u.txt"));
        KVTextOptions options;
        options.timeUnit = choice;
        file.SetOptions(options);
        KVSignal s;
        EXPECT_TRUE(file.Load(s)) << header;
        return s.XUnits();
    };
    for (const char* seconds : {"Time [s]\tAccel [g]", "t/s;a/g", "time in seconds, force in kN", "# Time (sec) Fz (N)"})
        EXPECT_EQ(unitOf(seconds, KVTimeUnit::Milliseconds), "SECONDS") << seconds;
    for (const char* ms : {"Time (ms)  Force (kN)", "T [msec]", "Zeit/ms Kraft/kN"})
        EXPECT_EQ(unitOf(ms, KVTimeUnit::Seconds), "MILLISECONDS") << ms;
    // A line that names no unit for the time column leaves the choice.
    for (const char* none : {"Force (kN) Time (ms)", "Time Accel", "Timestamp (ms) a", ""}) {
        EXPECT_EQ(unitOf(none, KVTimeUnit::Seconds), "SECONDS") << none;
        EXPECT_EQ(unitOf(none, KVTimeUnit::Milliseconds), "MILLISECONDS") << none;
    }
}

TEST(AsciiFile, LoadResetsASignalThatHeldData)
{
    TempDir dir;
    WriteText(dir.Path("a.txt"), "0 1\n1 2\n");
    KVSignal s;
    s.SetTestTitle("OLD");
    s.SetDel(5.0f);
    KVFileAscii file(dir.Path("a.txt"));
    ASSERT_TRUE(file.Load(s));
    EXPECT_EQ(s.TestTitle(), " ");
    EXPECT_EQ(s.Del(), 1.0f);
    KVFileAscii one(dir.Path("b.txt"));
    WriteText(dir.Path("b.txt"), "3 4\n");
    ASSERT_TRUE(one.Load(s));
    EXPECT_EQ(s.Del(), 99999.0f); // one point: no step
    EXPECT_EQ(s.Nlp(), 0);
}

TEST(AsciiFile, TextAfterTheFirstNumberFailsWithItsLine)
{
    TempDir dir;
    Loaded title = LoadText(dir, "title\n\n1 2\n2 3\nanother title\n4 5\n");
    EXPECT_FALSE(title.ok);
    EXPECT_EQ(title.errors, LineFailure(dir, 5));
    EXPECT_FALSE(title.signal.HasData());

    Loaded single = LoadText(dir, "1 2\n1.0\n");
    EXPECT_EQ(single.errors, LineFailure(dir, 2));

    Loaded separators = LoadText(dir, "1 2\n , ; \n");
    EXPECT_EQ(separators.errors, LineFailure(dir, 2));

    // A first number with no second is no header line, even before any data.
    Loaded firstLine = LoadText(dir, "2024 crash tests\n1 2\n");
    EXPECT_EQ(firstLine.errors, LineFailure(dir, 1));
}

TEST(AsciiFile, NumberForms)
{
    TempDir dir;
    Loaded r = LoadText(dir, "-.5 7.\n1e-50 1e50\n2.5E+2 -1e400\n3abc 4xyz\n0x1A -0x1p-2\n");
    ASSERT_TRUE(r.ok) << ::testing::PrintToString(r.errors);
    const float* x = r.signal.X();
    const float* y = r.signal.Y();
    EXPECT_EQ(x[0], -0.5f);
    EXPECT_EQ(y[0], 7.0f);
    EXPECT_EQ(x[1], 0.0f); // below the float range: zero, as the C reading gives
    EXPECT_EQ(y[1], std::numeric_limits<float>::infinity());
    EXPECT_EQ(x[2], 250.0f);
    EXPECT_EQ(y[2], -std::numeric_limits<float>::infinity());
    EXPECT_EQ(x[3], 3.0f); // reading stops at the first character that does not fit
    EXPECT_EQ(y[3], 4.0f);
    EXPECT_EQ(x[4], 26.0f); // hexadecimal, as the C reading takes it
    EXPECT_EQ(y[4], -0.25f);

    // Words that merely begin like a number are header text, never NaN or infinity.
    Loaded words = LoadText(dir, "nan 1\ninfo 2\n- 3\n. 4\n5 6\n");
    ASSERT_TRUE(words.ok) << ::testing::PrintToString(words.errors);
    EXPECT_EQ(words.signal.PointCount(), 1u);
    EXPECT_EQ(words.signal.X()[0], 5.0f);
    EXPECT_EQ(LoadText(dir, "1 2\n3 nan\n").errors, LineFailure(dir, 2));
}

TEST(AsciiFile, LongLinesAreReadInPiecesOf1022Characters)
{
    TempDir dir;
    // Line 2 is 1022 blanks and an "x": the blanks are one piece (skipped),
    // the "x" a second piece, which counts as line 3.
    Loaded r = LoadText(dir, "0 1\n" + std::string(1022, ' ') + "x\n");
    EXPECT_EQ(r.errors, LineFailure(dir, 3));

    // A long title before the data: 2500 characters make three pieces.
    const std::string longTitle(2500, 'T');
    Loaded ok = LoadText(dir, longTitle + "\n1 2\n3 4\n");
    ASSERT_TRUE(ok.ok);
    EXPECT_EQ(ok.signal.PointCount(), 2u);
    EXPECT_EQ(LoadText(dir, longTitle + "\n1 2\nbad\n").errors, LineFailure(dir, 5));

    // A data line of exactly 1022 characters and its line feed: two reads.
    std::string exact = "1 2" + std::string(1019, ' ');
    WriteText(dir.Path("p.txt"), exact + "\n" + exact + "\n");
    EXPECT_EQ(KVFileAscii(dir.Path("p.txt")).PointCount(), 4u);
    std::string shorter = "1 2" + std::string(1018, ' ');
    WriteText(dir.Path("p.txt"), shorter + "\n" + shorter); // no final line feed
    EXPECT_EQ(KVFileAscii(dir.Path("p.txt")).PointCount(), 2u);
    EXPECT_EQ(KVFileAscii(dir.Path("nothing.txt")).PointCount(), 0u);
}

TEST(AsciiFile, AnRvfFileIsRefusedEvenWhenItIsText)
{
    TempDir dir;
    Loaded r = LoadText(dir, "RVF-1992\n0 1\n1 2\n", "r.txt");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errors, Lines{"KVFileAscii::Load | " + dir.Path("r.txt") + " is a RVF file, NOT an ASCII file."});
    // Only the first eight bytes count.
    Loaded later = LoadText(dir, " RVF-1992\n0 1\n");
    EXPECT_TRUE(later.ok);
}

TEST(AsciiFile, FilesWithoutData)
{
    TempDir dir;
    const std::string noData = "KVFileAscii::Load | " + dir.Path("s.txt") + " holds no data lines (two numbers on a line).";
    Loaded titles = LoadText(dir, "title\n\nmore words\n");
    EXPECT_FALSE(titles.ok);
    EXPECT_EQ(titles.errors, Lines{noData});
    EXPECT_TRUE(titles.signal.NoData());
    EXPECT_FALSE(titles.signal.HasData());
    // An empty file is a failed load too, and says so.
    Loaded empty = LoadText(dir, "");
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.errors, Lines{noData});

    KVSignal s;
    KVFileAscii missing(dir.Path("missing.txt"));
    EXPECT_FALSE(missing.Load(s));
    EXPECT_EQ(ErrorLines(missing), Lines{"KVFileAscii::Load | " + dir.Path("missing.txt") + " is not found."});
    // Regression: every name that could not be read was "not found".
    std::filesystem::create_symlink("loop", dir.Path("loop"));
    const std::string longName = dir.Path(std::string(300, 'n'));
    for (const auto& [name, why] : std::vector<std::pair<std::string, std::string>>{
             {dir.Path(""), " is a directory."},
             {"/dev/null", " is not a regular file."},
             {dir.Path("loop"), " cannot be read: too many levels of symbolic links."},
             {longName, " cannot be read: file name too long."}}) {
        KVFileAscii file(name);
        EXPECT_FALSE(file.Load(s));
        EXPECT_EQ(ErrorLines(file), Lines{"KVFileAscii::Load | " + name + why});
    }
}

TEST(AsciiFile, NulBytesRefuseTheFileAtOnce)
{
    TempDir dir;
    const std::string refused = "KVFileAscii::Load | " + dir.Path("s.txt") + " is not a text file: it holds NUL bytes.";
    EXPECT_EQ(LoadText(dir, std::string("1 2\n3\0 4\n", 9)).errors, Lines{refused});
    EXPECT_EQ(LoadText(dir, std::string(3000000, '\0')).errors, Lines{refused});
}

TEST(AsciiFile, ALongTextWithoutLineBreaksIsReadInPieces)
{
    // Regression: the search for each piece's line end ran to the end of the
    // file, so a file without line breaks took quadratic time.
    TempDir dir;
    const Loaded r = LoadText(dir, std::string(20000000, ' ') + "\n1 2\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.signal.PointCount(), 1u);
    KVFileAscii file(dir.Path("s.txt"));
    EXPECT_EQ(file.PointCount(), 20000000u / 1022 + 2); // full pieces, the rest with its line end, "1 2"
}

TEST(AsciiFile, TypeName)
{
    KVFileAscii file("x");
    EXPECT_STREQ(file.TypeName(), "ASCII File");
    EXPECT_EQ(file.FileName(), "x");
}

// Regression: three tables of time units disagreed, the criteria refusing the
// "SECONDS (S)" that the checks and the plots took as seconds.
TEST(TimeUnits, OneTableForEveryReaderOfATimeAxis)
{
    const struct {
        const char* text;
        double seconds; // 0: no time unit
        const char* label;
    } cases[] = {
        {"SECONDS (S)", 1, "s"}, {" sec ", 1, "s"},       {"S", 1, "s"},          {"MILLISECONDS", 1e-3, "ms"},
        {"ms", 1e-3, "ms"},      {"MicroSeconds", 1e-6, "us"}, {"US", 1e-6, "us"}, {"SECS", 0, ""},
        {"MS2", 0, ""},          {"", 0, ""},              {"METERS", 0, ""},
    };
    for (const auto& c : cases) {
        const std::optional<KVTimeScale> u = KVTimeScaleOf(c.text);
        ASSERT_EQ(u.has_value(), c.seconds > 0) << c.text;
        if (u) {
            EXPECT_EQ(u->seconds, c.seconds) << c.text;
            EXPECT_STREQ(u->label, c.label) << c.text;
        }
    }
}

// The channel classes are one table: only 60, 180, 600 and 1000 are classes
// (a record's 1001 "other", 1003 FIR100 and 0 "unknown" are not).
TEST(FilterClasses, OnlyTheFourChannelClassesAreClasses)
{
    for (int c : {60, 180, 600, 1000})
        EXPECT_TRUE(KVIsChannelClass(c)) << c;
    for (int c : {0, 100, 1001, 1003})
        EXPECT_FALSE(KVIsChannelClass(c)) << c;
    EXPECT_EQ(KVChannelClassText(600), "CFC 600");
    EXPECT_DOUBLE_EQ(KVChannelClassCorner(60), 100.0);
}
