#include "TestReport.h"

#include "AssessReport.h"
#include "IsoMmeText.h"
#include "KVErrorList.h"
#include "KVOutputFile.h"
#include "KVSignal.h"
#include "ReportParts.h"

#include <QBuffer>
#include <QDateTime>
#include <QPageSize>
#include <QPdfWriter>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace Report {

namespace Detail {

std::string ErrorText(const KVErrorList& errors)
{
    std::string text;
    for (const KVException& e : errors.Errors())
        text += (text.empty() ? "" : "; ") + e.Message();
    return text.empty() ? "cannot be read" : text;
}

// channel of an ISO-MME test carries.
std::vector<std::pair<QString, QString>> CoverLines(const TestData& t)
{
    std::vector<std::pair<QString, QString>> lines;
    lines.push_back({"Test", Q(t.source.Name().empty() ? t.paths.front() : t.source.Name())});
    KVSignal first;
    KVErrorList ignored;
    IsoMmeHeader h;
    if (!t.source.Channels().empty() && t.source.Load(t.source.Channels().front(), first, ignored))
        for (const auto& [name, value] : first.Header().Side.testLines)
            h.fields.push_back({name, value, 0});
    const auto add = [&](const char* label, const std::string& field) {
        if (const auto v = h.Given(field))
            lines.push_back({label, Q(*v)});
    };
    add("Title", "Title");
    add("Laboratory", "Laboratory name");
    add("Laboratory reference", "Laboratory test ref. number");
    add("Date", "Date of the test");
    add("Test type", "Type of the test");
    add("Regulation", "Regulation");
    int objects = 0;
    if (const auto n = h.Given("Number of test objects"))
        objects = std::clamp(std::atoi(n->c_str()), 0, 99);
    for (int k = 1; k <= objects; ++k) {
        const std::string key = std::to_string(k);
        QString object = Q(h.Given("Name of test object " + key).value_or("(no name)"));
        if (const auto v = h.Given("Velocity test object " + key); v && std::isfinite(std::atof(v->c_str())))
            object += QStringLiteral(", %1 m/s (%2 km/h)").arg(Q(*v)).arg(std::atof(v->c_str()) * 3.6, 0, 'f', 1);
        lines.push_back({QStringLiteral("Test object %1").arg(k), object});
    }
    QString dummies;
    for (const Assess::OccupantResult& o : t.assessment.occupants)
        dummies += (dummies.isEmpty() ? "" : "\n") + QStringLiteral("position %1 (%2): %3")
                                                          .arg(QChar(o.position))
                                                          .arg(Q(o.label), Q(o.dummyName));
    lines.push_back({"Dummies", dummies.isEmpty() ? QStringLiteral("none assessed") : dummies});
    return lines;
}

std::vector<ChannelCheck> CheckChannels(const Assess::TestSource& source)
{
    std::vector<ChannelCheck> checks;
    KVSignal s;
    for (const Assess::TestSource::Entry& e : source.Channels()) {
        ChannelCheck c{e.code, e.name, {}, {}};
        KVErrorList errors;
        if (source.Load(e, s, errors))
            c.result = Kalvio::CheckSignal(s);
        else
            c.readError = ErrorText(errors);
        checks.push_back(std::move(c));
    }
    // Failures first, then warnings, each in the test's order.
    std::stable_sort(checks.begin(), checks.end(), [](const ChannelCheck& a, const ChannelCheck& b) {
        const auto rank = [](const ChannelCheck& c) {
            return c.readError.empty() ? 2 - static_cast<int>(c.result.verdict) : -1;
        };
        return rank(a) < rank(b);
    });
    return checks;
}

QString ChannelCheckSentence(size_t channels, size_t failed, size_t warned)
{
    const auto count = [](size_t n, const char* one, const char* many) {
        return QStringLiteral("%1 channel%2 %3").arg(n).arg(n == 1 ? "" : "s", n == 1 ? one : many);
    };
    QStringList parts;
    if (failed > 0)
        parts << count(failed, "fails the channel check", "fail the channel check");
    if (warned > 0)
        parts << count(warned, "has warnings", "have warnings");
    const size_t others = channels >= failed + warned ? channels - failed - warned : 0;
    QString sentence = QStringLiteral("Of %1 channel%2, %3").arg(channels).arg(channels == 1 ? "" : "s", parts.join(" and "));
    if (others > 0)
        sentence += QStringLiteral("; the other %1 passed").arg(others);
    return sentence + ".";
}

void QualityPages(CReportPage& page, const std::vector<TestData>& tests)
{
    page.NewPage();
    page.Heading("Channel quality");
    for (const TestData& t : tests) {
        if (tests.size() > 1)
            page.Heading(Q("Test " + t.assessment.test), 12);
        size_t failed = 0, warned = 0;
        for (const ChannelCheck& c : t.checks) {
            if (!c.readError.empty() || c.result.verdict == Kalvio::CheckVerdict::Fail)
                ++failed;
            else if (c.result.verdict == Kalvio::CheckVerdict::Warning)
                ++warned;
        }
        if (failed == 0 && warned == 0) {
            page.Paragraph(QStringLiteral("All %1 channels of test %2 passed the channel check.")
                               .arg(t.checks.size())
                               .arg(Q(t.assessment.test)));
            continue;
        }
        page.Paragraph(ChannelCheckSentence(t.checks.size(), failed, warned));
        const std::vector<double> widths = {105, 45, page.Width() - 150};
        page.Row(widths, {{"channel"}, {"verdict"}, {"findings"}}, true);
        for (const ChannelCheck& c : t.checks) {
            if (c.readError.empty() && c.result.verdict == Kalvio::CheckVerdict::Ok)
                continue;
            const bool fail = !c.readError.empty() || c.result.verdict == Kalvio::CheckVerdict::Fail;
            QString findings = Q(c.readError);
            for (const Kalvio::CheckFinding& f : c.result.findings)
                findings += (findings.isEmpty() ? "" : "\n") + Q(std::string(Kalvio::CheckVerdictName(f.severity)) + " "
                                                                 + Kalvio::CheckKindName(f.kind) + ": " + f.message);
            page.Row(widths, {{Q(c.code) + "\n" + Q(c.name)}, {fail ? "fail" : "warning", fail ? kFail : kDoubtful},
                              {findings}});
        }
    }
}

void CoverPage(CReportPage& page, const std::vector<TestData>& tests, const ReportRequest& request)
{
    const Assess::Protocol& p = request.protocol;
    page.NewPage();
    page.Space(40);
    page.Heading(tests.size() == 1 ? Q("Test report " + tests.front().assessment.test) : "Test report: repeat tests", 22);
    page.Paragraph(Q(p.name), 12);
    page.Space(16);
    for (const TestData& t : tests) {
        page.Facts(t.cover);
        page.Space(12);
    }
    page.Facts({{"Protocol", Q(p.id + ", " + p.name)},
                {"Version", Q(p.version + (p.date.empty() ? "" : " (" + p.date + ")"))},
                {"Source", Q(p.source)},
                {"Made by", Q(request.maker) + " " + QStringLiteral(ONDREL_VERSION_TEXT)},
                {"Made on", QDateTime::currentDateTime().toString(Qt::ISODate)}});
}

} // namespace Detail

using namespace Detail;

bool MakeReport(const ReportRequest& request, QByteArray& pdf, std::string& error)
{
    if (request.tests.empty()) {
        error = "no test given";
        return false;
    }
    std::vector<TestData> tests(request.tests.size());
    for (size_t i = 0; i < request.tests.size(); ++i) {
        TestData& t = tests[i];
        t.paths = request.tests[i];
        const std::string name = t.paths.empty() ? std::string("(no file)") : t.paths.front();
        KVErrorList errors;
        if (!t.source.Open(t.paths, errors)) {
            error = name + ": " + ErrorText(errors);
            return false;
        }
        Assess::AssessOptions options = request.options;
        options.progress = nullptr;
        options.keepChannels = true; // the plots show the channels as used, not read again
        if (!Assess::AssessTest(t.source, request.protocol, options, t.assessment, error)) {
            error = name + ": " + error;
            return false;
        }
        if (t.assessment.occupants.empty()) {
            error = name + ": no occupant of protocol " + request.protocol.id + " is in this test";
            return false;
        }
        t.cover = CoverLines(t);
        t.checks = CheckChannels(t.source);
        if (request.progress && !request.progress(0.5 * double(i + 1) / double(request.tests.size()))) {
            error = "cancelled";
            return false;
        }
    }
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(request.page == PageFormat::Letter ? QPageSize::Letter : QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    writer.setTitle(Q("Test report " + tests.front().assessment.test + " under " + request.protocol.id));
    writer.setCreator(Q(request.maker));
    QString names;
    for (const TestData& t : tests)
        names += (names.isEmpty() ? "" : ", ") + Q(t.assessment.test);
    CReportPage page(writer, (tests.size() == 1 ? "Test " : "Tests ") + names + "  |  " + Q(request.protocol.id));
    if (!page.Ok()) {
        error = "the PDF could not be started";
        return false;
    }
    CoverPage(page, tests, request);
    SummaryPages(page, tests);
    RegionPages(page, tests, request.progress);
    if (request.progress && !request.progress(0.95)) {
        error = "cancelled";
        return false;
    }
    QualityPages(page, tests);
    return true;
}

bool WriteReport(const ReportRequest& request, const std::string& path, std::string& error)
{
    QByteArray pdf;
    {
        // The painter ends with MakeReport's page, which closes the PDF.
        if (!MakeReport(request, pdf, error))
            return false;
    }
    std::string reason;
    if (!KVWriteFile(path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(pdf.constData()),
                                                     static_cast<size_t>(pdf.size())),
                     reason)) {
        error = path + ": " + reason;
        return false;
    }
    return true;
}

} // namespace Report
