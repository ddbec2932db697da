// ISO-MME tests as a whole: opening a folder, a .mme or a .zip as the list of
// its channels, writing a test, and round trips through RVF-1992.
#include "IsoMmeTest.h"
#include "IsoMmeVocabulary.h"
#include "IsoMmeWriter.h"
#include "KVFileRvf.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "KVTempFile.h"
#include "SignalTestSupport.h"
#include "ZipTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

std::string Crlf(const Lines& lines)
{
    std::string s;
    for (const std::string& l : lines)
        s += l + "\r\n";
    return s;
}

std::string ChannelText(const std::string& code, const std::string& name, const std::string& unit, float scale)
{
    Lines l = {"Channel code                :" + code, "Name of the channel         :" + name,
               "Test object number          :1",      "Pre-filter type             :2000",
               "Transducer id               :SN-4411", "Unit                        :" + unit,
               "Time of first sample        :-0.002",  "Sampling interval           :0.0005",
               "Number of samples           :6",       "Data status                 :ok",
               "Comments                    :mounted 10:15"};
    for (int i = 0; i < 6; ++i)
        l.push_back(std::to_string(scale * static_cast<float>(i * i) - 1.5f));
    return Crlf(l);
}

// The test 11391 in folder root: three channels listed, files for 001 and 002.
void WriteTest(const std::string& root)
{
    fs::create_directories(root + "/11391/CHANNEL");
    WriteText(root + "/11391/11391.MME", Crlf({"Data format edition number  :1.6", "Title                       :Pole side",
                                               "Number of test objects      :1", "Name of test object 1       :Corvale",
                                               "Velocity test object 1      :8.9", "Comments :one", "Comments :two"}));
    WriteText(root + "/11391/CHANNEL/11391.chn",
              Crlf({"Instrumentation standard    :SAEJ211, issued 1992", "Number of channels          :3",
                    "Name of channel 001         :11HEAD0000H3ACXA / Head X", "Name of channel 002         :11TIBILEUPH3MOYB",
                    "Name of channel 003         :11CHST0000H3DSXC"}));
    WriteText(root + "/11391/CHANNEL/11391.001", ChannelText("11HEAD0000H3ACXA", "Head acceleration X", "m/(s*s)", 3.25f));
    WriteText(root + "/11391/CHANNEL/11391.002", ChannelText("11TIBILEUPH3MOYP", "Tibia moment Y", "Nm", -0.5f));
}

} // namespace

TEST(IsoMmeTestLevel, FolderMmeAndZipOpenAsTheSameChannels)
{
    TempDir dir;
    WriteTest(dir.Path("src"));
    Zip(dir.Path("src/11391"), dir.Path("v11391ISO.zip"));
    const std::string chn = dir.Path("src/11391/CHANNEL/11391.chn");
    for (const std::string& path : {dir.Path("src/11391"), dir.Path("src/11391/11391.MME"), dir.Path("v11391ISO.zip")}) {
        IsoMmeTest test;
        KVErrorList errors;
        ASSERT_TRUE(test.Open(path, errors)) << path;
        EXPECT_EQ(test.TestNumber(), "11391");
        ASSERT_EQ(test.Channels().size(), 2u) << path;
        EXPECT_EQ(test.Channels()[0].code, "11HEAD0000H3ACXA");
        EXPECT_EQ(test.Channels()[0].name, "Head acceleration X");
        EXPECT_EQ(test.Channels()[1].number, 2);
        ASSERT_EQ(errors.ErrorCount(), 1);
        const std::string listPath = path.find(".zip") != std::string::npos ? dir.Path("v11391ISO.zip/11391/CHANNEL/11391.chn") : chn;
        EXPECT_EQ(errors.ErrorMessage(0), listPath + ":5: channel file 11391.003 is missing; the other channels are read");

        KVSignal s;
        KVErrorList loadErrors;
        ASSERT_TRUE(test.LoadChannel(1, s, loadErrors));
        EXPECT_EQ(s.TestTitle(), "Pole side");
        EXPECT_EQ(s.TestNumber(), "11391");
        EXPECT_EQ(s.SensorLocation(), "TL");
        EXPECT_EQ(s.OccupantType(), "H3 50M");
        EXPECT_EQ(s.YUnits(), "NEWTON-METERS");
        EXPECT_EQ(s.Status(), "AS MEASURED");
        EXPECT_EQ(s.FilterClass(), 1001); // P: raw data, not CFC 1000
        EXPECT_EQ(ErrorLines(loadErrors).size(), 1u); // the file's code differs from the list's
        // The channel's own path reads the same record through the one entry point.
        KVSignal direct;
        ASSERT_STREQ(KVReadSignalFile(test.Channels()[1].path, direct, loadErrors), "ISO-MME Channel");
        EXPECT_EQ(HeaderDifferences(direct.Header(), s.Header()), Lines{}) << path;
    }
    IsoMmeTest none;
    KVErrorList errors;
    EXPECT_FALSE(none.Open(dir.Path("src/11391/CHANNEL"), errors));
    EXPECT_EQ(ErrorLines(errors), Lines{"IsoMmeTest::Open | " + dir.Path("src/11391/CHANNEL") + ": no test file (.mme) found"});
}

TEST(IsoMmeTestLevel, WriteReadKeepsSamplesFactsAndSideLines)
{
    TempDir dir;
    WriteTest(dir.Path("src"));
    IsoMmeTest test;
    KVErrorList errors;
    ASSERT_TRUE(test.Open(dir.Path("src/11391"), errors));
    std::vector<KVSignal> read(2);
    for (size_t i = 0; i < 2; ++i)
        ASSERT_TRUE(test.LoadChannel(i, read[i], errors));
    read[0].Y()[2] = std::nanf(""); // a NOVALUE sample survives
    read[0].Y()[3] = 1.0f / 3.0f;   // needs more than 7 digits

    ASSERT_TRUE(IsoMmeWriteTest({&read[0], &read[1]}, dir.Path("out/11391"), errors)) << ErrorLines(errors).back();
    const Bytes bytes = ReadAll(dir.Path("out/11391/Channel/11391.001"));
    const std::string channel(bytes.begin(), bytes.end());
    EXPECT_EQ(channel.substr(0, 47), "Channel code                :11HEAD0000H3ACXA\r\n");
    EXPECT_NE(channel.find("Unit                        :m/(s*s)\r\n"), std::string::npos);
    EXPECT_NE(channel.find("Comments                    :mounted 10:15\r\n"), std::string::npos);
    EXPECT_NE(channel.find("\r\n-1.500000E+00\r\n"), std::string::npos);

    IsoMmeTest again;
    ASSERT_TRUE(again.Open(dir.Path("out/11391/11391.mme"), errors));
    ASSERT_EQ(again.Channels().size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        KVSignal back;
        ASSERT_TRUE(again.LoadChannel(i, back, errors));
        ASSERT_EQ(back.PointCount(), read[i].PointCount());
        for (size_t k = 0; k < back.PointCount(); ++k) {
            EXPECT_EQ(back.X()[k], read[i].X()[k]);
            EXPECT_TRUE(back.Y()[k] == read[i].Y()[k] || (std::isnan(back.Y()[k]) && std::isnan(read[i].Y()[k])));
        }
        KVHeader a = back.Header(), b = read[i].Header();
        a.Side = b.Side = {};
        a.YMax = b.YMax; // recomputed over the changed samples
        a.YMin = b.YMin;
        EXPECT_EQ(HeaderDifferences(a, b), Lines{}) << i;
        EXPECT_EQ(back.Header().Side.testLines.back(), (std::pair<std::string, std::string>("Comments", "two")));
    }
    // An existing test is never replaced; a failed write leaves nothing behind.
    EXPECT_FALSE(IsoMmeWriteTest({&read[0]}, dir.Path("out/11391"), errors));
    EXPECT_EQ(errors.Errors().back().Message(), dir.Path("out/11391") + " already exists; an existing test is never replaced");
    KVSignal uneven = MakeSignal(4, 0.0f, 1.0f, [](size_t i) { return float(i); });
    uneven.X()[3] = 7.0f;
    uneven.SetDel(KV_NO_VALUE);
    uneven.SetXUnits("SECONDS");
    EXPECT_FALSE(IsoMmeWriteTest({&read[0], &uneven}, dir.Path("out/T2"), errors));
    EXPECT_EQ(errors.Errors().back().Message(), "channel 002: no constant time step; an ISO-MME channel needs one");
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.Path("out")))
        ++entries;
    EXPECT_EQ(entries, 1u);
}

TEST(IsoMmeTestLevel, CodesAreBuiltFromTheRecordWithQuestionMarks)
{
    KVSignal s = MakeSignal(3, 0.0f, 0.001f, [](size_t i) { return float(i); });
    s.SetVehicleNumber(1);
    s.SetSensorLocation("HD");
    s.SetOccupantType("H3 50M");
    s.SetYType("ACCELERATION");
    s.SetAxis("Z");
    s.SetFilterClass(180);
    s.SetCutOffFrequency(300.0f);
    EXPECT_EQ(IsoMmeCodeOf(s), "1?HEAD????H3ACZC");
    // The writer's defaults fill what the header cannot tell, never what it does.
    EXPECT_EQ(IsoMmeCodeOf(s, {'S', '3'}), "13HEAD????H3ACZC");
    s.SetVehicleNumber(0);
    EXPECT_EQ(IsoMmeCodeOf(s, {'S', '3'}), "S3HEAD????H3ACZC");
    s.SetVehicleNumber(1);
    s.SetSensorLocation("WINDOW");
    s.SetCutOffFrequency(0.0f);
    s.SetPreFilterFrequency(0.0f);
    EXPECT_EQ(IsoMmeCodeOf(s), "1???????????ACZ0");
    // A read code is kept where the record agrees, and mended where it does not.
    s.SetSensorAttachment("11TIBILEUPH3MOY1");
    s.SetSensorLocation("TL");
    s.SetYType("MOMENT");
    s.SetAxis("Y");
    s.SetFilterClass(1003);
    EXPECT_EQ(IsoMmeCodeOf(s), "11TIBILEUPH3MOY1");
    EXPECT_EQ(IsoMmeCodeOf(s, {'2', '3'}), "11TIBILEUPH3MOY1");
    s.SetFilterClass(600);
    s.SetCutOffFrequency(1000.0f);
    s.SetYType("FORCE");
    EXPECT_EQ(IsoMmeCodeOf(s), "11TIBILEUPH3FOYB");
    // Belts by their ISO/TS 13499 position (B3 the upper diagonal, B6 the lap
    // belt's outboard part), and the older UP/LO spelling kept as read.
    s.SetSensorAttachment("");
    s.SetSensorLocation("SB");
    s.SetAxis("");
    EXPECT_EQ(IsoMmeCodeOf(s).substr(2, 10), "SEBE0000B3");
    s.SetSensorAttachment("11SEBE0000B6FO0B");
    s.SetSensorLocation("LB");
    EXPECT_EQ(IsoMmeCodeOf(s), "11SEBE0000B6FO0B");
    s.SetSensorAttachment("11SEBEUP0000FO0B");
    s.SetSensorLocation("SB");
    EXPECT_EQ(IsoMmeCodeOf(s), "11SEBEUP0000FO0B");
    EXPECT_EQ(IsoLocationToRecord("SEBE", "00", "B3"), "SB");
}

TEST(IsoMmeTestLevel, RvfIsoRvfKeepsTheRecordButWhatIsoCannotHold)
{
    TempDir dir;
    KVSignal s = MakeSignal(50, -0.01f, 0.0005f, [](size_t i) { return std::sin(float(i)) * 1234.5678f; });
    s.SetXUnits("SECONDS");
    s.SetDel(0.0005f);
    s.SetNfp(-20);
    s.SetNlp(29);
    s.SetTestNumber("4711");
    s.SetTestReference("REF-9");
    s.SetTestTitle("FRONTAL 56 KM/H");
    s.SetTestSource("LAB A");
    s.SetVehicleNumber(2);
    s.SetVehicleModel("CORVALE");
    s.SetClosingSpeed(56.3f);
    s.SetInitialVelocity(56.3f);
    s.SetCurveNumber(1);
    s.SetCurveText("NECK FORCE Z");
    s.SetSensorLocation("NK");
    s.SetAxis("Z");
    s.SetYType("FORCE");
    s.SetSensorType("FORCE");
    s.SetYUnits("NEWTONS");
    s.SetStatus("FILTERED");
    s.SetPreFilterFrequency(1650.0f);
    s.SetCutOffFrequency(1000.0f);
    s.SetGaugeNumber(77);
    s.SetTestConfig("FRB");
    s.SetOccupantSex("M");
    s.SetBandNumber(6);
    ASSERT_TRUE(SaveSignalAsRvf(s, dir.Path("a.rvf")));
    KVSignal rvf;
    KVErrorList errors;
    ASSERT_TRUE(KVReadSignalFile(dir.Path("a.rvf"), rvf, errors));
    ASSERT_TRUE(IsoMmeWriteTest({&rvf}, dir.Path("4711"), errors));
    KVSignal iso;
    ASSERT_STREQ(KVReadSignalFile(dir.Path("4711/Channel/4711.001"), iso, errors), "ISO-MME Channel") << ErrorLines(errors).back();
    ASSERT_TRUE(SaveSignalAsRvf(iso, dir.Path("b.rvf")));
    KVSignal back;
    ASSERT_TRUE(KVReadSignalFile(dir.Path("b.rvf"), back, errors));
    ASSERT_EQ(back.PointCount(), rvf.PointCount());
    for (size_t k = 0; k < back.PointCount(); ++k)
        ASSERT_EQ(back.Y()[k], rvf.Y()[k]) << k;
    // The fields ISO-MME has no place for (the README lists them) come back as
    // an RVF-1992 file without them reads.
    KVSignal plain = s;
    const KVHeader defaults;
    plain.SetTestConfig(defaults.TestConfig);
    plain.SetOccupantSex(defaults.OccupantSex);
    plain.SetBandNumber(defaults.BandNumber);
    plain.SetSensorAttachment("2?NECK??????FOZB"); // the code, where there was free text
    ASSERT_TRUE(SaveSignalAsRvf(plain, dir.Path("p.rvf")));
    KVSignal expectedSignal;
    ASSERT_TRUE(KVReadSignalFile(dir.Path("p.rvf"), expectedSignal, errors));
    const KVHeader& expected = expectedSignal.Header();
    EXPECT_EQ(HeaderDifferences(back.Header(), expected), Lines{});
}

TEST(IsoMmeTestLevel, CodePatternsMatchWholeCodesCaseBlind)
{
    const std::string code = "11HEAD0000H3ACXA";
    for (const char* yes : {"11HEAD0000H3ACXA", "11head*", "*", "??HEAD*AC?A", "*AC*A", "1*1*X*", "11HEAD0000H3ACXA*"})
        EXPECT_TRUE(IsoMmeCodeMatches(yes, code)) << yes;
    for (const char* no : {"11HEAD", "", "?1HEAD0000H3ACX", "*B", "12*", "11HEAD0000H3ACXA?", "*AC*B*"})
        EXPECT_FALSE(IsoMmeCodeMatches(no, code)) << no;
    // A "?" of the code (an unknown part) is one character like any other.
    EXPECT_TRUE(IsoMmeCodeMatches("1?HEAD*", "1?HEAD????H3ACZC"));
    EXPECT_TRUE(IsoMmeCodeMatches("11HEAD????H3ACZC", "11HEAD????H3ACZC"));
}

// A record in milliseconds is written in seconds: the same channel file, byte
// for byte, as the record in seconds; it reads back with its step and first
// time in seconds.
TEST(IsoMmeTestLevel, MillisecondsAreWrittenAsSeconds)
{
    TempDir dir;
    KVSignal ms = UniformSignal(-20, 29, 0.1f, [](double t) { return std::sin(t); });
    ms.SetXUnits("MILLISECONDS");
    // Its twin in seconds holds the times a reader of the written file computes.
    KVSignal s = UniformSignal(-20, 29, 0.0001f, [](double) { return 0.0; });
    for (size_t k = 0; k < s.PointCount(); ++k) {
        s.X()[k] = static_cast<float>(-0.002 + double(k) * 0.0001);
        s.Y()[k] = ms.Y()[k];
    }
    s.UpdateExtremes();
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest({&ms}, dir.Path("ms/7"), errors));
    ASSERT_TRUE(IsoMmeWriteTest({&s}, dir.Path("s/7"), errors));
    const std::string text = ReadText(dir.Path("s/7/Channel/7.001"));
    EXPECT_EQ(ReadText(dir.Path("ms/7/Channel/7.001")), text);
    EXPECT_NE(text.find("Sampling interval           :0.0001\r\n"), std::string::npos);
    EXPECT_NE(text.find("Time of first sample        :-0.002\r\n"), std::string::npos);
    KVSignal back;
    ASSERT_TRUE(KVReadSignalFile(dir.Path("ms/7/Channel/7.001"), back, errors));
    EXPECT_EQ(back.XUnits(), "SECONDS");
    EXPECT_EQ(back.Del(), 0.0001f);
    EXPECT_EQ(back.Nfp(), -20);
    EXPECT_EQ(back.X()[0], -0.002f);
}

// A record's unit "G" (as text files and hand-made headers write it) used to
// go out as "Unit :G", which no reader knows.
TEST(IsoMmeTestLevel, ARecordInGIsWrittenInG)
{
    TempDir dir;
    KVSignal s = UniformSignal(0, 9, 0.001f, [](double t) { return t; });
    s.SetYUnits("G");
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest({&s}, dir.Path("8"), errors));
    EXPECT_NE(ReadText(dir.Path("8/Channel/8.001")).find("Unit                        :g\r\n"), std::string::npos);
    KVSignal back;
    KVErrorList readErrors;
    ASSERT_TRUE(KVReadSignalFile(dir.Path("8/Channel/8.001"), back, readErrors));
    EXPECT_EQ(back.YUnits(), "G'S");
    EXPECT_EQ(readErrors.ErrorCount(), 0);
}

// The channel class goes out as the "Channel frequency class" line and the
// code's last letter, and comes back from either; of equal extremes the
// header names the first.
TEST(IsoMmeTestLevel, ChannelClassAndExtremesInTheChannelHeader)
{
    struct Case {
        int cfc;
        char letter;
        const char* line;
    };
    const Case cases[] = {{60, 'D', "60"}, {180, 'C', "180"}, {600, 'B', "600"}, {1000, 'A', "1000"},
                          {1001, '0', "NOVALUE"}};
    std::vector<KVSignal> signals;
    for (const Case& c : cases) {
        const float y[] = {0, 5, 1, 5, -2, 3, -2};
        KVSignal s = MakeSignal(7, 0.0f, 0.001f, [&](size_t i) { return y[i]; });
        s.SetXUnits("SECONDS");
        s.SetDel(0.001f);
        s.SetFilterClass(c.cfc);
        s.SetCutOffFrequency(c.cfc == 1001 ? 0.0f : float(c.cfc) * 5.0f / 3.0f);
        s.SetPreFilterFrequency(0.0f);
        signals.push_back(s);
    }
    TempDir dir;
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest({&signals[0], &signals[1], &signals[2], &signals[3], &signals[4]}, dir.Path("9"), errors));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.cfc);
        const std::string path = dir.Path("9/Channel/9.00" + std::to_string(i + 1));
        std::string text = ReadText(path);
        EXPECT_NE(text.find("Channel frequency class     :" + std::string(c.line) + "\r\n"), std::string::npos);
        EXPECT_EQ(text[29 + 15], c.letter) << text.substr(0, 47);
        EXPECT_NE(text.find("Time of maximum value       :0.001\r\n"), std::string::npos);
        EXPECT_NE(text.find("Time of minimum value       :0.004\r\n"), std::string::npos);
        // The class from the letter, then from the line alone (the letter unknown).
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                text[29 + 15] = '?';
                WriteText(path, text);
            }
            KVSignal back;
            ASSERT_TRUE(KVReadSignalFile(path, back, errors));
            EXPECT_EQ(back.FilterClass(), c.cfc) << pass;
            EXPECT_EQ(back.Status(), c.cfc == 1001 ? "AS MEASURED" : "FILTERED") << pass;
        }
    }
}

// A channel list that names a code twice, or three times, opens with one
// warning for it.
TEST(IsoMmeTestLevel, ARepeatedCodeIsReported)
{
    KVSignal s = MakeSignal(4, 0.0f, 0.001f, [](size_t i) { return float(i); });
    s.SetXUnits("SECONDS");
    s.SetDel(0.001f);
    s.SetSensorAttachment("11HEAD0000H3ACXA");
    KVSignal other = s;
    other.SetSensorAttachment("11HEAD0000H3ACYA");
    ASSERT_NE(IsoMmeCodeOf(s), IsoMmeCodeOf(other));
    TempDir dir;
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest({&s, &other, &s, &s, &other}, dir.Path("5"), errors));
    IsoMmeTest test;
    ASSERT_TRUE(test.Open(dir.Path("5"), errors));
    EXPECT_EQ(test.Channels().size(), 5u);
    const std::string list = "IsoMmeTest::Open | " + dir.Path("5/Channel/5.chn") + ": the code ";
    EXPECT_EQ(ErrorLines(errors), (Lines{list + IsoMmeCodeOf(s) + " is used by more than one channel; all are kept",
                                         list + IsoMmeCodeOf(other) + " is used by more than one channel; all are kept"}));
}

TEST(IsoMmeTestLevelHostile, TheTestFileIsReadOnceAndSharedByItsChannels)
{
    // Regression: a 200,000-line test file was parsed and copied into every
    // channel read from it.
    TempDir dir;
    WriteTest(dir.Path("src"));
    const std::string mme = dir.Path("src/11391/11391.MME");
    IsoMmeTest test;
    KVErrorList errors;
    ASSERT_TRUE(test.Open(dir.Path("src/11391"), errors));
    KVSignal a, b, c, d;
    ASSERT_TRUE(test.LoadChannel(0, a, errors) && test.LoadChannel(1, b, errors));
    EXPECT_EQ(&a.Header().Side.testLines.Get(), &b.Header().Side.testLines.Get());
    // Channel files read one by one share one reading while the test file stays.
    ASSERT_TRUE(KVReadSignalFile(test.Channels()[0].path, c, errors) && KVReadSignalFile(test.Channels()[1].path, d, errors));
    EXPECT_EQ(&c.Header().Side.testLines.Get(), &d.Header().Side.testLines.Get());
    EXPECT_EQ(c.Header().Side.testLines, a.Header().Side.testLines);
    WriteText(mme, "Title :Changed\r\n");
    ASSERT_TRUE(KVReadSignalFile(test.Channels()[0].path, c, errors));
    EXPECT_EQ(c.TestTitle(), "Changed");
}

namespace {

// A signal in seconds, n samples of step del from 0.
KVSignal SecondsSignal(size_t n, float del)
{
    KVSignal s = MakeSignal(n, 0.0f, del, [](size_t i) { return float(i % 7); });
    s.SetDel(del);
    s.SetXUnits("SECONDS");
    return s;
}

size_t EntriesIn(const std::string& folder)
{
    size_t n = 0;
    std::error_code ec;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder, ec))
        ++n;
    return n;
}

} // namespace

TEST(IsoMmeTestLevelHostile, WrittenTextFieldsStayOnTheirLine)
{
    TempDir dir;
    // Regression: a line break in a text field wrote a second Sampling
    // interval, which read back as the step (0.5 s instead of 0.1 ms).
    KVSignal s = MakeSignal(5, 0.0f, 0.1f, [](size_t i) { return float(i); });
    s.SetDel(0.1f);
    s.SetXUnits("MILLISECONDS");
    s.SetCurveText("Head\r\nSampling interval :0.5");
    s.SetTestTitle("Sled\ntest\x01");
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest({&s}, dir.Path("T1"), errors)) << ErrorLines(errors).back();
    const std::string channel = ReadText(dir.Path("T1/Channel/T1.001"));
    EXPECT_NE(channel.find("Name of the channel         :Head  Sampling interval :0.5\r\n"), std::string::npos);
    EXPECT_NE(ReadText(dir.Path("T1/T1.mme")).find("Title                       :Sled test \r\n"), std::string::npos);
    IsoMmeTest test;
    KVSignal back;
    ASSERT_TRUE(test.Open(dir.Path("T1"), errors) && test.LoadChannel(0, back, errors));
    EXPECT_EQ(back.Del(), 0.0001f);
    EXPECT_EQ(back.X()[4], float(4 * 0.0001));
}

TEST(IsoMmeTestLevelHostile, AFailedWriteLeavesNoFolderAndTestsFollowTheUmask)
{
    TempDir dir;
    KVSignal good = SecondsSignal(10, 0.001f);
    KVSignal infinite = SecondsSignal(10, 0.001f);
    infinite.Y()[6] = INFINITY;
    KVErrorList errors;
    // Regression: the writer wrote "inf", which no reader takes; the parent
    // folders it had made stayed behind a failed write.
    EXPECT_FALSE(IsoMmeWriteTest({&good, &infinite}, dir.Path("new/deeper/T2"), errors));
    EXPECT_EQ(errors.Errors().back().Message(),
              "channel 002: sample 7 of 10 is infinite, which an ISO-MME channel file cannot hold");
    EXPECT_FALSE(fs::exists(dir.Path("new")));
    // Regression: test folders were made 0700 whatever the umask.
    ASSERT_TRUE(IsoMmeWriteTest({&good}, dir.Path("made/T3"), errors));
    struct stat info {};
    ASSERT_EQ(::stat(dir.Path("made/T3").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0777 & ~KVProcessUmask());
    EXPECT_EQ(EntriesIn(dir.Path("made")), 1u);
}

TEST(IsoMmeTestLevelHostile, AnInterruptedWriteLeavesNoPartialFolder)
{
    // Regression: Ctrl-C or SIGTERM during a write left .T.partial-XXXXXX.
    TempDir dir;
    std::vector<KVSignal> signals(999, SecondsSignal(3000, 0.0001f));
    std::vector<const KVSignal*> all;
    for (const KVSignal& s : signals)
        all.push_back(&s);
    for (int sig : {SIGINT, SIGTERM}) {
        const std::string out = dir.Path("out" + std::to_string(sig));
        fs::create_directories(out);
        const pid_t child = ::fork();
        if (child == 0) {
            KVErrorList errors;
            IsoMmeWriteTest(all, out + "/T4", errors);
            std::_Exit(0);
        }
        // Interrupted once the partial folder holds files.
        for (int wait = 0; wait < 20000 && EntriesIn(out) == 0; ++wait)
            ::usleep(100);
        for (int wait = 0; wait < 20000; ++wait) {
            bool begun = false;
            for (const auto& e : fs::directory_iterator(out))
                begun = begun || EntriesIn(e.path().string() + "/Channel") > 2;
            if (begun)
                break;
            ::usleep(100);
        }
        ::kill(child, sig);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the write ended before the signal came";
        EXPECT_EQ(EntriesIn(out), 0u) << sig;
    }
}
