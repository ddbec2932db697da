#pragma once
#include <string>
#include <vector>

// One kalvio command: its name, a one-line summary for `kalvio --help`, the
// text of `kalvio NAME --help`, and the routine that runs it.
// Exit status: 0 success (warnings allowed), 1 a failure, 2 bad usage.
struct KalvioCommand {
    const char* name;
    const char* summary;
    const char* help;
    int (*run)(const std::vector<std::string>& args);
    bool readsSignals = true; // takes --time-unit and --code
};

// Every command, in the order `kalvio --help` lists them.
const std::vector<KalvioCommand>& KalvioCommands();

// The commands of each source file; Commands.cpp lists them all.
extern const KalvioCommand kInfoCommand;
extern const KalvioCommand kDumpCommand;
extern const KalvioCommand kConvertCommand;
extern const KalvioCommand kDemoCommand;
extern const KalvioCommand kCfcCommand;
extern const KalvioCommand kFilterCommand;
extern const KalvioCommand kFir100Command;
extern const KalvioCommand kResampleCommand;
extern const KalvioCommand kTruncateCommand;
extern const KalvioCommand kDerivativeCommand;
extern const KalvioCommand kIntegrateCommand;
extern const KalvioCommand kBiasCommand;
extern const KalvioCommand kAddYCommand;
extern const KalvioCommand kAddXCommand;
extern const KalvioCommand kScaleYCommand;
extern const KalvioCommand kScaleXCommand;
extern const KalvioCommand kSumCommand;
extern const KalvioCommand kAverageCommand;
extern const KalvioCommand kResultantCommand;
extern const KalvioCommand kNameCommand;
extern const KalvioCommand kCheckCommand;
extern const KalvioCommand kRateCommand;
