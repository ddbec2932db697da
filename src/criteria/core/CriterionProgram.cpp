#include "CriterionProgram.h"

#include "KVPrintableName.h"

#include "IsoMmeTest.h"
#include "KVErrorList.h"
#include "KVNumberText.h"
#include "KVSystemReason.h"
#include "OutcomeJson.h"
#include "KVSignal.h"
#include "Simulation.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdlib>
#include <new>
#include <ostream>
#include <stdexcept>

namespace Criteria {

std::string ParseProgramArgs(const CriterionDef& def, const std::vector<std::string>& args, ProgramArgs& out)
{
    out = ProgramArgs{};
    out.dummy = &Dummies().front();
    CLI::App cli;
    cli.set_help_flag();
    cli.allow_extras(); // an unknown option is named in our own words below
    cli.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    cli.add_flag("-h,--help", out.help);
    cli.add_flag("--text", out.text);
    cli.add_flag("--json", out.json);
    cli.add_flag("--list-dummies", out.listDummies);
    cli.add_flag("--right", out.test.rightSide);
    if (def.id == CriterionId::Clip3ms)
        cli.add_flag("--cumulative", out.options.clipCumulative);
    // A value option without its value is told what it needs.
    std::string v0, dummy, timeUnit, position;
    const auto valueOption = [&](const char* name, std::string& value) {
        return cli.add_option(name, value)->expected(0, 1);
    };
    CLI::Option* v0Given = def.id == CriterionId::Olc ? valueOption("--v0", v0) : nullptr;
    CLI::Option* dummyGiven = valueOption("--dummy", dummy);
    CLI::Option* timeUnitGiven = valueOption("--time-unit", timeUnit);
    CLI::Option* positionGiven = valueOption("--position", position);
    std::string units;
    CLI::Option* unitsGiven = valueOption("--units", units);
    // Each --channel takes one pattern; the patterns add up.
    cli.add_option("--channel", out.channels)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    cli.add_option("paths", out.paths);
    try {
        cli.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::ParseError& e) {
        return e.what();
    }
    if (!cli.remaining().empty())
        return "unknown option " + cli.remaining().front();
    if (v0Given && v0Given->count()) {
        double v = 0.0;
        if (v0.empty())
            return "--v0 needs a velocity in m/s";
        if (!KVParseNumber(v0, v) || !(v > 0))
            return "--v0 needs a positive velocity in m/s, not '" + v0 + "'";
        out.options.v0 = v;
    }
    if (dummyGiven->count() && dummy.empty())
        return "--dummy needs a dummy name";
    if (dummyGiven->count() && !(out.dummy = FindDummy(dummy)))
        return "unknown dummy '" + dummy + "' (see --list-dummies)";
    if (timeUnitGiven->count() && timeUnit.empty())
        return "--time-unit needs s or ms";
    if (timeUnitGiven->count() && !KVParseTimeUnit(timeUnit, out.timeUnit))
        return "--time-unit takes s (seconds) or ms (milliseconds), not '" + timeUnit + "'";
    if (positionGiven->count() && position.size() != 1)
        return "--position needs one seat character (1 the driver, 3 the front passenger)";
    if (positionGiven->count())
        out.test.position = position[0];
    if (out.text && out.json)
        return "--text and --json exclude each other";
    if (unitsGiven->count()) {
        std::string why;
        if (units.empty())
            return "--units needs LENGTH-TIME-MASS-FORCE (such as mm-ms-kg-kN)";
        if (!SimParseUnits(units, out.units, why))
            return "--units: " + why;
        out.haveUnits = true;
    }
    for (const std::string& p : out.channels)
        if (p.empty())
            return "--channel needs a channel name pattern (? one character, * any run)";
    if (out.help || out.listDummies)
        return {};
    const size_t n = out.paths.size();
    if (n == 1 && !IsoMmeIsTestName(out.paths[0]) && SimIsSimulationPath(out.paths[0])) {
        out.simulation = out.paths[0];
        return {};
    }
    if (!out.channels.empty() || out.haveUnits)
        return "--channel and --units pick channels of a simulation (a binout or an ASCII file): give one";
    if (n == 1 && IsoMmeIsTestPath(out.paths[0])) {
        out.test.test = out.paths[0];
        return {};
    }
    if (n == 1 && def.takesOne)
        return {};
    if (n == 3 && def.takesThree)
        return {};
    if (def.takesOne && def.takesThree)
        return "give one file or three files in X, Y, Z order";
    return def.takesOne ? "give exactly one file" : "give three files in X, Y, Z order";
}

bool LoadInputs(const CriterionDef& def, const std::vector<std::string>& paths, std::vector<Channel>& inputs,
                KVErrorList& errors, KVTimeUnit textTimeUnit)
{
    inputs.assign(paths.size(), Channel{});
    for (size_t i = 0; i < paths.size(); ++i) {
        const Quantity q = paths.size() == 3 ? def.three[i] : def.single;
        if (!LoadChannel(paths[i], q, inputs[i], errors, textTimeUnit))
            return false;
    }
    return AlignChannels(inputs, def.minSpan, errors);
}

namespace {

const char* const kSimScope = "Criteria::Simulation";

// The channels of the simulation that the patterns pick, one for a criterion
// of one input or three in X, Y, Z order (the simulation's order), each read
// in the units given and named PATH:CHANNEL.
bool LoadSimulationInputs(const CriterionDef& def, const ProgramArgs& args, std::vector<Channel>& inputs,
                          std::vector<std::string>& took, KVErrorList& errors)
{
    const std::string& path = args.simulation;
    if (!args.haveUnits) {
        errors.AddError(path + ": " + kSimNeedsUnits, kSimScope);
        return false;
    }
    const std::unique_ptr<Simulation> sim = Simulation::Open(path, errors);
    if (!sim)
        return false;
    const std::vector<size_t> picked = SimPickChannels(*sim, args.channels);
    const bool fits = (picked.size() == 1 && def.takesOne) || (picked.size() == 3 && def.takesThree);
    if (!fits) {
        std::string names;
        for (size_t k = 0; k < picked.size() && k < 4; ++k)
            names += (k == 0 ? " (" : ", ") + sim->Channels()[picked[k]].name;
        names += picked.empty() ? "" : picked.size() > 4 ? ", ...)" : ")";
        const std::string wants = def.takesOne && def.takesThree ? "one channel or three in X, Y, Z order"
                                  : def.takesOne                 ? "one channel"
                                                                 : "three channels in X, Y, Z order";
        errors.AddError(path + ": --channel picks " + std::to_string(picked.size()) + " channels" + names
                            + "; the criterion takes " + wants,
                        kSimScope);
        return false;
    }
    inputs.assign(picked.size(), Channel{});
    for (size_t k = 0; k < picked.size(); ++k) {
        const SimChannelInfo& info = sim->Channels()[picked[k]];
        KVSignal signal;
        if (!sim->LoadChannel(picked[k], &args.units, signal, errors)
            || !ChannelFromSignal(signal, false, path + ":" + info.name, picked.size() == 3 ? def.three[k] : def.single,
                                  inputs[k], errors))
            return false;
        took.push_back("took " + info.name + " (" + info.title + ") from " + path + " in " + args.units.text);
    }
    return AlignChannels(inputs, def.minSpan, errors);
}

} // namespace

bool LoadProgramInputs(const CriterionDef& def, const ProgramArgs& args, std::vector<Channel>& inputs,
                       std::vector<std::string>& notes, KVErrorList& errors)
{
    notes.clear();
    if (!args.simulation.empty())
        return LoadSimulationInputs(def, args, inputs, notes, errors);
    if (args.test.test.empty())
        return LoadInputs(def, args.paths, inputs, errors, args.timeUnit);
    std::vector<std::string> paths;
    return SelectTestChannels(def, args.test, paths, notes, errors)
           && LoadInputs(def, paths, inputs, errors, args.timeUnit);
}

bool LoadAndEvaluate(const CriterionDef& def, const ProgramArgs& args, std::vector<Channel>& inputs,
                     Outcome& outcome, KVErrorList& errors)
{
    std::vector<std::string> took;
    if (!LoadProgramInputs(def, args, inputs, took, errors)
        || !Evaluate(def, inputs, *args.dummy, outcome, errors, args.options))
        return false;
    outcome.notes.insert(outcome.notes.begin(), took.begin(), took.end());
    return true;
}

void PrintProgramErrors(const CriterionDef& def, const KVErrorList& errors, std::ostream& err)
{
    for (int i = 0; i < errors.ErrorCount(); ++i)
        err << def.program << ": " << KVPrintableText(errors.ErrorScope(i)) << " - "
            << KVPrintableText(errors.ErrorMessage(i)) << "\n";
}

namespace {

int RunTextProgramUnchecked(const CriterionDef& def, const std::vector<std::string>& args, std::ostream& out,
                            std::ostream& err)
{
    ProgramArgs parsed;
    const std::string problem = ParseProgramArgs(def, args, parsed);
    if (!problem.empty()) {
        err << def.program << ": " << problem << "\nTry '" << def.program << " --help'.\n";
        return PROGRAM_USAGE;
    }
    if (parsed.help) {
        out << ProgramHelp(def);
        return PROGRAM_OK;
    }
    if (parsed.listDummies) {
        for (const DummyInfo& d : Dummies())
            out << d.key << "\t" << d.name << "\n";
        return PROGRAM_OK;
    }
    std::vector<Channel> inputs;
    Outcome outcome;
    KVErrorList errors;
    if (!LoadAndEvaluate(def, parsed, inputs, outcome, errors)) {
        PrintProgramErrors(def, errors, err);
        return PROGRAM_FAILED;
    }
    out << (parsed.json ? OutcomeJson(outcome) : FormatOutcome(outcome));
    return PROGRAM_OK;
}

} // namespace

int ReportNotEnoughMemory(const CriterionDef& def, const std::vector<std::string>& args, std::ostream& err)
{
    ProgramArgs parsed;
    ParseProgramArgs(def, args, parsed);
    std::string inputs;
    for (const std::string& p : parsed.paths)
        inputs += (inputs.empty() ? "" : ", ") + KVPrintableName(p);
    err << def.program << ": " << (inputs.empty() ? "" : inputs + ": ") << kNotEnoughMemory << "\n";
    return PROGRAM_FAILED;
}

int RunTextProgram(const CriterionDef& def, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err)
{
    int status = PROGRAM_FAILED;
    try {
        status = RunTextProgramUnchecked(def, args, out, err);
    } catch (const std::bad_alloc&) {
        return ReportNotEnoughMemory(def, args, err);
    } catch (const std::length_error&) {
        return ReportNotEnoughMemory(def, args, err);
    }
    // Regression: a result lost on a full disk or a closed pipe still exited 0.
    if (!out.flush()) {
        err << def.program << ": writing to standard output failed\n";
        return PROGRAM_FAILED;
    }
    return status;
}

} // namespace Criteria
