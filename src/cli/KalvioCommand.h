#pragma once
#include <functional>
#include <string>
#include <vector>

// One kalvio command: its name, a one-line summary for `kalvio --help`, the
// text of `kalvio NAME --help`, and the routine that runs it.
// Exit status: 0 success (warnings allowed), 1 a failure, 2 bad usage.
struct KalvioCommand {
    const char* name;
    const char* summary;
    std::string help;
    std::function<int(const std::vector<std::string>& args)> run;
    bool readsSignals = true; // takes --time-unit and --code
};

// Every command, in the order `kalvio --help` lists them.
const std::vector<KalvioCommand>& KalvioCommands();

// The commands of each source file; Commands.cpp lists them all.
extern const KalvioCommand kInfoCommand;
extern const KalvioCommand kDumpCommand;
extern const KalvioCommand kConvertCommand;
extern const KalvioCommand kDemoCommand;
extern const KalvioCommand kSumCommand;
extern const KalvioCommand kAverageCommand;
extern const KalvioCommand kResultantCommand;
extern const KalvioCommand kNameCommand;
extern const KalvioCommand kCheckCommand;
extern const KalvioCommand kRateCommand;
extern const KalvioCommand kAssessCommand;
extern const KalvioCommand kReportCommand;
extern const KalvioCommand kCorrelateCommand;
// One command per operation of the table in Operations.h (cfc, filter, ...),
// each taking --then chains of the others.
std::vector<KalvioCommand> OperationCommands();
