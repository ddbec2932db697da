#pragma once
// The signal operations. Each operation changes the signal in place, reports
// failures and warnings into `errors` under the scope "Kalvio::<name>" (one
// entry per failure; nothing when `errors` is nullptr), leaves the signal as
// it was when it fails, and never throws.
#include "KVErrorList.h"
#include "KVSignal.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace Kalvio {

// ---- Simple operations ----------------------------------------------------

// Keeps the samples with start <= X < stop; Status "Truncated".
bool Truncate(KVSignal& signal, float start, float stop, KVErrorList* errors);
// Adds c to every Y value.
bool AddConstantY(KVSignal& signal, float c, KVErrorList* errors);
// Adds c to every X value; with a constant step the indices move by round(c / Del).
bool AddConstantX(KVSignal& signal, float c, KVErrorList* errors);
// Multiplies every Y value by f (f != 0).
bool ScaleY(KVSignal& signal, float f, KVErrorList* errors);
// Multiplies every X value (and a constant step) by f (f != 0).
bool ScaleX(KVSignal& signal, float f, KVErrorList* errors);

// The first largest (smallest) Y and its X; the time is in milliseconds when
// XUnits are SECONDS. False when the signal holds no data.
bool PeakMaximum(const KVSignal& signal, float& value, float& time);
bool PeakMinimum(const KVSignal& signal, float& value, float& time);

// ---- File-name code -------------------------------------------------------

// The default 8.3 file name that encodes database, test number, dimension,
// status, cut-off and curve number (e.g. "V0123afd.005"). False, writing
// nothing, when name is nullptr.
bool FileNameCode(const KVSignal& signal, std::string* name);

// ---- SAE J211 Butterworth filter -------------------------------------------

// Filters at the corner of channel class cfc (60, 180, 600 or 1000); a signal
// that already carries that class is left alone. A class wider than the one
// the header records the signal as filtered at (FilteredClass) is refused:
// filtering cannot bring back what the narrower filter took away.
bool BWfilt(KVSignal& signal, int cfc, KVErrorList* errors);
// The channel class the header records the signal as filtered at: the class
// of its recorded cut-off frequency; 0 without a cut-off of a class.
int FilteredClass(const KVSignal& signal);
// Whether BWfilt at class cfc leaves signal as it is (already filtered at cfc).
bool FilterClassKeeps(const KVSignal& signal, int cfc);
// Filters at any corner frequency (Hz) and updates the filter header fields.
bool BWfilt(KVSignal& signal, double frequency, KVErrorList* errors);
// out becomes what the in-place BWfilt makes of a copy of in, to the bit,
// without copying in's arrays: out shares in's times, and the first pass
// reads in's values and writes out's.
bool BWfilt(const KVSignal& in, KVSignal& out, int cfc, KVErrorList* errors);
bool BWfilt(const KVSignal& in, KVSignal& out, double frequency, KVErrorList* errors);
// Phaseless two-pass second-order low-pass over x[0..n-1], step dt (s), corner
// F (Hz), in place with constant extra memory. False for n == 0, dt <= 0, F <= 0.
bool BWfiltCore(float* x, std::size_t n, float dt, double F);
// The same from in[0..n-1] into x[0..n-1] (in may be x).
bool BWfiltCore(const float* in, float* x, std::size_t n, float dt, double F);
// The coefficients {a0, a1, a2, b1, b2} of one pass of BWfiltCore's section
// for step dt (s) and corner F (Hz).
std::array<double, 5> BWfiltCoefficients(double dt, double F);

// ---- FIR100 filter --------------------------------------------------------

// 300 Hz pre-filter, resampling to 0.000625 s, optional bias removal, 50-tap
// FIR; FilterClass 1003 marks the result.
bool FIR100(KVSignal& signal, bool removeBias, KVErrorList* errors);
// The FIR100 chain over y[0..nlp-nfp] (changed: pre-filtered in place). Writes
// the new samples into out (room for outCapacity values) and returns the new
// indices and step through nfp, nlp and dt.
bool FIR100Core(float* y, float* out, std::size_t outCapacity, int& nfp, int& nlp, float& dt,
                bool removeBias);
// General Butterworth low-pass over x[0..n-1] in place: order from the pass and
// stop frequencies (Hz) and the attenuation (dB, negative); mode 1 forward,
// 2 backward, 3 both. False only when the order comes out negative.
bool ButterworthDesign(float* x, float dt, std::size_t n, double pass, double attenuationDb, int mode,
                       double stop);
// The symmetric 50-tap FIR over x[0..count-1] with 25 reflected samples at each
// end; work must hold count + 50 values. False when 0.5 / dt <= 100 Hz.
bool FIRStage(float* x, double* work, std::size_t count, float dt);

// ---- Resampling -----------------------------------------------------------

// The most points Resample builds unless its caller allows more: a step that
// needs more is almost always a slip of units (nanoseconds for milliseconds).
// (A macro as well, so that help texts can spell the number.)
#define KV_RESAMPLE_MAX_POINTS 10000000
#define KV_TEXT_OF_(x) #x
#define KV_TEXT_OF(x) KV_TEXT_OF_(x)
#define KV_RESAMPLE_MAX_POINTS_TEXT KV_TEXT_OF(KV_RESAMPLE_MAX_POINTS)
inline constexpr std::size_t kResampleMaxPoints = KV_RESAMPLE_MAX_POINTS;
// Puts the signal on the grid j * step by linear interpolation of X/Y data:
// every time j * step with x0 <= j * step <= xn (a hundredth of a step of
// tolerance for float times), so the signal's own step gives it back sample
// for sample; refuses a grid of more than maxPoints points or fewer than two.
bool Resample(KVSignal& signal, float step, KVErrorList* errors, std::size_t maxPoints = kResampleMaxPoints);
// Resample onto at most points of that grid: the "number of points" choice,
// whose step spreads exactly that many points over the span.
bool ResampleToPoints(KVSignal& signal, float step, std::size_t points, KVErrorList* errors);
// The first and last grid index j of the times j * h within [x0, xn] (within a
// hundredth of h); false for no usable step or span, or indices beyond 1e15. last < first + 1 when the
// span holds fewer than two grid times.
bool ResampleGridSpan(double x0, double xn, double h, long long& first, long long& last);
// X/Y interpolation (times increasing) onto the grid of step h. On entry
// nlpOut holds the room in out; on return nfpOut/nlpOut hold the new indices
// and out their samples.
bool ResampleXYCore(const float* x, const float* y, int nfp, int nlp, float h, float* out, int& nfpOut,
                    int& nlpOut);
// Resamples uniform samples y (indices nfp..nlp, step h0) to step h1; out has
// room for outCapacity values.
bool GridResample(const float* y, int nfp, int nlp, float h0, float h1, float* out, std::size_t outCapacity,
                  int& nfpOut, int& nlpOut);

// ---- Derivative and integral ----------------------------------------------

// New Y units, dimension name and factor of a derivative or an integral, and
// the integral's start value.
struct UnitRule {
    std::string units = "UNKNOWN";
    std::string dimension = "UNKNOWN";
    float factor = 1.0f;
    float startValue = 0.0f;
};
UnitRule DerivativeUnits(const std::string& xUnits, const std::string& yUnits);
UnitRule IntegralUnits(const std::string& xUnits, const std::string& yUnits, const std::string& unitSystem,
                       float initialVelocity);

// dY/dX in place, with units and dimension from the derivative unit rule.
bool derivY(KVSignal& signal, KVErrorList* errors);
// Integral of Y over X in place, anchored at time zero (or the first sample).
bool TrapInteg(KVSignal& signal, KVErrorList* errors);
// Derivative of uniform samples y[0..n-1] (step h) times factor into d.
bool DerivUniform(const float* y, std::size_t n, double h, float factor, float* d);
// Derivative of X/Y data (n >= 3, X not decreasing) times factor into d.
bool DerivXY(const float* x, const float* y, std::size_t n, float factor, float* d);
// Trapezoidal integral of x/y (indices nfp..nlp) times factor into out,
// out = c0 at time zero (or at the first sample when the span starts later).
bool TrapezoidIntegral(const float* x, const float* y, int nfp, int nlp, float c0, float factor, float* out);

// ---- Combining signals ----------------------------------------------------

// Point-by-point sum of the list into its first signal; Status "SUM", named
// "SUM OF A + B" (the curve texts) or "SUM OF n SIGNALS" when that is long.
bool Sum(const std::vector<KVSignal*>& list, KVErrorList* errors);
// Point-by-point mean of the list into its first signal; Status "AVERAGE",
// named as Sum names it ("AVERAGE OF ...").
bool Average(const std::vector<KVSignal*>& list, KVErrorList* errors);
// result = copy of a with Y = |(a, b, c)| (or |(a, b)|); Axis "RS", Status
// "COMPUTED"; a's channel code with direction R and a's name without its axis
// letter followed by "RESULTANT".
bool Resultant(KVSignal& result, const KVSignal& a, const KVSignal& b, const KVSignal& c, KVErrorList* errors);
bool Resultant(KVSignal& result, const KVSignal& a, const KVSignal& b, KVErrorList* errors);

// ---- Bias removal ---------------------------------------------------------

// Removes the pre-event offset detected before the largest |Y|.
bool Bias(KVSignal& signal, KVErrorList* errors);
// Subtracts from y[0..n-1] the median of the densest half of the samples before
// the peak. False when there is no sample before the peak.
bool BiasCore(float* y, std::size_t n);

} // namespace Kalvio
