#include "ReportCommand.h"

#include "AssessInputs.h"
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

// The value of option a: after '=' or the next argument.
bool Value(const std::vector<std::string>& args, size_t& i, const std::string& flag, std::string& value)
{
    const std::string& a = args[i];
    if (a.size() > flag.size() && a.compare(0, flag.size() + 1, flag + "=") == 0) {
        value = a.substr(flag.size() + 1);
        return true;
    }
    if (a != flag || i + 1 >= args.size())
        return false;
    value = args[++i];
    return true;
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
    ReportRequest request;
    std::string protocolId, protocolDir, inputsFile, output, page = "a4";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        if (a == "--help" || a == "-h") {
            std::fputs(kReportHelp, stdout);
            return 0;
        }
        if (a.rfind("--protocol-dir", 0) == 0) {
            if (!Value(args, i, "--protocol-dir", protocolDir))
                return Usage("--protocol-dir needs a folder");
        } else if (a.rfind("--protocol", 0) == 0) {
            if (!Value(args, i, "--protocol", protocolId))
                return Usage("--protocol needs an id");
        } else if (a.rfind("--position", 0) == 0) {
            if (!Value(args, i, "--position", v) || v.size() != 1)
                return Usage("--position takes one code character (1 driver, 3 front passenger)");
            request.options.positions.push_back(v[0]);
        } else if (a.rfind("--dummy", 0) == 0) {
            if (!Value(args, i, "--dummy", request.options.dummy))
                return Usage("--dummy needs a key");
        } else if (a.rfind("--inputs", 0) == 0) {
            if (!Value(args, i, "--inputs", inputsFile))
                return Usage("--inputs needs a file");
        } else if (a.rfind("--page", 0) == 0) {
            if (!Value(args, i, "--page", page) || (page != "a4" && page != "letter"))
                return Usage("--page takes a4 or letter");
        } else if (a == "-o" || a.rfind("--output", 0) == 0) {
            if (!Value(args, i, a == "-o" ? "-o" : "--output", output))
                return Usage(a + " needs a file name");
        } else if (a.size() > 1 && a[0] == '-') {
            return Usage("unknown option " + a);
        } else {
            request.tests.push_back({a});
        }
    }
    if (request.tests.empty())
        return Usage("give a test (.mme, its folder or a .zip)");
    if (protocolId.empty())
        return Usage("give the protocol with --protocol ID");
    if (output.empty())
        return Usage("give the report's file with -o REPORT.pdf");
    std::string error;
    if (!protocolDir.empty() && !Assess::CheckProtocolDir(protocolDir, error))
        return Usage(error);
    if (!Assess::FindProtocol(Assess::ProtocolDirs(protocolDir), protocolId, request.protocol, error))
        return Usage(error);
    if (!inputsFile.empty()) {
        if (!Assess::ReadInputsFile(inputsFile, request.options.inputsText, error))
            return Usage(error);
        request.options.inputsFile = inputsFile;
    }
    if (const std::string input = InputThatIs(output, request); !input.empty())
        return Usage("-o " + output + " is " + input + ", one of the report's inputs; a report never replaces them");
    request.page = page == "letter" ? PageFormat::Letter : PageFormat::A4;
    if (!WriteReport(request, output, error)) {
        std::fprintf(stderr, "kalvio report: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace Report
