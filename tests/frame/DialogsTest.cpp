// The frame's small dialogs: fields, validation and what they hand back.
#include "CAppendFileDlg.h"
#include "CErrorsDlg.h"
#include "CFilterClassDlg.h"
#include "CFrameUi.h"
#include "CHitlistEditDlg.h"
#include "CAssessDlg.h"
#include "CReportDlg.h"
#include "ProtocolFiles.h"
#include "DemoData.h"
#include "KVErrorList.h"
#include "COptionsDlg.h"
#include "CSelectDirectoryDlg.h"
#include "CTextEntryDlg.h"
#include "FrameTestSupport.h"
#include "OndrelSettings.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QFile>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QTreeWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

using DialogsTest = FrameTest;

TEST_F(DialogsTest, SelectDirectoryListsRecentFirstAndRefusesAnEmptyField)
{
    CSelectDirectoryDlg dialog({QStringLiteral("/b/"), QString(), QStringLiteral("/a/")});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select Directory to Browse"));
    ASSERT_EQ(dialog.DirectoryField()->count(), 2);
    EXPECT_EQ(dialog.DirectoryField()->currentText(), QStringLiteral("/b/"));
    EXPECT_EQ(dialog.BrowseButton()->text(), QStringLiteral(". . ."));

    dialog.show();
    dialog.BrowseButton()->setFocus();
    dialog.DirectoryField()->setEditText(QStringLiteral("   "));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    QWidget* focus = dialog.focusWidget();
    EXPECT_TRUE(focus == dialog.DirectoryField() || dialog.DirectoryField()->isAncestorOf(focus));

    dialog.DirectoryField()->setEditText(QStringLiteral("  /data/run 1  "));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Directory(), QStringLiteral("/data/run 1"));
}

TEST_F(DialogsTest, ChoosingADirectoryStoresItOnTopOfTheRecentList)
{
    QSettings store("Zelnor", "Ondrel");
    const char* stored[] = {"/one/", "/two/", "/Data/Run/", "/four/"};
    for (int i = 0; i < 4; ++i)
        store.setValue(QStringLiteral("Settings/Directory%1").arg(i), QString::fromLatin1(stored[i]));
    store.sync();

    QWidget window;
    CFrameUi ui(&window);
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<CSelectDirectoryDlg*>(modal);
        EXPECT_EQ(dialog->DirectoryField()->currentText(), QStringLiteral("/one/"));
        dialog->DirectoryField()->setEditText(QStringLiteral("/data/run"));
        dialog->accept();
    });
    QString dir;
    ASSERT_TRUE(ui.ChooseDirectory(dir));
    EXPECT_EQ(dir, QStringLiteral("/data/run/"));
    // The old entry that differs only in case goes; the two before it move down.
    EXPECT_EQ(OndrelSettings::RecentDirectories(), (QStringList{"/data/run/", "/one/", "/two/", "/four/"}));
}

TEST_F(DialogsTest, CancelledDirectoryChoiceChangesNothing)
{
    QWidget window;
    CFrameUi ui(&window);
    AnswerNextModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    QString dir = QStringLiteral("unchanged");
    EXPECT_FALSE(ui.ChooseDirectory(dir));
    EXPECT_EQ(dir, QStringLiteral("unchanged"));
    EXPECT_TRUE(OndrelSettings::RecentDirectories().isEmpty());
}

TEST_F(DialogsTest, OptionsShowAndHandBackTheirValues)
{
    QWidget window;
    CFrameUi ui(&window);
    COptionsValues values{true, false, 2, QStringLiteral("/opt/quillon"), true, QStringLiteral("/srv/protocols")};
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<COptionsDlg*>(modal);
        EXPECT_EQ(dialog->SaveZoomBox()->text(), QStringLiteral("Save Zoom Settings between  Plots"));
        EXPECT_EQ(dialog->StyleButton(1)->text(), QStringLiteral("Use Thin Solid LInes"));
        EXPECT_EQ(dialog->StyleButton(3)->text(), QStringLiteral("Use Thick Solid LInes"));
        EXPECT_TRUE(dialog->SaveZoomBox()->isChecked());
        EXPECT_FALSE(dialog->ColumnHeadersBox()->isChecked());
        EXPECT_TRUE(dialog->StyleButton(2)->isChecked());
        EXPECT_EQ(dialog->QuillonField()->text(), QStringLiteral("/opt/quillon"));
        EXPECT_TRUE(dialog->TimeUnitButton(1)->isChecked());
        EXPECT_EQ(dialog->TimeUnitButton(0)->text(), QStringLiteral("Milliseconds"));
        EXPECT_EQ(dialog->ProtocolField()->text(), QStringLiteral("/srv/protocols"));
        dialog->TakePickedFolder(QStringLiteral("/home/lab/limits/"), dialog->ProtocolField());
        dialog->TimeUnitButton(0)->setChecked(true);
        dialog->SaveZoomBox()->setChecked(false);
        dialog->ColumnHeadersBox()->setChecked(true);
        dialog->StyleButton(3)->setChecked(true);
        dialog->TakePickedFolder(QStringLiteral("/usr/lib/quillon/"));
        dialog->accept();
    });
    ASSERT_TRUE(ui.EditOptions(values));
    EXPECT_FALSE(values.saveZoom);
    EXPECT_TRUE(values.columnHeaders);
    EXPECT_EQ(values.lineStyle, 3);
    EXPECT_EQ(values.quillonDir, QStringLiteral("/usr/lib/quillon"));
    EXPECT_FALSE(values.textTimeSeconds);
    EXPECT_EQ(values.protocolDir, QStringLiteral("/home/lab/limits"));
}

TEST_F(DialogsTest, OptionsFolderPickerKeepsTheRootWhole)
{
    COptionsDlg dialog;
    dialog.TakePickedFolder(QStringLiteral("/"));
    EXPECT_EQ(dialog.QuillonField()->text(), QStringLiteral("/"));
}

TEST_F(DialogsTest, TextEntryKeepsItsDefaultCaptionAndHandsBackTheText)
{
    CTextEntryDlg plain;
    EXPECT_EQ(plain.windowTitle(), QStringLiteral("Enter Plot Label"));

    QWidget window;
    CFrameUi ui(&window);
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<CTextEntryDlg*>(modal);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Apply Filter for Displaying File Names"));
        EXPECT_EQ(dialog->Field()->text(), QStringLiteral("*.*"));
        dialog->Field()->setText(QStringLiteral("v*.aa0.*"));
        dialog->accept();
    });
    QString text = QStringLiteral("*.*");
    ASSERT_TRUE(ui.EnterText(QStringLiteral("Apply Filter for Displaying File Names"),
                             QStringLiteral("Enter Filter    (e.g. v*.aa0.*)"), text));
    EXPECT_EQ(text, QStringLiteral("v*.aa0.*"));
}

TEST_F(DialogsTest, FilterClassFrequencyFieldFollowsTheChoice)
{
    CFilterClassDlg dialog;
    dialog.show();
    EXPECT_TRUE(dialog.ChoiceButton(0)->isChecked());
    EXPECT_FALSE(dialog.FrequencyField()->isEnabled());
    EXPECT_EQ(dialog.FrequencyField()->text(), QStringLiteral("30.0"));

    dialog.ChoiceButton(4)->setChecked(true);
    EXPECT_TRUE(dialog.FrequencyField()->isEnabled());
    dialog.ChoiceButton(2)->setChecked(true);
    EXPECT_FALSE(dialog.FrequencyField()->isEnabled());

    dialog.ChoiceButton(4)->setChecked(true);
    dialog.FrequencyField()->setText(QStringLiteral("abc"));
    dialog.ChoiceButton(0)->setFocus();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.focusWidget(), dialog.FrequencyField());

    dialog.FrequencyField()->setText(QStringLiteral("125.5"));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Choice(), 4);
    EXPECT_FLOAT_EQ(dialog.Frequency(), 125.5f);
}

TEST_F(DialogsTest, FilterClassHandsBackTheChosenClass)
{
    QWidget window;
    CFrameUi ui(&window);
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<CFilterClassDlg*>(modal);
        dialog->ChoiceButton(3)->setChecked(true);
        dialog->accept();
    });
    int index = -1;
    float frequency = 0.0f;
    ASSERT_TRUE(ui.SelectFilterClass(index, frequency));
    EXPECT_EQ(index, 3);
}

TEST_F(DialogsTest, AppendBoxTurnsTheOverwriteQuestionOffAndOn)
{
    CAppendFileDlg dialog(nullptr, QStringLiteral("Save Hitlist as"), Dir(), QStringLiteral("Hit List Files (*.*)"));
    EXPECT_EQ(dialog.AppendBox()->text(), QStringLiteral("Append to end of existing File"));
    EXPECT_FALSE(dialog.Append());
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    dialog.AppendBox()->setChecked(true);
    EXPECT_TRUE(dialog.Append());
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    dialog.AppendBox()->setChecked(false);
    EXPECT_FALSE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
}

TEST_F(DialogsTest, SaveDialogWithAppendBoxHandsBackPathAndFlag)
{
    QFile existing(Dir() + QStringLiteral("old.hit"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    QWidget window;
    CFrameUi ui(&window);
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<CAppendFileDlg*>(modal);
        dialog->AppendBox()->setChecked(true);
        dialog->selectFile(QStringLiteral("old.hit"));
        // With the box ticked no overwrite question comes between OK and the answer.
        static_cast<QDialog*>(dialog)->accept();
    });
    CFileDialogRequest request;
    request.title = QStringLiteral("Save Hitlist as");
    request.filters = QStringList{QStringLiteral("Hit List Files (*.*)")};
    request.directory = Dir();
    request.appendBox = true;
    QString path;
    bool append = false;
    ASSERT_TRUE(ui.SaveFileDialog(request, path, append));
    EXPECT_EQ(path, Dir() + QStringLiteral("old.hit"));
    EXPECT_TRUE(append);
}

TEST(HitlistEdit, EditedTextGivesTheNonEmptyLinesWhole)
{
    const QString longName = QStringLiteral("/data/") + QString(1500, QLatin1Char('a')) + QStringLiteral(".rvf");
    EXPECT_EQ(NamesFromEditedText(QStringLiteral("/a.rvf\n\n /b.rvf \r\n\n") + longName),
              (QStringList{"/a.rvf", " /b.rvf ", longName}));
}

TEST_F(DialogsTest, HitlistEditorShowsOneNameALineAndReadsThemBack)
{
    QWidget window;
    CFrameUi ui(&window);
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<CHitlistEditDlg*>(modal);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Edit the Hitlist File Names"));
        EXPECT_EQ(dialog->Field()->toPlainText(), QStringLiteral("/a.rvf\n/b.rvf"));
        dialog->Field()->setPlainText(QStringLiteral("/b.rvf\n\n/c.rvf\n"));
        dialog->accept();
    });
    QStringList names{"/a.rvf", "/b.rvf"};
    ASSERT_TRUE(ui.EditHitlist(names));
    EXPECT_EQ(names, (QStringList{"/b.rvf", "/c.rvf"}));
}

TEST_F(DialogsTest, ErrorsAndWarningsListsEveryMessageReadOnly)
{
    CErrorsDlg dialog({QStringLiteral("Kalvio::BWfilt - too few points"), QStringLiteral("File, x, does not Exist")});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Errors and Warnings"));
    EXPECT_EQ(dialog.Text(), QStringLiteral("Kalvio::BWfilt - too few points\nFile, x, does not Exist\n"));
    EXPECT_TRUE(dialog.findChild<QPlainTextEdit*>()->isReadOnly());
}

// The channels of the demo test 2231 written into dir, as the list holds them.
QStringList ListedDemoTest(const QTemporaryDir& dir)
{
    DemoDataSet written;
    KVErrorList errors;
    if (!WriteDemoIsoTests(dir.path().toStdString(), written, errors))
        return {};
    QStringList listed;
    for (const QString& name : QDir(dir.filePath("iso-mme/2231/Channel")).entryList({"2231.0*"}, QDir::Files))
        listed << dir.filePath("iso-mme/2231/Channel/" + name);
    return listed;
}

TEST_F(DialogsTest, ExportReportWritesTheListedTestAndRefusesABadPosition)
{
    QTemporaryDir dir;
    const QStringList listed = ListedDemoTest(dir);
    ASSERT_GT(listed.size(), 20);
    const QString pdf = dir.filePath("report.pdf");
    AnswerNextModal([&](QWidget* modal) {
        auto* dialog = static_cast<CReportDlg*>(modal);
        dialog->ProtocolBox()->setCurrentIndex(dialog->ProtocolBox()->findText("fmvss208", Qt::MatchStartsWith));
        Report::ReportRequest request;
        QString problem;
        dialog->PositionsEdit()->setText("1 12");
        EXPECT_FALSE(dialog->Request({}, request, problem));
        EXPECT_TRUE(problem.contains("\"12\""));
        dialog->PositionsEdit()->setText("1");
        dialog->FileEdit()->setText(pdf);
        dialog->accept();
    });
    ASSERT_EQ(ExportListedReport(nullptr, listed), pdf);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    // The cover comes from the test file's lines the channels carry.
    QProcess text;
    text.start("pdftotext", {pdf, "-"});
    ASSERT_TRUE(text.waitForFinished());
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(out.contains("SLED 47 KM/H"));
    EXPECT_TRUE(out.contains("Neck tension"));
}

TEST_F(DialogsTest, TheAssessmentsInputsFileAndDummyAreChosenInTheDialogAgainstTheChosenProtocol)
{
    std::vector<std::string> problems;
    CReportDlg dialog(Assess::LoadProtocols(Assess::ProtocolDirs(), problems), QString(), nullptr, false);
    dialog.ProtocolBox()->setCurrentIndex(dialog.ProtocolBox()->findText("euro-ncap-mpdb-2023", Qt::MatchStartsWith));
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return f.fileName();
    };
    Assess::Protocol protocol;
    Assess::AssessOptions options;
    QString problem;
    dialog.InputsEdit()->setText(write("good.json", "{\"initial_velocity\": 56}"));
    ASSERT_TRUE(dialog.Choice(protocol, options, problem)) << problem.toStdString();
    EXPECT_EQ(options.inputsText, "{\"initial_velocity\": 56}");
    const QString bad = write("bad.json", "{\n  \"hard_head_contakt\": true\n}");
    dialog.InputsEdit()->setText(bad);
    EXPECT_FALSE(dialog.Choice(protocol, options, problem));
    EXPECT_TRUE(problem.startsWith(bad + ":2: \"hard_head_contakt\" is no input of euro-ncap-mpdb-2023"))
        << problem.toStdString();
    dialog.InputsEdit()->setText(dir.filePath("missing.json"));
    EXPECT_FALSE(dialog.Choice(protocol, options, problem));
    EXPECT_TRUE(problem.contains("cannot be read")) << problem.toStdString();
    dialog.InputsEdit()->clear(); // the defaults
    EXPECT_TRUE(dialog.Choice(protocol, options, problem));
    EXPECT_TRUE(options.inputsText.empty());
    EXPECT_TRUE(options.dummy.empty()); // as the codes name it
    // The dummies offered are the chosen protocol's.
    dialog.ProtocolBox()->setCurrentIndex(dialog.ProtocolBox()->findText("fmvss208", Qt::MatchStartsWith));
    ASSERT_EQ(dialog.DummyBox()->count(), 3);
    dialog.DummyBox()->setCurrentIndex(2);
    ASSERT_TRUE(dialog.Choice(protocol, options, problem));
    EXPECT_EQ(options.dummy, "h3-5f");
    dialog.ProtocolBox()->setCurrentIndex(
        dialog.ProtocolBox()->findText("euro-ncap-side-mdb-2023", Qt::MatchStartsWith));
    ASSERT_EQ(dialog.DummyBox()->count(), 2);
    EXPECT_EQ(dialog.DummyBox()->itemData(1).toString(), "worldsid-50m");
    // What the dialog asks is what the same options ask on the command line.
    dialog.DummyBox()->setCurrentIndex(1);
    dialog.PositionsEdit()->setText("1, 3");
    Assess::AssessRequest asked, args;
    ASSERT_TRUE(dialog.Asked(asked, problem));
    const std::vector<std::string> argv
        = {"--protocol", "euro-ncap-side-mdb-2023", "--dummy", "worldsid-50m", "--position", "1", "--position=3"};
    std::string why;
    for (size_t i = 0; i < argv.size(); ++i)
        ASSERT_EQ(Assess::ReadRequestArg(argv, i, args, why, true), Assess::ArgRead::Taken) << why;
    EXPECT_TRUE(asked == args);
}

TEST_F(DialogsTest, ABadProtocolFileOfTheUsersFolderIsNamedNotLeftOutInSilence)
{
    QTemporaryDir dir;
    QFile bad(dir.filePath("company.json"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("{\"id\": \"company\"}");
    bad.close();
    qputenv("ONDREL_PROTOCOL_DIR", QFile::encodeName(dir.path()));
    QString told;
    AnswerNextModal([&](QWidget* modal) {
        auto* box = static_cast<QMessageBox*>(modal);
        told = box->text();
        box->accept();
    });
    const std::vector<Assess::Protocol> protocols = LoadProtocolsTellingProblems(nullptr, "Assess Test");
    EXPECT_EQ(protocols.size(), 16u);
    EXPECT_TRUE(told.contains("company.json:1: missing \"name\"")) << told.toStdString();

    // The folder of the Options comes before the environment's.
    QTemporaryDir empty;
    qputenv("ONDREL_PROTOCOL_DIR", QFile::encodeName(empty.path()));
    told.clear();
    AnswerNextModal([&](QWidget* modal) {
        told = static_cast<QMessageBox*>(modal)->text();
        static_cast<QMessageBox*>(modal)->accept();
    });
    EXPECT_EQ(LoadProtocolsTellingProblems(nullptr, "Assess Test", dir.path()).size(), 16u);
    qunsetenv("ONDREL_PROTOCOL_DIR");
    EXPECT_TRUE(told.contains("company.json:1: missing \"name\"")) << told.toStdString();
}

TEST_F(DialogsTest, AssessTestShowsTheTreeInBandColoursAndHandsOnTheCriterionDoubleClicked)
{
    QTemporaryDir dir;
    const QStringList listed = ListedDemoTest(dir);
    AnswerNextModal([&](QWidget* modal) {
        auto* dialog = static_cast<CReportDlg*>(modal);
        EXPECT_FALSE(dialog->FileEdit()->isVisibleTo(dialog)); // no file for an assessment
        dialog->ProtocolBox()->setCurrentIndex(
            dialog->ProtocolBox()->findText("euro-ncap-frontal-fw-2023", Qt::MatchStartsWith));
        dialog->accept();
    });
    std::string picked;
    CAssessResultsDlg* results =
        AssessListedTest(nullptr, listed, [&](const Assess::Assessment&, const Assess::CriterionResult& c) { picked = c.criterion; });
    ASSERT_NE(results, nullptr);
    QTreeWidget* tree = results->Tree();
    ASSERT_EQ(tree->topLevelItemCount(), 1); // the driver
    QTreeWidgetItem* driver = tree->topLevelItem(0);
    EXPECT_TRUE(driver->text(0).startsWith("Position 1"));
    // The chest region holds the capped deflection, red, and the viscous criterion, green.
    QTreeWidgetItem* chest = nullptr;
    for (int i = 0; i < driver->childCount(); ++i)
        if (driver->child(i)->text(0) == "chest")
            chest = driver->child(i);
    ASSERT_NE(chest, nullptr);
    QTreeWidgetItem* deflection = chest->child(0);
    EXPECT_EQ(deflection->text(0), "chest_deflection");
    EXPECT_EQ(deflection->text(results->ValueColumn(0)), "41.5");
    EXPECT_TRUE(deflection->text(results->ResultColumn(0)).startsWith("0.00 of 4, poor"));
    EXPECT_EQ(deflection->background(results->ResultColumn(0)).color(), QColor(210, 40, 40));
    emit tree->itemDoubleClicked(deflection, 0);
    EXPECT_EQ(picked, "chest_deflection");
    picked.clear();
    emit tree->itemDoubleClicked(chest, 0); // a region is no criterion
    EXPECT_TRUE(picked.empty());
    EXPECT_EQ(results->Warnings(), nullptr);
    results->close();

    // The occupant's own modifiers stand under the regions (they were left
    // out, and the total did not add up), and what concerns the whole test
    // stands above the tree (an empty tree said nothing).
    const auto assessUnder = [&](const QString& id) {
        AnswerNextModal([&](QWidget* modal) {
            auto* dialog = static_cast<CReportDlg*>(modal);
            dialog->ProtocolBox()->setCurrentIndex(dialog->ProtocolBox()->findText(id, Qt::MatchStartsWith));
            dialog->accept();
        });
        return AssessListedTest(nullptr, listed, [&](const Assess::Assessment&, const Assess::CriterionResult& c) { picked = c.criterion; });
    };
    results = assessUnder("un-r94");
    ASSERT_NE(results, nullptr);
    driver = results->Tree()->topLevelItem(0);
    QTreeWidgetItem* total = driver->child(driver->childCount() - 1);
    EXPECT_EQ(total->text(0), "modifiers of the total");
    ASSERT_EQ(total->childCount(), 1);
    EXPECT_EQ(total->child(0)->text(0), "door_opening");
    ASSERT_NE(results->Inputs(), nullptr);
    EXPECT_EQ(results->Inputs()->text(), "input door_opened = no (default)");
    emit results->Tree()->itemDoubleClicked(total->child(0), 0);
    EXPECT_EQ(picked, "door_opening");
    results->close();
    results = assessUnder("euro-ncap-side-mdb-2023");
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->Tree()->topLevelItemCount(), 0);
    ASSERT_NE(results->Warnings(), nullptr);
    EXPECT_TRUE(results->Warnings()->text().contains("none that euro-ncap-side-mdb-2023 assesses"))
        << results->Warnings()->text().toStdString();
    results->close();
}
