#pragma once
// The criteria as programs see them: what each takes, and the outcome of
// evaluating one on its input channels for a dummy.
#include "CriterionChannel.h"
#include "Dummies.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class KVErrorList;

namespace Criteria {

enum class CriterionId { Hic, Neck208, Nij, Clip3ms, Vc, Tibia, Olc, Bric };

struct CriterionDef {
    CriterionId id;
    const char* program;   // file name of the program
    const char* title;     // "HIC", "208 Neck", ...
    bool takesOne;         // accepts the single form
    bool takesThree;       // accepts the three-axis form (X, Y, Z order)
    Quantity single;       // quantity of the single input
    Quantity three[3];     // quantities of the three inputs
    const char* labels[3]; // names of the three inputs ("X", "Fx", "Mx", ...)
    const char* singleLabel;
    int filterClasses[2];  // channel classes the criterion is defined on (0: none)
    double minSpan;        // s; channels cut to a shared span shorter than this are refused
};

const std::vector<CriterionDef>& CriterionDefs();
const CriterionDef* FindCriterion(const std::string& program);
const CriterionDef& DefOf(CriterionId id);

// A curve of the outcome on the time grid t0 + i dt (s).
struct Series {
    std::string label;
    std::string unit;
    double t0 = 0;
    double dt = 0;
    std::vector<double> v;
};

// One reported number, with its limit and the interval or instant it belongs to.
struct ResultValue {
    std::string name;    // as the text shows it
    std::string key;     // as machine-readable output names it ("HIC15", "clip3ms", ...)
    double value = 0;
    std::string unit;
    int decimals = 1;
    bool hasLimit = false;
    double limit = 0;
    bool hasTime = false;
    double t1 = 0;       // s; equal to t2 for an instant
    double t2 = 0;
    std::string detail;  // e.g. the Nij case that decided
    std::vector<std::pair<double, double>> intervals; // s; when several intervals decide
    bool Pass() const { return !hasLimit || value <= limit; }
};

// The interval (t1 < t2) or instant (t1 == t2) that decides a value.
struct Mark {
    std::string label;
    double t1 = 0;
    double t2 = 0;
};

// One input as read: its file and what the header says about it.
struct InputInfo {
    std::string label;  // "X", "Fz", ...
    std::string path;
    std::string description;
    std::string axis;
    std::string units;  // as read; empty when the header has none
    int filterClass = 0;
    std::string filter; // "CFC 1000", "filter unknown", ...
    const char* criterionUnit = "";
};

struct Outcome {
    const CriterionDef* def = nullptr;
    const DummyInfo* dummy = nullptr;
    std::vector<InputInfo> inputInfo;
    std::vector<std::string> inputLines;  // one per input: label, path, units, filter
    std::vector<Series> inputs;           // the inputs and, for three axes, the resultant
    Series history;                       // the criterion's time history; empty when none
    std::vector<ResultValue> values;
    std::vector<Mark> marks;
    std::vector<std::string> notes;       // assumptions and filter-class warnings
    bool Pass() const;
    bool HasLimit() const;
};

// Choices a criterion program can make beyond the dummy.
struct EvaluateOptions {
    bool clipCumulative = false;   // judge the 3 ms clip limit on the cumulative clip
    std::optional<double> v0;      // m/s, the vehicle's initial velocity for OLC
};

// Evaluates criterion def on inputs (one, or three in X, Y, Z order, loaded
// with the quantities of def and aligned) for dummy. False with a message in
// errors when the dummy has no constants for it, the inputs are too short or
// OLC has no initial velocity (options.v0, else the header's).
bool Evaluate(const CriterionDef& def, const std::vector<Channel>& inputs, const DummyInfo& dummy,
              Outcome& out, KVErrorList& errors, const EvaluateOptions& options = {});

// The outcome as plain text lines, as `--text` prints it.
std::string FormatOutcome(const Outcome& outcome);

} // namespace Criteria
