#pragma once
// The report command's arguments, help and exit status, apart from the
// program so that tests run it in process.
#include <string>
#include <vector>

namespace Report {

// Runs `kalvio report ARGS`: 0 when the report was written, 1 when a test
// could not be read or the file not written (no file then), 2 for bad usage.
// Needs a QApplication.
int RunReportCommand(const std::vector<std::string>& args);

extern const char* const kReportHelp;

} // namespace Report
