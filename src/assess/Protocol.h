#pragma once
// A test protocol as its data file states it: the occupants it assesses, per
// occupant the body regions, per region the criteria with their channels,
// filter class and limits (a pass/fail limit, a sliding scale from the higher
// to the lower performance limit, an exceedance curve, or a modifier), and
// the inputs that are no curves (observations such as a door that opened).
// Only published numbers are stored; bands and points are computed.
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Assess {

// Pass/fail limits; points on a sliding scale; the risk of injury from risk
// curves, with stars from the relative risk; ratings by published boundaries.
enum class Scoring { PassFail, SlidingScale, Risk, Rating };
const char* ScoringName(Scoring s); // "pass_fail", "sliding_scale", "risk", "rating"

// The probability of injury from a criterion's value x (in the curve's unit):
// the standard normal distribution of (ln x - a) / b, or the logistic
// 1 / (1 + exp(a - b x^power)).
struct RiskCurve {
    enum class Form { NormalOfLog, Logistic };
    Form form = Form::Logistic;
    double a = 0, b = 0, power = 1;
    std::string unit;  // the curve's unit when it differs from the criterion's (N for kN)
    double scale = 1;  // the criterion's unit to the curve's
};

// Stars from the relative risk (the occupant's risk over a baseline risk):
// the stars of the first band whose bound the relative risk is below.
struct StarBands {
    double baselineRisk = 0;
    std::vector<std::pair<double, int>> below; // (bound, stars), bounds rising
    int otherwise = 1;
};

// An input that is no curve: a yes/no observation or a number.
struct InputRule {
    std::string name;      // snake_case, as --inputs files name it
    bool isNumber = false; // false: a yes/no value
    // An observation rated good, acceptable, marginal or poor (0 to 3); it
    // may have no default: not observed until an inputs file gives it.
    bool isRating = false;
    bool hasDefault = true;
    std::string unit;      // "" for yes/no
    double defaultValue = 0; // 0/1 for yes/no
    std::string meaning;
};

// What a criterion does to its region (or its occupant) instead of scoring:
// takes points at or above a level, or linearly between two levels.
struct ModifierRule {
    double points = 0;             // points taken (positive), at most
    std::optional<double> atOrAbove; // a step at this value
    std::optional<double> from, to;  // linear from nothing at `from` to all at `to`
    // Steps (level, points): above a level its points are taken, the most of those passed.
    std::vector<std::pair<double, double>> steps;
    std::string input;             // a yes/no input instead of a curve: taken when true
};

struct CriterionRule {
    std::string criterion;  // snake_case name from the criterion table
    // Channel code patterns, one set per place measured (e.g. upper and lower
    // tibia); each set lists the criterion's inputs in order. Character 2 '?'
    // is the occupant's position; other '?' match any character.
    std::vector<std::vector<std::string>> channels;
    int filterClass = 0;     // CFC the criterion is evaluated at
    std::optional<double> limit;             // pass/fail: at most this
    std::optional<double> hpl, lpl, capping; // sliding scale
    // Exceedance curve: (ms, level) points, linear between, flat after the last.
    std::vector<std::pair<double, double>> exceedance;
    std::optional<ModifierRule> modifier;
    // Scored only when this yes/no input is true, or assumed true when the
    // peak resultant of the criterion's channels exceeds assumeAbove.
    std::string onlyWith;
    std::optional<double> assumeAbove;
    // What the file says of the criterion: why a criterion without limits is
    // only monitored, or a choice made in its numbers.
    std::string note;
    // 3 ms values (head_a3ms, chest_a3ms): the level held for 3 ms in total
    // over every interval at or above it, else in one run.
    bool cumulative3ms = false;
    // Why the file holds the value doubtful (an open choice in its numbers):
    // shown with the value, never scored or judged.
    std::string doubtful;
    std::string ratingInput; // rating protocols: the rating an observation input gives
    std::optional<RiskCurve> risk;
    // Rating boundaries: good at or below the first, acceptable at or below
    // the second, marginal at or below the third, poor above.
    std::vector<double> rating;
    int line = 0;            // where the criterion stands in its file
};

struct RegionRule {
    std::string region;
    double maxScore = 0;                   // sliding scale: the region's points
    std::vector<CriterionRule> criteria;   // scored or judged
    std::vector<CriterionRule> modifiers;  // taking points from the region
};

struct OccupantRule {
    std::string label;                 // "driver", "passenger"
    std::vector<char> positions;       // code character 2 of its channels
    std::string dummy;                 // dummy key
    std::vector<RegionRule> regions;
    std::vector<CriterionRule> modifiers; // taking points from the occupant's total
};

struct Protocol {
    std::string id, name, version, date, source;
    std::vector<std::string> notes;   // corrections and choices the file states
    std::string file;                 // where it was read from
    std::string replaces;             // the shipped file of the same id this user's file hides, or ""
    Scoring scoring = Scoring::PassFail;
    double windowFrom = 0, windowTo = 0.1; // s: the span every channel must cover
    std::vector<std::string> dummies;
    std::vector<InputRule> inputs;
    std::vector<OccupantRule> occupants;
    std::optional<StarBands> stars; // risk protocols that give star bands

    const InputRule* FindInput(const std::string& name) const;
};

// Parses and checks the protocol text of file; false with one message
// "FILE:LINE: problem" in error.
bool ParseProtocol(const std::string& text, const std::string& file, Protocol& out, std::string& error);
// Reads and parses the protocol file at path.
bool LoadProtocolFile(const std::string& path, Protocol& out, std::string& error);

// The rating (0 good to 3 poor) of its name, or none.
std::optional<int> RatingOfName(const std::string& name);
// value in unit ("km/h", "m/s", "mph") as m/s; none for another unit.
std::optional<double> SpeedToMetresPerSecond(double value, const std::string& unit);

// The 1-based line of byte offset in text.
int LineOfOffset(const std::string& text, size_t offset);
// The line of the value at a JSON pointer ("/inputs/door_opened") in a JSON
// text that parses (the nearest enclosing value when it has none).
int JsonLineOf(const std::string& text, const std::string& pointer);

} // namespace Assess
