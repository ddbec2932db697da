// kalvio sum, average, resultant (several signals into one) and name.
#include "CliSupport.h"
#include "KVErrorList.h"
#include "KVFileRvf.h"
#include "KVPrintableName.h"
#include "KVSignal.h"
#include "Kalvio.h"
#include "KalvioCommand.h"
#include "SignalInputs.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

enum class Combine { Sum, Average, Resultant };

// The line kalvio name prints for an input it cannot name.
const char* const kNameFailed = "?failed?";

int RunCombine(const char* name, Combine kind, const std::vector<std::string>& args)
{
    OutputChoice choice;
    std::vector<std::string> unknown;
    std::string problem = ParseOutputChoice(args, choice, unknown, false);
    if (problem.empty() && !choice.outDir.empty())
        problem = "writes one result: give -o OUT";
    if (problem.empty() && !unknown.empty())
        problem = "unknown option " + unknown.front();
    if (!problem.empty())
        return UsageError(name, problem);
    std::vector<SignalInput> inputs;
    const bool expanded = ExpandSignalInputs(choice.inputs, inputs);
    if (kind == Combine::Resultant && expanded && inputs.size() != 2 && inputs.size() != 3)
        return UsageError(name, "give two or three component files");

    // Every input must load before anything is computed or written.
    std::vector<std::unique_ptr<KVSignal>> signals;
    bool loaded = expanded;
    for (const SignalInput& in : inputs) {
        signals.push_back(std::make_unique<KVSignal>());
        loaded = LoadInputOrReport(in, *signals.back()) && loaded;
    }
    if (!loaded)
        return KALVIO_FAILED;

    KVErrorList errors;
    KVSignal result;
    bool ok = false;
    if (kind == Combine::Resultant) {
        ok = signals.size() == 3 ? Kalvio::Resultant(result, *signals[0], *signals[1], *signals[2], &errors)
                                 : Kalvio::Resultant(result, *signals[0], *signals[1], &errors);
    } else {
        std::vector<KVSignal*> list;
        for (auto& s : signals)
            list.push_back(s.get());
        ok = kind == Combine::Sum ? Kalvio::Sum(list, &errors) : Kalvio::Average(list, &errors);
        if (ok)
            result = std::move(*signals[0]);
    }
    PrintErrors(errors);
    if (!ok)
        return KALVIO_FAILED;
    return StoreSignalOrReport(result, choice.out, choice.out) ? KALVIO_OK : KALVIO_FAILED;
}

int RunSum(const std::vector<std::string>& a) { return RunCombine("sum", Combine::Sum, a); }
int RunAverage(const std::vector<std::string>& a) { return RunCombine("average", Combine::Average, a); }
int RunResultant(const std::vector<std::string>& a) { return RunCombine("resultant", Combine::Resultant, a); }

int RunName(const std::vector<std::string>& args)
{
    if (args.empty())
        return UsageError("name", "no file given");
    std::vector<SignalInput> inputs;
    int status = ExpandSignalInputs(args, inputs) ? KALVIO_OK : KALVIO_FAILED;
    for (const SignalInput& input : inputs) {
        KVSignal signal;
        std::string code;
        if (!LoadInputOrReport(input, signal) || !Kalvio::FileNameCode(signal, &code)) {
            // A placeholder keeps the lines in step with the inputs.
            std::printf("%s\n", kNameFailed);
            status = KALVIO_FAILED;
            continue;
        }
        std::printf("%s\n", KVPrintableText(code).c_str());
    }
    return status;
}

} // namespace

#define KALVIO_COMBINE_HELP                                                                \
    "Inputs are read as RVF-1992, else as two-column text; the result is stored\n"        \
    "as RVF-1992 in OUT. An ISO-MME test stands for its channels, those --code\n"     \
    "PATTERN picks, in the order of its list. Errors go to standard error as\n"        \
    "\"scope - message\"; exit\n"                                                    \
    "status 1 when an input cannot be read or the operation fails (nothing is\n"          \
    "written then), 2 on bad usage.\n"

const KalvioCommand kSumCommand = {
    "sum", "point-by-point sum of signals",
    "Usage: kalvio sum IN... -o OUT\n"
    "Adds the Y values point by point; the result keeps the first input's X\n"
    "values and header, with status SUM. All inputs need the same number of\n"
    "points and the same first and last point indices.\n" KALVIO_COMBINE_HELP,
    RunSum};

const KalvioCommand kAverageCommand = {
    "average", "point-by-point mean of signals",
    "Usage: kalvio average IN... -o OUT\n"
    "As sum, divided by the number of inputs; status AVERAGE.\n" KALVIO_COMBINE_HELP,
    RunAverage};

const KalvioCommand kResultantCommand = {
    "resultant", "vector magnitude of two or three components",
    "Usage: kalvio resultant A B [C] -o OUT\n"
    "sqrt(A^2 + B^2 [+ C^2]) point by point; the result keeps A's X values and\n"
    "header, with axis RS and status COMPUTED.\n" KALVIO_COMBINE_HELP,
    RunResultant};

const KalvioCommand kNameCommand = {
    "name", "print the default file name (8.3 code) of signal files",
    "Usage: kalvio name FILE...\n"
    "Prints for each file, one a line, the name coded from its header:\n"
    "database, test number, dimension, status, cut-off and curve number,\n"
    "e.g. V0123afd.005. A file that cannot be read gets the line ?failed?, so\n"
    "that line n belongs to input n (an ISO-MME test stands for its channels,\n"
    "those --code PATTERN picks). Exit status 1 when any file could not be read.\n",
    RunName};
