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
// The numbers as the reports print them: v to decimals places; the places a
// value in unit gets (3 for kN, m/s and small plain numbers, else 1); a
// criterion's value ("-" without one; "yes"/"no" for an input) and its limit
// ("<= 700.0", "18.0 / 34.0 cap 34.0", "curve", "3.800 / 9.070 + curve").
std::string Fixed(double v, int decimals);
int ReportedDecimals(const std::string& unit, double v);
std::string CriterionValueText(const CriterionResult& c);
std::string CriterionLimitText(const CriterionResult& c);
// An input as used: "door_opened = no (default)", "initial_velocity = 56.00 km/h (file)".
std::string InputUseText(const InputUse& in);
// An input's value as people read it: "yes", "56.00 km/h", "marginal", "not observed".
std::string InputValueText(const InputUse& in);
// What a modifier does: "2.00 points off", "no points off", or its verdict.
std::string ModifierText(const CriterionResult& c);
// A criterion's title as a reader sees it: "Neck tension", "HIC15", "Door opened".
std::string CriterionTitle(const CriterionResult& c);
// "protocol file FILE replaces the shipped FILE" for a user's file that hides
// a shipped protocol of its id.
std::string ReplacementText(const Protocol& p);
// One line per protocol: id, name, version, dummies; and under it the file
// that replaces a shipped one.
std::string ProtocolListText(const std::vector<Protocol>& protocols);

} // namespace Assess
