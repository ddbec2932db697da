#include "CriterionWindowMain.h"

#include "CCriterionWindow.h"
#include "KVErrorList.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <iostream>
#include <sstream>

using namespace Criteria;

namespace {

// A window needs a display; without one Qt would abort.
bool HaveDisplay()
{
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
}

} // namespace

int RunCriterionWindow(const CriterionSpec& spec, const ProgramArgs& args, int argc, char** argv)
{
    if (!HaveDisplay()) {
        std::cerr << spec.program << ": no display for the window; printing the result as text\n";
        const std::vector<std::string> all(argv + 1, argv + argc);
        return RunTextProgram(spec, all, std::cout, std::cerr);
    }
    QApplication app(argc, argv);
    std::vector<Channel> inputs;
    KVErrorList errors;
    if (!LoadInputs(spec, args.paths, inputs, errors)) {
        std::ostringstream text;
        PrintProgramErrors(spec, errors, text);
        std::cerr << text.str();
        QMessageBox::critical(nullptr, QString::fromUtf8(spec.title), QString::fromStdString(text.str()));
        return PROGRAM_FAILED;
    }
    CCriterionWindow window(spec, std::move(inputs), *args.dummy);
    window.show();
    app.exec();
    return window.Evaluated() ? PROGRAM_OK : PROGRAM_FAILED;
}
