// A test assessed under a protocol: what kalvio assess --json prints, as
// the objects of kalvio.results.
#include "PyResults.h"
#include "PySignal.h"

#include "AssessRequest.h"
#include "Assessment.h"
#include "KVErrorList.h"
#include "ProtocolFiles.h"

#include <pybind11/stl.h>

#include <filesystem>

namespace {

// The request is the JSON object of assess's keywords, read as every other
// caller's request is read.
py::object AssessRequested(const std::string& requestJson)
{
    Assess::AssessRequest request;
    std::string error;
    if (!Assess::ReadRequestJson(requestJson, request, error))
        PyRaise(PyErrorKind::Value, "assess: " + error);
    if (!request.protocolDir.empty() && !Assess::CheckProtocolDir(request.protocolDir, error))
        PyRaise(PyErrorKind::Protocol, "assess: " + error);
    const std::vector<std::string> paths = request.tests.empty() ? std::vector<std::string>() : request.tests.front();
    Assess::Assessment a;
    bool resolved = false, opened = false, assessed = false;
    KVErrorList errors;
    {
        py::gil_scoped_release unlocked;
        Assess::Protocol protocol;
        Assess::AssessOptions options;
        resolved = Assess::RequestProtocol(request, protocol, error)
                   && Assess::RequestOptions(request, protocol, options, error);
        Assess::TestSource test;
        opened = resolved && test.Open(paths, errors);
        assessed = opened && Assess::AssessTest(test, protocol, options, a, error);
    }
    if (!resolved)
        PyRaise(PyErrorKind::Protocol, "assess: " + error);
    if (!opened) {
        const std::string name = paths.empty() ? std::string("assess") : paths[0];
        for (const std::string& p : paths) {
            std::error_code ec;
            if (!std::filesystem::exists(p, ec) && !ec)
                PyRaiseUnreadable(p, errors, name, "the test could not be read");
        }
        PyRaise(PyErrorKind::Format, errors, name, "the test could not be read");
    }
    if (!assessed)
        PyRaise(PyErrorKind::Value, "assess: " + error);
    return PyAssessmentResult(a);
}

// The protocols found: id, name, version, date, source, dummies, file; and
// the files that failed their check.
py::tuple Protocols(const std::string& protocolDir)
{
    std::vector<std::string> problems;
    std::vector<Assess::Protocol> protocols;
    if (std::string error; !protocolDir.empty() && !Assess::CheckProtocolDir(protocolDir, error))
        PyRaise(PyErrorKind::Protocol, "protocols: " + error);
    {
        py::gil_scoped_release unlocked;
        protocols = Assess::LoadProtocols(Assess::ProtocolDirs(protocolDir), problems);
    }
    py::list list;
    for (const Assess::Protocol& p : protocols) {
        py::dict d;
        d["id"] = p.id;
        d["name"] = p.name;
        d["version"] = p.version;
        d["date"] = p.date;
        d["source"] = p.source;
        d["dummies"] = p.dummies;
        d["file"] = p.file;
        d["replaces"] = p.replaces;
        list.append(d);
    }
    return py::make_tuple(list, problems);
}

} // namespace

void PyInitAssess(py::module_& m)
{
    m.def("_assess", &AssessRequested, py::arg("request"), "The assessment of a request as JSON; see assess.");
    m.def("_protocols", &Protocols, py::arg("protocol_dir"), "The protocols and the problems; see protocols.");
}
