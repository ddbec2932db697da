#pragma once
// Checking a measured channel before its numbers are trusted: the faults a
// measuring chain leaves in the samples (a saturated amplifier, dropped
// samples, a zero offset, a dead channel, too slow a sample rate, a baseline
// that shifts during the event). Read-only; no rule changes the signal.
#include "KVFileAscii.h"
#include "KVSignal.h"

#include <string>
#include <vector>

namespace Kalvio {

// How far a channel can be trusted; the order is the order of severity.
enum class CheckVerdict { Ok, Warning, Fail };

// What a finding is about.
enum class CheckKind { Clipping, Dropout, Offset, Flat, Rate, Drift, Invalid, Time };

// "ok", "warning", "fail"; "clipping", "dropout", ... as the reports write them.
const char* CheckVerdictName(CheckVerdict verdict);
const char* CheckKindName(CheckKind kind);

// One fault: a one-line message that says what and where, and the span it
// concerns, both in the units of the signal's X axis.
struct CheckFinding {
    CheckKind kind = CheckKind::Flat;
    CheckVerdict severity = CheckVerdict::Warning;
    std::string message;
    double t1 = 0;
    double t2 = 0;
};

// The result for one signal: the worst severity of its findings.
struct CheckResult {
    CheckVerdict verdict = CheckVerdict::Ok;
    std::vector<CheckFinding> findings;
};

struct CheckOptions {
    // False when the header holds only defaults (a text file): then the
    // channel class and the quantity are unknown, not claimed.
    bool headerStated = true;
};

// Every threshold of the rules, in one place; the help text quotes them.
namespace CheckLimits {
// clipping: a plateau at the largest or smallest value, held within half
// the sample noise, of at least this many samples, ...
inline constexpr int kClipMinSamples = 4;
// ... that the curve leaves steeply: within half the plateau's length on
// each side it falls by this share of the range and this many noise units ...
inline constexpr double kClipEdgeRange = 0.03;
inline constexpr double kClipEdgeNoise = 6.0;
// ... and that lies this share of the range away from the resting level.
inline constexpr double kClipAwayFromRest = 0.2;
// dropout: up to this many samples that leave the line through their
// neighbours, all to one side, by more than these noise units, this share of
// the range, more than the neighbours differ from each other, this many times
// the largest residual and this many times the largest step of the samples
// nearby (kDropWindow on either side).
inline constexpr int kDropMaxSamples = 3;
inline constexpr double kDropNoise = 8.0;
inline constexpr double kDropRange = 0.05;
inline constexpr double kDropLocal = 5.0;
inline constexpr double kDropSlope = 2.0;
inline constexpr int kDropWindow = 4;
// offset: the mean before the event (earlier than 1 ms before time zero, at
// least 10 samples) is this share of the excursion and this many standard
// deviations of the pre-event noise away from zero.
inline constexpr double kOffsetShare = 0.05;
inline constexpr double kOffsetSigma = 3.0;
inline constexpr double kPreEventGuardSeconds = 0.001;
inline constexpr int kMinWindowSamples = 10;
// drift: the last tenth of the record, quiet (deviation under this share of
// the excursion), ends this share of the excursion away from the pre-event
// level.
inline constexpr double kTailFraction = 0.1;
inline constexpr double kDriftQuiet = 0.05;
inline constexpr double kDriftShare = 0.10;
// flat: constant, or at most this many distinct values evenly spaced (the
// neighbouring codes of a converter); a stretch that holds one value for
// this many samples and this share of the record, in a channel where at
// most this share of the other samples repeat the one before.
inline constexpr int kFlatMaxLevels = 4;
inline constexpr int kHoldMinSamples = 50;
inline constexpr double kHoldShare = 0.02;
inline constexpr double kHoldRepeats = 0.05;
// rate: at least this many samples per second per unit of channel class
// (1 % tolerance); below the rate at which the class filter can act at all
// (its corner at most 0.3875 of the rate) the channel fails.
inline constexpr double kRatePerClass = 10.0;
inline constexpr double kRateTolerance = 0.99;
inline constexpr double kFilterCornerPerClass = 5.0 / 3.0;
inline constexpr double kFilterMaxCornerShare = 0.3875;
} // namespace CheckLimits

// Checks one signal. Never throws; a signal without samples fails as flat.
CheckResult CheckSignal(const KVSignal& signal, const CheckOptions& options = {});
// Reads a signal file (RVF-1992, else text) into signal and checks it; a
// text file states no header. Returns the reader's TypeName, or nullptr with
// the read failures in errors. Checking many files, pass one signal for all:
// the memory of the previous file then stays in use instead of going back to
// the system and being asked for again. Text files are read with text (their
// time unit).
const char* CheckSignalFile(const std::string& fileName, KVSignal& signal, CheckResult& result,
                            KVErrorList& errors, const KVTextOptions& text = {});

} // namespace Kalvio
