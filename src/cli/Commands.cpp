#include "KalvioCommand.h"

const std::vector<KalvioCommand>& KalvioCommands()
{
    static const std::vector<KalvioCommand> commands = {
        kInfoCommand,
        kDumpCommand,
        kConvertCommand,
        kDemoCommand,
        kCheckCommand,
        kRateCommand,
        kCfcCommand,
        kFilterCommand,
        kFir100Command,
        kResampleCommand,
        kTruncateCommand,
        kDerivativeCommand,
        kIntegrateCommand,
        kBiasCommand,
        kAddYCommand,
        kAddXCommand,
        kScaleYCommand,
        kScaleXCommand,
        kSumCommand,
        kAverageCommand,
        kResultantCommand,
        kNameCommand,
    };
    return commands;
}
