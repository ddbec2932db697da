// A test assessed under a protocol: what kalvio assess --json prints, as
// the objects of kalvio.results.
#include "PyResults.h"
#include "PySignal.h"

#include "AssessInputs.h"
#include "Assessment.h"
#include "KVErrorList.h"
#include "ProtocolFiles.h"

#include <pybind11/stl.h>

#include <filesystem>

namespace {

py::object AssessPaths(const std::vector<std::string>& paths, const std::string& protocolId,
                       const std::vector<std::string>& positions, const std::string& inputs, const std::string& dummy,
                       const std::string& protocolDir)
{
    Assess::AssessOptions options;
    for (const std::string& p : positions) {
        if (p.size() != 1)
            PyRaise(PyErrorKind::Value, "assess: a position is one code character ('1' driver, '3' front passenger), not '" + p + "'");
        options.positions.push_back(p[0]);
    }
    options.dummy = dummy;
    options.inputsText = inputs;
    options.inputsFile = "inputs";
    std::string error;
    if (!protocolDir.empty() && !Assess::CheckProtocolDir(protocolDir, error))
        PyRaise(PyErrorKind::Protocol, "assess: " + error);
    Assess::Assessment a;
    bool found = false, opened = false, readInputs = false, assessed = false;
    KVErrorList errors;
    {
        py::gil_scoped_release unlocked;
        Assess::Protocol protocol;
        found = Assess::FindProtocol(Assess::ProtocolDirs(protocolDir), protocolId, protocol, error);
        std::vector<Assess::InputUse> uses;
        readInputs = found && Assess::ReadInputs(protocol, options.inputsText, options.inputsFile, uses, error);
        Assess::TestSource test;
        opened = readInputs && test.Open(paths, errors);
        assessed = opened && Assess::AssessTest(test, protocol, options, a, error);
    }
    if (!readInputs)
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
    m.def("_assess", &AssessPaths, py::arg("paths"), py::arg("protocol"), py::arg("positions"), py::arg("inputs"),
          py::arg("dummy"), py::arg("protocol_dir"), "The assessment; see assess.");
    m.def("_protocols", &Protocols, py::arg("protocol_dir"), "The protocols and the problems; see protocols.");
}
