#pragma once
// The arguments and help of `kalvio correlate`, read alike by kalvio (the
// summary and the JSON) and by kalvio-report (the PDF).
#include "SimUnits.h"

#include <optional>
#include <string>
#include <vector>

namespace Correlate {

struct Request {
    std::string test, simulation, map;
    std::string output; // -o REPORT.pdf, or ""
    std::string page = "a4";
    bool json = false;
    bool eventWindow = false; // --protocol-window
    std::optional<SimUnits> units; // --units, for a simulation that is no test
};

// Reads the arguments into out; an empty text, or the usage problem.
std::string ParseArguments(const std::vector<std::string>& args, Request& out);

// The arguments that give kalvio-report the same request (no --json).
std::vector<std::string> ReportArguments(const Request& request);

extern const char* const kHelp;

} // namespace Correlate
