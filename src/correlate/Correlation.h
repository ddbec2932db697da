#pragma once
// The correlation of a test with its simulation: each pair of the map, the
// test channel as the reference and the simulation channel as the
// comparison, filtered to one channel class, put on the reference's grid
// over the span both cover and rated by ISO/TS 18571; the mean rating per
// body region (the test code's main location) and over all pairs. A pair
// that cannot be rated says n/a and why; it counts in no mean.
#include "ChannelSet.h"
#include "CorrelationMap.h"
#include "CurveRating.h"
#include "KVSignal.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Correlate {

// The colour bands of a rating: above kGoodRating good (green), above
// kFairRating fair (amber), else poor (red). No published source grades the
// rating; these are the thresholds in common use.
inline constexpr double kGoodRating = 0.75;
inline constexpr double kFairRating = 0.5;
enum class Band { Good, Fair, Poor };
Band BandOf(double rating);
const char* BandName(Band band);   // "good", "fair", "poor"
const char* BandColour(Band band); // "green", "amber", "red"

struct Options {
    // Rate over the reference's event (EventInterval) instead of the whole
    // span both cover.
    bool eventWindow = false;
    // Keep each pair's two curves as rated (for the plots of a report).
    bool keepCurves = false;
    // Called with the share done (0..1); returning false cancels.
    std::function<bool(double)> progress;
    // The simulation's units (--units), when it is a binout or an ASCII file.
    std::optional<SimUnits> units;
};

struct PairResult {
    MapPair pair;
    std::string testTitle;       // the test channel's name
    std::string simulationTitle; // the simulation channel's title
    std::string region;          // the test code's main location ("HEAD")
    int filterClass = 0;         // the class both were rated at; 0 as recorded
    std::string filter;          // "test CFC 180 as recorded, simulation filtered to CFC 180"
    std::optional<Kalvio::CurveRating> rating;
    std::string reason;          // why there is no rating
    // With keepCurves: the two as rated, the simulation on the reference's grid.
    KVSignal reference, comparison;
};

struct RegionMean {
    std::string region;
    std::optional<double> mean; // of the rated pairs; none when none was rated
    size_t pairs = 0;
    size_t rated = 0;
};

struct Result {
    std::string test, simulation, map; // as given
    std::string testName, simulationName;
    bool eventWindow = false;
    std::vector<PairResult> pairs;    // in the map's order
    std::vector<RegionMean> regions;  // in the order the map first names them
    std::optional<double> mean;       // over every rated pair
    size_t rated = 0;
    std::vector<std::string> warnings; // of opening the test and the simulation
};

// The region of a test channel code: its main location (characters 3-6).
std::string RegionOf(const std::string& code);

// The evaluation span of --protocol-window on the reference's samples, within
// [from, to] (the span both curves cover): from time zero (from, when later)
// to the last sample where |reference| reaches the inner corridor's share of
// its largest |value| in that span. Nothing when the span holds no sample.
std::optional<Kalvio::RatingInterval> EventInterval(const KVSignal& reference, double from, double to);

// Rates one pair: reference and comparison as loaded, the comparison scaled
// by the pair's factor, both filtered to the class, the comparison put on the
// reference's grid. Fills out's class, filter, rating or reason.
void RatePair(KVSignal reference, KVSignal comparison, const Options& options, PairResult& out);

// Opens the test, the simulation and the map, checks that every channel the
// map names is there, then rates every pair. False with the reason in error
// when something cannot be opened or a channel is missing (nothing rated
// then), or when cancelled; pairs that cannot be rated are n/a in out.
bool Correlate(const std::string& test, const std::string& simulation, const std::string& map,
               const Options& options, Result& out, std::string& error);

} // namespace Correlate
