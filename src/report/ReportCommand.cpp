#include "ReportCommand.h"

#include "AssessRequest.h"
#include "KVErrorList.h"
#include "ProtocolFiles.h"
#include "TestSource.h"
#include "TestReport.h"

#include <cstdio>
#include <filesystem>

namespace Report {

const char* const kReportHelp =
    "Usage: kalvio report TEST... --protocol ID [--position P]... [--dummy KEY]\n"
    "                    [--inputs FILE.json] [--protocol-dir DIR]\n"
    "                    [--page a4|letter] -o REPORT.pdf\n"
    "Writes the report of TEST under protocol ID as one PDF: a cover (the test,\n"
    "its objects and dummies, the protocol and its source), the summary of every\n"
    "occupant (criteria, values, limits, points or verdicts in their band colours,\n"
    "totals, the inputs that are no curves), a page per body region and occupant\n"
    "with the channels the criteria used at the protocol's filter class, plotted\n"
    "against time in ms with the limits, the HPL to LPL band and the HIC or 3 ms\n"
    "window, and the channel check of every channel, failures first.\n"
    "Several tests give one report with the tests side by side and one line per\n"
    "test in the plots. TEST is an ISO-MME test (.mme, its folder or a .zip).\n"
    "  --protocol ID     the protocol (kalvio assess --list-protocols lists them)\n"
    "  --position P      report only position P (repeatable)\n"
    "  --dummy KEY       the dummy, when the channel codes do not name it\n"
    "  --inputs FILE     observations that are no curves, as for kalvio assess\n"
    "  --protocol-dir D  a folder of protocol files of one's own\n"
    "  --page P          a4 (the default) or letter\n"
    "  -o REPORT.pdf     the file written; never half written, never over a folder\n"
    "\n"
    "Exit status: 0 when the report was written, 1 when a test could not be read\n"
    "or the file not written (nothing is written then), 2 for bad usage.\n";

namespace {

int Usage(const std::string& problem)
{
    std::fprintf(stderr, "kalvio report: %s (kalvio report --help)\n", problem.c_str());
    return 2;
}

// The file the report would replace when it is one of its inputs (the same
// file by device and inode): a test's own file, folder entry or channel
// file; "" when it is none.
std::string InputThatIs(const std::string& output, const ReportRequest& request)
{
    std::error_code ec;
    if (!std::filesystem::exists(output, ec))
        return {};
    const auto same = [&](const std::string& path) {
        std::error_code e;
        return std::filesystem::equivalent(output, path, e);
    };
    for (const std::vector<std::string>& paths : request.tests) {
        for (const std::string& path : paths) {
            if (same(path))
                return path;
            // The files of a test's folder: its test file, the channel list
            // and the channels beside it.
            std::error_code e;
            const std::filesystem::path root = std::filesystem::is_directory(path, e)
                                                   ? std::filesystem::path(path)
                                                   : std::filesystem::path(path).parent_path();
            if (root.empty() || std::filesystem::path(path).extension() == ".zip")
                continue;
            std::filesystem::recursive_directory_iterator it(root, e), end;
            for (; !e && it != end; it.increment(e)) {
                if (it.depth() >= 1)
                    it.disable_recursion_pending();
                if (same(it->path().string()))
                    return it->path().string();
            }
        }
        Assess::TestSource test;
        KVErrorList errors;
        if (!test.Open(paths, errors))
            continue;
        for (const Assess::TestSource::Entry& channel : test.Channels())
            if (same(channel.path))
                return channel.path;
    }
    return {};
}

} // namespace

int RunReportCommand(const std::vector<std::string>& args)
{
    Assess::AssessRequest asked;
    std::string output;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kReportHelp, stdout);
            return 0;
        }
        std::string problem;
        const Assess::ArgRead read = Assess::ReadRequestArg(args, i, asked, problem, true);
        if (read == Assess::ArgRead::Bad)
            return Usage(problem);
        if (read == Assess::ArgRead::Taken)
            continue;
        if (a == "-o" || a == "--output" || a.rfind("--output=", 0) == 0) {
            if (a.rfind("--output=", 0) == 0)
                output = a.substr(9);
            else if (i + 1 < args.size())
                output = args[++i];
            else
                return Usage(a + " needs a file name");
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option " + a);
        } else {
            asked.tests.push_back({a});
        }
    }
    if (asked.tests.empty())
        return Usage("give a test (.mme, its folder or a .zip)");
    if (asked.protocol.empty())
        return Usage("give the protocol with --protocol ID");
    if (output.empty())
        return Usage("give the report's file with -o REPORT.pdf");
    ReportRequest request;
    std::string error;
    if (!Assess::RequestProtocol(asked, request.protocol, error)
        || !Assess::RequestOptions(asked, request.protocol, request.options, error))
        return Usage(error);
    request.tests = asked.tests;
    request.page = asked.page;
    if (const std::string input = InputThatIs(output, request); !input.empty())
        return Usage("-o " + output + " is " + input + ", one of the report's inputs; a report never replaces them");
    if (!WriteReport(request, output, error)) {
        std::fprintf(stderr, "kalvio report: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace Report
