#pragma once
// Curve rating by ISO/TS 18571 (objective rating metric for non-ambiguous
// signals): how closely a comparison curve (a repeat test, a simulation)
// follows a reference curve, as a number from 0 to 1 and its four parts.
#include "KVErrorList.h"
#include "KVSignal.h"

#include <cstddef>
#include <optional>
#include <string>

namespace Kalvio {

// ---- The metric's parameters ------------------------------------------------

// Corridor score: half-widths of the inner and outer corridor as shares of
// the largest |reference|; between them a sample scores
// ((outer - d) / (outer - inner)) ^ exponent.
inline constexpr double kRatingInnerCorridor = 0.05;
inline constexpr double kRatingOuterCorridor = 0.5;
inline constexpr double kRatingCorridorExponent = 2.0;
// The time shift is searched up to this share of the samples either way; the
// phase score falls linearly from 1 (no shift) to 0 at it.
inline constexpr double kRatingMaxShift = 0.2;
// Dynamic time warping band: |i - j| at most this share of the samples.
inline constexpr double kRatingWarpBand = 0.1;
// Magnitude and slope errors at which their scores reach 0 (linear from 1 at 0).
inline constexpr double kRatingMagnitudeLimit = 0.5;
inline constexpr double kRatingSlopeLimit = 2.0;
// The derivatives of the slope score are smoothed by a centred mean of this many points.
inline constexpr int kRatingSlopeWindow = 9;
// Weights of corridor, phase, magnitude and slope in the rating.
inline constexpr double kRatingWeightCorridor = 0.4;
inline constexpr double kRatingWeightPhase = 0.2;
inline constexpr double kRatingWeightMagnitude = 0.2;
inline constexpr double kRatingWeightSlope = 0.2;
// The fewest shared samples a rating is computed over.
inline constexpr std::size_t kRatingMinSamples = 10;
// The most shared samples kalvio rate takes unless told --allow-large: the
// warping and the shift search cost about n x 0.2 n (100,000 samples take
// seconds, 1,000,000 a quarter of an hour).
inline constexpr std::size_t kRatingLargeSamples = 200000;

// ---- Results ------------------------------------------------------------------

struct CurveRating {
    double rating = 0.0;
    double corridor = 0.0;
    double phase = 0.0;
    double magnitude = 0.0;
    double slope = 0.0;
    // The shift that correlates best: the comparison's sample i + shiftSamples
    // pairs with the reference's sample i (positive: the comparison is late).
    long long shiftSamples = 0;
    double shift = 0.0; // shiftSamples x step, in the signals' time unit
    double from = 0.0;  // the span rated, in the signals' time unit
    double to = 0.0;
    double step = 0.0;       // the reference's time step
    std::size_t samples = 0; // samples rated (before the shift)
    double innerWidth = 0.0; // half-widths of the reference's corridors (Y units)
    double outerWidth = 0.0;
    // A signal was resampled: the comparison onto the reference's step (or a
    // reference whose times leave the grid of its own step onto that grid).
    bool resampled = false;
};

// The evaluation interval; an absent end is the end of the shared span.
struct RatingInterval {
    std::optional<double> from;
    std::optional<double> to;
    // More shared samples than this are refused with the way out; 0: no limit.
    std::size_t maxSamples = 0;
};

// ---- The rating ---------------------------------------------------------------

// Rates comparison[0..n-1] against reference[0..n-1], samples on one even grid
// (shift and span fields stay 0). False with the reason in why: fewer than
// kRatingMinSamples samples, a sample that is not finite, a reference that is
// zero everywhere, a curve without a defined correlation (constant).
bool RateSamples(const float* reference, const float* comparison, std::size_t n, CurveRating& out, std::string& why);

// Rates comparison against reference over the span both cover (within
// interval): on the same step as they are, otherwise the comparison
// resampled onto the reference's grid by Resample. Refuses, under
// "Kalvio::Rate", signals of different Y units, uneven sampling, and what
// RateSamples refuses, naming the signal and the cause.
bool RateSignals(const KVSignal& reference, const KVSignal& comparison, const RatingInterval& interval,
                 CurveRating& out, KVErrorList* errors);

// v to 12 significant digits: a time or shift computed as index x step
// without the last bits of double rounding.
double RatingRound(double v);

// The inner and outer corridor half-widths of reference[0..n-1] (0 for n == 0).
void RatingCorridorWidths(const float* reference, std::size_t n, double& inner, double& outer);

} // namespace Kalvio
