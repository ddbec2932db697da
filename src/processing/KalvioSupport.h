#pragma once
// Helpers shared by the operations of this folder (not part of the interface).
#include "KVErrorList.h"
#include "KVSignal.h"
#include "KVSystemReason.h"

#include <cmath>
#include <cstddef>
#include <new>
#include <stdexcept>
#include <string>

namespace Kalvio {

// Appends one report under "Kalvio::<operation>" when a list was given.
void Report(KVErrorList* errors, const char* operation, const char* message);

// Nearest whole number, halves away from zero.
inline double RoundHalfAway(double v) { return std::trunc(v >= 0.0 ? v + 0.5 : v - 0.5); }
// A whole value as an index, limited to the int range (NaN gives 0) so that a
// wild header value cannot overflow the conversion.
int ClampToInt(double v);
inline int RoundToInt(double v) { return ClampToInt(RoundHalfAway(v)); }
inline int TruncToInt(double v) { return ClampToInt(std::trunc(v)); }

// |a - b| < 0.001 * max(|a|, |b|), strictly: two zeros are not near-equal.
bool NearEqual(double a, double b, double tolerance = 0.001);

// A usable constant sample step: above 0 and not the "no constant step" marker.
inline bool HasConstantStep(float del) { return del > 0.0f && del != KV_NO_VALUE && std::isfinite(del); }

// Whether the header records filtering at channel class cfc: the class, and a
// cut-off (or, without one, pre-filter) frequency of that class. A text
// file's signal records none, so it is filtered whatever its class field says.
bool AlreadyFiltered(const KVSignal& signal, int cfc);

// "<failure>: <signal> needs a constant time step", for an operation on
// samples that are not evenly spaced.
std::string NeedsConstantStep(const char* failure, const KVSignal& signal);

// Whether text begins with prefix (case-sensitive).
inline bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Whether the first len characters of text equal word as C texts compare
// them: a len one above the word's length demands the exact word.
bool MatchesN(const std::string& text, const char* word, std::size_t len);

// Number of samples of the span Nfp..Nlp when it holds 1 to PointCount
// samples, else 0 (indices that do not fit the arrays).
std::size_t SpanCount(const KVSignal& signal);

// Replaces header and arrays of signal by those of fresh; the signal's own
// error list stays.
void ReplaceSignal(KVSignal& signal, KVSignal&& fresh);

// A signal with the header of from and the samples values[0..nlp-nfp] on the
// grid (nfp + k) * step, X computed as a "Y" file reload computes it. False
// when the arrays cannot be allocated.
bool BuildGridSignal(const KVSignal& from, int nfp, int nlp, float step, const float* values, KVSignal& fresh);

// Extremes after a change of the arrays; "no value" when no point is left.
void RefreshExtremes(KVSignal& signal);

// A copy of header, arrays and data flag of signal; false when memory for it
// cannot be had.
bool Backup(const KVSignal& signal, KVSignal& copy);
// Whether every sample of after is finite and no real header field turned
// infinite or NaN on the way from before.
bool ResultIsFinite(const KVSignal& before, const KVSignal& after);
// Whether every sample of Y is finite and stays so when multiplied by gain:
// an operation whose output is bounded by gain times the largest |Y| then
// cannot leave the float range.
bool YStaysFiniteWithGain(const KVSignal& signal, double gain);
// The failure text of an operation whose result is not finite.
std::string NotFiniteMessage(const char* operation, const KVSignal& signal);

// Runs op (a bool() that changes signal) as one step: when it runs out of
// memory or leaves a value that is not finite, the signal is put back as it
// was and the failure is reported under "Kalvio::<operation>".
template <class Op>
bool Guarded(KVSignal& signal, const char* operation, KVErrorList* errors, Op&& op)
{
    KVSignal before;
    if (!Backup(signal, before)) {
        Report(errors, operation, kNotEnoughMemory);
        return false;
    }
    bool ok = false;
    try {
        ok = op();
    } catch (const std::bad_alloc&) {
        ReplaceSignal(signal, std::move(before));
        Report(errors, operation, kNotEnoughMemory);
        return false;
    } catch (const std::length_error&) {
        ReplaceSignal(signal, std::move(before));
        Report(errors, operation, kNotEnoughMemory);
        return false;
    }
    if (ok && !ResultIsFinite(before, signal)) {
        ReplaceSignal(signal, std::move(before));
        Report(errors, operation, NotFiniteMessage(operation, signal).c_str());
        return false;
    }
    return ok;
}

} // namespace Kalvio
