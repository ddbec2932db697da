#pragma once
// The test report: one vector PDF of what a test (or a series of repeat
// tests, side by side) shows under a protocol: a cover, the summary of every
// occupant's regions and criteria in their band colours, a page of curves per
// body region and occupant with the limits drawn, and the channel check.
#include "AssessRequest.h"
#include "Assessment.h"

#include <QByteArray>
#include <QString>
#include <QList>

#include <functional>
#include <string>
#include <vector>

namespace Report {

using PageFormat = Assess::PageSize;

struct ReportRequest {
    // Each test: its .mme, folder or .zip, or the signal files of one test
    // whose headers carry the channel codes (a test's listed channels).
    std::vector<std::vector<std::string>> tests;
    Assess::Protocol protocol;
    Assess::AssessOptions options;  // positions, dummy and inputs, the same for every test
    PageFormat page = PageFormat::A4;
    std::string maker = "kalvio report"; // the program named on the cover
    // Called with the share done (0..1); returning false cancels.
    std::function<bool(double)> progress;
};

// The report as PDF bytes. False with a message naming the test when a test
// cannot be read or assessed, or when cancelled; missing channels do not make
// it fail (their criteria are n/a with the reason).
bool MakeReport(const ReportRequest& request, QByteArray& pdf, std::string& error);

// MakeReport written to path as every output file of the toolset is: never
// half written, never over a folder.
bool WriteReport(const ReportRequest& request, const std::string& path, std::string& error);

} // namespace Report
