// kalvio report: the test report as a PDF. The pages are drawn with the
// graph, which needs Qt; kalvio links no Qt, so the command runs the program
// kalvio-report that stands beside it with the same arguments.
#include "CliSupport.h"
#include "KVOutputFile.h"
#include "KalvioCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int RunReport(const std::vector<std::string>& args)
{
    const std::string program = ProgramDir() + "/kalvio-report";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    // kalvio took --force for itself; the program that writes needs it.
    std::string force = "--force";
    if (KVReplacesWriteProtected())
        argv.push_back(force.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    execv(program.c_str(), argv.data());
    std::fprintf(stderr, "kalvio report: cannot run %s: %s (the report program is built with the desktop's Qt "
                         "libraries and installed beside kalvio)\n",
                 program.c_str(), std::strerror(errno));
    return KALVIO_FAILED;
}

} // namespace

// Its help text is the report program's: --help goes through to it.
const KalvioCommand kReportCommand = {
    "report", "the report of a test under a protocol as one PDF (cover, summary, curves, channel check)", "",
    RunReport, false};
