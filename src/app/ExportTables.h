#pragma once
#include "SignalEntry.h"

#include <string>
#include <vector>

// The text tables the export commands write. Numbers are "%f" (six decimals,
// "." whatever the locale); rows end in CR LF.

enum class ETableStyle {
    CopyData,  // header: first name "%s\t", every further one "\t%s\t"
    SaveAscii, // header: every name "%s\t\t"
};

// One X and one Y column per signal; a signal shorter than the longest
// leaves empty cells so that the later columns keep their places.
std::string XYTable(const std::vector<CSignalEntry>& entries, bool columnHeaders, ETableStyle style);

// The step that brings the signals to a common time base: the smallest
// positive Del, and how many signals set or challenged it (1: no resampling).
struct CTimeBase {
    float step = 0.0f;
    int count = 0;
};
CTimeBase CommonTimeBase(const std::vector<CSignalEntry>& entries);

// The ImageExpress text: two comment lines (names without blanks), then one X
// column from the first signal and one Y column per signal. Rows past the
// first signal's end continue its time base with step (empty when step is
// not a usable step), and leave its Y empty.
std::string ImageExpressText(const std::vector<CSignalEntry>& entries, float step);

// Appends x as "%f" would print it.
void AppendFixed(std::string& out, double x);
