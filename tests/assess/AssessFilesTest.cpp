// Protocol folders, protocol and inputs files and tests as a careless or
// hostile user hands them over: pipes, folders, huge files, ids twice,
// channel codes and archive entries twice. Each is refused or said, naming
// the file, and nothing hangs.
#include "AssessInputs.h"
#include "AssessReport.h"
#include "Assessment.h"
#include "JsonFile.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "ProtocolFiles.h"
#include "SupportFiles.h"
#include "SupportSignals.h"
#include "IsoMmeVocabulary.h"
#include "IsoMmeWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace Assess;
namespace fs = std::filesystem;

namespace {

std::string ShippedText(const std::string& id)
{
    return ReadText(std::string(ONDREL_PROTOCOLS_SOURCE_DIR) + "/" + id + ".json");
}

bool Contains(const std::vector<std::string>& lines, const std::string& part)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

const CriterionResult* Criterion(const Assessment& a, const std::string& name)
{
    for (const OccupantResult& o : a.occupants)
        for (const RegionResult& r : o.regions)
            if (const CriterionResult* c = FindNamed(r.criteria, name))
                return c;
    return nullptr;
}

} // namespace

// Regression: a FIFO named x.json blocked the program forever, a huge file
// ran out of memory, and a folder named x.json read as "unexpected end of input".
TEST(AssessFiles, OnlyRegularFilesOfSaneSizeAreRead)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.Path("pipe.json").c_str(), 0600), 0);
    fs::create_directory(dir.Path("folder.json"));
    {
        std::ofstream huge(dir.Path("huge.json"));
    }
    fs::resize_file(dir.Path("huge.json"), std::uintmax_t(1) << 30); // sparse
    WriteText(dir.Path("empty.json"), " \n");
    const struct {
        std::string name, message;
    } cases[] = {
        {"pipe.json", "pipe.json: not a regular file (a pipe or a device); only files are read"},
        {"folder.json", "folder.json: a folder, not a file"},
        {"huge.json", "huge.json: 1073741824 bytes, more than the 1048576 a protocol or inputs file may have"},
        {"missing.json", "missing.json: not found"},
    };
    for (const auto& c : cases) {
        std::string text, error;
        EXPECT_FALSE(ReadJsonFile(dir.Path(c.name), text, error)) << c.name;
        EXPECT_EQ(error, dir.Path(c.message)) << c.name;
        EXPECT_FALSE(ReadInputsFile(dir.Path(c.name), text, error)) << c.name;
    }
    // An empty inputs file is an error, not "no inputs".
    std::string text, error;
    EXPECT_FALSE(ReadInputsFile(dir.Path("empty.json"), text, error));
    EXPECT_EQ(error, dir.Path("empty.json") + ": empty; an inputs file is one JSON object ({} for none)");

    // In a protocol folder, the pipe and the folder are skipped and said;
    // the huge file is refused by its size.
    std::vector<std::string> problems;
    const std::vector<Protocol> found = LoadProtocols({dir.Path()}, problems);
    EXPECT_TRUE(found.empty());
    EXPECT_TRUE(Contains(problems, "pipe.json: not a regular file (a pipe or a device); skipped"));
    EXPECT_TRUE(Contains(problems, "folder.json: a folder, not a protocol file; skipped"));
    EXPECT_TRUE(Contains(problems, "huge.json: 1073741824 bytes"));
}

// Regression: --protocol-dir naming no folder was ignored in silence.
TEST(AssessFiles, AProtocolFolderThatIsNoFolderIsAnError)
{
    TempDir dir;
    WriteText(dir.Path("file"), "x");
    std::string error;
    EXPECT_TRUE(CheckProtocolDir(dir.Path(), error));
    EXPECT_FALSE(CheckProtocolDir(dir.Path("missing"), error));
    EXPECT_EQ(error, "--protocol-dir " + dir.Path("missing") + ": no such folder");
    EXPECT_FALSE(CheckProtocolDir(dir.Path("file"), error));
    EXPECT_EQ(error, "--protocol-dir " + dir.Path("file") + ": not a folder");
}

// Regression: a user's file with a shipped id replaced it with nothing said,
// and of two user files with one id the first was used.
TEST(AssessFiles, AUserFileReplacingAShippedOneIsNamedAndTwoOfOneIdAreAnError)
{
    TempDir dir;
    WriteText(dir.Path("mine.json"), ShippedText("fmvss208"));
    const std::string shipped = std::string(ONDREL_PROTOCOLS_SOURCE_DIR) + "/fmvss208.json";
    std::vector<std::string> problems;
    std::vector<Protocol> all = LoadProtocols({dir.Path(), ONDREL_PROTOCOLS_SOURCE_DIR}, problems);
    auto fm = std::find_if(all.begin(), all.end(), [](const Protocol& p) { return p.id == "fmvss208"; });
    ASSERT_NE(fm, all.end());
    EXPECT_EQ(fm->replaces, shipped);
    const std::string line = "protocol file " + dir.Path("mine.json") + " replaces the shipped " + shipped;
    EXPECT_NE(ProtocolListText(all).find(line), std::string::npos);
    Assessment a;
    a.protocol = *fm;
    EXPECT_NE(AssessmentText(a).find("\n" + line + "\n"), std::string::npos);
    const nlohmann::json j = nlohmann::json::parse(AssessmentJson(a));
    EXPECT_EQ(j["protocol"]["replaces"], shipped);
    EXPECT_EQ(j["protocol"]["file"], dir.Path("mine.json"));
    // The shipped protocols themselves replace nothing.
    const auto un = std::find_if(all.begin(), all.end(), [](const Protocol& p) { return p.id == "un-r94"; });
    ASSERT_NE(un, all.end());
    EXPECT_TRUE(un->replaces.empty());

    WriteText(dir.Path("yours.json"), ShippedText("fmvss208"));
    problems.clear();
    all = LoadProtocols({dir.Path(), ONDREL_PROTOCOLS_SOURCE_DIR}, problems);
    EXPECT_TRUE(std::none_of(all.begin(), all.end(), [](const Protocol& p) { return p.id == "fmvss208"; }));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0], dir.Path("yours.json") + ": protocol id fmvss208 is also the id of " + dir.Path("mine.json")
                               + "; neither is used (protocol fmvss208)");
}

// Regression: two channels of one code were assessed by the first with the
// duplicate said only on standard error, and an archive holding a channel
// entry twice was read by its first copy without a word.
TEST(AssessFiles, AChannelCodeOrArchiveEntryTwiceIsAWarningAndItsCriteriaAreDoubtful)
{
    TempDir dir;
    std::vector<KVSignal> signals;
    for (const double amplitude : {4000.0, 40000.0}) {
        KVSignal s = UniformSignal(-100, 1500, 1e-4f, [&](double t) {
            return t > 0.02 && t < 0.04 ? -amplitude * std::sin(3.14159265358979 * (t - 0.02) / 0.02) : 0.0;
        });
        s.SetYUnits("NEWTONS");
        s.SetFilterClass(IsoFilterOfLetter('B')->filterClass);
        s.SetCutOffFrequency(IsoFilterOfLetter('B')->cutOff);
        s.Header().Side.channelLines = {{"Channel code", "11FEMRLE00H3FOZB"}};
        signals.push_back(std::move(s));
    }
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest({&signals[0], &signals[1]}, dir.Path("T1"), errors));
    Protocol p;
    std::string error;
    ASSERT_TRUE(FindProtocol({ONDREL_PROTOCOLS_SOURCE_DIR}, "euro-ncap-frontal-fw-2023", p, error)) << error;
    TestSource test;
    ASSERT_TRUE(test.Open({dir.Path("T1")}, errors));
    Assessment a;
    ASSERT_TRUE(AssessTest(test, p, {}, a, error)) << error;
    EXPECT_TRUE(Contains(a.warnings, "the code 11FEMRLE00H3FOZB is carried by 2 channels"));
    const CriterionResult* femur = Criterion(a, "femur_left");
    ASSERT_NE(femur, nullptr);
    EXPECT_EQ(femur->status, Status::Doubtful);
    EXPECT_NE(nlohmann::json::parse(AssessmentJson(a))["warnings"].dump().find("carried by 2 channels"),
              std::string::npos);

    // One channel, its entry packed twice.
    ASSERT_TRUE(IsoMmeWriteTest({&signals[0]}, dir.Path("T2"), errors));
    fs::copy_file(dir.Path("T2/Channel/T2.001"), dir.Path("T2/Channel/T2.00Z"));
    const std::string zip = dir.Path("T2.zip");
    ASSERT_EQ(std::system(("cd '" + dir.Path() + "' && zip -q -r T2.zip T2/T2.mme T2/Channel/T2.chn T2/Channel/T2.001 "
                           "T2/Channel/T2.00Z").c_str()),
              0);
    std::string bytes = ReadText(zip);
    for (size_t at; (at = bytes.find("T2.00Z")) != std::string::npos;)
        bytes.replace(at, 6, "T2.001");
    WriteText(zip, bytes);
    TestSource packed;
    ASSERT_TRUE(packed.Open({zip}, errors));
    ASSERT_EQ(packed.Warnings().size(), 1u);
    EXPECT_NE(packed.Warnings()[0].find("T2/Channel/T2.001 2 times; the first is read"), std::string::npos)
        << packed.Warnings()[0];
    ASSERT_TRUE(AssessTest(packed, p, {}, a, error)) << error;
    femur = Criterion(a, "femur_left");
    ASSERT_NE(femur, nullptr);
    EXPECT_EQ(femur->status, Status::Doubtful);
}

// The folder named on the command line replaces the environment's, never
// joins it; without one the environment's comes first.
TEST(AssessFiles, AGivenProtocolFolderReplacesTheEnvironmentsOne)
{
    const char* before = std::getenv("ONDREL_PROTOCOL_DIR");
    const std::string saved = before ? before : "";
    setenv("ONDREL_PROTOCOL_DIR", "/from/env", 1);
    const std::vector<std::string> given = ProtocolDirs("/given");
    const std::vector<std::string> none = ProtocolDirs();
    if (before)
        setenv("ONDREL_PROTOCOL_DIR", saved.c_str(), 1);
    else
        unsetenv("ONDREL_PROTOCOL_DIR");
    ASSERT_FALSE(given.empty());
    EXPECT_EQ(given.front(), "/given");
    EXPECT_EQ(std::count(given.begin(), given.end(), "/from/env"), 0);
    ASSERT_FALSE(none.empty());
    EXPECT_EQ(none.front(), "/from/env");
}
