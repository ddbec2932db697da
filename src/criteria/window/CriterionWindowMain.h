#pragma once
#include "CriterionProgram.h"

// Loads the inputs of args and shows the result window until it is closed.
// Unusable inputs: a message on standard error and in a message box, exit 1.
// Without a display the result is printed as with --text.
int RunCriterionWindow(const Criteria::CriterionDef& def, const Criteria::ProgramArgs& args, int argc,
                       char** argv);
