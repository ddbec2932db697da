#pragma once
// The correlation report: one vector PDF of a simulation rated against its
// test: what was compared and how, the table of every pair with its four
// scores and its rating in colour bands, the mean rating per body region, and
// a plot of each pair with the reference's inner and outer corridors.
#include "Correlation.h"

#include <QByteArray>

#include <string>
#include <vector>

namespace Report {

// The report of result (rated with keepCurves) as PDF bytes; letter pages
// instead of A4 when asked. False with the reason when the PDF cannot be made.
bool MakeCorrelationReport(const Correlate::Result& result, bool letter, QByteArray& pdf, std::string& error);

// Runs `kalvio correlate ARGS` for its PDF (the arguments kalvio hands on):
// 0 when the report was written, 1 when an input cannot be read or the file
// not written (nothing is written then), 2 for bad usage. Needs a QApplication.
int RunCorrelationReport(const std::vector<std::string>& args);

} // namespace Report
