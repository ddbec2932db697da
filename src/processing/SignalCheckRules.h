#pragma once
// The measurements the check rules share and the rules themselves (not part
// of the interface; SignalCheck.h is).
#include "SignalCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace Kalvio {

// What a channel measures, as far as the check needs to know: whether it
// reads zero at rest before the event and after it.
enum class CheckQuantity {
    Returns,  // acceleration, force, moment, angular rate: zero before and after
    Rests,    // displacement, deflection: zero before, may keep a set after
    Velocity, // starts at the initial speed
    Unknown,  // no header that says
};

// Four lanes of floats or of comparison results, in the machine's vector
// registers (a comparison of floats gives -1 where true, 0 where false), for
// the passes over every sample.
using Lanes = float __attribute__((vector_size(16)));
using Masks = std::int32_t __attribute__((vector_size(16)));

inline Lanes LoadLanes(const float* p)
{
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Everything the rules read, measured once per signal.
struct CheckProfile {
    const float* x = nullptr;
    const float* y = nullptr;
    std::size_t n = 0;
    double toSeconds = 0;  // seconds per X unit; 0 when X is no time in known units
    std::string xLabel;    // "s", "ms", ... for the messages
    std::string yLabel;    // " G'S" (with its blank) or empty
    float ymin = 0, ymax = 0;
    float peakValue = 0;   // the value farthest from rest
    double range = 0;      // ymax - ymin
    double scale = 0;      // largest magnitude
    double noise = 0;      // 1.4826 x median |y[i] - (y[i-1] + y[i+1]) / 2|
    std::size_t preEnd = 0; // samples [0, preEnd) lie before the event; 0 = none
    double preMean = 0, preStd = 0;
    std::size_t tailBegin = 0; // samples [tailBegin, n): the settled end; n = none
    double tailMean = 0, tailStd = 0;
    double rest = 0;       // resting level: the pre-event mean, else the first sample
    CheckQuantity quantity = CheckQuantity::Unknown;
    bool headerStated = true; // false: class and quantity are defaults, no claim
};

CheckQuantity CheckQuantityOf(const std::string& yType, const std::string& yUnits);

// Extremes and the derived rest, peak, range and scale, skipping the indices
// in skip (sorted); noise and windows are left alone (measure them first).
void MeasureExtremes(CheckProfile& p, const std::vector<std::size_t>& skip);
// The same from extremes already known.
void SetExtremes(CheckProfile& p, float ymin, float ymax);
// The noise and the pre-event and tail windows (after MeasureExtremes).
void MeasureNoiseAndWindows(CheckProfile& p);

// The rules. Each appends its findings; dropouts also returns the indices of
// the samples that dropped out.
void CheckDropouts(const CheckProfile& p, std::vector<CheckFinding>& out, std::vector<std::size_t>& dropped);
void CheckPlateaus(const CheckProfile& p, std::vector<CheckFinding>& out);
void CheckOffset(const CheckProfile& p, std::vector<CheckFinding>& out);
void CheckDrift(const CheckProfile& p, std::vector<CheckFinding>& out);
void CheckRate(const KVSignal& signal, const CheckProfile& p, std::vector<CheckFinding>& out);

// Message helpers: a value with its units, a time with its units, a number.
std::string CheckValue(const CheckProfile& p, double v);
std::string CheckTime(const CheckProfile& p, double t);
std::string CheckNumber(double v);

} // namespace Kalvio
