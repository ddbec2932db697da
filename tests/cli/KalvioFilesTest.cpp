// The kalvio program against hostile names, clashing outputs and standard
// output that cannot be written: it says which input and exits non-zero.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class KalvioFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
            / ("kalvio_files_" + std::to_string(::getpid()) + "_"
               + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        fs::current_path(m_dir);
        ASSERT_EQ(Kalvio({"demo", "d"}).status, 0);
    }
    void TearDown() override
    {
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(m_dir);
    }

    // Runs kalvio with args as given (no shell); standard output goes to out
    // unless told otherwise.
    Outcome Kalvio(const std::vector<std::string>& args, const std::string& stdoutPath = "out.txt")
    {
        std::vector<char*> argv{const_cast<char*>(KALVIO_EXE)};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, "err.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t pid = 0;
        Outcome r;
        if (posix_spawn(&pid, KALVIO_EXE, &actions, nullptr, argv.data(), environ) == 0) {
            int raw = 0;
            ::waitpid(pid, &raw, 0);
            r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        if (stdoutPath == "out.txt")
            r.out = Slurp("out.txt");
        r.err = Slurp("err.txt");
        return r;
    }

    fs::path m_dir;
};

const std::string kChest = "d/occ2231_chest_x.rvf";

} // namespace

TEST_F(KalvioFiles, MessagesNameTheirInputAndNamesCannotForgeLines)
{
    // Regression: of several failures in a batch only some named their file.
    fs::create_directories("od");
    Outcome r = Kalvio({"derivative", kChest, "missing.rvf", "--out-dir", "od"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "missing.rvf: KVFileAscii::Load - missing.rvf is not found.\n");
    EXPECT_TRUE(fs::exists("od/occ2231_chest_x.rvf"));

    // Regression: a name with a line break printed raw forged a header line.
    const std::string forged = "x.rvf\nHic: 5000";
    r = Kalvio({"info", forged});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "'x.rvf'$'\\n''Hic: 5000': KVFileAscii::Load - x.rvf\\nHic: 5000 is not found.\n");
    fs::copy_file(kChest, forged);
    r = Kalvio({"info", forged});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("File: 'x.rvf'$'\\n''Hic: 5000'\nKind: RVF-1992 File\n", 0), 0u);
    EXPECT_EQ(r.out.find("\nHic: 5000\n"), std::string::npos);

    // Regression: a line break in a stored text forged a field line too.
    std::string bytes = Slurp(kChest);
    bytes.replace(bytes.find("CHEST ACCELERATION X"), 20, "CHEST\nHic: 5000     ");
    std::ofstream("forged.rvf", std::ios::binary) << bytes;
    r = Kalvio({"info", "forged.rvf"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nCurveText: CHEST HIC: 5000"), std::string::npos) << r.out; // texts read in capitals
    EXPECT_EQ(r.out.find("\nHIC: 5000"), std::string::npos);
}

TEST_F(KalvioFiles, OutputsThatWouldDestroyAreRefusedBeforeWriting)
{
    // Regression: two inputs of one file name kept only the last result.
    fs::create_directories("a");
    fs::create_directories("b");
    fs::create_directories("od");
    fs::copy_file(kChest, "a/x.rvf");
    fs::copy_file(kChest, "b/x.rvf");
    Outcome r = Kalvio({"cfc", "60", "a/x.rvf", "b/x.rvf", "--out-dir", "od"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kalvio: a/x.rvf and b/x.rvf would both be written to od/x.rvf; nothing was written\n");
    EXPECT_TRUE(fs::is_empty("od"));
    // Regression: convert looked for such clashes only when no test was among its inputs.
    r = Kalvio({"convert", "a/x.rvf", "d/iso-mme/2231", "b/x.rvf", "--out-dir", "od"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "kalvio: a/x.rvf and b/x.rvf would both be written to od/x.rvf; nothing was written\n");
    EXPECT_TRUE(fs::is_empty("od"));

    std::ofstream("plain") << "x";
    r = Kalvio({"cfc", "60", kChest, "--out-dir", "plain"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("output directory plain is not a folder"), std::string::npos) << r.err;

    r = Kalvio({"truncate", "5", "6", kChest, "-o", "t.rvf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, kChest + ": KVFileRvf::Store - a signal of fewer than two points cannot be stored\n");

    // Regression: an overflowing operation stored infinite samples.
    r = Kalvio({"scale-y", "1e38", kChest, "-o", "s.rvf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(kChest + ": Kalvio::ScaleY - ScaleY of signal "), std::string::npos) << r.err;
    r = Kalvio({"resample", "1e-9", kChest, "-o", "r.rvf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("more than the limit of 10000000"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists("t.rvf") || fs::exists("s.rvf") || fs::exists("r.rvf"));
}

TEST_F(KalvioFiles, StandardOutputThatCannotBeWrittenFails)
{
    // Regression: dump > /dev/full exited 0.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"dump", kChest}, {"info", kChest}, {"name", kChest}, {"--help"}}) {
        const Outcome r = Kalvio(args, "/dev/full");
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.err, "kalvio: writing to standard output failed: no space left on device\n") << args[0];
    }
    Outcome r = Kalvio({"dump", kChest, "-o", "/dev/full"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "/dev/full: no space left on device\n");
    r = Kalvio({"dump", kChest, "-o", "-"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "-0.049999997\t0.219995216");
}

// info reads a file at once and looks for a test only when the name cannot
// be read as one; the reports keep the order of the arguments.
TEST_F(KalvioFiles, InfoTakesFilesAndTestFoldersInTheirOrder)
{
    fs::create_directories("plain");
    const Outcome r = Kalvio({"info", kChest, "d/iso-mme/2231", "missing.rvf", "plain"});
    EXPECT_EQ(r.status, 1);
    std::vector<std::string> files;
    for (size_t at = r.out.find("File: "); at != std::string::npos; at = r.out.find("File: ", at + 1))
        files.push_back(r.out.substr(at + 6, r.out.find('\n', at) - at - 6));
    ASSERT_GE(files.size(), 3u);
    EXPECT_EQ(files[0], kChest);
    EXPECT_EQ(files[1], "d/iso-mme/2231/Channel/2231.001");
    EXPECT_EQ(files.size() - 1, size_t(std::distance(fs::directory_iterator("d/iso-mme/2231/Channel"), {})) - 1);
    EXPECT_NE(r.err.find("missing.rvf: KVFileAscii::Load - missing.rvf is not found.\n"), std::string::npos);
    EXPECT_NE(r.err.find("plain: "), std::string::npos);
    EXPECT_LT(r.err.find("missing.rvf"), r.err.find("plain: "));
}

// A test is an input of every command that reads signals; --code picks its
// channels, and their results are named by code without overwriting anything.
TEST_F(KalvioFiles, TestChannelsPickedByCodeAreInputsEverywhere)
{
    const std::string test = "d/iso-mme/2231";
    fs::create_directories("od");
    // A file already named as a channel's result keeps its name; the channel's
    // result moves aside instead of overwriting the other.
    fs::copy_file(kChest, "11HEAD0000H3ACXA.rvf");
    Outcome r = Kalvio({"cfc", "60", test, "11HEAD0000H3ACXA.rvf", "--code", "11HEAD0000H3AC?A", "--out-dir", "od"});
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<std::string> written;
    for (const fs::directory_entry& e : fs::directory_iterator("od"))
        written.push_back(e.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"11HEAD0000H3ACXA.rvf", "11HEAD0000H3ACXA_2.rvf",
                                                 "11HEAD0000H3ACYA.rvf", "11HEAD0000H3ACZA.rvf"}));

    // The picked channel is read as its channel file is.
    const std::string direct = Kalvio({"dump", "d/iso-mme/2231/Channel/2231.002"}).out;
    r = Kalvio({"dump", test, "--code=11head0000h3acya"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(direct.empty());
    EXPECT_EQ(r.out, direct);

    r = Kalvio({"resultant", test, "--code", "11HEAD0000H3AC?A", "-o", "res.rvf"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists("res.rvf"));
    r = Kalvio({"name", test, "--code", "11FEMR*", "--code", "11HEAD0000H3ACXA"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);

    // One output for several channels, or a pattern that picks nothing, is
    // said so and writes nothing.
    r = Kalvio({"scale-y", "2", test, "--code", "11HEAD*", "-o", "one.rvf"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("-o takes one signal, and d/iso-mme/2231 gives 4 channels: pick one with --code PATTERN"),
              std::string::npos)
        << r.err;
    r = Kalvio({"dump", test});
    EXPECT_EQ(r.status, 2);
    r = Kalvio({"check", test, "--code", "99*"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "d/iso-mme/2231: no channel of the test matches --code 99*\n");
    EXPECT_FALSE(fs::exists("one.rvf"));
    EXPECT_EQ(Kalvio({"demo", "d2", "--code", "x"}).status, 2); // demo reads no signals
    // A pattern among files alone picks nothing, and says so.
    r = Kalvio({"info", kChest, "--code", "11HEAD*"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.err.find("--code picks channels of ISO-MME tests, and no test was given"), std::string::npos) << r.err;
}

// Codes built from RVF-1992 headers carry no seat: --position and --object
// give it, so that selection by position finds the channels.
TEST_F(KalvioFiles, ConvertToIsoMmeGivesTheSeatOfBuiltCodes)
{
    const auto list = [](const std::string& chn) {
        std::ifstream in(chn);
        std::vector<std::string> codes;
        for (std::string line; std::getline(in, line);)
            if (line.rfind("Name of channel", 0) == 0)
                codes.push_back(line.substr(line.find(':') + 1, 16));
        return codes;
    };
    Outcome r = Kalvio({"convert", "d/occ2231_head_x.rvf", "d/occ2231_sled_pulse.txt", "--format", "iso-mme", "-o",
                        "t0/2231"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(list("t0/2231/Channel/2231.chn"), (std::vector<std::string>{"1?HEAD????H3ACXA", "??????????????00"}));
    r = Kalvio({"convert", "d/occ2231_head_x.rvf", "d/occ2231_sled_pulse.txt", "--format", "iso-mme", "--position",
                "1", "--object=s", "-o", "t1/2231"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(list("t1/2231/Channel/2231.chn"), (std::vector<std::string>{"11HEAD????H3ACXA", "S1????????????00"}));
    // A code read from a test keeps its own seat.
    r = Kalvio({"convert", "d/iso-mme/2231", "--code", "11HEAD0000H3ACXA", "--format", "iso-mme", "--position", "3",
                "-o", "t2/2231"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(list("t2/2231/Channel/2231.chn"), (std::vector<std::string>{"11HEAD0000H3ACXA"}));

    EXPECT_EQ(Kalvio({"convert", kChest, "--position", "1", "-o", "x.rvf"}).status, 2);
    r = Kalvio({"convert", kChest, "--format", "iso-mme", "--position", "12", "-o", "t3/1"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--position takes one code character (0-9, A-Z or ?), not '12'"), std::string::npos);
    EXPECT_NE(Kalvio({"convert", "--help"}).out.find("? unknown (the"), std::string::npos);
}

TEST_F(KalvioFiles, WriteProtectedTargetsAndGapsAreRefusedWithTheReason)
{
    // Regression: a 0444 file of the user was replaced through the rename
    // path without a word; --force replaces it.
    fs::copy_file(kChest, "ro.rvf");
    fs::permissions("ro.rvf", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string before = Slurp("ro.rvf");
    Outcome r = Kalvio({"cfc", "60", kChest, "-o", "ro.rvf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ro.rvf: is write-protected"), std::string::npos) << r.err;
    EXPECT_EQ(Slurp("ro.rvf"), before);
    r = Kalvio({"cfc", "60", kChest, "-o", "ro.rvf", "--force"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp("ro.rvf"), before);
    EXPECT_EQ(fs::status("ro.rvf").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // Regression: a channel with gaps was refused as "Not a Number"; the
    // reason names the gaps, and the other channels are written.
    const std::string channel = "d/iso-mme/2231/Channel/2231.003";
    std::ofstream(channel, std::ios::binary | std::ios::app) << "NOVALUE\r\n";
    fs::create_directories("od");
    r = Kalvio({"convert", "d/iso-mme/2231", "--out-dir", "od"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(channel + ": KVFileRvf::Store - 1 gap(s) (NaN or NOVALUE samples, the first at X = "),
              std::string::npos)
        << r.err;
    EXPECT_EQ(std::distance(fs::directory_iterator("od"), {}), 25);
}

TEST_F(KalvioFiles, ChannelNamesAreTheNamesAsWritten)
{
    // Regression: codes that differ after a NUL byte were cut to one file name
    // and overwrote each other.
    fs::create_directories("T/9/Channel");
    std::ofstream("T/9/9.mme") << "Title :nul\r\n";
    std::string list = "Number of channels :2\r\n";
    for (int i = 1; i <= 2; ++i) {
        list += "Name of channel 00" + std::to_string(i) + " :AB" + std::string(1, '\0') + char('0' + i) + "\r\n";
        std::ofstream("T/9/Channel/9.00" + std::to_string(i))
            << "Sampling interval :0.001\r\nUnit :g\r\nTime of first sample :0\r\n1\r\n" << i << "\r\n";
    }
    std::ofstream("T/9/Channel/9.chn", std::ios::binary) << list;
    fs::create_directories("od");
    const Outcome r = Kalvio({"convert", "T/9", "--out-dir", "od"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(fs::exists("od/AB_1.rvf") && fs::exists("od/AB_2.rvf"));
}

// Regressions of hostile inputs to the newer commands: kalvio dropped --force
// before starting the report program; an --inputs folder or empty file and a
// missing --protocol-dir were taken as nothing given; a code "../../../../r4pw"
// (read as "..") was stored as the hidden file "...rvf"; a rating of a million samples ran a
// quarter of an hour without a word.
TEST_F(KalvioFiles, HostileInputsOfTheNewerCommandsAreRefusedOrHandedOn)
{
    const std::string test = "d/iso-mme/2231";
    Outcome r;
#ifdef KALVIO_HAS_REPORT
    std::ofstream("ro.pdf") << "old";
    fs::permissions("ro.pdf", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    r = Kalvio({"report", test, "--protocol", "fmvss208", "-o", "ro.pdf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Slurp("ro.pdf"), "old");
    r = Kalvio({"report", test, "--protocol", "fmvss208", "-o", "ro.pdf", "--force"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp("ro.pdf").rfind("%PDF", 0), 0u);
#endif

    fs::create_directory("in.json");
    std::ofstream("empty.json").close();
    const struct {
        std::vector<std::string> args;
        std::string message;
    } refused[] = {
        {{"--inputs", "in.json"}, "in.json: a folder, not a file"},
        {{"--inputs", "empty.json"}, "empty.json: empty; an inputs file is one JSON object ({} for none)"},
        {{"--protocol-dir", "nowhere"}, "--protocol-dir nowhere: no such folder"},
    };
    for (const auto& c : refused) {
        std::vector<std::string> args = {"assess", test, "--protocol", "fmvss208"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        r = Kalvio(args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }

    for (const std::string& file : {test + "/Channel/2231.chn", test + "/Channel/2231.001"}) {
        std::string text = Slurp(file);
        for (size_t at; (at = text.find("11HEAD0000H3ACXA")) != std::string::npos;)
            text.replace(at, 16, "../../../../r4pw");
        std::ofstream(file, std::ios::binary) << text;
    }
    fs::create_directories("od");
    r = Kalvio({"convert", test, "--out-dir", "od"});
    EXPECT_TRUE(fs::exists("od/__.rvf")) << r.err; // the code as the channel list gives it: ".."
    for (const fs::directory_entry& e : fs::directory_iterator("od"))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();

    // 0.3 s at 1 microsecond: 300,001 samples.
    ASSERT_EQ(Kalvio({"resample", "0.000001", "d/occ2231_head_x.rvf", "-o", "long.rvf"}).status, 0);
    r = Kalvio({"rate", "long.rvf", "long.rvf"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("they share 300001 samples, more than 200000"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("--allow-large"), std::string::npos) << r.err;
}
