// The signal check and the injury criteria, with the results of
// `kalvio check --json` and of the criterion programs' --json.
#include "PyResults.h"
#include "PySignal.h"

#include "CriterionProgram.h"
#include "CurveRating.h"
#include "SignalCheck.h"

#include <pybind11/stl.h>

#include <cmath>
#include <filesystem>
#include <optional>

namespace {

py::list Findings(const py::object& signal, const py::object& code)
{
    const PySignal& s = signal.cast<const PySignal&>();
    Kalvio::CheckResult result;
    {
        py::gil_scoped_release unlocked;
        Kalvio::CheckOptions options;
        // A text file carries no header: its class and quantity are defaults.
        options.headerStated = !s.FromTextFile();
        result = Kalvio::CheckSignal(s.signal, options);
    }
    py::object file = py::none();
    if (!code.is_none())
        file = signal.attr("path");
    py::list findings;
    for (const Kalvio::CheckFinding& f : result.findings)
        findings.append(PyCheckFinding(f, code, file));
    return findings;
}

struct CriterionChoice {
    const Criteria::CriterionDef* def = nullptr;
    Criteria::ProgramArgs args;
};

CriterionChoice Choose(const std::string& name, const std::string& dummy, bool cumulative, std::optional<double> v0)
{
    CriterionChoice c;
    c.def = Criteria::FindCriterion(name);
    if (!c.def) {
        std::string names;
        for (const Criteria::CriterionDef& d : Criteria::CriterionDefs())
            names += (names.empty() ? "" : ", ") + std::string(d.program);
        PyRaise(PyErrorKind::Value, "unknown criterion '" + name + "' (" + names + ")");
    }
    c.args.dummy = Criteria::FindDummy(dummy);
    if (!c.args.dummy) {
        std::string keys;
        for (const Criteria::DummyInfo& d : Criteria::Dummies())
            keys += (keys.empty() ? "" : ", ") + std::string(d.key);
        PyRaise(PyErrorKind::Value, "unknown dummy '" + dummy + "' (" + keys + ")");
    }
    if (cumulative && c.def->id != Criteria::CriterionId::Clip3ms)
        PyRaise(PyErrorKind::Value, "cumulative belongs to clip3ms");
    c.args.options.clipCumulative = cumulative;
    if (v0) {
        if (c.def->id != Criteria::CriterionId::Olc)
            PyRaise(PyErrorKind::Value, "v0 belongs to olc");
        const double v = *v0;
        if (!(v > 0) || !std::isfinite(v))
            PyRaise(PyErrorKind::Value, "v0 needs a positive velocity in m/s, not " + std::to_string(v));
        c.args.options.v0 = v;
    }
    return c;
}

// The criterion of signals (one, or three in X, Y, Z order), as the program
// computes it from the files they were read from.
py::object CriterionOfSignals(const std::string& name, const std::vector<const PySignal*>& signals,
                              const std::string& dummy, bool cumulative, std::optional<double> v0)
{
    const CriterionChoice c = Choose(name, dummy, cumulative, v0);
    const Criteria::CriterionDef& def = *c.def;
    for (const PySignal* s : signals)
        if (!s)
            PyRaise(PyErrorKind::Type, std::string(def.program) + " takes signals, not None");
    const size_t n = signals.size();
    if (!(n == 1 && def.takesOne) && !(n == 3 && def.takesThree))
        PyRaise(PyErrorKind::Value, std::string(def.program) + ": "
                + (def.takesOne && def.takesThree ? "give one signal or three signals in X, Y, Z order"
                   : def.takesOne                 ? "give exactly one signal"
                                                  : "give three signals in X, Y, Z order"));
    Criteria::Outcome outcome;
    KVErrorList errors;
    bool ok = true;
    {
        py::gil_scoped_release unlocked;
        std::vector<Criteria::Channel> inputs(n);
        for (size_t i = 0; ok && i < n; ++i) {
            const PySignal& s = *signals[i];
            const Criteria::Quantity q = n == 3 ? def.three[i] : def.single;
            const std::string path = s.path.empty() ? PyNameOf(s) : s.path;
            ok = Criteria::ChannelFromSignal(s.signal, s.FromTextFile(), path, q, inputs[i], errors);
            for (const std::string& w : s.readWarnings)
                inputs[i].notes.push_back("warning: " + w);
        }
        ok = ok && Criteria::AlignChannels(inputs, def.minSpan, errors)
             && Criteria::Evaluate(def, inputs, *c.args.dummy, outcome, errors, c.args.options);
    }
    if (!ok)
        PyRaise(PyErrorKind::Value, errors, def.program, "the criterion could not be evaluated");
    return PyCriterionResult(outcome);
}

// The criterion of the channels it takes from the test at path.
py::object CriterionOfTest(const std::string& name, const std::string& path, const std::string& dummy,
                           bool cumulative, std::optional<double> v0, const std::string& position, bool right)
{
    CriterionChoice c = Choose(name, dummy, cumulative, v0);
    if (position.size() != 1)
        PyRaise(PyErrorKind::Value, "position needs one seat character (1 the driver, 3 the front passenger)");
    c.args.test.test = path;
    c.args.test.position = position[0];
    c.args.test.rightSide = right;
    Criteria::Outcome outcome;
    KVErrorList errors;
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
        std::vector<Criteria::Channel> inputs;
        ok = Criteria::LoadAndEvaluate(*c.def, c.args, inputs, outcome, errors);
    }
    if (!ok) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec) && !ec)
            PyRaiseUnreadable(path, errors, c.def->program, "the criterion could not be evaluated");
        PyRaise(PyErrorKind::Value, errors, c.def->program, "the criterion could not be evaluated");
    }
    return PyCriterionResult(outcome);
}

// The rating of comparison against reference from start to stop (seconds),
// as kalvio rate --json gives it for the pair, its times in seconds.
py::object Rate(const PySignal& reference, const PySignal& comparison, std::optional<double> start,
                std::optional<double> stop)
{
    if (start && stop && *start > *stop)
        PyRaise(PyErrorKind::Value, "rate: start is after stop");
    double factor = 1;
    if (!PySecondsPerUnit(reference.signal, factor))
        factor = 1;
    const auto inUnits = [factor](std::optional<double> t) { return t ? std::optional<double>(*t / factor) : t; };
    const Kalvio::RatingInterval interval{inUnits(start), inUnits(stop)};
    Kalvio::CurveRating r;
    KVErrorList errors;
    bool ok = false;
    {
        py::gil_scoped_release unlocked;
        ok = Kalvio::RateSignals(reference.signal, comparison.signal, interval, r, &errors);
    }
    if (!ok)
        PyRaise(PyErrorKind::Value, errors, PyNameOf(comparison), "the comparison could not be rated");
    return PyRatingResult(r, PyNameOf(reference), PyNameOf(comparison), factor);
}

} // namespace

void PyInitCriteria(py::module_& m)
{
    m.def("rate", &Rate, py::arg("reference"), py::arg("comparison"), py::arg("start") = py::none(),
          py::arg("stop") = py::none(),
          R"(The ISO/TS 18571 rating of comparison (a repeat test, a simulation) against
reference over the span both cover, or from start to stop (seconds), as
kalvio rate --json gives it: a kalvio.results.Rating with rating, corridor,
phase, magnitude, slope, shift and span (seconds) and resampled. Raises
kalvio.ValueError when the pair cannot be rated (different Y units, uneven
steps, too few samples, ...).

    >>> kalvio.rate(test_a["11HEAD0000H3ACXA"], test_b["11HEAD0000H3ACXA"], stop=0.15).rating)");
    m.def("_check_signal", &Findings, py::arg("signal"), py::arg("code") = py::none(),
          "The findings of one signal, with code those of a test's channel; see check.");
    m.def("_criterion", &CriterionOfSignals, py::arg("name"), py::arg("signals"), py::arg("dummy"),
          py::arg("cumulative"), py::arg("v0"), "The criterion of signals; see criterion.");
    m.def("_criterion_of_test", &CriterionOfTest, py::arg("name"), py::arg("path"), py::arg("dummy"),
          py::arg("cumulative"), py::arg("v0"), py::arg("position"), py::arg("right"),
          "The criterion of the channels it picks from the test at path; see criterion.");
}
