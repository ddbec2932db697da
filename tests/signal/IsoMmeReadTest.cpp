// Reading ISO-MME channel files: the header mapping, the test file beside the
// Channel folder, line ends and encodings, and the messages for bad input.
#include "KVFileIsoMme.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <tuple>

namespace {

using Lines = std::vector<std::string>;

std::string Join(const Lines& lines, const std::string& eol)
{
    std::string s;
    for (const std::string& l : lines)
        s += l + eol;
    return s;
}

const Lines kMme = {
    "Data format edition number  :1.6",
    "Laboratory name             :Crash Lab North",
    "Laboratory test ref. number :T0001",
    "Title                       :Sled test",
    "Date of the test            :2026-05-14",
    "Number of test objects      :1",
    "Name of test object 1       :Sled",
    "Velocity test object 1      :13.9",
};

Lines Channel(const std::string& extra = {})
{
    Lines l = {
        "Channel code                :S0SLED000000ACXD",
        "Name of the channel         :Sled acceleration X",
        "Test object number          :1",
        "Unit                        :g",
        "Reference channel           :implicit",
        "Time of first sample        :-0.0002",
        "Sampling interval           :0.0001",
        "Number of samples           :4",
        "Comments                    :set up at 10:32:45",
        "Comments                    :second line",
        "Data status                 :ok",
    };
    if (!extra.empty())
        l.push_back(extra);
    for (const char* v : {"0.000000E+0", "1.250000E-1", "-3.500000E+0", "+2.5"})
        l.push_back(v);
    return l;
}

// Writes T0001/T0001.mme and T0001/Channel/T0001.001; returns the channel path.
std::string WriteTest(const TempDir& dir, const Lines& channel, const std::string& eol = "\r\n")
{
    std::filesystem::create_directories(dir.Path("T0001/Channel"));
    WriteText(dir.Path("T0001/T0001.mme"), Join(kMme, eol));
    WriteText(dir.Path("T0001/Channel/T0001.001"), Join(channel, eol));
    return dir.Path("T0001/Channel/T0001.001");
}

} // namespace

TEST(IsoMmeRead, MapsTheHeaderAndTheTestFile)
{
    TempDir dir;
    const std::string path = WriteTest(dir, Channel());
    KVSignal s;
    KVErrorList errors;
    ASSERT_STREQ(KVReadSignalFile(path, s, errors), "ISO-MME Channel") << ErrorLines(errors)[0];
    EXPECT_EQ(errors.ErrorCount(), 0);
    ASSERT_EQ(s.PointCount(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(s.X()[i], static_cast<float>(-0.0002 + double(i) * 0.0001)) << i;
    EXPECT_EQ(s.Y()[2], -3.5f);
    EXPECT_EQ(s.Y()[3], 2.5f);
    EXPECT_EQ(s.Nfp(), -2);
    EXPECT_EQ(s.Nlp(), 1);
    EXPECT_EQ(s.Del(), 0.0001f);
    EXPECT_EQ(s.XUnits(), "SECONDS");
    EXPECT_EQ(s.YUnits(), "G'S");
    EXPECT_EQ(s.SensorLocation(), "SL");
    EXPECT_EQ(s.SensorAttachment(), "S0SLED000000ACXD");
    EXPECT_EQ(s.Axis(), "X");
    EXPECT_EQ(s.SensorType(), "ACCELERATION");
    EXPECT_EQ(s.FilterClass(), 60);
    EXPECT_FLOAT_EQ(s.CutOffFrequency(), 100.0f);
    EXPECT_EQ(s.Status(), "FILTERED");
    EXPECT_EQ(s.CurveNumber(), 1);
    EXPECT_EQ(s.CurveText(), "Sled acceleration X");
    EXPECT_EQ(s.TestTitle(), "Sled test");
    EXPECT_EQ(s.TestReference(), "T0001");
    EXPECT_EQ(s.TestNumber(), "0"); // the stem is not a number
    EXPECT_EQ(s.TestSource(), "Crash Lab North");
    EXPECT_EQ(s.VehicleNumber(), 1);
    EXPECT_EQ(s.VehicleModel(), "Sled");
    EXPECT_FLOAT_EQ(s.ClosingSpeed(), 13.9f * 3.6f);
    EXPECT_FLOAT_EQ(s.YMin(), -3.5f);
    // Every line is kept in order, repeated names and colons in values included.
    const auto& lines = s.Header().Side.channelLines;
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[8], (std::pair<std::string, std::string>("Comments", "set up at 10:32:45")));
    EXPECT_EQ(lines[9].second, "second line");
    EXPECT_EQ(s.Header().Side.testLines.size(), kMme.size());
}

TEST(IsoMmeRead, ACodeWithoutFilterLetterTakesTheClassLine)
{
    // The cut-off of a CFC is 5/3 of its class; a class no letter names is
    // kept as a class of its own (1001).
    TempDir dir;
    for (const auto& [cls, filterClass, cutOff] :
         {std::tuple<const char*, int, float>{"180", 180, 300.0f}, {"1000", 1000, 1666.6666f}, {"300", 1001, 500.0f}}) {
        Lines lines = Channel("Channel frequency class     :" + std::string(cls));
        lines[0] = "Channel code                :S0SLED000000ACX"; // 15 characters: no letter
        KVSignal s;
        KVErrorList errors;
        ASSERT_TRUE(KVReadSignalFile(WriteTest(dir, lines), s, errors)) << cls;
        EXPECT_EQ(s.FilterClass(), filterClass) << cls;
        EXPECT_FLOAT_EQ(s.CutOffFrequency(), cutOff) << cls;
    }
}

TEST(IsoMmeRead, LineEndsAndEncodingsGiveTheSameRecord)
{
    // Latin-1 bytes, UTF-8 with a mark, UTF-16 with a mark: the same name.
    TempDir dir;
    KVSignal ref;
    KVErrorList errors;
    ASSERT_TRUE(KVReadSignalFile(WriteTest(dir, Channel("Transducer type :Kraft \xB5 \x85")), ref, errors));
    EXPECT_EQ(ref.Header().Side.channelLines.back().second, "Kraft \xB5 \x85"); // 0x85 does not split the line
    ASSERT_EQ(ref.PointCount(), 4u);

    const std::string utf8 = "\xEF\xBB\xBF" + Join(Channel("Transducer type :Kraft \xC2\xB5 \xE2\x80\xA6"), "\n");
    std::string utf16 = "\xFF\xFE";
    for (char c : Join(Channel("Transducer type :Kraft \xB5 \x85"), "\r"))
        utf16 += c == '\x85' ? std::string("\x26\x20", 2) : std::string(1, c) + '\0';
    for (const std::string& text : {utf8, utf16}) {
        WriteText(dir.Path("T0001/Channel/T0001.001"), text);
        KVSignal s;
        ASSERT_TRUE(KVReadSignalFile(dir.Path("T0001/Channel/T0001.001"), s, errors)) << ErrorLines(errors)[0];
        EXPECT_EQ(s.Header().Side.channelLines, ref.Header().Side.channelLines);
        EXPECT_EQ(s.Header().Side.channelLines[0].first, "Channel code"); // no mark left in the name
        ASSERT_EQ(s.PointCount(), 4u);
        EXPECT_EQ(s.Y()[3], ref.Y()[3]);
    }
}

TEST(IsoMmeRead, WarningsNameTheFileAndLineAndTheLoadGoesOn)
{
    TempDir dir;
    Lines lines = Channel();
    lines[3] = "Unit :furlong";
    lines[7] = "Number of samples :6";
    lines[12] = "NOVALUE";
    lines[13] = "  NOVALUE  ";
    const std::string path = WriteTest(dir, lines, "\n");
    KVSignal s;
    KVErrorList errors;
    ASSERT_TRUE(KVReadSignalFile(path, s, errors));
    EXPECT_EQ(ErrorLines(errors),
              (Lines{"KVFileIsoMme::Load | " + path + ":8: Number of samples says 6, the file holds 4 sample lines; all of them are read",
                     "KVFileIsoMme::Load | " + path + ":13: 2 NOVALUE sample(s), the first on this line, read as gaps (NaN)",
                     "KVFileIsoMme::Load | " + path + ":4: unit \"furlong\" is not known here; kept as written"}));
    EXPECT_EQ(s.YUnits(), "furlong");
    EXPECT_TRUE(std::isnan(s.Y()[1]) && std::isnan(s.Y()[2]));
    EXPECT_EQ(s.Y()[3], 2.5f);
}

TEST(IsoMmeRead, BadInputIsRefusedWithFileAndLine)
{
    TempDir dir;
    Lines word = Channel();
    word[13] = "1.5x";
    Lines noStep = Channel();
    noStep[6] = "Sampling interval :NOVALUE";
    const Lines all = Channel();
    const Lines headerOnly(all.begin(), all.begin() + 11);
    const std::string path = dir.Path("T0001/Channel/T0001.001");
    const std::pair<Lines, std::string> cases[] = {
        {word, path + ":14: \"1.5x\" is not a sample value (a number or NOVALUE)"},
        {noStep, path + ":7: Sampling interval is missing or not a positive number"},
        {headerOnly, path + ":12: the channel holds no samples"},
    };
    for (const auto& [lines, message] : cases) {
        WriteTest(dir, lines);
        KVSignal s;
        KVErrorList errors;
        EXPECT_EQ(KVReadSignalFile(path, s, errors), nullptr);
        EXPECT_EQ(ErrorLines(errors), Lines{"KVFileIsoMme::Load | " + message});
        EXPECT_FALSE(s.HasData());
    }
    // A channel on its own (no test around it) still loads; text files stay text.
    WriteText(dir.Path("lone.002"), Join(Channel(), "\n"));
    KVSignal s;
    KVErrorList errors;
    EXPECT_STREQ(KVReadSignalFile(dir.Path("lone.002"), s, errors), "ISO-MME Channel");
    EXPECT_EQ(s.CurveNumber(), 2);
    EXPECT_EQ(s.TestReference(), "lone");
    WriteText(dir.Path("t.txt"), "Time: ms\n0 1\n1 2\n");
    EXPECT_STREQ(KVReadSignalFile(dir.Path("t.txt"), s, errors), "ASCII File");
}

// Loads path with 1 GiB of address space to spare: true when it holds n points.
bool LoadsUnderOneGigabyte(const std::string& path, size_t n)
{
    LimitAddressSpace(size_t(1) << 30);
    KVSignal s;
    KVErrorList errors;
    return KVReadSignalFile(path, s, errors) && s.PointCount() == n;
}

// Hostile or unlucky channel files: claims the lines do not back, steps whose
// times a float cannot hold, values beyond the float range.
TEST(IsoMmeReadHostile, TheLinesNotTheClaimSizeTheArrays)
{
    // Regression: a 999999999 sample claim reserved 4 GB and aborted under a
    // memory limit; the lines are what is read.
    TempDir dir;
    Lines lines = Channel();
    lines[7] = "Number of samples :999999999";
    const std::string path = WriteTest(dir, lines);
#if !defined(ONDREL_NO_MEMORY_LIMIT)
    EXPECT_EXIT(std::_Exit(LoadsUnderOneGigabyte(path, 4) ? 0 : 1), ::testing::ExitedWithCode(0), "");
#endif
    KVSignal s;
    KVErrorList errors;
    ASSERT_TRUE(KVReadSignalFile(path, s, errors));
    EXPECT_EQ(ErrorLines(errors)[0], "KVFileIsoMme::Load | " + path
                                         + ":8: Number of samples says 999999999, the file holds 4 sample lines; all"
                                           " of them are read");
}

TEST(IsoMmeReadHostile, StepsWhoseTimesAFloatCannotHoldAreRefused)
{
    TempDir dir;
    const std::string path = dir.Path("T0001/Channel/T0001.001");
    for (const auto& [step, why] : {std::pair<std::string, std::string>{"1e300", "are not finite"},
                                    {"1e-50", "do not rise in float precision"},
                                    {"1e-5", "do not rise in float precision"}}) {
        Lines lines = Channel();
        lines[5] = "Time of first sample :" + std::string(step == "1e-5" ? "1000" : "0");
        lines[6] = "Sampling interval :" + step;
        WriteTest(dir, lines);
        KVSignal s;
        KVErrorList errors;
        EXPECT_EQ(KVReadSignalFile(path, s, errors), nullptr) << step;
        EXPECT_EQ(ErrorLines(errors).back(),
                  "KVFileIsoMme::Load | " + path + ":7: Sampling interval " + step + " gives sample times that " + why);
    }
}

TEST(IsoMmeReadHostile, NaNInfiniteAndMissingUnitAreToldApart)
{
    TempDir dir;
    Lines lines = Channel();
    lines.erase(lines.begin() + 3); // no Unit line
    lines[10] = "NaN";
    lines[11] = "1e999";
    lines[12] = "-inf";
    lines.push_back("NOVALUE");
    lines.push_back("1e-60"); // below the float range: zero, as the C library reads it
    lines.push_back("+1e39"); // a sign and beyond float: one gap, not a refused file
    const std::string path = WriteTest(dir, lines, "\n");
    KVSignal s;
    KVErrorList errors;
    ASSERT_TRUE(KVReadSignalFile(path, s, errors));
    const std::string at = "KVFileIsoMme::Load | " + path;
    EXPECT_EQ(ErrorLines(errors),
              (Lines{at + ":7: Number of samples says 4, the file holds 7 sample lines; all of them are read",
                     at + ":15: 1 NOVALUE sample(s), the first on this line, read as gaps (NaN)",
                     at + ":11: 1 NaN sample(s), the first on this line, read as gaps (NaN)",
                     at + ":12: 3 sample(s) beyond the float range (infinite), the first on this line, read as gaps (NaN)",
                     at + ": the file has no Unit line; the samples have no unit"}));
    ASSERT_EQ(s.PointCount(), 7u);
    for (size_t i : {0, 1, 2, 4, 6})
        EXPECT_TRUE(std::isnan(s.Y()[i])) << i;
    EXPECT_EQ(s.Y()[3], 2.5f);
    EXPECT_EQ(s.Y()[5], 0.0f);
}

TEST(IsoMmeReadHostile, UnitSpellingsOfOtherWritersAreUnderstood)
{
    TempDir dir;
    const std::string path = dir.Path("T0001/Channel/T0001.001");
    for (const auto& [unit, word] : {std::pair<std::string, std::string>{"m N", "NEWTON-METERS"},
                                     {"9.80665 m / s2", "G'S"},
                                     {"G", "G'S"},
                                     {"m / s2", "METERS/SEC**2"}}) {
        Lines lines = Channel();
        lines[3] = "Unit :" + unit;
        WriteTest(dir, lines);
        KVSignal s;
        KVErrorList errors;
        ASSERT_TRUE(KVReadSignalFile(path, s, errors));
        EXPECT_EQ(s.YUnits(), word);
        EXPECT_EQ(errors.ErrorCount(), 0) << ErrorLines(errors)[0];
    }
}
