#pragma once
// The parts of the Python module that its source files share: the signal as
// Python holds it, and the way failures and warnings reach Python.
#include "KVErrorList.h"
#include "KVSignal.h"

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace py = pybind11;

// A signal as Python holds it: the record and where it came from. Python
// never changes one; every operation makes a new one.
struct PySignal {
    KVSignal signal;
    std::string path; // the file it was read from; "" for a result of an operation
    std::string kind; // the reader's TypeName; a result keeps its input's
    std::string code; // the ISO-MME channel code, or ""
    // The reader's warnings, which a criterion lists among its notes as the
    // criterion programs do; a result of an operation has none.
    std::vector<std::string> readWarnings;
    std::vector<std::string> warningLines; // the same, as issued ("FILE: scope - message")

    bool FromTextFile() const { return kind == "ASCII File"; }
};

// The exceptions of the package, all of them kalvio.Error: a missing file
// (also the built-in FileNotFoundError), a file that is no signal or test, a
// bad argument or a signal the operation cannot take (also ValueError), an
// argument of the wrong kind (also TypeError), a protocol or inputs problem.
enum class PyErrorKind { Error, FileNotFound, Format, Value, Type, Protocol };

// kalvio.Error, its subclasses and kalvio.SignalWarning, made once by the module.
void PyInitErrors(py::module_& m);
// Raises the exception of kind with the messages of errors, one a line as
// the command line prints them ("NAME: scope - message"); fallback when
// errors holds none.
[[noreturn]] void PyRaise(PyErrorKind kind, const KVErrorList& errors, const std::string& name,
                          const std::string& fallback);
[[noreturn]] void PyRaise(PyErrorKind kind, const std::string& message);
// The same as kalvio.Error itself.
[[noreturn]] void PyRaise(const KVErrorList& errors, const std::string& name, const std::string& fallback);
[[noreturn]] void PyRaise(const std::string& message);
// A file that could not be read, errors as PyRaise words them: a
// kalvio.FileNotFoundError (its filename set) when nothing is at path, else
// kalvio.FormatError.
[[noreturn]] void PyRaiseUnreadable(const std::string& path, const KVErrorList& errors, const std::string& name,
                                    const std::string& fallback);
// Issues every message of errors as a kalvio.SignalWarning (the GIL held).
void PyWarn(const KVErrorList& errors, const std::string& name);
// "NAME: scope - message" of error i, as the command line prints it.
std::string PyMessage(const KVErrorList& errors, int i, const std::string& name);

// The factor from the X units of s to seconds; false when X is no time.
// Python gives and takes every time in seconds.
bool PySecondsPerUnit(const KVSignal& s, double& factor);

// How messages name a signal: its file, else what its header says.
std::string PyNameOf(const PySignal& s);

// Registers kalvio.Signal, read and write.
void PyInitSignal(py::module_& m);
// Registers the operations.
void PyInitOperations(py::module_& m);
// Registers check, criterion and the test functions.
void PyInitCriteria(py::module_& m);
void PyInitAssess(py::module_& m);
// Registers the reading of simulations.
void PyInitSimulation(py::module_& m);
