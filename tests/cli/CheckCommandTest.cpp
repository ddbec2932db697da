// kalvio check as a user runs it: the demo set, folders, unreadable files,
// the two output forms and the exit status.
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class CheckCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path()
              / ("kalvio_check_" + std::to_string(::getpid()) + "_"
                 + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Exit status; standard output into out.
    int Kalvio(const std::string& args, std::string& out) const
    {
        const fs::path file = dir / "stdout.txt";
        const std::string cmd = std::string("'") + KALVIO_EXE + "' " + args + " >'" + file.string() + "' 2>/dev/null";
        const int raw = std::system(cmd.c_str());
        std::ifstream in(file);
        std::stringstream ss;
        ss << in.rdbuf();
        out = ss.str();
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    fs::path dir;
};

TEST_F(CheckCommand, DemoSetIsCleanButForItsTwoFaultyChannels)
{
    std::string out;
    ASSERT_EQ(Kalvio("demo '" + (dir / "demo").string() + "'", out), 0);
    ASSERT_EQ(Kalvio("check --json '" + (dir / "demo").string() + "'", out), 0);
    const nlohmann::json doc = nlohmann::json::parse(out);
    // Every channel file and both text files; the hitlist is no signal file.
    ASSERT_EQ(doc["files"].size(), 46u);
    std::string previous;
    for (const auto& f : doc["files"]) {
        const std::string name = fs::path(f["file"].get<std::string>()).filename().string();
        EXPECT_LT(previous, name);
        previous = name;
        if (name == "veh4127_bpillar_x.rvf") {
            EXPECT_EQ(f["verdict"], "fail");
            ASSERT_EQ(f["findings"].size(), 1u);
            EXPECT_EQ(f["findings"][0]["kind"], "clipping");
            EXPECT_LT(f["findings"][0]["t1"].get<double>(), f["findings"][0]["t2"].get<double>());
        } else if (name == "occ2231_spine_x.rvf") {
            EXPECT_EQ(f["verdict"], "warning");
            ASSERT_EQ(f["findings"].size(), 2u);
            EXPECT_EQ(f["findings"][0]["kind"], "dropout");
            EXPECT_NEAR(f["findings"][1]["t1"].get<double>(), 0.0893, 1e-6);
        } else {
            EXPECT_EQ(f["verdict"], "ok") << name << ": " << f["findings"].dump();
        }
    }
}

TEST_F(CheckCommand, TextOutputUnreadableInputsAndUsage)
{
    std::ofstream(dir / "dead.txt") << "0 0\n1 0\n2 0\n";
    std::ofstream(dir / "notes.txt") << "no numbers here\n";
    std::string out;
    // Named on the command line, a file that is no signal makes the run fail
    // and is reported in its place.
    EXPECT_EQ(Kalvio("check '" + (dir / "dead.txt").string() + "' '" + (dir / "notes.txt").string() + "'", out), 1);
    EXPECT_EQ(out, (dir / "dead.txt").string() + ": fail\n    fail flat: constant at 0: a dead channel\n"
                       + (dir / "notes.txt").string() + ": unreadable\n");
    EXPECT_EQ(Kalvio("check --json '" + (dir / "notes.txt").string() + "'", out), 1);
    EXPECT_EQ(nlohmann::json::parse(out)["files"][0]["verdict"], "unreadable");
    // In a folder it is simply not a signal file.
    EXPECT_EQ(Kalvio("check '" + dir.string() + "'", out), 0);
    EXPECT_EQ(out.find("notes.txt"), std::string::npos);
    // Header texts are bytes: a Latin-1 unit in a message still gives JSON.
    KVSignal rate;
    rate.Allocate(3);
    for (size_t i = 0; i < 3; ++i)
        rate.SetPoint(0.001f * float(i), 1.0f, i);
    rate.SetDel(0.001f);
    rate.SetNlp(2);
    rate.SetXUnits("SECONDS");
    rate.SetYUnits("\xB0/S");
    rate.SetHasData(true);
    rate.UpdateExtremes();
    KVFileRvf file((dir / "rate.rvf").string());
    ASSERT_TRUE(file.Store(rate));
    EXPECT_EQ(Kalvio("check --json '" + (dir / "rate.rvf").string() + "'", out), 0);
    const nlohmann::json doc = nlohmann::json::parse(out);
    EXPECT_NE(doc["files"][0]["findings"][0]["message"].get<std::string>().find("\xEF\xBF\xBD/S"), std::string::npos)
        << out;
    EXPECT_EQ(Kalvio("check", out), 2);
    EXPECT_EQ(Kalvio("check --fast '" + dir.string() + "'", out), 2);
}

TEST_F(CheckCommand, IsoMmeTestStandsForItsChannelsNamedByTheirFiles)
{
    std::string out;
    ASSERT_EQ(Kalvio("demo '" + (dir / "demo").string() + "'", out), 0);
    const fs::path test = dir / "demo" / "iso-mme" / "4127";
    ASSERT_EQ(Kalvio("check --json '" + (test / "4127.mme").string() + "'", out), 0);
    const nlohmann::json doc = nlohmann::json::parse(out);
    // The channel list's order; the clipped demo channel is one of them.
    ASSERT_EQ(doc["files"].size(), 18u);
    int failed = 0;
    for (size_t k = 0; k < doc["files"].size(); ++k) {
        const fs::path file = doc["files"][k]["file"].get<std::string>();
        EXPECT_EQ(file.parent_path(), test / "Channel");
        char ext[24];
        std::snprintf(ext, sizeof ext, ".%03zu", k + 1);
        EXPECT_EQ(file.extension(), ext);
        failed += doc["files"][k]["verdict"] == "fail";
    }
    EXPECT_EQ(failed, 1);
    // The test's folder is the same test; a test that is not there is one
    // unreadable input.
    std::string fromFolder;
    ASSERT_EQ(Kalvio("check --json '" + test.string() + "'", fromFolder), 0);
    EXPECT_EQ(fromFolder, out);
    EXPECT_EQ(Kalvio("check --json '" + (dir / "none.mme").string() + "'", out), 1);
    ASSERT_EQ(nlohmann::json::parse(out)["files"].size(), 1u);
    EXPECT_EQ(nlohmann::json::parse(out)["files"][0]["verdict"], "unreadable");
}

} // namespace

TEST_F(CheckCommand, AFolderOfTestsIsCheckedAndAFolderOfNothingFails)
{
    // Regression: a folder holding tests (not channel files) printed nothing
    // and exited 0, and so did a test with an empty channel list.
    std::string out;
    ASSERT_EQ(Kalvio("demo '" + (dir / "demo").string() + "'", out), 0);
    const fs::path tests = dir / "demo" / "iso-mme";
    ASSERT_EQ(Kalvio("check --json '" + tests.string() + "'", out), 0);
    const nlohmann::json doc = nlohmann::json::parse(out);
    ASSERT_EQ(doc["files"].size(), 26u + 68u + 10u + 18u); // 2231, 3301, 3302, then 4127
    EXPECT_EQ(doc["files"][0]["file"], (tests / "2231" / "Channel" / "2231.001").string());
    EXPECT_EQ(doc["files"][26]["file"], (tests / "3301" / "Channel" / "3301.001").string());
    EXPECT_EQ(doc["files"][104]["file"], (tests / "4127" / "Channel" / "4127.001").string());

    fs::create_directories(dir / "none");
    std::ofstream(dir / "none" / "notes.txt") << "not a signal\n";
    EXPECT_EQ(Kalvio("check '" + (dir / "none").string() + "'", out), 1);
    EXPECT_EQ(out, "");
    std::ofstream(tests / "4127" / "Channel" / "4127.chn") << "Number of channels :0\r\n";
    EXPECT_EQ(Kalvio("check '" + (tests / "4127").string() + "'", out), 1);
    EXPECT_EQ(out, (tests / "4127").string() + ": unreadable\n");
}
