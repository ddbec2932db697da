#pragma once
// An assessment as people and programs read it: a table per occupant, and
// one JSON object with every number at full precision.
#include "Assessment.h"

#include <string>

namespace Assess {

// The JSON object of an assessment (indent < 0: one line).
std::string AssessmentJson(const Assessment& a, int indent = 2);
// The text report: per occupant a table of criterion, value, unit, limit or
// HPL/LPL, verdict or points and band, the region totals and the total.
std::string AssessmentText(const Assessment& a);
// One line per protocol: id, name, version, dummies.
std::string ProtocolListText(const std::vector<Protocol>& protocols);

} // namespace Assess
