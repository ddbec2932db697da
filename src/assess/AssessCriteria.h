#pragma once
// The criteria an assessment can name: one row each, with the inputs it takes
// and the unit it reports in. The numbers come from the criteria library.
#include "CriteriaUnits.h"

#include <string>
#include <vector>

namespace Assess {

// How the channel sets of a criterion combine.
enum class SetRule {
    Worst, // each set is evaluated alone; the worst value counts (upper and lower tibia)
    All    // all sets together make one value (the four THOR chest points, the ribs)
};

struct CriterionRow {
    const char* name;    // snake_case, stable ("hic15", "neck_tension", ...)
    const char* title;   // as a table shows it
    const char* unit;    // reported unit: kN, Nm, mm, g, m/s or "" (no unit)
    std::vector<Criteria::Quantity> inputs; // one set's channels, in order
    std::vector<const char*> labels;        // their names ("Fx", "My", ...)
    SetRule sets = SetRule::Worst;
    double minSpan = 0;  // s; the criterion's own window
    bool hasHistory = false; // a time history that an exceedance curve can judge
};

// Every criterion, in the order a report lists them.
const std::vector<CriterionRow>& CriterionRows();
// The row named name, or nullptr.
const CriterionRow* FindCriterionRow(const std::string& name);

} // namespace Assess
