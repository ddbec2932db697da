// Assess Test and Export Report from the window: each listed test by itself,
// named as it is, its criteria plotted as they were used, nothing lost or
// replaced unasked.
#include "CAssessDlg.h"
#include "CGraph.h"
#include "CReportDlg.h"
#include "CriterionPlot.h"
#include "DemoData.h"
#include "FrameTestSupport.h"
#include "KVErrorList.h"
#include "KVReadSignalFile.h"
#include "Kalvio.h"
#include "OndrelSettings.h"
#include "TestReport.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include <map>

namespace {

using AssessWindowTest = FrameTest;

// The channel files of test folder dir/name, as the list holds them.
QStringList ChannelsOf(const QString& dir, const QString& name)
{
    QStringList listed;
    const QDir channels(dir + "/" + name + "/Channel");
    for (const QString& file : channels.entryList({name + ".0*"}, QDir::Files))
        listed << channels.filePath(file);
    return listed;
}

// A copy of test folder from named name (T0001: a test whose name is no number).
bool CopyTest(const QString& from, const QString& to, const QString& name)
{
    const QString old = QFileInfo(from).fileName();
    if (!QDir().mkpath(to + "/Channel"))
        return false;
    for (const QString& sub : {QString(), QStringLiteral("/Channel")})
        for (const QString& file : QDir(from + sub).entryList(QDir::Files))
            if (!QFile::copy(from + sub + "/" + file, to + sub + "/" + QString(file).replace(old, name)))
                return false;
    return true;
}

// The demo tests written into dir, and T0001, a copy of 2231.
bool WriteTests(const QTemporaryDir& dir)
{
    DemoDataSet written;
    KVErrorList errors;
    return WriteDemoIsoTests(dir.path().toStdString(), written, errors)
           && CopyTest(dir.filePath("iso-mme/2231"), dir.filePath("iso-mme/T0001"), "T0001");
}

// Answers the Assess Test dialog with protocol id and positions.
void ChooseProtocol(const QString& id, const QString& positions = {})
{
    AnswerNextModal([=](QWidget* modal) {
        auto* dialog = static_cast<CReportDlg*>(modal);
        dialog->ProtocolBox()->setCurrentIndex(dialog->ProtocolBox()->findText(id, Qt::MatchStartsWith));
        dialog->PositionsEdit()->setText(positions);
        dialog->accept();
    });
}

QTreeWidgetItem* Find(QTreeWidget* tree, const QString& name)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

} // namespace

// Regression: two tests listed were assessed as one, a criterion taking a
// channel of the other test, and a test named T0001 was called "0".
TEST_F(AssessWindowTest, TwoListedTestsAreAssessedEachByItselfSideBySideUnderTheirOwnNames)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteTests(dir));
    const QString iso = dir.filePath("iso-mme");
    // T0001 without its head X channel: its HIC cannot be computed, 2231's can.
    QStringList t0001 = ChannelsOf(iso, "T0001");
    ASSERT_TRUE(t0001.removeOne(iso + "/T0001/Channel/T0001.001"));
    ChooseProtocol("fmvss208");
    CAssessResultsDlg* results = AssessListedTest(nullptr, ChannelsOf(iso, "2231") + t0001, nullptr);
    ASSERT_NE(results, nullptr);
    ASSERT_EQ(results->Assessments().size(), 2u);
    EXPECT_EQ(results->windowTitle(), "Assessment of tests 2231, T0001 under fmvss208");
    EXPECT_EQ(results->Tree()->headerItem()->text(results->ValueColumn(1)), "T0001 value");
    QTreeWidgetItem* hic = Find(results->Tree(), "hic15");
    ASSERT_NE(hic, nullptr);
    const Assess::CriterionResult* own = results->CriterionOf(hic, 0);
    const Assess::CriterionResult* other = results->CriterionOf(hic, 1);
    ASSERT_TRUE(own && other);
    EXPECT_EQ(own->status, Assess::Status::Ok);
    EXPECT_EQ(other->status, Assess::Status::NotAvailable);
    EXPECT_EQ(hic->text(results->ResultColumn(1)), "n/a");
    EXPECT_TRUE(hic->text(results->NoteColumn()).startsWith("T0001: n/a: no channel ?1HEAD0000??ACX?"))
        << hic->text(results->NoteColumn()).toStdString();
    // Every channel of a test's criterion is its own.
    for (size_t t = 0; t < 2; ++t)
        for (const Assess::RegionResult& r : results->Assessments()[t].occupants.front().regions)
            for (const Assess::CriterionResult& c : r.criteria)
                for (const Assess::ChannelUse& use : c.channels)
                    EXPECT_NE(use.path.find(t == 0 ? "/2231/" : "/T0001/"), std::string::npos) << use.path;
    results->close();
}

// Regression: a position the protocol does not assess closed the dialog
// without a word, and Enter on a criterion closed the results.
TEST_F(AssessWindowTest, AnUnassessedPositionIsExplainedAndEnterPlotsTheCriterion)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteTests(dir));
    const QStringList listed = ChannelsOf(dir.filePath("iso-mme"), "2231");
    QString told;
    AnswerNextModal([&](QWidget* modal) {
        auto* dialog = static_cast<CReportDlg*>(modal);
        dialog->ProtocolBox()->setCurrentIndex(dialog->ProtocolBox()->findText("fmvss208", Qt::MatchStartsWith));
        dialog->PositionsEdit()->setText("7");
        AnswerNextModal([&](QWidget* box) {
            told = static_cast<QMessageBox*>(box)->text();
            AnswerNextModal([](QWidget* again) { static_cast<QDialog*>(again)->reject(); });
            static_cast<QDialog*>(box)->accept();
        });
        dialog->accept();
    });
    EXPECT_EQ(AssessListedTest(nullptr, listed, nullptr), nullptr);
    EXPECT_TRUE(told.startsWith("position 7 is not assessed by fmvss208")) << told.toStdString();

    // The protocol chosen is offered again, with the positions given.
    std::vector<Assess::Protocol> protocols = LoadProtocolsTellingProblems(nullptr, "Assess Test");
    CReportDlg next(protocols, QString(), nullptr, false);
    EXPECT_TRUE(next.ProtocolBox()->currentText().startsWith("fmvss208"));
    EXPECT_EQ(next.PositionsEdit()->text(), "7");

    ChooseProtocol("fmvss208", "1");
    std::string picked;
    CAssessResultsDlg* results = AssessListedTest(
        nullptr, listed, [&](const Assess::Assessment& a, const Assess::CriterionResult& c) { picked = a.test + " " + c.criterion; });
    ASSERT_NE(results, nullptr);
    QTreeWidget* tree = results->Tree();
    tree->setCurrentItem(Find(tree, "hic15"), 0);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Return);
    EXPECT_EQ(picked, "2231 hic15");
    EXPECT_TRUE(results->isVisible());
    results->close();
}

// Regression: the criterion's plot showed the files as listed (raw or
// changed since), not the channels the criterion was computed on.
TEST_F(AssessWindowTest, ACriterionIsPlottedOnItsChannelsAsUsedWithTheResultantAndItsWindow)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteTests(dir));
    ChooseProtocol("fmvss208", "1");
    CAssessResultsDlg* results = AssessListedTest(nullptr, ChannelsOf(dir.filePath("iso-mme"), "T0001"), nullptr);
    ASSERT_NE(results, nullptr);
    const Assess::CriterionResult* hic = results->CriterionOf(Find(results->Tree(), "hic15"));
    ASSERT_NE(hic, nullptr);
    ASSERT_EQ(hic->channels.size(), 3u);
    // The head X channel as the criterion used it: the file filtered to its class.
    const Assess::ChannelUse& x = hic->channels[0];
    ASSERT_NE(x.signal, nullptr);
    KVSignal file;
    KVErrorList errors;
    ASSERT_NE(KVReadSignalFile(x.path, file, errors), nullptr);
    if (x.filteredTo) {
        ASSERT_TRUE(Kalvio::BWfilt(file, x.filteredTo, &errors));
    }
    ASSERT_EQ(x.signal->PointCount(), file.PointCount());
    for (size_t i = 0; i < file.PointCount(); i += 97)
        ASSERT_EQ(x.signal->Y()[i], file.Y()[i]) << i;

    QDialog* plot = ShowCriterionPlot(results, results->Assessments().front(), *hic);
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->windowTitle(), "T0001: HIC15");
    CGraph* graph = plot->findChild<CGraph*>();
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->CurveCount(), 4); // X, Y, Z and the resultant
    EXPECT_GE(graph->MarkCount(), 1);  // the HIC window
    results->close();
}

TEST_F(AssessWindowTest, ChannelsAreNamedWithWhatWasDoneToThem)
{
    const std::pair<const char*, const char*> cases[] = {
        {"raw, filtered to CFC 1000", "11HEAD0000H3ACX0, filtered to CFC 1000"},
        {"CFC 180 as recorded", "11HEAD0000H3ACX0, CFC 180 as recorded"},
        {"", "11HEAD0000H3ACX0"},
    };
    for (const auto& [filter, label] : cases) {
        Assess::ChannelUse use;
        use.code = "11HEAD0000H3ACX0";
        use.filter = filter;
        EXPECT_EQ(CriterionPlot::UsedChannelLabel(use), label);
    }
}

// Regression: the report went to a bare report.pdf in the working folder and
// a second export replaced it unasked.
TEST_F(AssessWindowTest, ExportReportProposesTestAndProtocolInTheOutputFolderAndAsksBeforeReplacing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteTests(dir));
    const QStringList listed = ChannelsOf(dir.filePath("iso-mme"), "T0001");
    OndrelSettings::WriteString(QString::fromLatin1(OndrelSettings::kOutputDir), dir.path() + "/");
    const QString pdf = dir.filePath("T0001_fmvss208.pdf");
    QString proposed;
    AnswerNextModal([&](QWidget* modal) {
        auto* dialog = static_cast<CReportDlg*>(modal);
        dialog->ProtocolBox()->setCurrentIndex(dialog->ProtocolBox()->findText("fmvss208", Qt::MatchStartsWith));
        proposed = dialog->FileEdit()->text();
        dialog->PositionsEdit()->setText("1");
        dialog->accept();
    });
    ASSERT_EQ(ExportListedReport(nullptr, listed), pdf);
    EXPECT_EQ(proposed, pdf);
    const QDateTime written = QFileInfo(pdf).lastModified();

    // Again: the choice is remembered, and No keeps the file.
    QString asked;
    AnswerNextModal([&](QWidget* modal) {
        auto* dialog = static_cast<CReportDlg*>(modal);
        EXPECT_EQ(dialog->FileEdit()->text(), pdf);
        EXPECT_EQ(dialog->PositionsEdit()->text(), "1");
        AnswerNextModal([&](QWidget* box) {
            asked = static_cast<QMessageBox*>(box)->text();
            AnswerNextModal([](QWidget* again) { static_cast<QDialog*>(again)->reject(); });
            static_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
        });
        dialog->accept();
    });
    EXPECT_TRUE(ExportListedReport(nullptr, listed).isEmpty());
    EXPECT_TRUE(asked.startsWith(pdf + " already exists.")) << asked.toStdString();
    EXPECT_EQ(QFileInfo(pdf).lastModified(), written);
}

TEST_F(AssessWindowTest, TheLabelsOfFieldsWithAButtonHaveTheirBuddies)
{
    CReportDlg dialog({}, QString());
    std::map<QString, QWidget*> buddies;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        buddies[label->text()] = label->buddy();
    EXPECT_EQ(buddies["&Inputs:"], dialog.InputsEdit());
    EXPECT_EQ(buddies["&File:"], dialog.FileEdit());
}

// Export Report of a listed 200-channel test took twice as long as the
// command line: each listed channel file was opened by itself, twice.
TEST_F(AssessWindowTest, AWholeListedTestIsTakenFromItsTestFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteTests(dir));
    const QString iso = dir.filePath("iso-mme");
    const std::vector<std::vector<std::string>> whole = ListedTests(nullptr, ChannelsOf(iso, "2231") + ChannelsOf(iso, "T0001"), "t");
    ASSERT_EQ(whole.size(), 2u);
    EXPECT_EQ(whole[0], std::vector<std::string>{QFile::encodeName(iso + "/2231/2231.mme").toStdString()});
    EXPECT_EQ(whole[1], std::vector<std::string>{QFile::encodeName(iso + "/T0001/T0001.mme").toStdString()});
    // A test listed in part stays the channels listed.
    QStringList part = ChannelsOf(iso, "2231");
    part.removeLast();
    const std::vector<std::vector<std::string>> some = ListedTests(nullptr, part, "t");
    ASSERT_EQ(some.size(), 1u);
    EXPECT_EQ(some[0].size(), size_t(part.size()));
}
