// kalvio check: the faults of the measuring chain in every signal given.
#include "CliSupport.h"
#include "IsoMmeTest.h"
#include "KVErrorList.h"
#include "KVFileBytes.h"
#include "KVPrintableName.h"
#include "KVSignal.h"
#include "KalvioCommand.h"
#include "SignalCheck.h"
#include "SignalInputs.h"
#include "Simulation.h"

#include <nlohmann/json.hpp>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

// One input after folders and tests are opened up: a file and whether it
// must be a signal (named on the command line, a channel of a test, or
// RVF-1992 by its first bytes). A test that could not be opened is one input
// with the reason in failure.
struct CheckInput {
    std::string file;
    bool required;
    KVErrorList failure;
    std::string folder = {}; // the folder named on the command line that held it
    SignalInput channel = {}; // a simulation's channel when channel.sim is set
};

// The result of one input; error is set when it could not be read.
struct CheckedFile {
    std::string file;
    std::string error;
    KVErrorList errors;
    Kalvio::CheckResult result;
};

// A test's channels that --code picks, in the order of its channel list,
// named by their files; what opening it reported goes to standard error.
// False when none is picked.
bool ExpandTest(const std::string& name, std::vector<CheckInput>& inputs)
{
    IsoMmeTest test;
    KVErrorList errors;
    if (!OpenTestInput(name, test, errors)) {
        inputs.push_back({name, true, errors});
        return true; // reported as the test's own failure
    }
    PrintErrors(errors);
    const std::vector<IsoMmeChannelInfo> picked = PickedChannels(test, name);
    for (const IsoMmeChannelInfo& c : picked)
        inputs.push_back({c.path, true, {}});
    return !picked.empty() || test.Channels().empty();
}

// A simulation's channels that --channel picks, named PATH:CHANNEL. Without
// --units its times are no seconds, which the rules need: one failure.
// False when it cannot be opened or nothing is picked.
bool ExpandSimulation(const std::string& name, std::vector<CheckInput>& inputs)
{
    std::vector<SignalInput> channels;
    const bool ok = ExpandSignalInputs({name}, channels);
    if (!channels.empty() && !UnitsOfThisRun()) {
        KVErrorList failure;
        failure.AddError(kNeedsUnits, "kalvio check");
        inputs.push_back({name, true, failure});
        return true; // reported as the simulation's own failure
    }
    for (SignalInput& c : channels)
        inputs.push_back({c.Name(), true, {}, {}, std::move(c)});
    return ok;
}

// False when a test gave no channel that --code picks.
bool Expand(const std::vector<std::string>& names, std::vector<CheckInput>& inputs)
{
    bool ok = true;
    for (const std::string& name : names) {
        if (!IsoMmeIsTestName(name) && SimIsSimulationPath(name)) {
            ok = ExpandSimulation(name, inputs) && ok;
            continue;
        }
        if (IsoMmeIsTestPath(name)) {
            ok = ExpandTest(name, inputs) && ok;
            continue;
        }
        std::error_code ec;
        if (!fs::is_directory(name, ec)) {
            inputs.push_back({name, true, {}});
            continue;
        }
        // Signal files, and the tests kept in the folder (test folders, .zip
        // archives), in name order.
        std::vector<std::string> files;
        for (const fs::directory_entry& e : fs::directory_iterator(name, ec))
            if (e.is_regular_file(ec) || (e.is_directory(ec) && IsoMmeIsTestPath(e.path().string())))
                files.push_back(e.path().string());
        std::sort(files.begin(), files.end());
        // A placeholder: a folder in which nothing is checked is said.
        inputs.push_back({name, false, {}, name});
        for (const std::string& f : files) {
            const size_t first = inputs.size();
            if (SimIsSimulationPath(f))
                ok = ExpandSimulation(f, inputs) && ok;
            else if (IsoMmeIsTestPath(f))
                ok = ExpandTest(f, inputs) && ok;
            else
                inputs.push_back({f, KVFileStartsWith(f, "RVF-1992"), {}});
            for (size_t i = first; i < inputs.size(); ++i)
                inputs[i].folder = name;
        }
    }
    return ok;
}

// Reads and checks one input; false for a file of a folder that is no
// signal file (a hitlist, a note), which is left out.
bool CheckOne(const CheckInput& in, KVSignal& scratch, CheckedFile& out)
{
    out.file = in.file;
    if (in.failure.ErrorCount() > 0) {
        out.errors = in.failure;
    } else if (in.channel.sim) {
        if (in.channel.sim->LoadChannel(in.channel.channel, UnitsOfThisRun(), scratch, out.errors)) {
            out.result = Kalvio::CheckSignal(scratch);
            return true;
        }
    } else if (Kalvio::CheckSignalFile(in.file, scratch, out.result, out.errors, TextOptionsOfThisRun()))
        return true;
    else if (!in.required)
        return false;
    for (const KVException& e : out.errors.Errors())
        out.error += (out.error.empty() ? "" : "; ") + e.Scope() + " - " + e.Message();
    if (out.error.empty())
        out.error = "not a signal file";
    return true;
}

void PrintText(const CheckedFile& f)
{
    if (!f.error.empty()) {
        std::printf("%s: unreadable\n", KVPrintableText(f.file).c_str());
        PrintErrors(f.errors, f.file);
        return;
    }
    std::printf("%s: %s\n", KVPrintableText(f.file).c_str(), Kalvio::CheckVerdictName(f.result.verdict));
    for (const Kalvio::CheckFinding& x : f.result.findings)
        std::printf("    %s %s: %s\n", Kalvio::CheckVerdictName(x.severity), Kalvio::CheckKindName(x.kind),
                    x.message.c_str());
}

nlohmann::ordered_json Json(const CheckedFile& f)
{
    nlohmann::ordered_json entry;
    entry["file"] = f.file;
    if (!f.error.empty()) {
        entry["verdict"] = "unreadable";
        entry["error"] = f.error;
        entry["findings"] = nlohmann::ordered_json::array();
        return entry;
    }
    entry["verdict"] = Kalvio::CheckVerdictName(f.result.verdict);
    nlohmann::ordered_json findings = nlohmann::ordered_json::array();
    for (const Kalvio::CheckFinding& x : f.result.findings)
        findings.push_back({{"kind", Kalvio::CheckKindName(x.kind)},
                            {"severity", Kalvio::CheckVerdictName(x.severity)},
                            {"message", x.message},
                            {"t1", x.t1},
                            {"t2", x.t2}});
    entry["findings"] = std::move(findings);
    return entry;
}

int RunCheck(const std::vector<std::string>& args)
{
    bool json = false;
    std::vector<std::string> names;
    for (const std::string& a : args) {
        if (a == "--json")
            json = true;
        else if (a.size() > 1 && a[0] == '-')
            return UsageError("check", "unknown option " + a);
        else
            names.push_back(a);
    }
    if (names.empty())
        return UsageError("check", "no file or folder given");
    std::vector<CheckInput> inputs;
    int status = Expand(names, inputs) ? KALVIO_OK : KALVIO_FAILED;
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    // Each file's arrays are freed before the next is read; returning that
    // memory to the system after every file costs more than checking it.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    KVSignal scratch;
    std::map<std::string, size_t> checkedIn; // per folder named, the signals checked
    for (const CheckInput& in : inputs) {
        CheckedFile f;
        if (!in.folder.empty())
            checkedIn[in.folder] += 0;
        if (in.file == in.folder || !CheckOne(in, scratch, f))
            continue;
        if (!in.folder.empty())
            ++checkedIn[in.folder];
        if (!f.error.empty())
            status = KALVIO_FAILED;
        if (json) {
            files.push_back(Json(f));
            PrintErrors(f.errors, f.file);
        } else {
            PrintText(f);
        }
    }
    for (const auto& [folder, count] : checkedIn)
        if (count == 0) {
            PrintInputError(folder, "no signal file or test found in the folder");
            status = KALVIO_FAILED;
        }
    if (json) {
        nlohmann::ordered_json doc;
        doc["files"] = std::move(files);
        // Names and header texts are bytes (Latin-1 as often as UTF-8): what
        // is no UTF-8 is replaced rather than refused.
        std::puts(doc.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
    }
    return status;
}

} // namespace

const KalvioCommand kCheckCommand = {
    "check", "look over signals for clipping, dropouts, offsets, dead channels, slow rates",
    "Usage: kalvio check [--json] FILE|FOLDER|TEST.mme|SIMULATION ...\n"
    "Looks over each signal for the faults a measuring chain leaves and prints\n"
    "one line per signal, 'FILE: VERDICT' (ok, warning or fail: the worst of its\n"
    "findings), then each finding indented: severity, kind and a message that\n"
    "says what and where (times in the signal's X units). A folder stands for\n"
    "every signal file in it, in name order: RVF-1992 files, and text files that\n"
    "read as two columns of numbers (other files are left out), and the ISO-MME\n"
    "tests it holds (test folders, .zip archives); a folder in which nothing can\n"
    "be checked is an error. An ISO-MME test\n"
    "(its .mme file, its folder or a .zip holding it) stands for every channel\n"
    "of its channel list (of those --code PATTERN picks), each named by its\n"
    "channel file. A simulation (a binout or one of the solver's ASCII files)\n"
    "stands for its channels (those --channel PATTERN picks), each named\n"
    "FILE:CHANNEL; its times must be in seconds, so it needs --units\n"
    "LENGTH-TIME-MASS-FORCE.\n"
    "--json prints one object {\"files\": [...]}, one entry per signal in the order\n"
    "given, each with \"file\", \"verdict\" and \"findings\" (each with \"kind\",\n"
    "\"severity\", \"message\", \"t1\", \"t2\"); a file that cannot be read has the\n"
    "verdict \"unreadable\" and an \"error\" (its errors go to standard error too).\n"
    "\n"
    "The rules (noise: 1.4826 x the median of |y[i] - (y[i-1] + y[i+1]) / 2|;\n"
    "range: largest minus smallest sample; excursion: the largest distance from\n"
    "the pre-event mean; pre-event: the samples earlier than 1 ms before time\n"
    "zero, when there are at least 10):\n"
    "  clipping (fail)   a stretch held within half the noise at the largest or\n"
    "                    smallest value, at least 20 % of the range away from the\n"
    "                    resting level, either at least 4 samples long and left\n"
    "                    steeply (half its length beyond each end the curve lies\n"
    "                    3 % of the range and 6 noise units off), or at least 50\n"
    "                    samples and 2 % of the record long in a noisy channel.\n"
    "  dropout (warning) 1 to 3 samples that leave the straight line through\n"
    "                    their neighbours, all to one side, by more than 8 noise\n"
    "                    units, more than the neighbours differ from each other,\n"
    "                    and 5 times the largest residual of the 4 samples on\n"
    "                    either side. More than 3 make one finding.\n"
    "  offset (warning)  the pre-event mean is at least 5 % of the excursion and\n"
    "                    3 standard deviations of the pre-event samples away from\n"
    "                    zero. Not for speeds (Y type VELOCITY, units KM/H, M/S,\n"
    "                    MPH); a text file, whose quantity is unknown, only when its\n"
    "                    last tenth also settles at that level.\n"
    "  drift (warning)   accelerations, forces, moments and angular rates: the\n"
    "                    last tenth of the record is settled (deviation at most 5 %\n"
    "                    of the excursion) and lies at least 10 % of the excursion\n"
    "                    and 3 deviations from the pre-event mean.\n"
    "  flat (fail)       no samples, one value throughout, or at most 4 distinct\n"
    "                    values: a dead channel.\n"
    "  flat (warning)    any other stretch of at least 50 samples and 2 % of the\n"
    "                    record held within half the noise, in a noisy channel:\n"
    "                    the channel stopped. Noisy: its pre-event samples vary\n"
    "                    and at most 5 % repeat the one before (without a\n"
    "                    pre-event stretch: the samples outside long stretches).\n"
    "  rate (warning)    fewer than 10 samples per second per unit of the\n"
    "                    channel class (FilterClass 60, 180, 600, 1000; FIR100\n"
    "                    counts as 60), 1 % tolerance; (fail) below the rate at\n"
    "                    which the class filter can act at all (corner 5/3 x the\n"
    "                    class at most 0.3875 of the rate). Text files state no class.\n"
    "  invalid (fail)    samples that are not numbers (NaN, infinite).\n"
    "  time (fail)       time that does not increase from sample to sample.\n"
    "\n"
    "Exit status: 0 when every input was checked (whatever was found), 1 when an\n"
    "input could not be read, 2 for bad usage.\n",
    RunCheck};
