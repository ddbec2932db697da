// kalvio commands that run one signal operation, or a chain of them joined by
// --then, on each input file and store each result as RVF-1992.
#include "CliSupport.h"
#include "KVErrorList.h"
#include "KVFileRvf.h"
#include "KVNumberText.h"
#include "KVSignal.h"
#include "Kalvio.h"
#include "KalvioCommand.h"
#include "SignalInputs.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

// One operation of a chain with its parsed arguments.
struct Step {
    std::string op;
    std::vector<float> args;
    bool keepBias = false;
    bool allowLarge = false; // resample: no limit on the number of points
};

struct OpDef {
    const char* name;
    int arity;
    const char* argNames; // for usage messages
    bool integerArg;
};

const OpDef kOps[] = {
    {"cfc", 1, "CLASS", true},       {"filter", 1, "HZ", false},      {"fir100", 0, "", false},
    {"resample", 1, "STEP", false},  {"truncate", 2, "START STOP", false},
    {"derivative", 0, "", false},    {"integrate", 0, "", false},     {"bias", 0, "", false},
    {"add-y", 1, "C", false},        {"add-x", 1, "C", false},        {"scale-y", 1, "F", false},
    {"scale-x", 1, "F", false},
};

const OpDef* FindOp(const std::string& name)
{
    for (const OpDef& op : kOps)
        if (name == op.name)
            return &op;
    return nullptr;
}

bool ApplyStep(const Step& s, KVSignal& signal, KVErrorList& errors)
{
    const std::string& op = s.op;
    if (op == "cfc")
        return Kalvio::BWfilt(signal, static_cast<int>(s.args[0]), &errors);
    if (op == "filter")
        return Kalvio::BWfilt(signal, double(s.args[0]), &errors);
    if (op == "fir100")
        return Kalvio::FIR100(signal, !s.keepBias, &errors);
    if (op == "resample")
        return Kalvio::Resample(signal, s.args[0], &errors,
                                s.allowLarge ? std::numeric_limits<std::size_t>::max() : Kalvio::kResampleMaxPoints);
    if (op == "truncate")
        return Kalvio::Truncate(signal, s.args[0], s.args[1], &errors);
    if (op == "derivative")
        return Kalvio::derivY(signal, &errors);
    if (op == "integrate")
        return Kalvio::TrapInteg(signal, &errors);
    if (op == "bias")
        return Kalvio::Bias(signal, &errors);
    if (op == "add-y")
        return Kalvio::AddConstantY(signal, s.args[0], &errors);
    if (op == "add-x")
        return Kalvio::AddConstantX(signal, s.args[0], &errors);
    if (op == "scale-y")
        return Kalvio::ScaleY(signal, s.args[0], &errors);
    return Kalvio::ScaleX(signal, s.args[0], &errors);
}

// Parses "OP ARGS..." at tokens[i]; returns an empty text or the usage problem.
std::string ParseStep(const std::vector<std::string>& tokens, size_t& i, std::vector<Step>& steps)
{
    const OpDef* def = FindOp(tokens[i]);
    if (!def)
        return "unknown operation '" + tokens[i] + "'";
    Step step;
    step.op = def->name;
    ++i;
    for (int a = 0; a < def->arity; ++a, ++i) {
        // Arguments are positional, so negative numbers read as numbers.
        const std::string need = std::string(def->name) + " needs " + def->argNames;
        if (i >= tokens.size())
            return need;
        if (def->integerArg) {
            int v = 0;
            if (!KVParseNumber(tokens[i], v))
                return need + " as a whole number, not '" + tokens[i] + "'";
            step.args.push_back(static_cast<float>(v));
        } else {
            float v = 0;
            if (!KVParseNumber(tokens[i], v))
                return need + " as a finite number, not '" + tokens[i] + "'";
            step.args.push_back(v);
        }
    }
    if (step.op == "fir100" && i < tokens.size() && tokens[i] == "--keep-bias") {
        step.keepBias = true;
        ++i;
    }
    if (step.op == "resample" && i < tokens.size() && tokens[i] == "--allow-large") {
        step.allowLarge = true;
        ++i;
    }
    steps.push_back(step);
    return {};
}

// Sets a flag on every step of operation op; false when the chain has none.
bool MarkSteps(std::vector<Step>& steps, const char* op, bool Step::*flag)
{
    bool any = false;
    for (Step& s : steps) {
        if (s.op == op)
            any = s.*flag = true;
    }
    return any;
}

int RunChain(const char* first, const std::vector<std::string>& args)
{
    std::vector<std::string> tokens{first};
    tokens.insert(tokens.end(), args.begin(), args.end());
    std::vector<Step> steps;
    std::vector<std::string> rest;
    bool keepBias = false;
    bool allowLarge = false;
    size_t i = 0;
    std::string problem = ParseStep(tokens, i, steps);
    while (problem.empty() && i < tokens.size()) {
        if (tokens[i] == "--then") {
            if (++i >= tokens.size())
                problem = "--then needs an operation";
            else
                problem = ParseStep(tokens, i, steps);
        } else if (tokens[i] == "--keep-bias") {
            keepBias = true;
            ++i;
        } else if (tokens[i] == "--allow-large") {
            allowLarge = true;
            ++i;
        } else {
            rest.push_back(tokens[i++]);
        }
    }
    if (!problem.empty())
        return UsageError(first, problem);
    if (keepBias && !MarkSteps(steps, "fir100", &Step::keepBias))
        return UsageError(first, "--keep-bias belongs to fir100");
    if (allowLarge && !MarkSteps(steps, "resample", &Step::allowLarge))
        return UsageError(first, "--allow-large belongs to resample");
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
        if (!LoadSignalOrReport(input.path, signal)) {
            status = KALVIO_FAILED;
            continue;
        }
        KVErrorList errors;
        bool ok = true;
        for (const Step& s : steps) {
            if (!ApplyStep(s, signal, errors)) {
                ok = false;
                break;
            }
        }
        PrintErrors(errors, input.path);
        // A failed chain writes nothing: the output keeps what it held.
        if (!ok || !StoreSignalOrReport(signal, OutputPathOf(choice, input), input.path))
            status = KALVIO_FAILED;
    }
    return status;
}

int RunCfc(const std::vector<std::string>& a) { return RunChain("cfc", a); }
int RunFilter(const std::vector<std::string>& a) { return RunChain("filter", a); }
int RunFir100(const std::vector<std::string>& a) { return RunChain("fir100", a); }
int RunResample(const std::vector<std::string>& a) { return RunChain("resample", a); }
int RunTruncate(const std::vector<std::string>& a) { return RunChain("truncate", a); }
int RunDerivative(const std::vector<std::string>& a) { return RunChain("derivative", a); }
int RunIntegrate(const std::vector<std::string>& a) { return RunChain("integrate", a); }
int RunBias(const std::vector<std::string>& a) { return RunChain("bias", a); }
int RunAddY(const std::vector<std::string>& a) { return RunChain("add-y", a); }
int RunAddX(const std::vector<std::string>& a) { return RunChain("add-x", a); }
int RunScaleY(const std::vector<std::string>& a) { return RunChain("scale-y", a); }
int RunScaleX(const std::vector<std::string>& a) { return RunChain("scale-x", a); }

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

const KalvioCommand kCfcCommand = {
    "cfc", "SAE J211 filter of channel class 60, 180, 600 or 1000",
    "Usage: kalvio cfc CLASS IN... (-o OUT | --out-dir DIR)\n"
    "Filters the Y values with the phaseless channel-class filter, corner\n"
    "CLASS x 5/3 Hz. A signal that already carries CLASS is stored unchanged.\n"
    "Needs X type TIME in SECONDS and a constant time step.\n" KALVIO_CHAIN_HELP,
    RunCfc};

const KalvioCommand kFilterCommand = {
    "filter", "phaseless Butterworth low-pass at a corner frequency",
    "Usage: kalvio filter HZ IN... (-o OUT | --out-dir DIR)\n"
    "Filters the Y values with the channel-class filter at the corner HZ and\n"
    "records it in the header (cut-off HZ, stopping frequency 2.5 x HZ).\n" KALVIO_CHAIN_HELP,
    RunFilter};

const KalvioCommand kFir100Command = {
    "fir100", "FIR100 filter: 100 Hz low-pass at 1600 samples/s",
    "Usage: kalvio fir100 [--keep-bias] IN... (-o OUT | --out-dir DIR)\n"
    "300 Hz pre-filter, resampling to 0.000625 s, removal of the pre-event bias\n"
    "(left out with --keep-bias) and the 50-tap FIR filter. A signal filtered\n"
    "so before is stored unchanged with a warning.\n" KALVIO_CHAIN_HELP,
    RunFir100};

const KalvioCommand kResampleCommand = {
    "resample", "put a signal on a new uniform time step",
    "Usage: kalvio resample STEP [--allow-large] IN... (-o OUT | --out-dir DIR)\n"
    "Interpolates linearly onto the times j x STEP (STEP in the signal's X units)\n"
    "that lie within the data. A result of more than " KV_RESAMPLE_MAX_POINTS_TEXT " points is refused\n"
    "(a step in the wrong unit, as a rule) unless --allow-large is given.\n" KALVIO_CHAIN_HELP,
    RunResample};

const KalvioCommand kTruncateCommand = {
    "truncate", "keep the samples with START <= X < STOP",
    "Usage: kalvio truncate START STOP IN... (-o OUT | --out-dir DIR)\n"
    "Keeps the points from START up to, not including, STOP; status Truncated.\n" KALVIO_CHAIN_HELP,
    RunTruncate};

const KalvioCommand kDerivativeCommand = {
    "derivative", "differentiate Y with respect to X, with units",
    "Usage: kalvio derivative IN... (-o OUT | --out-dir DIR)\n"
    "dY/dX; Y units and dimension follow from the units (METERS over SECONDS\n"
    "give KILOMETERS/HOUR, and so on).\n" KALVIO_CHAIN_HELP,
    RunDerivative};

const KalvioCommand kIntegrateCommand = {
    "integrate", "integrate Y over X from time zero, with units",
    "Usage: kalvio integrate IN... (-o OUT | --out-dir DIR)\n"
    "Trapezoidal integral anchored at time zero (or at the first sample when\n"
    "the data start later); G'S over SECONDS give KILOMETERS/HOUR (MILES/HOUR\n"
    "with unit system ENG) starting at the initial velocity.\n" KALVIO_CHAIN_HELP,
    RunIntegrate};

const KalvioCommand kBiasCommand = {
    "bias", "remove the pre-event offset",
    "Usage: kalvio bias IN... (-o OUT | --out-dir DIR)\n"
    "Subtracts the median of the densest half of the samples before the\n"
    "largest |Y|. Needs a constant time step.\n" KALVIO_CHAIN_HELP,
    RunBias};

const KalvioCommand kAddYCommand = {
    "add-y", "add a constant to every Y value",
    "Usage: kalvio add-y C IN... (-o OUT | --out-dir DIR)\n" KALVIO_CHAIN_HELP, RunAddY};

const KalvioCommand kAddXCommand = {
    "add-x", "add a constant to every X value (shift in time)",
    "Usage: kalvio add-x C IN... (-o OUT | --out-dir DIR)\n"
    "With a constant step the point indices move by C / step, rounded.\n" KALVIO_CHAIN_HELP,
    RunAddX};

const KalvioCommand kScaleYCommand = {
    "scale-y", "multiply every Y value by a factor",
    "Usage: kalvio scale-y F IN... (-o OUT | --out-dir DIR)\n" KALVIO_CHAIN_HELP, RunScaleY};

const KalvioCommand kScaleXCommand = {
    "scale-x", "multiply every X value (and the step) by a factor",
    "Usage: kalvio scale-x F IN... (-o OUT | --out-dir DIR)\n" KALVIO_CHAIN_HELP, RunScaleX};
