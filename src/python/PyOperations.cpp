// The signal operations as functions that return a new signal, made from the
// operation table the kalvio commands are made from, and computed by the same
// library calls, without the GIL.
#include "PySignal.h"

#include "Kalvio.h"
#include "Operations.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>

namespace {

// The result of op for a copy of in, made by op into a fresh signal;
// kalvio.Error with the library's messages when op fails, its warnings as
// kalvio.SignalWarning.
std::unique_ptr<PySignal> Apply(const PySignal& in, const std::function<bool(KVSignal&, KVErrorList&)>& op)
{
    auto out = std::make_unique<PySignal>();
    out->kind = in.kind;
    KVErrorList errors;
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
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

// op on a copy of s with the numbers v, checked as the commands check theirs
// (finite floats).
std::unique_ptr<PySignal> RunOperation(const Kalvio::OperationDef& op, const PySignal& s, std::array<double, 2> v,
                                       bool flag)
{
    std::string name = op.name;
    std::replace(name.begin(), name.end(), '-', '_');
    double args[2] = {0.0, 0.0};
    for (int a = 0; a < op.arity; ++a)
        args[a] = op.integerArg ? v[static_cast<size_t>(a)] : Finite(v[static_cast<size_t>(a)], name.c_str(), op.args[a].py);
    // A Python signal is never changed: the result shares the input's arrays
    // until the operation writes them, or is made from the input directly
    // where the operation can, so that what it leaves is not copied.
    return Apply(s, [&op, &args, flag, &s](KVSignal& x, KVErrorList& e) {
        if (op.applyInto)
            return op.applyInto(s.signal, x, args, flag, &e);
        x.ShareArraysOf(s.signal);
        return op.apply(x, args, flag, &e);
    });
}

// A text that lives as long as the module (pybind11 keeps the pointers).
const char* Kept(std::string text)
{
    static std::deque<std::string> kept;
    return kept.emplace_back(std::move(text)).c_str();
}

// The Python function of op: its name with "_" for "-", its numbers by their
// Python names (a whole number where the operation takes one), its switch as
// a keyword that defaults to false ("--keep-bias" is keep_bias). Returns
// the name.
const char* DefOperation(py::module_& m, const Kalvio::OperationDef& op)
{
    std::string name = op.name, flag = op.flag ? std::string(op.flag).substr(2) : std::string();
    std::replace(name.begin(), name.end(), '-', '_');
    std::replace(flag.begin(), flag.end(), '-', '_');
    const char* pyName = Kept(name);
    const char* doc = Kept(std::string(op.summary) + ", as kalvio " + op.name + ".\n\n" + op.description);
    const Kalvio::OperationDef* d = &op;
    const auto sig = py::arg("signal");
    if (op.arity == 0 && !op.flag) {
        m.def(pyName, [d](const PySignal& s) { return RunOperation(*d, s, {}, false); }, sig, doc);
    } else if (op.arity == 0) {
        m.def(pyName, [d](const PySignal& s, bool f) { return RunOperation(*d, s, {}, f); }, sig,
              py::arg(Kept(flag)) = false, doc);
    } else if (op.arity == 1 && op.integerArg && !op.flag) {
        m.def(pyName, [d](const PySignal& s, int v) { return RunOperation(*d, s, {double(v), 0.0}, false); }, sig,
              py::arg(op.args[0].py), doc);
    } else if (op.arity == 1 && !op.integerArg && !op.flag) {
        m.def(pyName, [d](const PySignal& s, double v) { return RunOperation(*d, s, {v, 0.0}, false); }, sig,
              py::arg(op.args[0].py), doc);
    } else if (op.arity == 1 && !op.integerArg) {
        m.def(pyName, [d](const PySignal& s, double v, bool f) { return RunOperation(*d, s, {v, 0.0}, f); }, sig,
              py::arg(op.args[0].py), py::arg(Kept(flag)) = false, doc);
    } else if (op.arity == 2 && !op.integerArg && !op.flag) {
        m.def(pyName, [d](const PySignal& s, double a, double b) { return RunOperation(*d, s, {a, b}, false); },
              sig, py::arg(op.args[0].py), py::arg(op.args[1].py), doc);
    } else {
        throw std::logic_error(std::string("the operation ") + op.name + " has no Python form yet");
    }
    return pyName;
}

} // namespace

void PyInitOperations(py::module_& m)
{
    py::list names;
    for (const Kalvio::OperationDef& op : Kalvio::Operations())
        names.append(DefOperation(m, op));
    m.attr("OPERATIONS") = py::tuple(names);
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
