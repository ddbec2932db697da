// A test assessed under a protocol: the object kalvio assess --json prints,
// as its JSON text (the package turns it into a dict).
#include "PySignal.h"

#include "AssessReport.h"
#include "Assessment.h"
#include "KVErrorList.h"
#include "ProtocolFiles.h"

#include <pybind11/stl.h>

namespace {

std::string AssessJson(const std::vector<std::string>& paths, const std::string& protocolId,
                       const std::vector<std::string>& positions, const std::string& inputs, const std::string& dummy,
                       const std::string& protocolDir)
{
    Assess::AssessOptions options;
    for (const std::string& p : positions) {
        if (p.size() != 1)
            PyRaise("assess: a position is one code character ('1' driver, '3' front passenger), not '" + p + "'");
        options.positions.push_back(p[0]);
    }
    options.dummy = dummy;
    options.inputsText = inputs;
    options.inputsFile = "inputs";
    std::string error, json;
    bool found = false, opened = false, assessed = false;
    KVErrorList errors;
    {
        py::gil_scoped_release unlocked;
        Assess::Protocol protocol;
        found = Assess::FindProtocol(Assess::ProtocolDirs(protocolDir), protocolId, protocol, error);
        Assess::TestSource test;
        opened = found && test.Open(paths, errors);
        Assess::Assessment a;
        assessed = opened && Assess::AssessTest(test, protocol, options, a, error);
        if (assessed)
            json = Assess::AssessmentJson(a, -1);
    }
    if (!found || (opened && !assessed))
        PyRaise("assess: " + error);
    if (!opened)
        PyRaise(errors, paths.empty() ? std::string("assess") : paths[0], "the test could not be read");
    return json;
}

// The protocols found: id, name, version, date, source, dummies, file; and
// the files that failed their check.
py::tuple Protocols(const std::string& protocolDir)
{
    std::vector<std::string> problems;
    std::vector<Assess::Protocol> protocols;
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
        list.append(d);
    }
    return py::make_tuple(list, problems);
}

} // namespace

void PyInitAssess(py::module_& m)
{
    m.def("_assess", &AssessJson, py::arg("paths"), py::arg("protocol"), py::arg("positions"), py::arg("inputs"),
          py::arg("dummy"), py::arg("protocol_dir"), "The assessment as JSON text; see assess.");
    m.def("_protocols", &Protocols, py::arg("protocol_dir"), "The protocols and the problems; see protocols.");
}
