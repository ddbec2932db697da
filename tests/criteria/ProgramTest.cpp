#include "CriteriaTestSignals.h"
#include "CriterionProgram.h"
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVFileRvf.h"
#include "SupportFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

using namespace Criteria;
namespace fs = std::filesystem;

namespace {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
                / ("criteria-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Save(const std::string& name, KVSignal s, const char* axis)
    {
        s.SetAxis(axis);
        s.SetXType("TIME");
        s.SetDel(0.0001f);
        s.SetNfp(0);
        s.SetNlp(static_cast<int>(s.PointCount()) - 1);
        s.SetCutOffFrequency(1000);
        const std::string path = (m_dir / name).string();
        EXPECT_TRUE(SaveSignalAsRvf(s, path));
        return path;
    }

    int Run(const char* program, const std::vector<std::string>& args)
    {
        m_out.str("");
        m_err.str("");
        return RunTextProgram(*FindCriterion(program), args, m_out, m_err);
    }

    fs::path m_dir;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

KVSignal Neck(double peak, const char* units)
{
    return MakeSignal(301, 0, 0.0001,
                      [=](double t) { return peak * std::sin(std::numbers::pi * t / 0.03); }, units);
}

TEST_F(ProgramTest, NijFromThreeFilesInNewtonsAndPoundFeet)
{
    // Pure tension at 99 % of the intercept; the moment file in pound-feet converts to zero.
    const std::string fx = Save("fx.rvf", Neck(0, "NEWTONS"), "X");
    const std::string my = Save("my.rvf", Neck(0, "POUND-FEET"), "Y");
    const std::string fz = Save("fz.rvf", Neck(0.99 * 6806 / 4.4482216152605, "POUNDS"), "Z");
    ASSERT_EQ(Run("nij", {"--text", fx, my, fz}), PROGRAM_OK) << m_err.str();
    EXPECT_NE(m_out.str().find("Nij: 0.990 (NTF); at 0.01500 s; limit 1; pass"), std::string::npos) << m_out.str();
    ASSERT_EQ(Run("nij", {"--text", "--dummy", "h3-5f", fx, my, fz}), PROGRAM_OK);
    EXPECT_NE(m_out.str().find("Nij: 1.572 (NTF)"), std::string::npos) << m_out.str();
    EXPECT_NE(m_out.str().find("result: FAIL"), std::string::npos);
}

TEST_F(ProgramTest, UsageProblemsExitTwo)
{
    const std::string one = Save("a.rvf", Neck(10, "G'S"), "X");
    const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
        {"hic", {"--text"}},
        {"hic", {"--text", one, one}},
        {"nij", {"--text", one}},
        {"vc", {"--text", one, one, one}},
        {"tibia", {"--text", "--dummy"}},
        {"hic", {"--text", "--dummy", "crash-dummy", one}},
        {"clip3ms", {"--txt", one}},
    };
    for (const auto& [program, args] : cases) {
        EXPECT_EQ(Run(program, args), PROGRAM_USAGE) << program << " " << args.size();
        EXPECT_NE(m_err.str().find("--help"), std::string::npos);
        EXPECT_TRUE(m_out.str().empty());
    }
    EXPECT_EQ(Run("tibia", {"--help"}), PROGRAM_OK);
    EXPECT_NE(m_out.str().find("FILE_Mx FILE_My FILE_Fz"), std::string::npos);
    EXPECT_EQ(Run("bric", {"--help"}), PROGRAM_OK);
    EXPECT_NE(m_out.str().find("FILE_wz: angular velocity, converted to rad/s from RADIANS/SEC"), std::string::npos);
    EXPECT_NE(m_out.str().find("66.25, 56.45, 42.87 rad/s"), std::string::npos);
}

TEST_F(ProgramTest, OptionsKeepTheirMessagesAndTakeBothValueForms)
{
    const CriterionDef& hic = DefOf(CriterionId::Hic);
    const CriterionDef& olc = DefOf(CriterionId::Olc);
    ProgramArgs parsed;
    EXPECT_EQ(ParseProgramArgs(olc, {"--v0"}, parsed), "--v0 needs a velocity in m/s");
    EXPECT_EQ(ParseProgramArgs(olc, {"--v0=-3", "a.rvf"}, parsed), "--v0 needs a positive velocity in m/s, not '-3'");
    EXPECT_EQ(ParseProgramArgs(hic, {"--v0", "3", "a.rvf"}, parsed), "unknown option --v0");
    EXPECT_EQ(ParseProgramArgs(hic, {"a.rvf", "--dummy"}, parsed), "--dummy needs a dummy name");
    EXPECT_EQ(ParseProgramArgs(hic, {"--position", "13", "t.mme"}, parsed),
              "--position needs one seat character (1 the driver, 3 the front passenger)");
    EXPECT_EQ(ParseProgramArgs(hic, {"--json", "a.rvf", "--text"}, parsed), "--text and --json exclude each other");

    // A negative number is a value, the last of a repeated option counts,
    // and options may follow the files.
    ASSERT_EQ(ParseProgramArgs(olc, {"a.rvf", "--dummy=h3-5f", "--v0", "30", "--dummy", "h3-50m", "--json"}, parsed), "");
    EXPECT_EQ(parsed.paths, std::vector<std::string>{"a.rvf"});
    EXPECT_EQ(parsed.dummy, FindDummy("h3-50m"));
    EXPECT_EQ(parsed.options.v0, 30.0);
    EXPECT_TRUE(parsed.json);
    ASSERT_EQ(ParseProgramArgs(hic, {"--time-unit=s", "x.txt", "y.txt", "z.txt"}, parsed), "");
    EXPECT_EQ(parsed.timeUnit, KVTimeUnit::Seconds);
    EXPECT_EQ(parsed.paths.size(), 3u);
}

TEST_F(ProgramTest, UnusableInputsExitOneWithAMessage)
{
    const std::string accel = Save("a.rvf", Neck(10, "G'S"), "X");
    ASSERT_EQ(Run("neck208", {"--text", accel}), PROGRAM_FAILED);
    EXPECT_NE(m_err.str().find("Y units \"G'S\" are not units of force"), std::string::npos) << m_err.str();

    ASSERT_EQ(Run("vc", {"--text", (m_dir / "missing.rvf").string()}), PROGRAM_FAILED);
    EXPECT_NE(m_err.str().find("missing.rvf"), std::string::npos) << m_err.str();

    std::ofstream(m_dir / "junk.rvf") << "RVF-1992 but cut short";
    ASSERT_EQ(Run("hic", {"--text", (m_dir / "junk.rvf").string()}), PROGRAM_FAILED);
    EXPECT_FALSE(m_err.str().empty());

    KVSignal shortPulse = MakeSignal(20, 0, 0.0001, [](double) { return 5.0; }, "G'S");
    const std::string brief = Save("short.rvf", shortPulse, "X");
    ASSERT_EQ(Run("clip3ms", {"--text", brief}), PROGRAM_FAILED);
    EXPECT_NE(m_err.str().find("the 3 ms clip needs 3 ms"), std::string::npos) << m_err.str();
    EXPECT_TRUE(m_out.str().empty());
}

TEST_F(ProgramTest, HicOfAHeaderlessTextFileInMilliseconds)
{
    // A text file carries no units: time in milliseconds, acceleration taken as g.
    std::ofstream out(m_dir / "pulse.txt");
    out << "time;accel\n";
    for (int i = 0; i <= 100; ++i)
        out << i * 0.1 << ";" << 100 * std::sin(std::numbers::pi * i / 100.0) << "\n";
    out.close();
    ASSERT_EQ(Run("hic", {"--text", (m_dir / "pulse.txt").string()}), PROGRAM_OK) << m_err.str();
    EXPECT_NE(m_out.str().find("HIC15: 414."), std::string::npos) << m_out.str();
    EXPECT_NE(m_out.str().find("no Y units in the header, taken as g"), std::string::npos);
    EXPECT_NE(m_out.str().find("filter unknown"), std::string::npos);
}

TEST_F(ProgramTest, JsonCarriesEveryResultInFullPrecision)
{
    // The library prints the shortest text that reads back to the same double.
    for (double v : {0.1, 1.0 / 3, 414.59999999999997, 1e-300, 6.02214076e23})
        EXPECT_EQ(nlohmann::json::parse(nlohmann::json(v).dump()).get<double>(), v);

    const auto pulse = [](double peak) {
        return MakeSignal(301, 0, 0.0001, [=](double t) { return peak * std::sin(std::numbers::pi * t / 0.03); },
                          "G'S");
    };
    KVSignal latin1 = pulse(0);
    latin1.SetCurveText("KOPF Z \xC4"); // a Latin-1 byte must not end the output
    const std::vector<std::string> files = {Save("x.rvf", pulse(60), "X"), Save("y.rvf", pulse(80), "Y"),
                                            Save("z.rvf", latin1, "Z")};
    std::vector<std::string> args = {"--json"};
    args.insert(args.end(), files.begin(), files.end());
    ASSERT_EQ(Run("hic", args), PROGRAM_OK) << m_err.str();
    const nlohmann::json j = nlohmann::json::parse(m_out.str());
    EXPECT_EQ(j["program"], "hic");
    EXPECT_EQ(j["dummy"], "h3-50m");
    ASSERT_EQ(j["inputs"].size(), 3u);
    EXPECT_EQ(j["inputs"][1]["file"], files[1]);
    EXPECT_EQ(j["inputs"][1]["units"], "G'S");
    EXPECT_EQ(j["inputs"][1]["filter_class"], 600); // a 1000 Hz cut-off
    EXPECT_EQ(j["inputs"][2]["description"], "KOPF Z \xEF\xBF\xBD");
    ASSERT_EQ(j["warnings"].size(), 3u);
    EXPECT_NE(j["warnings"][2].get<std::string>().find("z.rvf: CFC 600, but HIC is defined on CFC 1000"),
              std::string::npos);
    EXPECT_EQ(j["pass"], false);

    ProgramArgs parsed;
    ASSERT_TRUE(ParseProgramArgs(DefOf(CriterionId::Hic), args, parsed).empty());
    std::vector<Channel> inputs;
    Outcome direct;
    KVErrorList errors;
    ASSERT_TRUE(LoadAndEvaluate(DefOf(CriterionId::Hic), parsed, inputs, direct, errors));
    ASSERT_EQ(j["results"].size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        const nlohmann::json& r = j["results"][k];
        EXPECT_EQ(r["name"], k == 0 ? "HIC15" : "HIC36");
        EXPECT_EQ(r["value"].get<double>(), direct.values[k].value);
        EXPECT_EQ(r["t1"].get<double>(), direct.values[k].t1);
        EXPECT_EQ(r["t2"].get<double>(), direct.values[k].t2);
        EXPECT_EQ(r["limit"], k == 0 ? 700 : 1000);
        EXPECT_EQ(r["pass"], false);
    }
}

TEST_F(ProgramTest, ClipReportsBothDefinitionsAndJudgesTheChosenOne)
{
    // 50 g for 20 ms with two 2 ms spikes to 70 g: continuous 50 g, cumulative 70 g.
    const auto plateau = [](double t) {
        const bool spike = (t > 0.00395 && t < 0.00605) || (t > 0.01195 && t < 0.01405);
        return spike ? 70.0 : 50.0;
    };
    const std::string file = Save("chest.rvf", MakeSignal(201, 0, 0.0001, plateau, "G'S"), "X");
    ASSERT_EQ(Run("clip3ms", {"--text", file}), PROGRAM_OK) << m_err.str();
    EXPECT_NE(m_out.str().find("3ms clip: 50.00 g; t1 "), std::string::npos) << m_out.str();
    EXPECT_NE(m_out.str().find("3ms clip cumulative: 70.00 g (2 intervals, not judged); t1 0.00400 s, t2 0.01400 s\n"),
              std::string::npos);
    EXPECT_NE(m_out.str().find("result: pass"), std::string::npos);

    ASSERT_EQ(Run("clip3ms", {"--json", "--cumulative", file}), PROGRAM_OK) << m_err.str();
    const nlohmann::json j = nlohmann::json::parse(m_out.str());
    EXPECT_EQ(j["results"][0]["name"], "clip3ms");
    EXPECT_FALSE(j["results"][0].contains("limit"));
    EXPECT_EQ(j["results"][1]["name"], "clip3ms_cumulative");
    EXPECT_EQ(j["results"][1]["value"], 70.0);
    EXPECT_EQ(j["results"][1]["pass"], false);
    EXPECT_EQ(j["results"][1]["intervals"].size(), 2u);
    EXPECT_EQ(j["pass"], false);
    EXPECT_EQ(Run("hic", {"--cumulative", file}), PROGRAM_USAGE);
}

TEST_F(ProgramTest, ChannelsOfDifferentSpansAreWarnedAboutOrRefused)
{
    // A Z channel of 40 ms beside X and Y of 100 ms: combined over 40 ms with a
    // warning; once that gave HIC 0.0 and "pass" without a word.
    const auto sine = [](double t) { return 100 * std::sin(std::numbers::pi * t / 0.1); };
    const std::string x = Save("x.rvf", MakeSignal(1001, 0, 0.0001, sine, "G'S"), "X");
    const std::string y = Save("y.rvf", MakeSignal(1001, 0, 0.0001, sine, "G'S"), "Y");
    const std::string z = Save("z.rvf", MakeSignal(401, 0, 0.0001, sine, "G'S"), "Z");
    ASSERT_EQ(Run("hic", {"--text", x, y, z}), PROGRAM_OK) << m_err.str();
    EXPECT_NE(m_out.str().find("warning: the channels cover different time spans (" + x + " 0 to 100 ms, " + y
                               + " 0 to 100 ms, " + z + " 0 to 40 ms)"),
              std::string::npos)
        << m_out.str();
    const std::string brief = Save("brief.rvf", MakeSignal(101, 0, 0.0001, sine, "G'S"), "Z");
    EXPECT_EQ(Run("hic", {"--text", x, y, brief}), PROGRAM_FAILED);
    EXPECT_NE(m_err.str().find("shorter than the 15 ms the criterion needs"), std::string::npos) << m_err.str();
}

TEST_F(ProgramTest, OlcTakesTheInitialVelocityFromTheOptionOrTheHeader)
{
    // 20 g constant deceleration: OLC = 20 g * 60 / 47 while the vehicle still moves.
    KVSignal pulse = MakeSignal(2001, 0, 0.0001, [](double) { return -20.0; }, "G'S");
    const std::string bare = Save("bare.rvf", pulse, "X");
    EXPECT_EQ(Run("olc", {"--text", bare}), PROGRAM_FAILED);
    EXPECT_NE(m_err.str().find("no initial velocity"), std::string::npos) << m_err.str();
    ASSERT_EQ(Run("olc", {"--text", "--v0", "30", bare}), PROGRAM_OK) << m_err.str();
    EXPECT_NE(m_out.str().find("OLC: 25.53 g (v0 30 m/s (108 km/h) from --v0)"), std::string::npos) << m_out.str();
    EXPECT_NE(m_out.str().find("result: no limit"), std::string::npos);
    pulse.SetInitialVelocity(108); // km/h
    const std::string known = Save("known.rvf", pulse, "X");
    ASSERT_EQ(Run("olc", {"--json", known}), PROGRAM_OK) << m_err.str();
    const nlohmann::json j = nlohmann::json::parse(m_out.str());
    EXPECT_NEAR(j["results"][0]["value"].get<double>(), 20.0 * 60 / 47, 1e-3);
    EXPECT_TRUE(j["pass"].is_null());
    EXPECT_FALSE(j["results"][0].contains("limit"));
    EXPECT_EQ(Run("olc", {"--text", "--v0", "-3", known}), PROGRAM_USAGE);
}

TEST_F(ProgramTest, BricReadsDegreesPerSecondAndNeedsCriticalValues)
{
    const auto rate = [](double peak) {
        return MakeSignal(101, 0, 0.0001, [=](double t) { return peak * std::sin(std::numbers::pi * t / 0.01); },
                          "DEGREES/SEC");
    };
    // 66.25 rad/s about X alone is the critical value: BrIC 1.
    const std::vector<std::string> files = {Save("wx.rvf", rate(66.25 * 180 / std::numbers::pi), "X"),
                                            Save("wy.rvf", rate(0), "Y"), Save("wz.rvf", rate(0), "Z")};
    ASSERT_EQ(Run("bric", {"--json", files[0], files[1], files[2]}), PROGRAM_OK) << m_err.str();
    const nlohmann::json j = nlohmann::json::parse(m_out.str());
    EXPECT_EQ(j["results"][3]["name"], "BrIC");
    EXPECT_NEAR(j["results"][3]["value"].get<double>(), 1.0, 1e-6);
    EXPECT_EQ(Run("bric", {"--text", "--dummy", "h3-5f", files[0], files[1], files[2]}), PROGRAM_FAILED);
    EXPECT_NE(m_err.str().find("no BrIC constants for the Hybrid III 5th female, in position; choose one of: h3-50m"),
              std::string::npos)
        << m_err.str();
}

} // namespace

TEST_F(ProgramTest, TextFilesInSecondsWithTheTimeUnitSwitch)
{
    // Regression: a text file timed in seconds was read in milliseconds without
    // a word and gave HIC15 0.5 for an 80 g, 20 ms half-sine.
    const std::string path = (m_dir / "hs.txt").string();
    {
        std::ofstream f(path);
        f << "time;accel\n";
        char line[64];
        for (int i = 0; i <= 300; ++i) {
            const double t = i * 0.0001;
            std::snprintf(line, sizeof line, "%.4f;%.6f\n", t,
                          t < 0.02 ? 80 * std::sin(std::numbers::pi * t / 0.02) : 0.0);
            f << line;
        }
    }
    ASSERT_EQ(Run("hic", {"--text", path}), PROGRAM_OK) << m_err.str();
    EXPECT_NE(m_out.str().find("below 1 us for measured data; if the time column is in seconds, use --time-unit s"),
              std::string::npos) << m_out.str();
    ASSERT_EQ(Run("hic", {"--text", "--time-unit", "s", path}), PROGRAM_OK) << m_err.str();
    EXPECT_NE(m_out.str().find("HIC15: 474.7"), std::string::npos) << m_out.str();
    EXPECT_EQ(m_out.str().find("WARNING"), std::string::npos);
    EXPECT_EQ(Run("hic", {"--text", "--time-unit=hours", path}), PROGRAM_USAGE);
}

// A stream buffer that refuses every byte, as a full disk or a closed pipe does.
struct FullDisk : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
};

TEST_F(ProgramTest, NamesStayOnOneLineAndALostResultFails)
{
    // Regression: a line break in a file name forged a result line.
    const std::string forged = Save("a.rvf\nHIC15: 1.0; limit 1000; pass", Neck(60, "G'S"), "X");
    ASSERT_EQ(Run("hic", {"--text", forged}), PROGRAM_OK) << m_err.str();
    EXPECT_EQ(m_out.str().find("\nHIC15: 1.0;"), std::string::npos) << m_out.str();
    EXPECT_NE(m_out.str().find("$'\\n'"), std::string::npos) << m_out.str();
    ASSERT_EQ(Run("hic", {"--text", forged + "\x1b[2J"}), PROGRAM_FAILED);
    EXPECT_EQ(m_err.str().find('\x1b'), std::string::npos) << m_err.str();

    // Regression: a result that could not be written still exited 0.
    FullDisk full;
    std::ostream out(&full);
    std::ostringstream err;
    EXPECT_EQ(RunTextProgram(*FindCriterion("hic"), {"--text", forged}, out, err), PROGRAM_FAILED);
    EXPECT_EQ(err.str(), "hic: writing to standard output failed\n");
    EXPECT_EQ(RunTextProgram(*FindCriterion("hic"), {"--help"}, out, err), PROGRAM_FAILED);
}

TEST_F(ProgramTest, JsonOfChannelsFromAnIsoMmeTestAndATextFile)
{
    // Fx from an ISO-MME test, My from RVF, Fz from a text file (no class, no
    // units, time in ms): pure tension at 99 % of the intercept, at 15 ms.
    KVSignal fx = Neck(0, "NEWTONS");
    fx.SetAxis("X");
    fx.SetDel(0.0001f);
    fx.SetFilterClass(600);
    fx.SetCutOffFrequency(1000);
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest({&fx}, (m_dir / "T1").string(), errors));
    const std::string iso = (m_dir / "T1/Channel/T1.001").string();
    const std::string my = Save("my.rvf", Neck(0, "NEWTON-METERS"), "Y");
    const std::string fz = (m_dir / "fz.txt").string();
    std::ofstream text(fz);
    text << "time;force\n";
    for (int i = 0; i <= 300; ++i)
        text << i * 0.1 << ";" << 0.99 * 6806 * std::sin(std::numbers::pi * i / 300.0) << "\n";
    text.close();
    ASSERT_EQ(Run("nij", {"--json", iso, my, fz}), PROGRAM_OK) << m_err.str();
    const nlohmann::json j = nlohmann::json::parse(m_out.str());
    ASSERT_EQ(j["inputs"].size(), 3u);
    EXPECT_EQ(j["inputs"][0]["file"], iso);
    EXPECT_EQ(j["inputs"][0]["filter_class"], 600);
    EXPECT_EQ(j["inputs"][0]["units"], "NEWTONS");
    EXPECT_EQ(j["inputs"][2]["file"], fz);
    EXPECT_TRUE(j["inputs"][2]["filter_class"].is_null());
    EXPECT_TRUE(j["inputs"][2]["units"].is_null());
    // Every Nij is a peak: an instant, never an interval (a case that never
    // occurs has no time at all).
    ASSERT_FALSE(j["results"].empty());
    for (const nlohmann::json& r : j["results"]) {
        EXPECT_EQ(r.contains("t"), r["value"].get<double>() > 0) << r.dump();
        EXPECT_FALSE(r.contains("t1") || r.contains("t2")) << r.dump();
    }
    const nlohmann::json& nij = j["results"].back();
    EXPECT_EQ(nij["name"], "Nij");
    EXPECT_NEAR(nij["value"].get<double>(), 0.99, 1e-6);
    EXPECT_NEAR(nij["t"].get<double>(), 0.015, 1e-9);
}

// Runs program --text path with 48 MiB of address space beyond what the
// process holds; its messages go to standard error.
int RunWithLittleMemory(const char* program, const std::string& path)
{
    LimitAddressSpace(size_t(48) << 20);
    std::ostringstream out, err;
    const int status = RunTextProgram(*FindCriterion(program), {"--text", path}, out, err);
    std::fputs(err.str().c_str(), stderr);
    return status;
}

// Regression: a reader's message without the file's name ("Unknown Data
// Block") left the user guessing which of three inputs was broken.
TEST_F(ProgramTest, ABrokenInputIsNamedAndMemoryShortageIsReported)
{
    const std::string good = Save("y.rvf", Neck(1000, "NEWTONS"), "Y");
    std::string bytes;
    {
        std::ifstream in(good, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    bytes.replace(1700, 64, std::string(64, '\xFF')); // a data block of no known kind
    const std::string broken = (m_dir / "x.rvf").string();
    std::ofstream(broken, std::ios::binary) << bytes;
    ASSERT_EQ(Run("nij", {"--text", broken, good, good}), PROGRAM_FAILED);
    EXPECT_EQ(m_err.str().find("nij: "), 0u);
    EXPECT_NE(m_err.str().find(" - " + broken + ": "), std::string::npos) << m_err.str();

#if !defined(ONDREL_NO_MEMORY_LIMIT)
    // Regression: clip3ms aborted on a failed allocation; it says so and exits 1.
    KVSignal longPulse = MakeSignal(4000000, 0, 1e-7, [](double t) { return 50 * std::sin(t * 7); }, "G'S");
    const std::string big = Save("big.rvf", longPulse, "X");
    EXPECT_EXIT(std::_Exit(RunWithLittleMemory("clip3ms", big)), ::testing::ExitedWithCode(PROGRAM_FAILED),
                "clip3ms: .*big.rvf: Not enough memory");
#endif
}
