#pragma once
// Assessing a test under a protocol: for each occupant the protocol names,
// every criterion from the channels its code patterns pick, filtered to the
// protocol's class, checked, scored or judged, with the regions and the
// occupant's total. What cannot be computed says n/a and why, and the
// occupant is then incomplete, never a pass.
#include "Protocol.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KVErrorList;
class KVSignal;

namespace Assess {

// The channels of a test: an ISO-MME test (.mme, folder or .zip) or a set of
// signal files whose headers carry their channel codes.
class TestSource {
public:
    struct Entry {
        std::string code; // 16 characters
        std::string name;
        std::string path;
        size_t index = 0; // the test's own channel number (ISO-MME) or file number
    };

    // Opens paths: one ISO-MME test, or signal files. False with the reason
    // in errors when nothing can be read; warnings go to errors too.
    bool Open(const std::vector<std::string>& paths, KVErrorList& errors);
    const std::string& Name() const { return m_name; }
    const std::vector<Entry>& Channels() const { return m_entries; }
    // Reads the channel of entry e; false with the reason in errors.
    bool Load(const Entry& e, KVSignal& signal, KVErrorList& errors) const;
    // The dummy type codes (code characters 11-12) at position (character 2),
    // "00" left out.
    std::vector<std::string> DummyCodesAt(char position) const;
    // The positions that carry dummy channels.
    std::vector<char> DummyPositions() const;

private:
    struct Impl;
    std::shared_ptr<Impl> m_impl;
    std::string m_name;
    std::vector<Entry> m_entries;
};

// One channel as the criterion used it.
struct ChannelUse {
    std::string code;
    std::string name;
    std::string path;
    std::string filter; // "CFC 180 as recorded", "raw, filtered to CFC 180", ...
    int filteredTo = 0; // the class the assessment filtered it to, 0 when used as recorded
};

// The channel of use read from test as the criterion used it: filtered to the
// class the assessment filtered it to. False with the reason in errors.
bool LoadChannelAsUsed(const TestSource& test, const ChannelUse& use, KVSignal& signal, KVErrorList& errors);

// The judgement of a time history against an exceedance curve: the level
// where the curve is closest to being exceeded (or most exceeded).
struct ExceedanceJudgement {
    bool judged = false;  // false when the history never reaches the curve's last level
    double level = 0;     // reported unit (kN)
    double duration = 0;  // s, total time at or above level
    double allowed = 0;   // s, the curve's time at level (infinity: no limit)
    double margin = 0;    // s, allowed - duration; negative: exceeded
};

// Judges history (in the curve's unit, on step dt in s) against curve points
// (ms, level) by the cumulative duration at or above each level: for every
// level F the total time at or above F must not exceed the curve's time at F.
ExceedanceJudgement JudgeExceedance(const std::vector<double>& history, double dt,
                                    const std::vector<std::pair<double, double>>& curve);
// The curve's time (s) at level: the longest time the curve stays at or above
// it; 0 above its first level, infinity at or below its last.
double ExceedanceAllowed(const std::vector<std::pair<double, double>>& curve, double level);

// The colour bands of a sliding scale, best first.
enum class Band { Good, Adequate, Marginal, Weak, Poor };
const char* BandName(Band band); // "good", "adequate", "marginal", "weak", "poor"
const char* BandColour(Band band); // "green", "yellow", "orange", "brown", "red"
// The band of value: at or below hpl good; the range to lpl in thirds
// adequate, marginal, weak; at or above lpl poor.
Band BandOf(double value, double hpl, double lpl);
// Points of a sliding scale: full at or below hpl, none at or above lpl,
// linear between.
double SlidingPoints(double value, double hpl, double lpl, double maxPoints);
// Points by band (from 2026): 100, 80, 40, 20 and 0 % of maxPoints.
double BandPoints(Band band, double maxPoints);

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
    std::optional<double> score2026; // points by band
    std::optional<double> maxScore;
    std::optional<Band> band;
    std::optional<bool> pass;        // pass/fail protocols
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
    std::optional<double> score, score2026;
    std::optional<Band> band;
    std::optional<bool> pass;
    std::vector<CriterionResult> criteria;
    std::vector<CriterionResult> modifiers;
};

struct OccupantResult {
    char position = '1';
    std::string label;
    std::string dummy;      // key
    std::string dummyName;
    std::string verdict;    // "pass", "fail", "incomplete"; "" for a complete scored occupant
    std::optional<double> score, score2026;
    double maxScore = 0;
    std::string capped;     // the criterion that capped the score, or ""
    std::vector<RegionResult> regions;
    std::vector<CriterionResult> modifiers;
    std::vector<std::string> notes;
};

struct InputUse {
    std::string name;
    bool isNumber = false;
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
};

struct AssessOptions {
    std::vector<char> positions;   // empty: every position the protocol names that has channels
    std::string dummy;             // a dummy key for every occupant, when the codes do not tell
    std::string inputsText;        // the --inputs file's JSON text, or ""
    std::string inputsFile;        // its name, for messages
    // Called with the share done (0..1); returning false cancels.
    std::function<bool(double)> progress;
};

// Reads the inputs of protocol from a JSON object text ({"name": value});
// every declared input is listed with its source. False with a message for an
// unknown name or a value of the wrong kind.
bool ReadInputs(const Protocol& protocol, const std::string& text, const std::string& file,
                std::vector<InputUse>& inputs, std::string& error);

// Whether the test's dummies fit the protocol: some occupant of it has the
// dummy (by code) at one of its positions.
bool ProtocolFitsTest(const Protocol& protocol, const TestSource& test);

// The dummy key of an ISO-MME dummy type code ("H3" -> "h3-50m"), and back;
// empty when the table has none.
std::string DummyKeyOfCode(const std::string& code);
std::string DummyCodeOfKey(const std::string& key);
std::string DummyNameOfKey(const std::string& key);

// Assesses test under protocol. False with a message for bad inputs, an
// unknown dummy or position, or when cancelled; criteria that cannot be
// computed do not make it fail (they are n/a in out).
bool AssessTest(const TestSource& test, const Protocol& protocol, const AssessOptions& options, Assessment& out,
                std::string& error);

} // namespace Assess
