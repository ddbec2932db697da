#pragma once
// The parts of the test report the page makers share: the data of one test
// (its channels, assessment, cover lines and channel check), the colours of
// results and the lookups of a criterion in an assessment.
#include "Assessment.h"
#include "ReportPage.h"
#include "ResultLook.h"
#include "SignalCheck.h"
#include "TestReport.h"

#include <QColor>
#include <QString>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class KVErrorList;

namespace Report::Detail {

inline QString Q(const std::string& s) { return QString::fromStdString(s); }

// The colours of the outputs, from the one table of the results' looks.
inline QColor ColourOf(const Assess::Rgb& c) { return QColor(c.r, c.g, c.b); }
inline const QColor kPass = ColourOf(Assess::kPassRgb), kFail = ColourOf(Assess::kFailRgb),
                    kNotAvailable = ColourOf(Assess::kNotAvailableRgb), kDoubtful = ColourOf(Assess::kDoubtfulRgb);

// One channel's check, for the quality page.
struct ChannelCheck {
    std::string code, name;
    Kalvio::CheckResult result;
    std::string readError; // the channel could not be read
};

// What one test contributes: its channels, its assessment, its cover lines
// and the check of every channel.
struct TestData {
    std::vector<std::string> paths;
    Assess::TestSource source;
    Assess::Assessment assessment;
    std::vector<std::pair<QString, QString>> cover;
    std::vector<ChannelCheck> checks;
};

// The messages of errors in one line ("cannot be read" without any).
std::string ErrorText(const KVErrorList& errors);

// The test's own description: the lines of its test file, which every

// The test's own description, and the check of every channel, failures first.
std::vector<std::pair<QString, QString>> CoverLines(const TestData& t);
std::vector<ChannelCheck> CheckChannels(const Assess::TestSource& source);

inline bool Scored(const Assess::Protocol& p) { return p.scoring == Assess::Scoring::SlidingScale; }
// The cell of a criterion's result: points or verdict on its band's colour, n/a grey.
Cell ResultCell(const Assess::CriterionResult& c, bool scored);
// The criterion of name in region of occupant position of an assessment, or null.
const Assess::CriterionResult* FindCriterion(const Assess::Assessment& a, char position, const std::string& region,
                                             const std::string& name);

// What the channel check found, in words: "Of 200 channels, 1 channel has
// warnings; the other 199 passed."
QString ChannelCheckSentence(size_t channels, size_t failed, size_t warned);

// The pages, in their order.
void CoverPage(CReportPage& page, const std::vector<TestData>& tests, const ReportRequest& request);
void SummaryPages(CReportPage& page, const std::vector<TestData>& tests);
void RegionPages(CReportPage& page, const std::vector<TestData>& tests, const std::function<bool(double)>& progress);
void QualityPages(CReportPage& page, const std::vector<TestData>& tests);

} // namespace Report::Detail
