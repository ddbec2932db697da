#pragma once
// The curve rating of `kalvio rate` as a library: files rated against a
// reference and the JSON object the command prints for each, for every caller
// that wants the command's answer without running it.
#include "CurveRating.h"
#include "KVFileAscii.h"

#include <string>

class KVErrorList;

// Reads both files (any signal file kind; text files with textOptions) and
// rates comparison against reference over interval. False with the failures
// (the reader's, or "Kalvio::Rate - ...") in errors.
bool RateFiles(const std::string& reference, const std::string& comparison, const Kalvio::RatingInterval& interval,
               Kalvio::CurveRating& out, KVErrorList& errors, const KVTextOptions& textOptions = {});

// The shift in milliseconds when the time unit is seconds (as signals
// carry it), else in the time unit itself.
double RatingShiftMs(const Kalvio::CurveRating& r, const std::string& xUnits);

// The object `kalvio rate --json` prints for one comparison, numbers at full
// precision: {"reference", "comparison", "rating", "corridor", "phase",
// "magnitude", "slope", "shift" (ms), "span": [t1, t2], "resampled"}.
std::string RatingJson(const Kalvio::CurveRating& r, const std::string& reference, const std::string& comparison,
                       const std::string& xUnits = "SECONDS");
