#include "KalvioCommand.h"

const std::vector<KalvioCommand>& KalvioCommands()
{
    static const std::vector<KalvioCommand> commands = {
        kInfoCommand,
        kDumpCommand,
        kConvertCommand,
        kDemoCommand,
    };
    return commands;
}
