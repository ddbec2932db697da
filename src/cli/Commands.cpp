#include "KalvioCommand.h"

const std::vector<KalvioCommand>& KalvioCommands()
{
    static const std::vector<KalvioCommand> commands = [] {
        std::vector<KalvioCommand> list = {
            kInfoCommand, kDumpCommand, kConvertCommand, kDemoCommand, kCheckCommand, kRateCommand, kAssessCommand, kReportCommand,
            kCorrelateCommand,
        };
        for (KalvioCommand& c : OperationCommands())
            list.push_back(std::move(c));
        for (const KalvioCommand* c : {&kSumCommand, &kAverageCommand, &kResultantCommand, &kNameCommand})
            list.push_back(*c);
        return list;
    }();
    return commands;
}
