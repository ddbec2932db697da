// kalvio.Signal, read, write and the test readers and writer.
#include "PySignal.h"

#include "CriteriaUnits.h"
#include "IsoMmeTest.h"
#include "IsoMmeWriter.h"
#include "KVFileRvf.h"
#include "KVOutputFile.h"
#include "KVPrintableName.h"
#include "KVReadSignalFile.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

namespace {

PyObject* g_error = nullptr;
PyObject* g_warning = nullptr;
PyObject* g_kinds[6] = {}; // by PyErrorKind

// A read-only float32 view of n samples at data that keeps owner alive: the
// numbers stay where the library put them.
py::array View(const float* data, size_t n, py::handle owner)
{
    if (n == 0)
        return py::array_t<float>(0);
    py::array_t<float> a({n}, {sizeof(float)}, data, owner);
    py::detail::array_proxy(a.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
    return a;
}

py::str Latin1(const std::string& bytes)
{
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeLatin1(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), nullptr));
}

std::string Latin1Bytes(const py::handle& value, const char* field)
{
    if (!py::isinstance<py::str>(value))
        PyRaise(PyErrorKind::Type, std::string("header field ") + field + " takes a text");
    PyObject* bytes = PyUnicode_AsLatin1String(value.ptr());
    if (!bytes) {
        PyErr_Clear();
        PyRaise(PyErrorKind::Value, std::string("header field ") + field + " holds a character that Latin-1 cannot write");
    }
    std::string out(PyBytes_AS_STRING(bytes), static_cast<size_t>(PyBytes_GET_SIZE(bytes)));
    Py_DECREF(bytes);
    return out;
}

// A file name as Python's os functions give it back (undecodable bytes kept
// as surrogates).
py::str FileName(const std::string& bytes)
{
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeFSDefaultAndSize(bytes.data(), static_cast<Py_ssize_t>(bytes.size())));
}

py::list LinesState(const KVSideRecord::Lines& lines)
{
    py::list out;
    for (const auto& [name, value] : lines)
        out.append(py::make_tuple(py::bytes(name), py::bytes(value)));
    return out;
}

KVSideRecord::Lines LinesOf(const py::handle& state)
{
    KVSideRecord::Lines lines;
    for (const py::handle item : state) {
        const py::tuple pair = py::reinterpret_borrow<py::tuple>(item);
        lines.emplace_back(pair[0].cast<std::string>(), pair[1].cast<std::string>());
    }
    return lines;
}

py::dict HeaderDict(const KVHeader& h);
void SetHeaderFields(KVHeader& h, const py::dict& fields);

// A signal as a pickle holds it: every field, the samples' bytes, the lines
// without a field and where it came from, so that a signal travels between
// processes (a Dask task's result) unchanged to the last bit.
py::tuple PickleState(const PySignal& s)
{
    const KVSignal& k = s.signal;
    const auto bytesOf = [&](const float* p) {
        return py::bytes(reinterpret_cast<const char*>(p), k.PointCount() * sizeof(float));
    };
    return py::make_tuple(1, HeaderDict(k.Header()), bytesOf(k.X()), bytesOf(k.Y()), py::bytes(k.Header().SourceName),
                          LinesState(k.Header().Side.testLines), LinesState(k.Header().Side.channelLines),
                          py::bytes(s.path), s.kind, s.code, s.readWarnings, s.warningLines);
}

std::unique_ptr<PySignal> FromPickleState(const py::tuple& t)
{
    if (t.size() != 12 || t[0].cast<int>() != 1)
        PyRaise(PyErrorKind::Value, "not a pickled kalvio.Signal of this version");
    auto out = std::make_unique<PySignal>();
    KVSignal& k = out->signal;
    SetHeaderFields(k.Header(), t[1].cast<py::dict>());
    const std::string x = t[2].cast<std::string>(), y = t[3].cast<std::string>();
    const size_t n = x.size() / sizeof(float);
    if (x.size() != y.size() || x.size() % sizeof(float) != 0)
        PyRaise(PyErrorKind::Value, "not a pickled kalvio.Signal: the arrays differ");
    if (n > 0) {
        if (!k.Allocate(n))
            throw std::bad_alloc();
        std::memcpy(k.X(), x.data(), x.size());
        std::memcpy(k.Y(), y.data(), y.size());
        k.SetHasData(true);
    }
    k.Header().SourceName = t[4].cast<std::string>();
    k.Header().Side.testLines = LinesOf(t[5]);
    k.Header().Side.channelLines = LinesOf(t[6]);
    out->path = t[7].cast<std::string>();
    out->kind = t[8].cast<std::string>();
    out->code = t[9].cast<std::string>();
    out->readWarnings = t[10].cast<std::vector<std::string>>();
    out->warningLines = t[11].cast<std::vector<std::string>>();
    return out;
}

py::dict HeaderDict(const KVHeader& h)
{
    py::dict d;
#define KV_DICT_TEXT(name, def) d[#name] = Latin1(h.name);
#define KV_DICT_REAL(name, def) d[#name] = double(h.name);
#define KV_DICT_INT(name, def) d[#name] = h.name;
    KV_SIGNAL_FIELDS(KV_DICT_TEXT, KV_DICT_REAL, KV_DICT_INT)
#undef KV_DICT_TEXT
#undef KV_DICT_REAL
#undef KV_DICT_INT
    return d;
}

template <class T>
T NumberOf(const py::handle& value, const char* field)
{
    try {
        return value.cast<T>();
    } catch (const py::cast_error&) {
        PyRaise(PyErrorKind::Type, std::string("header field ") + field + " takes a number");
    }
}

// Sets the fields named in fields; an unknown name or a value of the wrong
// kind is refused.
void SetHeaderFields(KVHeader& h, const py::dict& fields)
{
    for (const auto& [key, value] : fields) {
        const std::string name = py::str(key);
        bool known = false;
#define KV_SET_TEXT(field, def)                                                            \
    if (name == #field) {                                                                  \
        h.field = Latin1Bytes(value, #field);                                              \
        known = true;                                                                      \
    }
#define KV_SET_REAL(field, def)                                                            \
    if (name == #field) {                                                                  \
        h.field = static_cast<float>(NumberOf<double>(value, #field));                     \
        known = true;                                                                      \
    }
#define KV_SET_INT(field, def)                                                             \
    if (name == #field) {                                                                  \
        h.field = NumberOf<int>(value, #field);                                            \
        known = true;                                                                      \
    }
        KV_SIGNAL_FIELDS(KV_SET_TEXT, KV_SET_REAL, KV_SET_INT)
#undef KV_SET_TEXT
#undef KV_SET_REAL
#undef KV_SET_INT
        if (!known)
            PyRaise(PyErrorKind::Value, "unknown header field '" + name + "' (the names kalvio info prints)");
    }
}

// The times in seconds: the record's own array where it is in seconds (or
// no time), else a read-only copy in seconds.
py::array Times(py::object self)
{
    const KVSignal& s = self.cast<const PySignal&>().signal;
    double factor = 1;
    if (!PySecondsPerUnit(s, factor) || factor == 1)
        return View(s.X(), s.PointCount(), self);
    py::array_t<float> out(s.PointCount());
    std::transform(s.X(), s.X() + s.PointCount(), out.mutable_data(),
                   [factor](float t) { return static_cast<float>(t * factor); });
    py::detail::array_proxy(out.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
    return out;
}

std::unique_ptr<PySignal> WithHeader(const PySignal& in, const py::kwargs& fields)
{
    auto out = std::make_unique<PySignal>();
    out->signal.ShareArraysOf(in.signal);
    out->path = in.path;
    out->kind = in.kind;
    out->code = in.code;
    out->readWarnings = in.readWarnings;
    out->warningLines = in.warningLines;
    KVSignal& s = out->signal;
    SetHeaderFields(s.Header(), fields);
    // What follows from the arrays stays true to them.
    if (s.PointCount() > 0) {
        s.SetNlp(s.Nfp() + static_cast<int>(s.PointCount()) - 1);
        s.UpdateExtremes();
    }
    return out;
}

std::unique_ptr<PySignal> MakeSignal(py::array_t<float, py::array::c_style | py::array::forcecast> x,
                                     py::array_t<float, py::array::c_style | py::array::forcecast> y,
                                     const py::dict& header)
{
    if (x.ndim() != 1 || y.ndim() != 1 || x.size() != y.size())
        PyRaise(PyErrorKind::Value, "x and y must be one-dimensional and of one length");
    if (x.size() == 0)
        PyRaise(PyErrorKind::Value, "a signal needs at least one point");
    auto out = std::make_unique<PySignal>();
    KVSignal& s = out->signal;
    s.SetXUnits("SECONDS");
    SetHeaderFields(s.Header(), header);
    const size_t n = static_cast<size_t>(x.size());
    if (!s.Allocate(n))
        throw std::bad_alloc();
    // The times come in seconds; a record in another time unit stores them in its own.
    double factor = 1;
    if (PySecondsPerUnit(s, factor) && factor != 1)
        std::transform(x.data(), x.data() + n, s.X(), [factor](float t) { return static_cast<float>(t / factor); });
    else
        std::copy_n(x.data(), n, s.X());
    std::copy_n(y.data(), n, s.Y());
    s.SetHasData(true);
    if (!header.contains("Nfp"))
        s.SetNfp(0);
    s.SetNlp(s.Nfp() + static_cast<int>(n) - 1);
    s.UpdateExtremes();
    // A step given with times on its grid stays as given (a "Y" file then
    // stores the same times); otherwise it is worked out from the times.
    if (!header.contains("Del") || !s.IsOnOwnGrid())
        s.UpdateTimeStep();
    return out;
}

const char* const kSignalDoc = R"(One signal: a header and two sample arrays.

Signal(x, y, header=None) makes one from arrays of times in seconds and
values (copied as float32); header is a dict of fields by the names kalvio
info prints (the others keep their defaults; XUnits is SECONDS unless given,
and a record in MILLISECONDS stores the times so). Nlp, the extremes and,
unless a Del on the times' grid is given, the time step follow from the
arrays.

A signal is never changed: every operation returns a new one, and
with_header(**fields) a copy with other header fields. x and y are read-only
numpy float32 arrays, views of the library's own memory where the record is
in seconds; take numpy.array(signal.y) for a copy to change. Every time is in
seconds: x, step, start and the time arguments of the operations.

    >>> s = kalvio.Signal([0.0, 0.001, 0.002], [0.0, 1.0, 0.0], {"YUnits": "G'S"})
    >>> s.step, s.header["XUnits"]
    (0.001, 'SECONDS'))";

void Read(PySignal& out, const std::string& path, const std::string& timeUnit)
{
    KVTextOptions text;
    if (!KVParseTimeUnit(timeUnit, text.timeUnit))
        PyRaise(PyErrorKind::Value, "time_unit takes \"s\" (seconds) or \"ms\" (milliseconds), not '" + timeUnit + "'");
    text.unitSwitch = [](KVTimeUnit u) {
        return std::string("time_unit=\"") + (u == KVTimeUnit::Seconds ? "s" : "ms") + "\"";
    };
    KVErrorList errors;
    const char* kind = nullptr;
    {
        py::gil_scoped_release unlocked;
        kind = KVReadSignalFile(path, out.signal, errors, text);
    }
    if (!kind && IsoMmeIsTestPath(path))
        errors.AddError(path + " is an ISO-MME test: kalvio.read_test reads it", "kalvio.read");
    if (!kind)
        PyRaiseUnreadable(path, errors, path, "not a readable signal file");
    out.path = path;
    out.kind = kind;
    if (out.kind == "ISO-MME Channel")
        out.code = IsoMmeCodeOf(out.signal);
    for (int i = 0; i < errors.ErrorCount(); ++i) {
        out.readWarnings.push_back(errors.ErrorMessage(i));
        out.warningLines.push_back(PyMessage(errors, i, path));
    }
    PyWarn(errors, path);
}

void Write(const PySignal& in, const std::string& path, const std::string& format)
{
    std::string name;
    for (char c : format)
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (name == "RVF")
        name.clear();
    else if (name != "IEEE" && name != "SUN" && name != "VAX")
        PyRaise(PyErrorKind::Value, "unknown format '" + format + "' (rvf, ieee, sun or vax)");
    if (in.signal.PointCount() < 2)
        PyRaise(PyErrorKind::Value, KVPrintableName(path) + ": KVFileRvf::Store - a signal of fewer than two points cannot be stored");
    KVFileRvf out(path);
    out.SetFloatFormatName(name);
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
        ok = out.Store(in.signal);
    }
    if (!ok)
        PyRaise(out, path, "the file could not be written");
}

// The test at path: its number, test file, header lines, the channels that
// could be read and the messages of those that could not.
py::tuple ReadTest(const std::string& path)
{
    IsoMmeTest test;
    KVErrorList opening;
    std::vector<std::unique_ptr<PySignal>> loaded;
    std::vector<KVErrorList> loads;
    bool opened = false;
    {
        py::gil_scoped_release unlocked;
        opened = test.Open(path, opening);
        if (opened) {
            for (size_t i = 0; i < test.Channels().size(); ++i) {
                auto s = std::make_unique<PySignal>();
                loads.emplace_back();
                if (test.LoadChannel(i, s->signal, loads.back()))
                    loaded.push_back(std::move(s));
                else
                    loaded.push_back(nullptr);
            }
        }
    }
    if (!opened)
        PyRaiseUnreadable(path, opening, "", "not an ISO-MME test");
    PyWarn(opening, "");
    py::list channels, failures;
    for (size_t i = 0; i < loaded.size(); ++i) {
        const IsoMmeChannelInfo& c = test.Channels()[i];
        const KVErrorList& e = loads[i];
        if (!loaded[i]) {
            std::string message;
            for (int k = 0; k < e.ErrorCount(); ++k)
                message += (k ? "\n" : "") + PyMessage(e, k, c.path);
            if (message.empty())
                message = KVPrintableName(c.path) + ": not a readable channel file";
            failures.append(py::make_tuple(c.code, c.path, message));
            PyErr_WarnEx(g_warning, message.c_str(), 1) == 0 ? void() : throw py::error_already_set();
            continue;
        }
        PySignal& s = *loaded[i];
        s.path = c.path;
        s.kind = "ISO-MME Channel";
        s.code = c.code;
        for (int k = 0; k < e.ErrorCount(); ++k) {
            s.readWarnings.push_back(e.ErrorMessage(k));
            s.warningLines.push_back(PyMessage(e, k, c.path));
        }
        PyWarn(e, c.path);
        channels.append(py::make_tuple(c.code, c.number, py::cast(std::move(loaded[i]))));
    }
    py::list fields, warnings;
    for (const IsoMmeField& f : test.Facts().mme.fields)
        fields.append(py::make_tuple(Latin1(f.name), Latin1(f.value)));
    for (int k = 0; k < opening.ErrorCount(); ++k)
        warnings.append(PyMessage(opening, k, ""));
    return py::make_tuple(test.TestNumber(), test.TestFile(), fields, channels, failures, warnings);
}

void WriteTest(const std::vector<const PySignal*>& signals, const std::string& folder, const std::string& object,
               const std::string& position)
{
    IsoMmeCodeDefaults codes;
    if (!IsoMmeCodeCharacter(object, codes.object))
        PyRaise(PyErrorKind::Value, "write_test takes test_object as one code character (0-9, A-Z or ?), not '" + object + "'");
    if (!IsoMmeCodeCharacter(position, codes.position))
        PyRaise(PyErrorKind::Value, "write_test takes position as one code character (0-9, A-Z or ?), not '" + position + "'");
    std::vector<const KVSignal*> list;
    for (const PySignal* s : signals) {
        if (!s)
            PyRaise(PyErrorKind::Type, "write_test takes signals");
        list.push_back(&s->signal);
    }
    if (list.empty())
        PyRaise(PyErrorKind::Value, "write_test needs at least one signal");
    KVErrorList errors;
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
        ok = IsoMmeWriteTest(list, folder, errors, codes);
    }
    if (!ok)
        PyRaise(errors, "", "the test could not be written");
}

} // namespace

void PyInitErrors(py::module_& m)
{
    g_error = PyErr_NewExceptionWithDoc("kalvio.Error",
                                        "A failure of the toolset: the message names the file and says what went wrong.",
                                        PyExc_Exception, nullptr);
    m.add_object("Error", py::handle(g_error));
    // Each subclass is also the built-in exception a Python caller expects.
    const struct {
        PyErrorKind kind;
        const char* name;
        PyObject* builtin;
        const char* doc;
    } kinds[] = {
        {PyErrorKind::FileNotFound, "FileNotFoundError", PyExc_FileNotFoundError,
         "A file or test that is not there (also the built-in FileNotFoundError)."},
        {PyErrorKind::Format, "FormatError", nullptr, "A file that is there but is no signal file or test the toolset reads."},
        {PyErrorKind::Value, "ValueError", PyExc_ValueError,
         "A bad argument, or a signal the operation cannot take (also the built-in ValueError)."},
        {PyErrorKind::Type, "TypeError", PyExc_TypeError, "An argument of the wrong kind (also the built-in TypeError)."},
        {PyErrorKind::Protocol, "ProtocolError", nullptr, "A protocol file or an inputs file that cannot be used."},
    };
    for (const auto& k : kinds) {
        py::object bases = k.builtin ? py::object(py::make_tuple(py::handle(g_error), py::handle(k.builtin)))
                                     : py::object(py::handle(g_error).cast<py::object>());
        // The message is the toolset's, also where the built-in class would
        // write its own around the file name ("[Errno 2] ...").
        py::dict members;
        members["__str__"] = py::handle(PyExc_BaseException).attr("__str__");
        PyObject* type = PyErr_NewExceptionWithDoc((std::string("kalvio.") + k.name).c_str(), k.doc, bases.ptr(),
                                                   members.ptr());
        if (!type)
            throw py::error_already_set();
        g_kinds[static_cast<int>(k.kind)] = type;
        m.add_object(k.name, py::handle(type));
    }
    g_kinds[static_cast<int>(PyErrorKind::Error)] = g_error;
    g_warning = PyErr_NewExceptionWithDoc(
        "kalvio.SignalWarning", "A warning of the toolset while reading or processing (NOVALUE samples, ...).",
        PyExc_UserWarning, nullptr);
    m.add_object("SignalWarning", py::handle(g_warning));
}

std::string PyMessage(const KVErrorList& errors, int i, const std::string& name)
{
    const std::string prefix = name.empty() ? std::string() : KVPrintableName(name) + ": ";
    return prefix + KVPrintableText(errors.ErrorScope(i)) + " - " + KVPrintableText(errors.ErrorMessage(i));
}

namespace {

// The exception of kind with message; the message's bytes that are no UTF-8
// (names are bytes) are replaced rather than refused.
py::object Exception(PyErrorKind kind, const std::string& message)
{
    const py::object text = py::reinterpret_steal<py::object>(
        PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
    return py::handle(g_kinds[static_cast<int>(kind)])(text);
}

std::string Joined(const KVErrorList& errors, const std::string& name, const std::string& fallback)
{
    std::string message;
    for (int i = 0; i < errors.ErrorCount(); ++i)
        message += (i ? "\n" : "") + PyMessage(errors, i, name);
    if (message.empty())
        message = name.empty() ? fallback : KVPrintableName(name) + ": " + fallback;
    return message;
}

} // namespace

void PyRaise(PyErrorKind kind, const std::string& message)
{
    const py::object e = Exception(kind, message);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(e.ptr())), e.ptr());
    throw py::error_already_set();
}

void PyRaise(PyErrorKind kind, const KVErrorList& errors, const std::string& name, const std::string& fallback)
{
    PyRaise(kind, Joined(errors, name, fallback));
}

void PyRaise(const std::string& message)
{
    PyRaise(PyErrorKind::Error, message);
}

void PyRaise(const KVErrorList& errors, const std::string& name, const std::string& fallback)
{
    PyRaise(PyErrorKind::Error, errors, name, fallback);
}

void PyRaiseUnreadable(const std::string& path, const KVErrorList& errors, const std::string& name,
                       const std::string& fallback)
{
    // A path that cannot be looked at (no permission) is not a missing file.
    std::error_code ec;
    const bool missing = !path.empty() && !std::filesystem::exists(path, ec) && !ec;
    if (!missing)
        PyRaise(PyErrorKind::Format, errors, name, fallback);
    const py::object e = Exception(PyErrorKind::FileNotFound, Joined(errors, name, fallback));
    e.attr("errno") = ENOENT;
    e.attr("strerror") = std::strerror(ENOENT);
    e.attr("filename") = FileName(path);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(e.ptr())), e.ptr());
    throw py::error_already_set();
}

void PyWarn(const KVErrorList& errors, const std::string& name)
{
    for (int i = 0; i < errors.ErrorCount(); ++i)
        if (PyErr_WarnEx(g_warning, PyMessage(errors, i, name).c_str(), 1) != 0)
            throw py::error_already_set();
}

bool PySecondsPerUnit(const KVSignal& s, double& factor)
{
    return Criteria::NormalisedUnits(s.XType()).rfind("TIME", 0) == 0 && Criteria::TimeFactor(s.XUnits(), factor);
}

std::string PyNameOf(const PySignal& s)
{
    return s.path.empty() ? KVSignalName(s.signal.Header()) : s.path;
}

void PyInitSignal(py::module_& m)
{
    py::class_<PySignal>(m, "Signal", kSignalDoc)
        .def(py::init(&MakeSignal), py::arg("x"), py::arg("y"), py::arg("header") = py::dict())
        .def_property_readonly("x", &Times,
                               "The times (float32) in seconds, read-only: a view of the library's memory where the\n"
                               "record is in seconds; an X that is no time in the header's XUnits.")
        .def_property_readonly(
            "y", [](py::object self) { const auto& s = self.cast<const PySignal&>().signal; return View(s.Y(), s.PointCount(), self); },
            "The values (float32, in the header's YUnits), a read-only view of the library's memory.")
        .def_property_readonly(
            "header",
            [](const PySignal& s) { return py::module_::import("types").attr("MappingProxyType")(HeaderDict(s.signal.Header())); },
            "The record's fields by the names kalvio info prints, read-only; with_header gives a\n"
            "copy with other values.")
        .def("with_header", &WithHeader,
             R"(A copy of the signal with the header fields given changed, by the names
kalvio info prints; the samples are shared, not copied. An unknown name is a
kalvio.ValueError, a value of the wrong kind a kalvio.TypeError.

    >>> named = signal.with_header(CurveText="Head X", FilterClass=180))")
        .def_property_readonly(
            "start",
            [](const PySignal& s) -> py::object {
                if (s.signal.PointCount() == 0)
                    return py::none();
                double factor = 1;
                return py::float_(double(s.signal.X()[0]) * (PySecondsPerUnit(s.signal, factor) ? factor : 1.0));
            },
            "The time of the first point in seconds (an X that is no time in its own unit), or None without points.")
        .def_property_readonly("code", [](const PySignal& s) { return s.code; },
                               "The ISO-MME channel code (16 characters), or \"\" for another file.")
        .def_property_readonly("path", [](const PySignal& s) { return FileName(s.path); },
                               "The file the signal was read from; \"\" for a result of an operation.")
        .def_property_readonly("kind", [](const PySignal& s) { return s.kind; },
                               "The reader that loaded it: \"RVF-1992 File\", \"ISO-MME Channel\" or \"ASCII File\".")
        .def_property_readonly(
            "step",
            [](const PySignal& s) -> py::object {
                double factor = 1;
                const float del = s.signal.Del();
                if (del == KV_NO_VALUE || !(del > 0) || !PySecondsPerUnit(s.signal, factor))
                    return py::none();
                return py::float_(double(del) * factor);
            },
            "The constant time step in seconds, or None when the times have none.")
        .def_property_readonly("warnings", [](const PySignal& s) { return s.warningLines; },
                               "The reader's warnings, as they were issued; empty for a result of an operation.")
        .def(py::pickle(&PickleState, &FromPickleState))
        .def("__len__", [](const PySignal& s) { return s.signal.PointCount(); }, "The number of points.")
        .def("__repr__",
             [](const PySignal& s) {
                 const std::string name = s.code.empty() ? PyNameOf(s) : s.code;
                 return "<kalvio.Signal " + KVPrintableName(name) + ", " + std::to_string(s.signal.PointCount())
                        + " points>";
             })
        .def(
            "to_pandas",
            [](const PySignal& s) {
                py::module_ pandas;
                try {
                    pandas = py::module_::import("pandas");
                } catch (const py::error_already_set&) {
                    throw py::import_error("to_pandas needs pandas (Debian's python3-pandas)");
                }
                double factor = 1;
                if (!PySecondsPerUnit(s.signal, factor))
                    PyRaise(PyErrorKind::Value, KVPrintableName(PyNameOf(s)) + ": the X axis is no time");
                const size_t n = s.signal.PointCount();
                py::array_t<double> t(n);
                for (size_t i = 0; i < n; ++i)
                    t.mutable_data()[i] = double(s.signal.X()[i]) * factor;
                py::object index = pandas.attr("Index")(t, py::arg("name") = "time (s)");
                py::object values = py::array_t<float>(n, s.signal.Y());
                std::string name = s.code;
                if (name.empty())
                    name = s.signal.CurveText().find_first_not_of(' ') == std::string::npos ? s.path
                                                                                            : s.signal.CurveText();
                return pandas.attr("Series")(values, py::arg("index") = index, py::arg("name") = Latin1(name));
            },
            "The values as a pandas Series indexed by time in seconds (needs pandas).");

    m.def(
        "read",
        [](const std::filesystem::path& path, const std::string& timeUnit) {
            auto s = std::make_unique<PySignal>();
            Read(*s, path.string(), timeUnit);
            return s;
        },
        py::arg("path"), py::arg("time_unit") = "ms",
        R"(Reads any signal file the toolset reads: RVF-1992, an ISO-MME channel (also
ARCHIVE.zip/ENTRY) or a two-column text file, whose time column is in
time_unit ("ms" or "s"); the signal gives every time in seconds whatever
its file keeps. Raises kalvio.FileNotFoundError when nothing is at path,
kalvio.FormatError naming the file when it cannot be read; the reader's
warnings come as kalvio.SignalWarning.

    >>> head = kalvio.read("occ2231_head_x.rvf")
    >>> pulse = kalvio.read("sled_pulse.txt", time_unit="s"))");
    m.def("write", [](const PySignal& s, const std::filesystem::path& path, const std::string& format) { Write(s, path.string(), format); }, py::arg("signal"), py::arg("path"), py::arg("format") = "rvf",
          R"(Stores signal as RVF-1992 in path, in this machine's float format ("rvf") or
in "ieee", "sun" or "vax". An existing file is replaced only when the whole
new file could be written; raises kalvio.Error otherwise.

    >>> kalvio.write(kalvio.cfc(head, 180), "head_x_cfc180.rvf"))");
    m.def("_code_matches", [](const std::string& pattern, const std::string& code) { return IsoMmeCodeMatches(pattern, code); },
          py::arg("pattern"), py::arg("code"), "Whether code matches pattern, as kalvio --code matches it.");
    m.def("_read_test", [](const std::filesystem::path& path) { return ReadTest(path.string()); }, py::arg("path"),
          "The test at path as (number, test file, header lines, channels, failures, warnings); see read_test.");
    m.def(
        "_write_file",
        [](const std::string& path, const py::bytes& content) {
            const std::string_view bytes = content;
            std::string reason;
            bool ok = false;
            {
                py::gil_scoped_release unlocked;
                ok = KVWriteFile(path, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, reason);
            }
            if (!ok)
                PyRaise(KVPrintableName(path) + ": " + reason);
        },
        py::arg("path"), py::arg("content"), "Writes content to path whole or not at all (the toolset's output path).");
    m.def(
        "_write_test",
        [](const std::vector<const PySignal*>& signals, const std::filesystem::path& folder, const std::string& object,
           const std::string& position) { WriteTest(signals, folder.string(), object, position); },
        py::arg("signals"), py::arg("folder"), py::arg("test_object") = "?", py::arg("position") = "?",
        "See write_test.");
}
