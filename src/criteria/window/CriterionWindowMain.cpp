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

int RunCriterionWindow(const CriterionDef& def, const ProgramArgs& args, int argc, char** argv)
{
    if (!HaveDisplay()) {
        std::cerr << def.program << ": no display for the window; printing the result as text\n";
        const std::vector<std::string> all(argv + 1, argv + argc);
        return RunTextProgram(def, all, std::cout, std::cerr);
    }
    QApplication app(argc, argv);
    std::vector<Channel> inputs;
    KVErrorList errors;
    std::vector<std::string> took;
    if (!LoadProgramInputs(def, args, inputs, took, errors)) {
        std::ostringstream text;
        PrintProgramErrors(def, errors, text);
        std::cerr << text.str();
        QMessageBox::critical(nullptr, QString::fromUtf8(def.title), QString::fromStdString(text.str()));
        return PROGRAM_FAILED;
    }
    CCriterionWindow window(def, std::move(inputs), *args.dummy, args.options);
    window.show();
    app.exec();
    return window.Evaluated() ? PROGRAM_OK : PROGRAM_FAILED;
}
