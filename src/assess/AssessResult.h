#pragma once
// What an assessment found: per occupant the regions, per region the criteria
// with their values, limits, points or verdicts, the channels as used and why
// a number is missing or doubtful.
#include "Protocol.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class KVSignal;

namespace Assess {

// One channel as the criterion used it.
struct ChannelUse {
    std::string code;
    std::string name;
    std::string path;
    std::string filter; // "CFC 180 as recorded", "raw, filtered to CFC 180", ...
    int filteredTo = 0; // the class the assessment filtered it to, 0 when used as recorded
    // The channel as the criterion used it (filtered, in its own units), when
    // the assessment was asked to keep its channels; shared by the criteria
    // that used it.
    std::shared_ptr<const KVSignal> signal;
};

// The judgement of a time history against an exceedance curve: the level
// where the curve is closest to being exceeded (or most exceeded).
struct ExceedanceJudgement {
    bool judged = false;  // false when the history never reaches the curve's last level
    double level = 0;     // reported unit (kN)
    double duration = 0;  // s, total time at or above level
    double allowed = 0;   // s, the curve's time at level (infinity: no limit)
    double margin = 0;    // s, allowed - duration; negative: exceeded
};

// The colour bands of a sliding scale, best first.
// A colour of the outputs, 0 to 255 each.
struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

enum class Band { Good, Adequate, Marginal, Weak, Poor };
const char* BandName(Band band); // "good", "adequate", "marginal", "weak", "poor"
const char* BandColour(Band band); // "green", "yellow", "orange", "brown", "red"
Rgb BandRgb(Band band);
std::optional<Band> BandOfName(const std::string& name);
// The ratings of a rating protocol, best first; a rating takes the colour of
// the band of its name (acceptable: adequate's).
enum class Rating { Good, Acceptable, Marginal, Poor };
const char* RatingName(Rating rating); // "good", "acceptable", "marginal", "poor"
Rgb RatingRgb(Rating rating);
enum class Status { Ok, Doubtful, NotAvailable };
const char* StatusName(Status s); // "ok", "doubtful", "n/a"

struct CriterionResult {
    std::string criterion; // snake_case
    std::string title;
    std::string unit;      // kN, Nm, mm, g, m/s or ""
    std::optional<double> value;
    std::optional<double> t1, t2; // s: the window (HIC, 3 ms) or the instant that decides
    std::optional<double> limit, hpl, lpl, capping;
    std::vector<std::pair<double, double>> curve; // exceedance points (ms, level)
    std::optional<ExceedanceJudgement> exceedance;
    std::optional<double> score;     // sliding scale: points
    std::optional<double> bandScore; // points by band
    std::optional<double> maxScore;
    std::optional<Band> band;
    std::optional<bool> pass;        // pass/fail protocols
    bool byRisk = false;             // judged by a risk curve
    std::optional<double> risk;      // risk protocols: the probability of injury
    std::vector<double> ratingBounds; // rating protocols: good, acceptable, marginal up to
    std::optional<Rating> rating;
    bool capped = false;             // at or beyond the capping limit
    bool isModifier = false;
    std::optional<double> pointsTaken; // modifiers: the points taken
    std::string input;               // modifiers judged on an input
    Status status = Status::Ok;
    std::string reason;              // why n/a or doubtful, or why not scored
    int filterClass = 0;
    std::vector<ChannelUse> channels;
    std::vector<std::string> notes;  // filtering, alignment and reading notes
};

// The criterion called name in list, or null.
const CriterionResult* FindNamed(const std::vector<CriterionResult>& list, const std::string& name);

struct RegionResult {
    std::string region;
    double maxScore = 0;
    std::optional<double> score, bandScore;
    std::optional<Band> band;
    std::optional<bool> pass;
    std::optional<double> risk;   // the largest of its criteria's
    std::optional<Rating> rating; // the worst of its criteria's
    std::vector<CriterionResult> criteria;
    std::vector<CriterionResult> modifiers;
};

struct OccupantResult {
    char position = '1';
    std::string label;
    std::string dummy;      // key
    std::string dummyName;
    std::string verdict;    // "pass", "fail", "incomplete"; "" for a complete scored occupant
    std::optional<double> score, bandScore;
    double maxScore = 0;
    std::string capped;     // the criterion that capped the score, or ""
    // Risk protocols: 1 - the product of (1 - the regions' risks), that over
    // the baseline risk, and the stars of that relative risk.
    std::optional<double> risk, relativeRisk;
    std::optional<int> stars;
    std::vector<RegionResult> regions;
    std::vector<CriterionResult> modifiers;
    std::vector<std::string> notes;
};

struct InputUse {
    std::string name;
    bool isNumber = false;
    bool isRating = false; // value 0 good to 3 poor
    bool given = true;     // false: a rating observation nobody gave
    std::string unit;
    std::string meaning;
    double value = 0;
    std::string source; // "default" or "file"
};

struct Assessment {
    Protocol protocol; // a copy: the result outlives the protocol list it came from
    std::string test;
    std::vector<InputUse> inputs;
    std::vector<OccupantResult> occupants;
    std::vector<std::string> warnings; // about the test as a whole
    // Risk protocols with stars: the vehicle's from the occupants' mean relative risk.
    std::optional<double> relativeRisk;
    std::optional<int> stars;
    std::string vehicleReason; // why there is none
};

} // namespace Assess
