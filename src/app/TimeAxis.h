#pragma once
// The X axis shared by several signals: time units brought to seconds when
// the signals' units differ, and the real span of a signal's X values.
#include <QString>

#include <optional>
#include <string>
#include <vector>

class KVSignal;

// Seconds per unit of an X-units text (blanks around it and letter case
// ignored): SECONDS, MILLISECONDS, MICROSECONDS and their short forms.
// Nothing for a unit that is not a time.
std::optional<double> SecondsPerUnit(const std::string& xUnits);

// How several signals share one X axis.
struct CSharedXAxis {
    enum class EKind {
        Same,      // every signal has the same X units: drawn as stored
        Converted, // different time units: every X brought to seconds
        Mixed,     // different units that are not all times: drawn as stored
    };
    EKind kind = EKind::Same;
    std::vector<double> scale; // per signal: factor to the shared unit (1 unless converted)
    QString label;             // the X label; for Same the first signal's "type units"
};

// The shared X axis of signals (null entries count as having the first's units).
CSharedXAxis SharedXAxis(const std::vector<const KVSignal*>& loaded);

// "type units", or the units alone, or their first 47 characters: the X or Y
// label of one signal, never longer than 47.
QString AxisLabel(const std::string& type, const std::string& units);

// The distance from the smallest to the largest X value; 0 without two points.
float XSpan(const KVSignal& s);
