#include "CriterionProgram.h"

#include "KVPrintableName.h"

#include "IsoMmeTest.h"
#include "KVErrorList.h"
#include "KVNumberText.h"
#include "KVSystemReason.h"
#include "OutcomeJson.h"

#include <cmath>
#include <cstdlib>
#include <new>
#include <ostream>
#include <stdexcept>

namespace Criteria {

namespace {

// The value of option name: "--name VALUE" or "--name=VALUE"; false at the end of args.
bool OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& name, std::string& value)
{
    if (args[i] == name) {
        if (i + 1 >= args.size())
            return false;
        value = args[++i];
        return true;
    }
    value = args[i].substr(name.size() + 1);
    return true;
}

bool IsOption(const std::string& arg, const std::string& name)
{
    return arg == name || arg.rfind(name + "=", 0) == 0;
}

} // namespace

std::string ParseProgramArgs(const CriterionDef& def, const std::vector<std::string>& args, ProgramArgs& out)
{
    out = ProgramArgs{};
    out.dummy = &Dummies().front();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-h" || a == "--help") {
            out.help = true;
        } else if (a == "--text") {
            out.text = true;
        } else if (a == "--json") {
            out.json = true;
        } else if (a == "--cumulative" && def.id == CriterionId::Clip3ms) {
            out.options.clipCumulative = true;
        } else if (IsOption(a, "--v0") && def.id == CriterionId::Olc) {
            std::string value;
            if (!OptionValue(args, i, "--v0", value))
                return "--v0 needs a velocity in m/s";
            double v0 = 0.0;
            if (!KVParseNumber(value, v0) || !(v0 > 0))
                return "--v0 needs a positive velocity in m/s, not '" + value + "'";
            out.options.v0 = v0;
        } else if (a == "--list-dummies") {
            out.listDummies = true;
        } else if (IsOption(a, "--dummy")) {
            std::string key;
            if (!OptionValue(args, i, "--dummy", key))
                return "--dummy needs a dummy name";
            out.dummy = FindDummy(key);
            if (!out.dummy)
                return "unknown dummy '" + key + "' (see --list-dummies)";
        } else if (IsOption(a, "--time-unit")) {
            std::string unit;
            if (!OptionValue(args, i, "--time-unit", unit))
                return "--time-unit needs s or ms";
            if (!KVParseTimeUnit(unit, out.timeUnit))
                return "--time-unit takes s (seconds) or ms (milliseconds), not '" + unit + "'";
        } else if (a == "--position") {
            if (i + 1 >= args.size() || args[i + 1].size() != 1)
                return "--position needs one seat character (1 the driver, 3 the front passenger)";
            out.test.position = args[++i][0];
        } else if (a == "--right") {
            out.test.rightSide = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + a;
        } else {
            out.paths.push_back(a);
        }
    }
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
