#include "CriterionProgram.h"

#include "KVPrintableName.h"

#include "IsoMmeTest.h"
#include "KVErrorList.h"
#include "KVNumberText.h"
#include "KVSystemReason.h"
#include "OutcomeJson.h"

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
    if (out.help || out.listDummies)
        return {};
    const size_t n = out.paths.size();
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

bool LoadAndEvaluate(const CriterionDef& def, const ProgramArgs& args, std::vector<Channel>& inputs,
                     Outcome& outcome, KVErrorList& errors)
{
    if (args.test.test.empty())
        return LoadInputs(def, args.paths, inputs, errors, args.timeUnit)
               && Evaluate(def, inputs, *args.dummy, outcome, errors, args.options);
    std::vector<std::string> paths, took;
    if (!SelectTestChannels(def, args.test, paths, took, errors)
        || !LoadInputs(def, paths, inputs, errors, args.timeUnit)
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
