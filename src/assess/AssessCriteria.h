#pragma once
// The criteria an assessment can name: one row each, with the inputs it takes,
// the unit it reports in and how it is computed. The numbers come from the
// criteria library.
#include "CriteriaUnits.h"
#include "CriterionChannel.h"

#include <optional>
#include <string>
#include <vector>

namespace Criteria {
struct DummyInfo;
}

namespace Assess {

// How the channel sets of a criterion combine.
enum class SetRule {
    Worst, // each set is evaluated alone; the worst value counts (upper and lower tibia)
    All    // all sets together make one value (the four THOR chest points, the ribs)
};

// What a criterion computed from its channels.
struct Computed {
    bool ok = false;
    std::string problem;
    double value = 0;
    std::optional<double> t1, t2;
    std::vector<double> history; // reported unit, for exceedance curves
    double dt = 0;
    double peakResultant = 0;    // of three acceleration inputs, g
    std::vector<std::string> notes;
};

// The channels a criterion is computed from: one set, or all sets for
// SetRule::All, each in the row's input order, aligned on one time grid.
using ChannelSets = std::vector<std::vector<Criteria::Channel>>;

// What a computation takes beside its channels.
struct ComputeContext {
    const Criteria::DummyInfo* dummy = nullptr; // the occupant's constants (may be null)
    double v0 = 0;             // m/s, the initial velocity an input gives, 0 when none
    bool cumulative3ms = false; // 3 ms values: the total time at or above a level, else one run
    bool compressionPositive = false; // deflections turned so that compression is positive
};

struct CriterionRow;
// The computation of a criterion.
using ComputeFn = void (*)(const CriterionRow& row, const ChannelSets& sets, const ComputeContext& ctx,
                           Computed& out);

struct CriterionRow {
    const char* name;    // snake_case, stable ("hic15", "neck_tension", ...)
    const char* title;   // as a table shows it
    const char* unit;    // reported unit: kN, Nm, mm, g, m/s or "" (no unit)
    std::vector<Criteria::Quantity> inputs; // one set's channels, in order
    std::vector<const char*> labels;        // their names ("Fx", "My", ...)
    SetRule sets = SetRule::Worst;
    double minSpan = 0;  // s; the criterion's own window
    bool hasHistory = false; // a time history that an exceedance curve can judge
    ComputeFn compute = nullptr;
    bool compressive = false; // deflections whose sign the dummy's convention for compression fixes
};

// Turns a deflection channel so that compression is positive, by the sign
// convention of where it sits (its code); false when the code names no known
// convention (ch unchanged). inverted: why the channel looks inverted (its
// largest excursion on the non-compressive side), else empty.
bool OrientForCompression(Criteria::Channel& ch, std::string& inverted);

// Every criterion, in the order a report lists them.
const std::vector<CriterionRow>& CriterionRows();
// The row named name, or nullptr.
const CriterionRow* FindCriterionRow(const std::string& name);
// Computes row from sets; out.ok false with out.problem when it cannot.
Computed ComputeCriterion(const CriterionRow& row, const ChannelSets& sets, const ComputeContext& ctx);

} // namespace Assess
