// kalvio._read_simulation: every channel of a simulation (a binout or an
// ASCII time-history file) with its name and title.
#include "PySignal.h"

#include "Simulation.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <memory>
#include <optional>

namespace {

py::list ReadSimulation(const std::string& path, const std::string& unitsText)
{
    std::optional<SimUnits> units;
    if (!unitsText.empty()) {
        SimUnits u;
        std::string why;
        if (!SimParseUnits(unitsText, u, why))
            PyRaise(PyErrorKind::Value, why);
        units = u;
    }
    KVErrorList errors;
    std::unique_ptr<Simulation> sim;
    std::vector<std::unique_ptr<PySignal>> loaded;
    {
        py::gil_scoped_release unlocked;
        sim = Simulation::Open(path, errors);
        for (size_t i = 0; sim && i < sim->Channels().size(); ++i) {
            auto s = std::make_unique<PySignal>();
            if (!sim->LoadChannel(i, units ? &*units : nullptr, s->signal, errors))
                break;
            loaded.push_back(std::move(s));
        }
    }
    if (!sim || loaded.size() != sim->Channels().size())
        PyRaiseUnreadable(path, errors, "", "not a simulation");
    py::list channels;
    for (size_t i = 0; i < loaded.size(); ++i) {
        loaded[i]->path = path;
        loaded[i]->kind = "Simulation";
        const SimChannelInfo& c = sim->Channels()[i];
        channels.append(py::make_tuple(c.name, c.title, py::cast(std::move(loaded[i]))));
    }
    return channels;
}

} // namespace

void PyInitSimulation(py::module_& m)
{
    m.def(
        "_read_simulation",
        [](const std::filesystem::path& path, const std::string& units) { return ReadSimulation(path.string(), units); },
        py::arg("path"), py::arg("units") = "",
        "The channels of the simulation at path as a list of (name, title, Signal); see read_simulation.");
}
