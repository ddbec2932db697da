// One assessment, one truth: the text report, the JSON, the PDF and the
// window give every criterion the same value, status, points or verdict and
// reason, for the demo assessments and a test with a channel check warning.
#include "AssessReport.h"
#include "CAssessDlg.h"
#include "DemoData.h"
#include "FrameTestSupport.h"
#include "KVErrorList.h"
#include "ProtocolFiles.h"
#include "ResultLook.h"
#include "TestReport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTreeWidget>

#include <nlohmann/json.hpp>

namespace {

using SameResultTest = FrameTest;

// Text without its white space: a cell or paragraph of the PDF wraps anywhere.
QString Squeezed(QString s)
{
    s.remove(QRegularExpression(QStringLiteral("\\s")));
    return s;
}

QString PdfText(const QByteArray& pdf)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-"), QStringLiteral("-")});
    text.write(pdf);
    text.closeWriteChannel();
    text.waitForFinished(30000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

// Test 2231 again as D1, its chest deflection with a sample dropped out:
// the channel check warns, and the criteria on it are doubtful.
bool WriteDroppedOutTest(const QString& iso)
{
    const QString to = iso + "/D1";
    if (!QDir().mkpath(to + "/Channel"))
        return false;
    for (const QString& sub : {QString(), QStringLiteral("/Channel")})
        for (const QString& file : QDir(iso + "/2231" + sub).entryList(QDir::Files))
            if (!QFile::copy(iso + "/2231" + sub + "/" + file, to + sub + "/" + QString(file).replace("2231", "D1")))
                return false;
    QFile channel(to + "/Channel/D1.008");
    if (!channel.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines = channel.readAll().split('\n');
    channel.close();
    qsizetype first = 0;
    while (first < lines.size() && lines[first].contains(':'))
        ++first;
    if (first + 1100 >= lines.size())
        return false;
    lines[first + 1100] = "0\r";
    return channel.open(QIODevice::WriteOnly | QIODevice::Truncate) && channel.write(lines.join('\n')) > 0;
}

} // namespace

TEST_F(SameResultTest, TextJsonPdfAndWindowShowEveryCriterionAlike)
{
    QTemporaryDir dir;
    DemoDataSet written;
    KVErrorList errors;
    ASSERT_TRUE(WriteDemoIsoTests(dir.path().toStdString(), written, errors));
    ASSERT_TRUE(WriteDemoAssessTests(dir.path().toStdString(), written, errors));
    const QString iso = dir.filePath("iso-mme");
    ASSERT_TRUE(WriteDroppedOutTest(iso));
    const std::pair<const char*, const char*> cases[] = {
        {"2231", "fmvss208"}, {"2231", "un-r137"}, {"2231", "un-r94"}, {"2231", "euro-ncap-frontal-fw-2023"},
        {"3301", "euro-ncap-mpdb-2023"}, {"3302", "euro-ncap-side-mdb-2023"}, {"D1", "euro-ncap-frontal-fw-2023"},
    };
    const std::vector<std::string> dirs = Assess::ProtocolDirs();
    size_t doubtful = 0;
    for (const auto& [test, id] : cases) {
        SCOPED_TRACE(std::string(test) + " under " + id);
        const std::string path = (iso + "/" + test).toStdString();
        Report::ReportRequest request;
        std::string error;
        ASSERT_TRUE(Assess::FindProtocol(dirs, id, request.protocol, error)) << error;
        request.tests = {{path}};
        Assess::TestSource source;
        ASSERT_TRUE(source.Open({path}, errors));
        Assess::Assessment a;
        ASSERT_TRUE(Assess::AssessTest(source, request.protocol, request.options, a, error)) << error;
        const bool scored = a.protocol.scoring == Assess::Scoring::SlidingScale;
        const std::string text = Assess::AssessmentText(a);
        const nlohmann::json json = nlohmann::json::parse(Assess::AssessmentJson(a));
        QByteArray pdf;
        ASSERT_TRUE(Report::MakeReport(request, pdf, error)) << error;
        const QString pdfText = Squeezed(PdfText(pdf));
        ASSERT_FALSE(pdfText.isEmpty());
        CAssessResultsDlg window({a}, nullptr);
        QTreeWidget* tree = window.Tree();
        for (size_t o = 0; o < a.occupants.size(); ++o) {
            const Assess::OccupantResult& occupant = a.occupants[o];
            // The text report's part of this occupant.
            const size_t part = text.find("\nposition " + std::string(1, occupant.position) + " (");
            ASSERT_NE(part, std::string::npos);
            EXPECT_TRUE(pdfText.contains(Squeezed(QString::fromStdString(Assess::TotalLook(&occupant, scored).text))));
            EXPECT_EQ(tree->topLevelItem(int(o))->text(window.ResultColumn(0)).toStdString(),
                      Assess::TotalLook(&occupant, scored).text);
            if (const std::string note = Assess::TotalNote(occupant); !note.empty()) {
                EXPECT_NE(text.find(note), std::string::npos) << note;
                EXPECT_TRUE(pdfText.contains(Squeezed(QString::fromStdString(note)))) << note;
                EXPECT_TRUE(tree->topLevelItem(int(o))->text(window.NoteColumn()).contains(QString::fromStdString(note)));
            }
            for (size_t r = 0; r < occupant.regions.size(); ++r) {
                const Assess::RegionResult& region = occupant.regions[r];
                QTreeWidgetItem* regionItem = tree->topLevelItem(int(o))->child(int(r));
                ASSERT_EQ(regionItem->text(0).toStdString(), region.region);
                for (size_t k = 0; k < region.criteria.size(); ++k) {
                    const Assess::CriterionResult& c = region.criteria[k];
                    SCOPED_TRACE(c.criterion);
                    const std::string value = Assess::CriterionValueText(c);
                    const std::string look = Assess::CriterionLook(c, scored).text;
                    const std::string reason = Assess::ReasonText(c);
                    doubtful += c.status == Assess::Status::Doubtful;
                    // The text report's row and the lines under it.
                    const size_t row = text.find("    " + c.criterion + " ", part);
                    ASSERT_NE(row, std::string::npos);
                    const std::string line = text.substr(row, text.find('\n', row) - row);
                    EXPECT_NE(line.find(" " + value + " "), std::string::npos) << line;
                    EXPECT_NE(line.find(look), std::string::npos) << line;
                    if (!reason.empty()) {
                        EXPECT_NE(text.find("        " + reason + "\n", row), std::string::npos) << reason;
                    }
                    // The JSON's status and value.
                    const nlohmann::json& j = json["occupants"][o]["regions"][r]["criteria"][k];
                    EXPECT_EQ(j["criterion"], c.criterion);
                    EXPECT_EQ(j["status"], Assess::StatusName(c.status));
                    EXPECT_EQ(j["value"].is_null(), value == "-");
                    // The window's row.
                    QTreeWidgetItem* item = regionItem->child(int(k));
                    EXPECT_EQ(item->text(window.ValueColumn(0)).toStdString(), value);
                    EXPECT_EQ(item->text(window.ResultColumn(0)).toStdString(), look);
                    EXPECT_EQ(item->text(window.NoteColumn()).toStdString(), reason);
                    // The PDF's summary: the result and the reason with the lines under it.
                    EXPECT_TRUE(pdfText.contains(Squeezed(QString::fromStdString(look)))) << look;
                    if (!reason.empty()) {
                        EXPECT_TRUE(pdfText.contains(Squeezed(QString::fromStdString(reason)))) << reason;
                    }
                    for (const std::string& detail : Assess::DetailLines(c)) {
                        EXPECT_NE(text.find("        " + detail + "\n", row), std::string::npos) << detail;
                        EXPECT_TRUE(pdfText.contains(Squeezed(QString::fromStdString(detail)))) << detail;
                    }
                }
            }
        }
    }
    EXPECT_GE(doubtful, 2u); // D1's chest deflection and viscous criterion
}
