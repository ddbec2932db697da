#pragma once
// The library's results as the objects of kalvio.results (dataclasses),
// made from the result structures directly.
#include "AssessResult.h"
#include "Criterion.h"
#include "CurveRating.h"
#include "SignalCheck.h"

#include <pybind11/pybind11.h>

#include <string>

namespace py = pybind11;

// A rating of comparison against reference; its times (the shift, the span)
// multiplied by secondsPerUnit into seconds.
py::object PyRatingResult(const Kalvio::CurveRating& rating, const std::string& reference,
                          const std::string& comparison, double secondsPerUnit);
// What a criterion program reports as its --json.
py::object PyCriterionResult(const Criteria::Outcome& outcome);
// The assessment kalvio assess --json prints.
py::object PyAssessmentResult(const Assess::Assessment& assessment);
// One finding of the signal check as kalvio check --json gives it; with a
// code (not None), a finding of a test's channel, with its code and file.
py::object PyCheckFinding(const Kalvio::CheckFinding& finding, const py::object& code, const py::object& file);
