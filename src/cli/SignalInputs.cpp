#include "SignalInputs.h"

#include "CliSupport.h"
#include "IsoMmeSource.h"
#include "IsoMmeTest.h"
#include "KVPrintableName.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <unordered_map>
#include <unordered_set>

namespace {

// The --code patterns of this run; none picks every channel.
std::vector<std::string> g_codePatterns;
// Whether the run was given a test to pick from.
bool g_testGiven = false;

std::string PatternList()
{
    std::string text;
    for (size_t i = 0; i < g_codePatterns.size(); ++i)
        text += (i == 0 ? "" : i + 1 == g_codePatterns.size() ? " or " : ", ") + g_codePatterns[i];
    return text;
}

// The names given so far and, per code, the number its next repeat gets, so
// that 20,000 channels of one code are named in one step each.
struct TakenNames {
    std::unordered_set<std::string> names;
    std::unordered_map<std::string, int> next;
};

// CODE.rvf as the file system will hold it: "?" (an unknown code position),
// "/" and control characters (a NUL would end the name early) as "_", and a
// number added when the name is taken.
std::string UniqueName(std::string code, TakenNames& taken)
{
    for (char& c : code)
        if (c == '?' || c == '/' || static_cast<unsigned char>(c) < 0x20 || c == '\x7F')
            c = '_';
    std::string name = code + ".rvf";
    int& k = taken.next.try_emplace(code, 2).first->second;
    while (!taken.names.insert(name).second)
        name = code + "_" + std::to_string(k++) + ".rvf";
    return name;
}

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

} // namespace

std::string TakeCodeOption(std::vector<std::string>& args)
{
    const char* const needs = "a channel code pattern (? one character, * any run)";
    return TakeValueOption(args, "--code", needs, [needs](const std::string& value) -> std::string {
        if (value.empty())
            return std::string("--code needs ") + needs;
        g_codePatterns.push_back(value);
        return {};
    });
}

bool OpenTestInput(const std::string& path, IsoMmeTest& test, KVErrorList& errors)
{
    g_testGiven = true;
    return test.Open(path, errors);
}

std::vector<IsoMmeChannelInfo> PickedChannels(const IsoMmeTest& test, const std::string& name)
{
    if (g_codePatterns.empty())
        return test.Channels();
    std::vector<IsoMmeChannelInfo> picked;
    for (const IsoMmeChannelInfo& c : test.Channels())
        for (const std::string& p : g_codePatterns)
            if (IsoMmeCodeMatches(p, c.code)) {
                picked.push_back(c);
                break;
            }
    if (picked.empty())
        PrintInputError(name, "no channel of the test matches --code " + PatternList());
    return picked;
}

void WarnOfUnusedCodePatterns()
{
    if (!g_codePatterns.empty() && !g_testGiven)
        std::fprintf(stderr, "kalvio: --code picks channels of ISO-MME tests, and no test was given: it picked "
                             "nothing, the files were taken whole\n");
}

bool ExpandSignalInputs(const std::vector<std::string>& args, std::vector<SignalInput>& inputs)
{
    // Channels are named around the files' own names, which are never changed
    // (two files of one name are a clash the caller reports).
    TakenNames taken;
    std::vector<bool> isTest(args.size());
    for (size_t i = 0; i < args.size(); ++i)
        if (!(isTest[i] = IsoMmeIsTestPath(args[i])))
            taken.names.insert(FileNameOf(args[i]));
    bool ok = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!isTest[i]) {
            inputs.push_back({a, FileNameOf(a)});
            continue;
        }
        IsoMmeTest test;
        KVErrorList errors;
        const bool opened = OpenTestInput(a, test, errors);
        PrintErrors(errors);
        if (!opened) {
            ok = false;
            continue;
        }
        const std::vector<IsoMmeChannelInfo> picked = PickedChannels(test, a);
        ok = ok && (!picked.empty() || test.Channels().empty());
        for (const IsoMmeChannelInfo& c : picked)
            inputs.push_back({c.path, UniqueName(c.code.empty() ? test.TestNumber() + "_" + std::to_string(c.number) : c.code, taken)});
    }
    return ok;
}

std::string OutputPathOf(const OutputChoice& choice, const SignalInput& input)
{
    if (!choice.out.empty())
        return choice.out;
    return (std::filesystem::path(choice.outDir) / input.outName).string();
}

bool OutputsAreDistinct(const OutputChoice& choice, const std::vector<SignalInput>& inputs)
{
    if (choice.outDir.empty())
        return true;
    std::map<std::string, size_t> seen;
    for (size_t i = 0; i < inputs.size(); ++i) {
        const auto [at, fresh] = seen.emplace(OutputPathOf(choice, inputs[i]), i);
        if (fresh)
            continue;
        std::fprintf(stderr, "kalvio: %s and %s would both be written to %s; nothing was written\n",
                     KVPrintableName(inputs[at->second].path).c_str(), KVPrintableName(inputs[i].path).c_str(),
                     KVPrintableName(at->first).c_str());
        return false;
    }
    return true;
}

std::string SingleOutputProblem(const OutputChoice& choice, const std::vector<SignalInput>& inputs)
{
    if (choice.out.empty() || inputs.size() <= 1)
        return {};
    if (choice.inputs.size() > 1)
        return "-o takes one input; use --out-dir DIR for several";
    return "-o takes one signal, and " + KVPrintableName(choice.inputs.front()) + " gives "
           + std::to_string(inputs.size()) + " channels: pick one with --code PATTERN or use --out-dir DIR";
}
