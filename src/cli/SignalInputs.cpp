#include "SignalInputs.h"

#include "CliSupport.h"
#include "IsoMmeSource.h"
#include "IsoMmeTest.h"
#include "KVPrintableName.h"
#include "KVSignal.h"
#include "Simulation.h"

#include <algorithm>
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
// The --channel patterns, whether a simulation was given, and the --units.
std::vector<std::string> g_channelPatterns;
bool g_simulationGiven = false;
std::unique_ptr<SimUnits> g_units;

std::string PatternList(const std::vector<std::string>& patterns = g_codePatterns)
{
    std::string text;
    for (size_t i = 0; i < patterns.size(); ++i)
        text += (i == 0 ? "" : i + 1 == patterns.size() ? " or " : ", ") + patterns[i];
    return text;
}

// The channels of sim that --channel picks (all without it), in its order.
std::vector<size_t> PickedSimChannels(const Simulation& sim) { return SimPickChannels(sim, g_channelPatterns); }

std::shared_ptr<const Simulation> OpenSimulation(const std::string& path)
{
    g_simulationGiven = true;
    KVErrorList errors;
    std::shared_ptr<const Simulation> sim = Simulation::Open(path, errors);
    PrintErrors(errors, path);
    return sim;
}

// The names given so far and, per code, the number its next repeat gets, so
// that 20,000 channels of one code are named in one step each.
struct TakenNames {
    std::unordered_set<std::string> names;
    std::unordered_map<std::string, int> next;
};

// CODE.rvf as the file system will hold it: every character but ASCII
// letters, digits, "-" and "_" as "_" ("?" of an unknown code position, "/"
// that would leave the folder, a dot that would hide the file or climb out
// of it, control characters), and a number added when the name is taken.
std::string UniqueName(std::string code, TakenNames& taken)
{
    for (char& ch : code) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_'))
            ch = '_';
    }
    std::string name = code + ".rvf";
    int& k = taken.next.try_emplace(code, 2).first->second;
    while (!taken.names.insert(name).second)
        name = code + "_" + std::to_string(k++) + ".rvf";
    return name;
}

std::string FileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

} // namespace

namespace {

// Takes every FLAG PATTERN out of args into patterns.
std::string TakePatterns(std::vector<std::string>& args, const std::string& flag, const char* needs,
                         std::vector<std::string>& patterns)
{
    return TakeValueOption(args, flag, needs, [&](const std::string& value) -> std::string {
        if (value.empty())
            return flag + " needs " + needs;
        patterns.push_back(value);
        return {};
    });
}

} // namespace

std::string TakeCodeOption(std::vector<std::string>& args)
{
    return TakePatterns(args, "--code", "a channel code pattern (? one character, * any run)", g_codePatterns);
}

std::string SignalInput::Name() const { return sim ? path + ":" + sim->Channels()[channel].name : path; }

const char* const kNeedsUnits = kSimNeedsUnits;

std::string TakeChannelOption(std::vector<std::string>& args)
{
    return TakePatterns(args, "--channel", "a channel name pattern (? one character, * any run)", g_channelPatterns);
}

std::string TakeUnitsOption(std::vector<std::string>& args)
{
    return TakeValueOption(args, "--units", "LENGTH-TIME-MASS-FORCE", [](const std::string& value) -> std::string {
        auto units = std::make_unique<SimUnits>();
        std::string why;
        if (!SimParseUnits(value, *units, why))
            return "--units: " + why;
        g_units = std::move(units);
        return {};
    });
}

const SimUnits* UnitsOfThisRun() { return g_units.get(); }

bool LoadInputOrReport(const SignalInput& input, KVSignal& signal)
{
    if (!input.sim)
        return LoadSignalOrReport(input.path, signal) != nullptr;
    KVErrorList errors;
    const bool ok = input.sim->LoadChannel(input.channel, g_units.get(), signal, errors);
    PrintErrors(errors, input.Name());
    return ok;
}

bool PrintSimulationInfo(const std::string& path)
{
    const std::shared_ptr<const Simulation> sim = OpenSimulation(path);
    if (!sim)
        return false;
    const double toSeconds = g_units ? SimScale(SimQuantity::Time, *g_units) : 1.0;
    const char* timeUnit = g_units ? "s" : "model units";
    std::string out = "Simulation: " + KVPrintableText(path) + "\nKind: " + sim->Kind() + "\n";
    for (const std::string& f : sim->Files())
        out += "File: " + KVPrintableText(f) + "\n";
    out += "Units: " + (g_units ? g_units->text : std::string("model units (no --units)")) + "\n";
    char span[160];
    std::snprintf(span, sizeof span, "Span: %.9g to %.9g %s\n", sim->FirstTime() * toSeconds,
                  sim->LastTime() * toSeconds, timeUnit);
    out += span;
    if (!g_channelPatterns.empty()) {
        const std::vector<size_t> picked = PickedSimChannels(*sim);
        for (size_t i : picked) {
            const SimChannelInfo& c = sim->Channels()[i];
            out += "Channel: " + KVPrintableText(c.name) + "  (" + KVPrintableText(c.title) + ", " +
                   std::to_string(c.states) + " states)\n";
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
        if (picked.empty())
            PrintInputError(path, "no channel of the simulation matches --channel " + PatternList(g_channelPatterns));
        return !picked.empty();
    }
    // Per file: its ids with their titles, its variables and its states.
    std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>> files;
    std::map<std::string, size_t> states;
    std::vector<std::string> order;
    for (const SimChannelInfo& c : sim->Channels()) {
        auto [it, fresh] = files.try_emplace(c.file);
        if (fresh)
            order.push_back(c.file);
        const std::string id = c.id.empty() ? std::string() : c.id + "  " + c.title;
        auto& [ids, vars] = it->second;
        if (!id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end())
            ids.push_back(id);
        if (std::find(vars.begin(), vars.end(), c.variable) == vars.end())
            vars.push_back(c.variable);
        states[c.file] = std::max(states[c.file], c.states);
    }
    for (const std::string& f : order) {
        const auto& [ids, vars] = files[f];
        const std::string idCount =
            ids.empty() ? std::string() : std::to_string(ids.size()) + (ids.size() == 1 ? " id, " : " ids, ");
        out += "\n" + KVPrintableText(f) + ": " + idCount + std::to_string(vars.size()) + " variables, " +
               std::to_string(states[f]) + " states\n";
        for (const std::string& id : ids)
            out += "  id " + KVPrintableText(id) + "\n";
        out += "  variables:";
        for (const std::string& v : vars)
            out += " " + KVPrintableText(v);
        out += "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return true;
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
    if (!g_channelPatterns.empty() && !g_simulationGiven)
        std::fprintf(stderr, "kalvio: --channel picks channels of simulations, and no simulation was given: it "
                             "picked nothing\n");
}

bool ExpandSignalInputs(const std::vector<std::string>& args, std::vector<SignalInput>& inputs)
{
    // Channels are named around the files' own names, which are never changed
    // (two files of one name are a clash the caller reports).
    TakenNames taken;
    std::vector<bool> isTest(args.size()), isSim(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        isSim[i] = !IsoMmeIsTestName(args[i]) && SimIsSimulationPath(args[i]);
        if (!(isTest[i] = !isSim[i] && IsoMmeIsTestPath(args[i])) && !isSim[i])
            taken.names.insert(FileNameOf(args[i]));
    }
    bool ok = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (isSim[i]) {
            const std::shared_ptr<const Simulation> sim = OpenSimulation(a);
            const std::vector<size_t> picked = sim ? PickedSimChannels(*sim) : std::vector<size_t>{};
            if (sim && picked.empty())
                PrintInputError(a, "no channel of the simulation matches --channel " + PatternList(g_channelPatterns));
            ok = ok && !picked.empty();
            for (size_t c : picked) {
                // FILE/ID/VARIABLE.rvf with its slashes as "_".
                inputs.push_back({a, UniqueName(sim->Channels()[c].name, taken), sim, c});
            }
            continue;
        }
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
           + std::to_string(inputs.size()) + " channels: pick one with " + (inputs[0].sim ? "--channel" : "--code")
           + " PATTERN or use --out-dir DIR";
}
