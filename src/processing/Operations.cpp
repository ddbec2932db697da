#include "Operations.h"

#include "Kalvio.h"

#include <limits>

namespace Kalvio {

const std::vector<OperationDef>& Operations()
{
    static const std::vector<OperationDef> operations = {
        {"cfc", 1, {{"CLASS", "cls", false, "180"}}, true, nullptr, "SAE J211 filter of channel class 60, 180, 600 or 1000",
         "Filters the Y values with the phaseless channel-class filter, corner\n"
         "CLASS x 5/3 Hz. A signal that already carries CLASS is stored unchanged.\n"
         "Needs X type TIME in SECONDS and a constant time step.\n",
         [](KVSignal& s, const double* a, bool, KVErrorList* e) { return BWfilt(s, static_cast<int>(a[0]), e); },
         [](const KVSignal& in, KVSignal& out, const double* a, bool, KVErrorList* e) {
             return BWfilt(in, out, static_cast<int>(a[0]), e);
         }},
        {"filter", 1, {{"HZ", "hz", false, "300"}}, false, nullptr, "phaseless Butterworth low-pass at a corner frequency",
         "Filters the Y values with the channel-class filter at the corner HZ and\n"
         "records it in the header (cut-off HZ, stopping frequency 2.5 x HZ).\n",
         [](KVSignal& s, const double* a, bool, KVErrorList* e) { return BWfilt(s, a[0], e); },
         [](const KVSignal& in, KVSignal& out, const double* a, bool, KVErrorList* e) { return BWfilt(in, out, a[0], e); }},
        {"fir100", 0, {}, false, "--keep-bias", "FIR100 filter: 100 Hz low-pass at 1600 samples/s",
         "300 Hz pre-filter, resampling to 0.000625 s, removal of the pre-event bias\n"
         "(left out with --keep-bias) and the 50-tap FIR filter. A signal filtered\n"
         "so before is stored unchanged with a warning.\n",
         [](KVSignal& s, const double*, bool keepBias, KVErrorList* e) { return FIR100(s, !keepBias, e); }, nullptr},
        {"resample", 1, {{"STEP", "step", true, "0.0001"}}, false, "--allow-large", "put a signal on a new uniform time step",
         "Interpolates linearly onto the times j x STEP (STEP in the signal's X units)\n"
         "that lie within the data. A result of more than " KV_RESAMPLE_MAX_POINTS_TEXT " points is refused\n"
         "(a step in the wrong unit, as a rule) unless --allow-large is given.\n",
         [](KVSignal& s, const double* a, bool allowLarge, KVErrorList* e) {
             return Resample(s, float(a[0]), e, allowLarge ? std::numeric_limits<std::size_t>::max() : kResampleMaxPoints);
         }, nullptr},
        {"truncate", 2, {{"START", "start", true, "-0.01"}, {"STOP", "stop", true, "0.15"}}, false, nullptr,
         "keep the samples with START <= X < STOP",
         "Keeps the points from START up to, not including, STOP; status Truncated.\n",
         [](KVSignal& s, const double* a, bool, KVErrorList* e) { return Truncate(s, float(a[0]), float(a[1]), e); }, nullptr},
        {"derivative", 0, {}, false, nullptr, "differentiate Y with respect to X, with units",
         "dY/dX; Y units and dimension follow from the units (METERS over SECONDS\n"
         "give KILOMETERS/HOUR, and so on).\n",
         [](KVSignal& s, const double*, bool, KVErrorList* e) { return derivY(s, e); }, nullptr},
        {"integrate", 0, {}, false, nullptr, "integrate Y over X from time zero, with units",
         "Trapezoidal integral anchored at time zero (or at the first sample when\n"
         "the data start later); G'S over SECONDS give KILOMETERS/HOUR (MILES/HOUR\n"
         "with unit system ENG) starting at the initial velocity.\n",
         [](KVSignal& s, const double*, bool, KVErrorList* e) { return TrapInteg(s, e); }, nullptr},
        {"bias", 0, {}, false, nullptr, "remove the pre-event offset",
         "Subtracts the median of the densest half of the samples before the\n"
         "largest |Y|. Needs a constant time step.\n",
         [](KVSignal& s, const double*, bool, KVErrorList* e) { return Bias(s, e); }, nullptr},
        {"add-y", 1, {{"C", "c", false, "1.5"}}, false, nullptr, "add a constant to every Y value", "",
         [](KVSignal& s, const double* a, bool, KVErrorList* e) { return AddConstantY(s, float(a[0]), e); }, nullptr},
        {"add-x", 1, {{"C", "c", true, "0.002"}}, false, nullptr, "add a constant to every X value (shift in time)",
         "With a constant step the point indices move by C / step, rounded.\n",
         [](KVSignal& s, const double* a, bool, KVErrorList* e) { return AddConstantX(s, float(a[0]), e); }, nullptr},
        {"scale-y", 1, {{"F", "f", false, "-1"}}, false, nullptr, "multiply every Y value by a factor", "",
         [](KVSignal& s, const double* a, bool, KVErrorList* e) { return ScaleY(s, float(a[0]), e); }, nullptr},
        {"scale-x", 1, {{"F", "f", false, "1000"}}, false, nullptr, "multiply every X value (and the step) by a factor", "",
         [](KVSignal& s, const double* a, bool, KVErrorList* e) { return ScaleX(s, float(a[0]), e); }, nullptr},
    };
    return operations;
}

const OperationDef* FindOperation(std::string_view name)
{
    for (const OperationDef& op : Operations())
        if (name == op.name)
            return &op;
    return nullptr;
}

} // namespace Kalvio
