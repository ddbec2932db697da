// One criterion program; CRITERION_PROGRAM names which. With the window part
// built, a run without --text or --json shows the result in a window.
#include "CriterionProgram.h"

#ifdef CRITERION_WINDOW
#include "CriterionWindowMain.h"
#endif

#include <iostream>
#include <new>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const Criteria::CriterionDef* def = Criteria::FindCriterion(CRITERION_PROGRAM);
    if (!def)
        return Criteria::PROGRAM_USAGE;
    const std::vector<std::string> args(argv + 1, argv + argc);
    Criteria::ProgramArgs parsed;
    const bool usable = Criteria::ParseProgramArgs(*def, args, parsed).empty();
#ifdef CRITERION_WINDOW
    if (usable && !parsed.text && !parsed.json && !parsed.help && !parsed.listDummies) {
        try {
            return RunCriterionWindow(*def, parsed, argc, argv);
        } catch (const std::bad_alloc&) {
            return Criteria::ReportNotEnoughMemory(*def, args, std::cerr);
        }
    }
#else
    (void)usable;
#endif
    return Criteria::RunTextProgram(*def, args, std::cout, std::cerr);
}
