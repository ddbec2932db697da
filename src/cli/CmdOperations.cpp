// kalvio commands that run one signal operation, or a chain of them joined by
// --then, on each input file and store each result as RVF-1992.
#include "CliSupport.h"
#include "KVErrorList.h"
#include "KVFileRvf.h"
#include "KVNumberText.h"
#include "KVSignal.h"
#include "KalvioCommand.h"
#include "Operations.h"
#include "SignalInputs.h"

#include <string>
#include <vector>

namespace {

using Kalvio::OperationDef;

// One operation of a chain with its parsed arguments.
struct Step {
    const OperationDef* op = nullptr;
    double args[2] = {0.0, 0.0};
    bool flag = false; // the operation's own switch
};

// Parses "OP ARGS... [FLAG]" at tokens[i]; returns an empty text or the usage problem.
std::string ParseStep(const std::vector<std::string>& tokens, size_t& i, std::vector<Step>& steps)
{
    const OperationDef* def = Kalvio::FindOperation(tokens[i]);
    if (!def)
        return "unknown operation '" + tokens[i] + "'";
    Step step;
    step.op = def;
    ++i;
    std::string argNames;
    for (int a = 0; a < def->arity; ++a)
        argNames += (a ? " " : "") + std::string(def->args[a].cli);
    for (int a = 0; a < def->arity; ++a, ++i) {
        // Arguments are positional, so negative numbers read as numbers.
        const std::string need = std::string(def->name) + " needs " + argNames;
        if (i >= tokens.size())
            return need;
        if (def->integerArg) {
            int v = 0;
            if (!KVParseNumber(tokens[i], v))
                return need + " as a whole number, not '" + tokens[i] + "'";
            step.args[a] = v;
        } else {
            float v = 0;
            if (!KVParseNumber(tokens[i], v))
                return need + " as a finite number, not '" + tokens[i] + "'";
            step.args[a] = v;
        }
    }
    if (def->flag && i < tokens.size() && tokens[i] == def->flag) {
        step.flag = true;
        ++i;
    }
    steps.push_back(step);
    return {};
}

// Whether token is the switch of some operation.
bool IsOperationFlag(const std::string& token)
{
    for (const OperationDef& op : Kalvio::Operations())
        if (op.flag && token == op.flag)
            return true;
    return false;
}

// Sets the switch on every step whose operation has it; without one, the
// usage problem names the operation it belongs to.
std::string MarkSteps(std::vector<Step>& steps, const std::string& flag)
{
    bool any = false;
    for (Step& s : steps)
        if (s.op->flag && flag == s.op->flag)
            any = s.flag = true;
    if (any)
        return {};
    for (const OperationDef& op : Kalvio::Operations())
        if (op.flag && flag == op.flag)
            return flag + " belongs to " + op.name;
    return {};
}

int RunChain(const char* first, const std::vector<std::string>& args)
{
    std::vector<std::string> tokens{first};
    tokens.insert(tokens.end(), args.begin(), args.end());
    std::vector<Step> steps;
    std::vector<std::string> rest, flags;
    size_t i = 0;
    std::string problem = ParseStep(tokens, i, steps);
    while (problem.empty() && i < tokens.size()) {
        if (tokens[i] == "--then") {
            if (++i >= tokens.size())
                problem = "--then needs an operation";
            else
                problem = ParseStep(tokens, i, steps);
        } else if (IsOperationFlag(tokens[i])) {
            flags.push_back(tokens[i++]);
        } else {
            rest.push_back(tokens[i++]);
        }
    }
    for (size_t f = 0; problem.empty() && f < flags.size(); ++f)
        problem = MarkSteps(steps, flags[f]);
    if (!problem.empty())
        return UsageError(first, problem);
    OutputChoice choice;
    std::vector<std::string> unknown;
    problem = ParseOutputChoice(rest, choice, unknown);
    if (!problem.empty())
        return UsageError(first, problem);
    if (!unknown.empty())
        return UsageError(first, "unknown option " + unknown.front());
    std::vector<SignalInput> inputs;
    int status = ExpandSignalInputs(choice.inputs, inputs) ? KALVIO_OK : KALVIO_FAILED;
    problem = SingleOutputProblem(choice, inputs);
    if (!problem.empty())
        return UsageError(first, problem);
    if (!OutputsAreDistinct(choice, inputs))
        return KALVIO_FAILED;

    for (const SignalInput& input : inputs) {
        KVSignal signal;
        if (!LoadInputOrReport(input, signal)) {
            status = KALVIO_FAILED;
            continue;
        }
        KVErrorList errors;
        bool ok = true;
        for (const Step& s : steps) {
            if (!s.op->apply(signal, s.args, s.flag, &errors)) {
                ok = false;
                break;
            }
        }
        PrintErrors(errors, input.Name());
        if (!ok && input.sim && !UnitsOfThisRun())
            PrintInputError(input.Name(), kNeedsUnits);
        // A failed chain writes nothing: the output keeps what it held.
        if (!ok || !StoreSignalOrReport(signal, OutputPathOf(choice, input), input.Name()))
            status = KALVIO_FAILED;
    }
    return status;
}

} // namespace

#define KALVIO_CHAIN_HELP                                                                  \
    "Each input is read as RVF-1992, else as a two-column text file (time in\n"          \
    "milliseconds, or in seconds with --time-unit s); each result\n"                      \
    "is stored as RVF-1992: with -o OUT (one input) or into DIR under the input's\n"      \
    "file name (--out-dir DIR; two inputs of one file name are refused). An\n"         \
    "ISO-MME test stands for its channels (those --code PATTERN picks), each\n"        \
    "stored as CODE.rvf. Further\n"                                                    \
    "operations follow with --then OP ARGS and run in order, e.g. 'kalvio cfc 60\n"      \
    "--then integrate IN -o OUT'. Errors and warnings go to standard error as\n"         \
    "\"IN: scope - message\". An input whose operation\n"                              \
    "fails is not written. Exit status 0 (warnings allowed), 1 when any input\n"          \
    "failed, 2 on bad usage.\n"

std::vector<KalvioCommand> OperationCommands()
{
    std::vector<KalvioCommand> commands;
    for (const OperationDef& op : Kalvio::Operations()) {
        std::string help = std::string("Usage: kalvio ") + op.name;
        for (int a = 0; a < op.arity; ++a)
            help += std::string(" ") + op.args[a].cli;
        if (op.flag)
            help += std::string(" [") + op.flag + "]";
        help += std::string(" IN... (-o OUT | --out-dir DIR)\n") + op.description + KALVIO_CHAIN_HELP;
        const char* name = op.name;
        commands.push_back({name, op.summary, help, [name](const std::vector<std::string>& args) {
                                return RunChain(name, args);
                            }});
    }
    return commands;
}
