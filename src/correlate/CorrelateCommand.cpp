#include "CorrelateCommand.h"

#include "KVPrintableName.h"

#include <filesystem>
#include <system_error>

namespace Correlate {

const char* const kHelp =
    "Usage: kalvio correlate TEST SIMULATION --map MAP.json [--units L-T-M-F]\n"
    "                        [--protocol-window] [-o REPORT.pdf] [--page a4|letter]\n"
    "                        [--json]\n"
    "Rates a simulation against its test by ISO/TS 18571: every pair of the map,\n"
    "the test channel as the reference and the simulation channel as the\n"
    "comparison, both filtered to one channel class (the map's \"cfc\", else the\n"
    "class the test channel carries), the simulation put on the test channel's\n"
    "time step by linear interpolation, rated over the span both cover.\n"
    "TEST is an ISO-MME test (.mme, its folder or a .zip); SIMULATION a binout\n"
    "(binout, binout0000 with its sister files) or an ASCII time-history file\n"
    "(nodout, glstat, secforc, rcforc, matsum, sbtout, jntforc, deforc, abstat),\n"
    "its channels named\n"
    "FILE/ID/VARIABLE, or an ISO-MME test as well (a repeat test).\n"
    "  --units L-T-M-F    the simulation model's consistent units (mm-ms-kg-kN,\n"
    "                     mm-s-t-N, m-s-kg-N, ...); a binout or ASCII file needs\n"
    "                     them: its channels are filtered and rated in seconds\n"
    "  --map MAP.json     the pairs: {\"pairs\": [{\"test\": \"11HEAD0000H3ACXA\",\n"
    "                     \"simulation\": \"nodout/1001/x_acceleration\"}, ...]}, each\n"
    "                     with \"factor\" (a number) or \"sign\" (\"-\") where an axis\n"
    "                     points the other way, and \"cfc\" (60, 180, 600, 1000) to\n"
    "                     rate both at another class than the test channel's\n"
    "  --protocol-window  rate each pair over the reference's event only: from time\n"
    "                     zero (the start of the shared span when later) to the\n"
    "                     last time the test channel reaches 5 % of its largest\n"
    "                     |value| (its inner corridor), so that pre-trigger data\n"
    "                     and a quiet tail, which any model matches, do not raise\n"
    "                     the rating\n"
    "  -o REPORT.pdf      a report: the table of every pair (the four scores and\n"
    "                     the rating, in bands: above 0.75 green, above 0.5 amber,\n"
    "                     else red), the mean rating per body region (the test\n"
    "                     code's main location), and a plot of each pair with the\n"
    "                     reference's inner and outer corridors (5 % and 50 % of\n"
    "                     its largest |value|)\n"
    "  --page a4|letter   the report's page size (a4)\n"
    "  --json             the same as one JSON object on standard output instead\n"
    "                     of the summary: {\"test\", \"simulation\", \"map\", \"window\",\n"
    "                     \"pairs\": [{\"test\", \"simulation\", \"factor\", \"region\",\n"
    "                     \"filter\", \"rating\", \"corridor\", \"phase\", \"magnitude\",\n"
    "                     \"slope\", \"shift\" (ms), \"span\": [t1, t2] (s), \"resampled\",\n"
    "                     \"band\"} or {..., \"rating\": null, \"error\"}], \"regions\":\n"
    "                     [{\"region\", \"mean\", \"pairs\", \"rated\"}], \"mean\"}\n"
    "Without --json a summary is printed: a line per pair, then the means.\n"
    "A pair that cannot be rated (too short a shared span, other units, ...) is\n"
    "n/a with the reason and counts in no mean.\n"
    "\n"
    "Exit status: 0 when every pair was rated (and the report written), 1 when an\n"
    "input cannot be read, the map names a channel that is not there (nothing is\n"
    "rated then), a pair could not be rated or the report not written, 2 for bad\n"
    "usage.\n";

namespace {

// FLAG VALUE or FLAG=VALUE at args[i]: true on a match, with the value (or
// the problem of a missing one).
bool Value(const std::vector<std::string>& args, size_t& i, const std::string& flag, std::string& value,
           std::string& problem)
{
    const std::string& a = args[i];
    if (a.size() > flag.size() && a.compare(0, flag.size() + 1, flag + "=") == 0) {
        value = a.substr(flag.size() + 1);
        return true;
    }
    if (a != flag)
        return false;
    if (i + 1 >= args.size())
        problem = flag + " needs a value";
    else
        value = args[++i];
    return true;
}

// Whether a and b name one existing file (or are one name).
bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

} // namespace

std::string ParseArguments(const std::vector<std::string>& args, Request& out)
{
    std::vector<std::string> inputs;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string problem;
        if (Value(args, i, "--map", out.map, problem)
            || Value(args, i, "-o", out.output, problem) || Value(args, i, "--output", out.output, problem)
            || Value(args, i, "--page", out.page, problem)) {
            if (!problem.empty())
                return problem;
        } else if (std::string units; Value(args, i, "--units", units, problem)) {
            SimUnits u;
            std::string why;
            if (problem.empty() && !SimParseUnits(units, u, why))
                problem = "--units: " + why;
            if (!problem.empty())
                return problem;
            out.units = u;
        } else if (a == "--json") {
            out.json = true;
        } else if (a == "--protocol-window") {
            out.eventWindow = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return "unknown option " + KVPrintableText(a);
        } else {
            inputs.push_back(a);
        }
    }
    if (inputs.size() != 2)
        return "give the test and the simulation (" + std::to_string(inputs.size()) + " given)";
    out.test = inputs[0];
    out.simulation = inputs[1];
    if (out.map.empty())
        return "give the pairs with --map MAP.json";
    if (out.page != "a4" && out.page != "letter")
        return "--page takes a4 or letter";
    for (const std::string* input : {&out.test, &out.simulation, &out.map})
        if (!out.output.empty() && SameFile(out.output, *input))
            return "the report " + KVPrintableName(out.output) + " would replace the input " + KVPrintableName(*input);
    return {};
}

std::vector<std::string> ReportArguments(const Request& request)
{
    std::vector<std::string> args = {request.test, request.simulation, "--map", request.map,
                                     "-o", request.output, "--page", request.page};
    if (request.eventWindow)
        args.push_back("--protocol-window");
    if (request.units)
        args.insert(args.end(), {"--units", request.units->text});
    return args;
}

} // namespace Correlate
