#pragma once
// The time units a record's X may carry: one table, read by every layer that
// turns a time axis into seconds (the checks, the criteria, the plots).
#include <optional>
#include <string>

struct KVTimeScale {
    double seconds;    // seconds per unit
    const char* label; // the short label: "s", "ms", "us"
};

// A unit text as the tables hold it: without surrounding blanks, in capitals.
std::string KVUnitKey(const std::string& text);

// The unit text names, case and surrounding blanks ignored ("SECONDS", "ms",
// "Sec"); the long names also with a tail ("SECONDS (S)"). Nullopt when it
// is no time unit.
std::optional<KVTimeScale> KVTimeScaleOf(const std::string& text);
