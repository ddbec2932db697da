#pragma once
// Helpers shared by the operations of this folder (not part of the interface).
#include "KVErrorList.h"
#include "KVSignal.h"

#include <cmath>
#include <string>

namespace Kalvio {

// Appends one report under "Kalvio::<operation>" when a list was given.
void Report(KVErrorList* errors, const char* operation, const char* message);

// Nearest whole number, halves away from zero.
inline double RoundHalfAway(double v) { return std::trunc(v >= 0.0 ? v + 0.5 : v - 0.5); }
inline int RoundToInt(double v) { return static_cast<int>(RoundHalfAway(v)); }

// |a - b| < 0.001 * max(|a|, |b|), strictly: two zeros are not near-equal.
bool NearEqual(double a, double b, double tolerance = 0.001);

// A usable constant sample step: above 0 and not the "no constant step" marker.
inline bool HasConstantStep(float del) { return del > 0.0f && del != KV_NO_VALUE; }

// Whether text begins with prefix (case-sensitive).
inline bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Extremes after a change of the arrays; "no value" when no point is left.
void RefreshExtremes(KVSignal& signal);

} // namespace Kalvio
