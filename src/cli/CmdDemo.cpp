// kalvio demo: placeholder until the demo data set generator lands.
#include "CliSupport.h"
#include "KalvioCommand.h"

namespace {
int RunDemo(const std::vector<std::string>&)
{
    return UsageError("demo", "not available yet");
}
} // namespace

const KalvioCommand kDemoCommand = {"demo", "write a demo data set", "Usage: kalvio demo DIR\n", RunDemo};
