// kalvio-report: the test report as a PDF. `kalvio report` runs it with its
// own arguments, `kalvio correlate -o` with "correlate" and its arguments; it
// draws with the graph, so it needs Qt, which the console programs do not link.
#include "CorrelationReport.h"
#include "KVOutputFile.h"
#include "ReportCommand.h"

#include <QApplication>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The program speaks in its own messages only: Qt's notes about the session
// (a runtime folder it made, fonts it looked for) are not the user's business.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "kalvio report: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(QuietQt);
    // No window is shown: without a display the pages are drawn offscreen.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::vector<std::string> args(argv + 1, argv + argc);
    // --force, as kalvio hands it on: a write-protected report is replaced.
    const auto forced = std::remove(args.begin(), args.end(), std::string("--force"));
    KVReplaceWriteProtected(forced != args.end());
    args.erase(forced, args.end());
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))
        return Report::RunReportCommand(args); // the help needs no application
    QApplication app(argc, argv);
    if (!args.empty() && args[0] == "correlate")
        return Report::RunCorrelationReport({args.begin() + 1, args.end()});
    return Report::RunReportCommand(args);
}
