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
#include <functional>
#include <limits>
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
        PyRaise(PyErrorKind::Value, errors, PyNameOf(in), "the operation failed");
    PyWarn(errors, PyNameOf(in));
    return out;
}

// value as the commands take their numbers: a finite float; arg names it.
float Finite(double value, const char* op, const char* arg)
{
    const float f = static_cast<float>(value);
    if (!std::isfinite(f))
        PyRaise(PyErrorKind::Value, std::string(op) + " needs " + arg + " as a finite number, not " + std::to_string(value));
    return f;
}

std::vector<const PySignal*> Inputs(const std::vector<const PySignal*>& signals, const char* op)
{
    for (const PySignal* s : signals)
        if (!s)
            PyRaise(PyErrorKind::Type, std::string(op) + " takes signals, not None");
    return signals;
}

// sum and average: the first input's copy receives the result.
std::unique_ptr<PySignal> Combine(const std::vector<const PySignal*>& signals, bool average)
{
    const char* op = average ? "average" : "sum";
    Inputs(signals, op);
    if (signals.empty())
        PyRaise(PyErrorKind::Value, std::string(op) + " needs at least one signal");
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
        PyRaise(PyErrorKind::Value, errors, "", "the operation failed");
    PyWarn(errors, "");
    return out;
}

std::unique_ptr<PySignal> Resultant(const std::vector<const PySignal*>& signals)
{
    Inputs(signals, "resultant");
    if (signals.size() != 2 && signals.size() != 3)
        PyRaise(PyErrorKind::Value, "resultant takes two or three component signals");
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
        PyRaise(PyErrorKind::Value, errors, "", "the operation failed");
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
    // A time comes in seconds; the operation takes it in the signal's X units.
    double factor = 1;
    if (!PySecondsPerUnit(s.signal, factor))
        factor = 1;
    double args[2] = {0.0, 0.0};
    for (int a = 0; a < op.arity; ++a) {
        const double value = v[static_cast<size_t>(a)];
        args[a] = op.integerArg     ? value
                  : op.args[a].time ? Finite(value / factor, name.c_str(), op.args[a].py)
                                    : Finite(value, name.c_str(), op.args[a].py);
    }
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

// The Python name of a command or switch: "-" written "_", without "--".
std::string PythonName(const char* name)
{
    std::string out = name;
    if (out.rfind("--", 0) == 0)
        out.erase(0, 2);
    std::replace(out.begin(), out.end(), '-', '_');
    return out;
}

// The operation called name in Python on signal with the numbers args (a
// whole number where the operation takes one) and its switch; the package's
// functions (kalvio._operations, made from operation_table) call it.
std::unique_ptr<PySignal> Operation(const std::string& name, const PySignal* signal, const py::sequence& args, bool flag)
{
    const Kalvio::OperationDef* op = nullptr;
    for (const Kalvio::OperationDef& d : Kalvio::Operations())
        if (PythonName(d.name) == name)
            op = &d;
    if (!op)
        PyRaise(PyErrorKind::Value, "no operation " + name);
    if (!signal)
        PyRaise(PyErrorKind::Type, name + " takes a signal, not None");
    if (static_cast<int>(args.size()) != op->arity)
        PyRaise(PyErrorKind::Type, name + " takes " + std::to_string(op->arity) + " numbers");
    std::array<double, 2> v{0.0, 0.0};
    for (int a = 0; a < op->arity; ++a) {
        const py::object value = args[static_cast<size_t>(a)];
        PyObject* p = value.ptr();
        const std::string arg = op->args[a].py;
        if (op->integerArg) { // numpy's integers too, not a float or a bool
            if (!PyIndex_Check(p) || PyBool_Check(p))
                PyRaise(PyErrorKind::Type, name + " takes " + arg + " as a whole number");
            const py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(p));
            const long long whole = index ? PyLong_AsLongLong(index.ptr()) : -1;
            if (!index || PyErr_Occurred() || whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max()) {
                PyErr_Clear();
                PyRaise(PyErrorKind::Value, name + " takes " + arg + " as a whole number within the int range");
            }
            v[static_cast<size_t>(a)] = static_cast<double>(whole);
            continue;
        }
        if (!PyNumber_Check(p) || PyBool_Check(p))
            PyRaise(PyErrorKind::Type, name + " takes " + arg + " as a number");
        const double number = PyFloat_AsDouble(p);
        if (PyErr_Occurred()) {
            PyErr_Clear();
            PyRaise(PyErrorKind::Type, name + " takes " + arg + " as a number");
        }
        v[static_cast<size_t>(a)] = number;
    }
    return RunOperation(*op, *signal, v, flag);
}

// What the package's functions are made from: per operation its Python
// name, its numbers (name, "int", "float" or "time", an example value), its
// switch's Python name or None, and its help.
py::list OperationTable()
{
    py::list table;
    for (const Kalvio::OperationDef& op : Kalvio::Operations()) {
        py::list args;
        for (int a = 0; a < op.arity; ++a)
            args.append(py::make_tuple(op.args[a].py,
                                       op.integerArg ? "int" : op.args[a].time ? "time" : "float",
                                       op.args[a].example));
        std::string doc = std::string(op.summary) + ", as kalvio " + op.name + ".\n\n" + op.description;
        std::string times;
        for (int a = 0; a < op.arity; ++a)
            if (op.args[a].time)
                times += std::string(times.empty() ? "" : " and ") + op.args[a].py;
        if (!times.empty())
            doc += "In Python " + times + " in seconds.\n";
        table.append(py::make_tuple(PythonName(op.name), args,
                                    op.flag ? py::object(py::str(PythonName(op.flag))) : py::none(), doc));
    }
    return table;
}

} // namespace

void PyInitOperations(py::module_& m)
{
    py::list names;
    for (const Kalvio::OperationDef& op : Kalvio::Operations())
        names.append(PythonName(op.name));
    m.attr("OPERATIONS") = py::tuple(names);
    m.def("_operation", &Operation, py::arg("name"), py::arg("signal"), py::arg("args"), py::arg("flag"),
          "Runs the operation name; see the package's functions of the same names.");
    m.def("_operation_table", &OperationTable, "What the package's operation functions are made from.");
    m.def(
        "sum", [](const std::vector<const PySignal*>& s) { return Combine(s, false); }, py::arg("signals"),
        R"(The point-by-point sum, with the first signal's times and header and status
SUM, as kalvio sum.

    >>> total = kalvio.sum([test["11FEMRLE00H3FOZB"], test["11FEMRRI00H3FOZB"]]))");
    m.def(
        "average", [](const std::vector<const PySignal*>& s) { return Combine(s, true); }, py::arg("signals"),
        R"(The point-by-point mean, status AVERAGE, as kalvio average.

    >>> mean = kalvio.average([kalvio.read(p) for p in ["run1.rvf", "run2.rvf", "run3.rvf"]]))");
    m.def("resultant", &Resultant, py::arg("signals"),
          R"(The magnitude of two or three components, with the first one's times and
header, axis RS and status COMPUTED, as kalvio resultant.

    >>> head = kalvio.resultant(test.find("11HEAD0000H3AC?A")))");
}
