// The signal operations as functions that return a new signal, computed by
// the same library calls as the kalvio commands, without the GIL.
#include "PySignal.h"

#include "Kalvio.h"

#include <pybind11/stl.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

namespace {

// A copy of in changed by op; kalvio.Error with the library's messages when
// op fails, its warnings as kalvio.SignalWarning.
std::unique_ptr<PySignal> Apply(const PySignal& in, const std::function<bool(KVSignal&, KVErrorList&)>& op)
{
    auto out = std::make_unique<PySignal>();
    out->kind = in.kind;
    KVErrorList errors;
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
        out->signal = in.signal;
        ok = op(out->signal, errors);
    }
    if (!ok)
        PyRaise(errors, PyNameOf(in), "the operation failed");
    PyWarn(errors, PyNameOf(in));
    return out;
}

// value as the commands take their numbers: a finite float; arg names it.
float Finite(double value, const char* op, const char* arg)
{
    const float f = static_cast<float>(value);
    if (!std::isfinite(f))
        PyRaise(std::string(op) + " needs " + arg + " as a finite number, not " + std::to_string(value));
    return f;
}

std::vector<const PySignal*> Inputs(const std::vector<const PySignal*>& signals, const char* op)
{
    for (const PySignal* s : signals)
        if (!s)
            PyRaise(std::string(op) + " takes signals, not None");
    return signals;
}

// sum and average: the first input's copy receives the result.
std::unique_ptr<PySignal> Combine(const std::vector<const PySignal*>& signals, bool average)
{
    const char* op = average ? "average" : "sum";
    Inputs(signals, op);
    if (signals.empty())
        PyRaise(std::string(op) + " needs at least one signal");
    auto out = std::make_unique<PySignal>();
    out->kind = signals[0]->kind;
    KVErrorList errors;
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
        std::vector<KVSignal> copies;
        copies.reserve(signals.size());
        for (const PySignal* s : signals)
            copies.push_back(s->signal);
        std::vector<KVSignal*> list;
        for (KVSignal& s : copies)
            list.push_back(&s);
        ok = average ? Kalvio::Average(list, &errors) : Kalvio::Sum(list, &errors);
        if (ok)
            out->signal = std::move(copies[0]);
    }
    if (!ok)
        PyRaise(errors, "", "the operation failed");
    PyWarn(errors, "");
    return out;
}

std::unique_ptr<PySignal> Resultant(const std::vector<const PySignal*>& signals)
{
    Inputs(signals, "resultant");
    if (signals.size() != 2 && signals.size() != 3)
        PyRaise("resultant takes two or three component signals");
    auto out = std::make_unique<PySignal>();
    out->kind = signals[0]->kind;
    KVErrorList errors;
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
        ok = signals.size() == 3
                 ? Kalvio::Resultant(out->signal, signals[0]->signal, signals[1]->signal, signals[2]->signal, &errors)
                 : Kalvio::Resultant(out->signal, signals[0]->signal, signals[1]->signal, &errors);
    }
    if (!ok)
        PyRaise(errors, "", "the operation failed");
    PyWarn(errors, "");
    return out;
}

// An operation without arguments, and one of one number.
void DefPlain(py::module_& m, const char* name, bool (*op)(KVSignal&, KVErrorList*), const char* doc)
{
    m.def(
        name, [op](const PySignal& s) { return Apply(s, [op](KVSignal& x, KVErrorList& e) { return op(x, &e); }); },
        py::arg("signal"), doc);
}

void DefScalar(py::module_& m, const char* name, const char* arg, bool (*op)(KVSignal&, float, KVErrorList*),
               const char* doc)
{
    m.def(
        name,
        [name, arg, op](const PySignal& s, double value) {
            const float v = Finite(value, name, arg);
            return Apply(s, [op, v](KVSignal& x, KVErrorList& e) { return op(x, v, &e); });
        },
        py::arg("signal"), py::arg(arg), doc);
}

} // namespace

void PyInitOperations(py::module_& m)
{
    const auto sig = py::arg("signal");
    m.def(
        "cfc",
        [](const PySignal& s, int cls) {
            return Apply(s, [cls](KVSignal& x, KVErrorList& e) { return Kalvio::BWfilt(x, cls, &e); });
        },
        sig, py::arg("cls"),
        R"(The SAE J211 phaseless filter of channel class cls (60, 180, 600 or 1000),
corner cls x 5/3 Hz, as kalvio cfc. Needs X in SECONDS and a constant step;
a signal that already carries cls comes back unchanged.)");
    m.def(
        "filter",
        [](const PySignal& s, double hz) {
            const double f = Finite(hz, "filter", "hz");
            return Apply(s, [f](KVSignal& x, KVErrorList& e) { return Kalvio::BWfilt(x, f, &e); });
        },
        sig, py::arg("hz"),
        "The channel-class filter at the corner hz (Hz), recorded in the header, as kalvio filter.");
    m.def(
        "fir100",
        [](const PySignal& s, bool keepBias) {
            return Apply(s, [keepBias](KVSignal& x, KVErrorList& e) { return Kalvio::FIR100(x, !keepBias, &e); });
        },
        sig, py::arg("keep_bias") = false,
        R"(The FIR100 filter (300 Hz pre-filter, 0.000625 s step, bias removal unless
keep_bias, 50-tap FIR), as kalvio fir100.)");
    m.def(
        "resample",
        [](const PySignal& s, double step, bool allowLarge) {
            const float h = Finite(step, "resample", "step");
            const size_t limit = allowLarge ? std::numeric_limits<size_t>::max() : Kalvio::kResampleMaxPoints;
            return Apply(s, [h, limit](KVSignal& x, KVErrorList& e) { return Kalvio::Resample(x, h, &e, limit); });
        },
        sig, py::arg("step"), py::arg("allow_large") = false,
        R"(Linear interpolation onto the times j x step (in the signal's X units), as
kalvio resample; more than )" KV_RESAMPLE_MAX_POINTS_TEXT R"( points are refused unless allow_large.)");
    m.def(
        "truncate",
        [](const PySignal& s, double start, double stop) {
            const float a = Finite(start, "truncate", "start");
            const float b = Finite(stop, "truncate", "stop");
            return Apply(s, [a, b](KVSignal& x, KVErrorList& e) { return Kalvio::Truncate(x, a, b, &e); });
        },
        sig, py::arg("start"), py::arg("stop"), "The points with start <= X < stop, as kalvio truncate.");
    DefPlain(m, "derivative", Kalvio::derivY, "dY/dX with units and dimension from the unit rules, as kalvio derivative.");
    DefPlain(m, "integrate", Kalvio::TrapInteg, "The trapezoidal integral from time zero with units, as kalvio integrate.");
    DefPlain(m, "bias", Kalvio::Bias, "The signal less its pre-event offset, as kalvio bias.");
    DefScalar(m, "add_y", "c", Kalvio::AddConstantY, "c added to every Y value, as kalvio add-y.");
    DefScalar(m, "add_x", "c", Kalvio::AddConstantX, "c added to every X value (a shift in time), as kalvio add-x.");
    DefScalar(m, "scale_y", "f", Kalvio::ScaleY, "Every Y value times f, as kalvio scale-y.");
    DefScalar(m, "scale_x", "f", Kalvio::ScaleX, "Every X value (and the step) times f, as kalvio scale-x.");
    m.def(
        "sum", [](const std::vector<const PySignal*>& s) { return Combine(s, false); }, py::arg("signals"),
        R"(The point-by-point sum, with the first signal's times and header and status
SUM, as kalvio sum.)");
    m.def(
        "average", [](const std::vector<const PySignal*>& s) { return Combine(s, true); }, py::arg("signals"),
        "The point-by-point mean, status AVERAGE, as kalvio average.");
    m.def("resultant", &Resultant, py::arg("signals"),
          R"(The magnitude of two or three components, with the first one's times and
header, axis RS and status COMPUTED, as kalvio resultant.)");
}
