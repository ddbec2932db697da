#include "CriteriaTestSignals.h"
#include "CriterionProgram.h"
#include "KVFileRvf.h"

#include <gtest/gtest.h>

#include <cmath>
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

} // namespace
