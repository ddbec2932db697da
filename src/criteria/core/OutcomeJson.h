#pragma once
// The outcome as one JSON object, as `--json` prints it: the program, the
// dummy, the inputs, every result with its unit, interval or instant, limit
// and verdict, and the warnings. Numbers read back to the same double.
#include "Criterion.h"

#include <string>

namespace Criteria {

std::string OutcomeJson(const Outcome& outcome);

} // namespace Criteria
