// kalvio: the signal library on the command line.
#include "CliSupport.h"
#include "KVPrintableName.h"
#include "KalvioCommand.h"
#include "SignalInputs.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void PrintOverview(std::FILE* out)
{
    std::fprintf(out,
                 "Usage: kalvio COMMAND [ARGS...]\n"
                 "Inspect, convert and process crash-test signal files and ISO-MME tests.\n"
                 "\nCommands:\n");
    for (const KalvioCommand& c : KalvioCommands())
        std::fprintf(out, "  %-12s %s\n", c.name, c.summary);
    std::fprintf(out,
                 "\nEvery command that reads signals takes, besides signal files (RVF-1992,\n"
                 "ISO-MME channel, two-column text), ISO-MME tests: TEST.mme, the test's\n"
                 "folder or a .zip holding it, each standing for the channels of its channel\n"
                 "list. Their options (not of assess, whose protocol picks the channels):\n"
                 "  --code PATTERN    take only the channels of a test whose 16-character code\n"
                 "                    matches PATTERN (? one character, * any run, case-blind;\n"
                 "                    repeat it for several patterns): '--code 11HEAD*' the\n"
                 "                    driver's head, '--code ??FEMR*FOZ?' both femur forces.\n"
                 "                    Files named are taken as they are.\n"
                 "  --time-unit s|ms  unit of the time column of two-column text inputs that\n"
                 "                    state none in a header line (\"Time (ms)\", \"t/s\"): ms\n"
                 "                    (milliseconds, the default) or s (seconds); a step below\n"
                 "                    1 us or above 10 ms in that unit is warned of\n"
                 "Simulations as well: a binout (binout, binout0000 with its sister files\n"
                 "and continuations, any name: told by its header) or an ASCII time-history\n"
                 "file (nodout, glstat, secforc, rcforc, matsum, sbtout, jntforc, deforc,\n"
                 "abstat), each standing for its channels FILE/ID/VARIABLE\n"
                 "(nodout/1001/x_acceleration, glstat/kinetic_energy):\n"
                 "  --channel PATTERN take only the channels whose name matches PATTERN (?, *;\n"
                 "                    repeatable): '--channel nodout/*/?_acceleration'\n"
                 "  --units L-T-M-F   the model's consistent units (mm-ms-kg-kN, mm-s-t-N,\n"
                 "                    m-s-kg-N, ...): channels then come in seconds, mm, m/s,\n"
                 "                    g, N, N m, J, kg; without it in model units, which the\n"
                 "                    filters and the rating refuse\n"
                 "A channel's result is stored as CODE.rvf (_ for an unknown code character,\n"
                 "a number added to a repeated code); two results are never one file.\n"
                 "An existing output file that is write-protected (one the user may not\n"
                 "write) is refused; --force, taken by every command, replaces it.\n"
                 "\nRun 'kalvio COMMAND --help' for the arguments of a command.\n"
                 "Errors and warnings go to standard error as \"scope - message\", after\n"
                 "\"FILE: \" when they concern one input file.\n"
                 "Exit status: 0 success, 1 a file or operation failed, 2 bad usage.\n");
}

int RunCommand(int argc, char** argv)
{
    if (argc < 2) {
        PrintOverview(stderr);
        return KALVIO_USAGE;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintOverview(stdout);
        return KALVIO_OK;
    }
    for (const KalvioCommand& c : KalvioCommands()) {
        if (name != c.name)
            continue;
        std::vector<std::string> args(argv + 2, argv + argc);
        // A command without a help text of its own (report) gives it itself.
        if (WantsHelp(args) && !c.help.empty()) {
            std::fputs(c.help.c_str(), stdout);
            return KALVIO_OK;
        }
        TakeForceOption(args);
        if (c.readsSignals) {
            std::string problem = TakeTimeUnitOption(args);
            if (problem.empty())
                problem = TakeCodeOption(args);
            if (problem.empty())
                problem = TakeChannelOption(args);
            if (problem.empty())
                problem = TakeUnitsOption(args);
            if (!problem.empty())
                return UsageError(name, problem);
        }
        const int status = c.run(args);
        if (c.readsSignals)
            WarnOfUnusedCodePatterns();
        return status;
    }
    std::fprintf(stderr, "kalvio: unknown command '%s'\nTry 'kalvio --help'.\n", KVPrintableText(name).c_str());
    return KALVIO_USAGE;
}

} // namespace

int main(int argc, char** argv)
{
    // Long output (info over many files, dump) leaves in large writes when it
    // goes to a file or a pipe; a terminal keeps its line buffering.
    static char buffer[1 << 16];
    if (!::isatty(STDOUT_FILENO))
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    const int status = RunCommand(argc, argv);
    // Output that did not reach its destination is a failure too.
    return FinishStandardOutput() || status != KALVIO_OK ? status : KALVIO_FAILED;
}
