// The operation, label, header and injury commands carried out in the main
// window on the demo data set, every dialog answered as a person would.
#include "DemoWindow.h"
#include "COndrelView.h"
#include "CPlotView.h"
#include "CGraph.h"
#include "CommandIds.h"
#include "IsoMmeTest.h"
#include "KVFileRvf.h"
#include "NumberText.h"
#include "CSignalLabelsDlg.h"
#include "OndrelDoc.h"
#include "SupportWidgets.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <memory>

namespace {

// The message a message box or the errors list shows.
QString ShownText(QDialog* dlg)
{
    if (auto* box = qobject_cast<QMessageBox*>(dlg))
        return box->text();
    if (auto* list = dlg->findChild<QPlainTextEdit*>())
        return list->toPlainText();
    return {};
}

// Answers the modal dialogs of a command in turn; a dialog nobody expected is
// noted by its caption and cancelled, so that a test never hangs on one.
class ModalScript {
public:
    ModalScript()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
        m_timer.start();
    }
    void Then(std::function<void(QDialog*)> answer) { m_answers.push_back(std::move(answer)); }
    QStringList Unexpected() const { return m_unexpected; }
    bool Done() const { return m_answers.empty(); }

private:
    void Tick()
    {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible() || dlg == m_last)
            return;
        m_last = dlg;
        if (m_answers.empty()) {
            m_unexpected << dlg->windowTitle() + ": " + ShownText(dlg);
            dlg->reject();
            return;
        }
        auto answer = std::move(m_answers.front());
        m_answers.pop_front();
        // Answered from a timer of its own: a timer does not fire again while
        // its slot runs, and an answer may open the next dialog.
        QTimer::singleShot(0, [this, answer = std::move(answer), dlg = QPointer<QDialog>(dlg)] {
            if (!dlg)
                return;
            answer(dlg);
            // A dialog that stayed open may be answered again.
            if (dlg && dlg->isVisible())
                m_last = nullptr;
        });
    }

    QTimer m_timer;
    std::deque<std::function<void(QDialog*)>> m_answers;
    QStringList m_unexpected;
    QPointer<QDialog> m_last;
};

void SetField(QDialog* dlg, const char* name, const QString& text)
{
    QLineEdit* edit = dlg->findChild<QLineEdit*>(QString::fromLatin1(name));
    ASSERT_NE(edit, nullptr) << name;
    edit->setText(text);
}

QString FieldText(QDialog* dlg, const char* name)
{
    QLineEdit* edit = dlg->findChild<QLineEdit*>(QString::fromLatin1(name));
    return edit ? edit->text() : QStringLiteral("<no field %1>").arg(QString::fromLatin1(name));
}

KVSignal LoadFile(const QString& path)
{
    KVSignal s;
    KVFileRvf file(QFile::encodeName(path).toStdString());
    EXPECT_TRUE(file.Load(s)) << path.toStdString();
    return s;
}

bool SameSamples(const KVSignal& a, const KVSignal& b)
{
    if (a.PointCount() != b.PointCount())
        return false;
    for (size_t i = 0; i < a.PointCount(); ++i)
        if (a.X()[i] != b.X()[i] || a.Y()[i] != b.Y()[i])
            return false;
    return true;
}

class WindowEndToEnd : public DemoWindowTest {
protected:
    void SetUp() override
    {
        DemoWindowTest::SetUp();
        if (HasFatalFailure())
            return;
        OpenDemoDirectory();
    }
    void TearDown() override
    {
        EXPECT_TRUE(script.Done()) << "a scripted dialog never came";
        EXPECT_EQ(script.Unexpected(), QStringList());
        frame.reset();
        doc.reset();
    }

    void OpenDemoDirectory()
    {
        script.Then([this](QDialog* dlg) {
            dlg->findChild<QComboBox*>()->setEditText(Dir());
            dlg->accept();
        });
        frame->RunCommand(ID_FILE_OPEN_DIRECTORY);
        ASSERT_EQ(doc->List().Directory(), Dir());
        ASSERT_GT(frame->ListView()->count(), 10);
    }

    // Selects exactly the names given, as clicks in the list would.
    void Select(const QStringList& names)
    {
        COndrelView* list = frame->ListView();
        list->clearSelection();
        for (const QString& name : names) {
            const auto items = list->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(items.size(), 1) << name.toStdString();
            items.front()->setSelected(true);
        }
        ASSERT_EQ(doc->Signals().size(), size_t(names.size()));
    }

    ModalScript script;
};

// Three channels stored with a constant step (layout "Y"), axes X, Y and Z.
const QStringList kNeck{"occ2231_neck_fx.rvf", "occ2231_neck_fy.rvf", "occ2231_neck_fz.rvf"};

TEST_F(WindowEndToEnd, Cfc60ButtonFiltersThreeChannelsAndReloadRestoresThem)
{
    Select(kNeck);
    EXPECT_FALSE(frame->windowTitle().endsWith(" - Modified"));

    frame->CommandAction(ID_FILTER_CFC60)->trigger();
    for (size_t k = 0; k < 3; ++k) {
        const CSignalEntry& e = doc->Signals()[k];
        EXPECT_TRUE(e.modified) << k;
        EXPECT_EQ(e.signal.FilterClass(), 60) << k;
        EXPECT_FALSE(SameSamples(e.signal, LoadFile(Dir() + kNeck[qsizetype(k)]))) << k;
    }
    EXPECT_TRUE(frame->windowTitle().endsWith(" - Modified")) << frame->windowTitle().toStdString();

    // Reload drops the modified signals: it asks first, as every such command does.
    script.Then([](QDialog* dlg) { qobject_cast<QMessageBox*>(dlg)->button(QMessageBox::Discard)->click(); });
    frame->RunCommand(ID_OPERATE_RELOAD);
    for (size_t k = 0; k < 3; ++k) {
        const CSignalEntry& e = doc->Signals()[k];
        EXPECT_FALSE(e.modified) << k;
        EXPECT_TRUE(SameSamples(e.signal, LoadFile(Dir() + kNeck[qsizetype(k)]))) << k;
        EXPECT_EQ(e.signal.FilterClass(), 600) << k;
    }
    EXPECT_FALSE(frame->windowTitle().endsWith(" - Modified")) << frame->windowTitle().toStdString();
}

TEST_F(WindowEndToEnd, TruncateAsksForTheIntervalOfTheFirstSignal)
{
    Select(kNeck);
    const KVSignal& first = doc->Signals()[0].signal;
    const QString from = FormatReal(first.X()[0]);
    const QString to = FormatReal(first.X()[first.PointCount() - 1]);
    QString shownStart, shownStop;
    script.Then([&](QDialog* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Select Signal Interval");
        shownStart = FieldText(dlg, "start");
        shownStop = FieldText(dlg, "stop");
        SetField(dlg, "start", "0.05");
        SetField(dlg, "stop", "0.05");
        dlg->accept();  // refused: the message comes next, the dialog stays
    });
    script.Then([](QDialog* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text(), "Invalid Start / Stop Times");
        box->accept();
    });
    script.Then([](QDialog* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Select Signal Interval");
        SetField(dlg, "stop", "0.1");
        dlg->accept();
    });
    frame->RunCommand(ID_OPERATE_TRUNCATE);
    EXPECT_EQ(shownStart, from);
    EXPECT_EQ(shownStop, to);
    for (const CSignalEntry& e : doc->Signals()) {
        ASSERT_GT(e.signal.PointCount(), 0u);
        EXPECT_GE(e.signal.X()[0], 0.05f);
        EXPECT_LT(e.signal.X()[e.signal.PointCount() - 1], 0.1f);
        EXPECT_TRUE(e.modified);
    }
    EXPECT_TRUE(frame->windowTitle().endsWith(" - Modified"));
}

TEST_F(WindowEndToEnd, ResampleTakesTheStepDerivedFromTheNumberOfPoints)
{
    Select({kNeck[0]});
    const KVSignal& first = doc->Signals()[0].signal;
    const QString shownStep = FormatPlainReal(first.Del());
    // The points spread over the data's whole span, which starts before time zero.
    const float span = first.X()[first.PointCount() - 1] - first.X()[0];
    script.Then([&](QDialog* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Select Time Step or Number of Points");
        EXPECT_EQ(FieldText(dlg, "timeStep"), shownStep);
        dlg->findChild<QRadioButton*>("radioPoints")->click();
        SetField(dlg, "points", "101");
        dlg->accept();
    });
    frame->RunCommand(ID_OPERATE_RESAMPLE);
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_NEAR(doc->Signals()[0].signal.Del(), span / 100.0f, 1e-6f);
    EXPECT_EQ(doc->Loaded().MaxPoints(), int(doc->Signals()[0].signal.PointCount()));
}

TEST_F(WindowEndToEnd, FailuresOfSomeSignalsAreListedInErrorsAndWarnings)
{
    // A text file's time is in milliseconds, which the filter cannot take.
    Select({"occ2231_head_x.rvf", "occ2231_sled_pulse.txt"});
    QString listed;
    script.Then([&](QDialog* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Errors and Warnings");
        listed = ShownText(dlg);
        dlg->accept();
    });
    frame->RunCommand(ID_FILTER_CFC60);
    // The line names the channel it is about.
    EXPECT_EQ(listed.trimmed(), "occ2231_sled_pulse.txt: Kalvio::BWfilt - Time must be in seconds");
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_FALSE(doc->Signals()[1].modified);
    EXPECT_TRUE(frame->windowTitle().endsWith(" - Modified"));
}

TEST_F(WindowEndToEnd, ResultantReplacesTheLoadedSignalsAndSurvivesReload)
{
    Select(kNeck);
    frame->RunCommand(ID_OPERATE_RESULTANT);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_TRUE(doc->Signals()[0].name.isEmpty());
    const KVSignal result = doc->Signals()[0].signal;
    frame->RunCommand(ID_OPERATE_RELOAD);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_TRUE(SameSamples(doc->Signals()[0].signal, result));
}

TEST_F(WindowEndToEnd, TitleLabelIsCutTo46Characters)
{
    Select(kNeck);
    const QString typed(60, QLatin1Char('t'));
    script.Then([&](QDialog* dlg) {
        ASSERT_EQ(dlg->findChildren<QLineEdit*>().size(), 1);
        dlg->findChild<QLineEdit*>()->setText(typed);
        dlg->accept();
    });
    frame->RunCommand(ID_LABELS_TITLE);
    EXPECT_EQ(doc->Texts().title, typed.left(46));
}

TEST_F(WindowEndToEnd, SignalLabelsAreEditedByDoubleClickThroughTheTextEntry)
{
    Select(kNeck);
    const QStringList before = doc->Texts().legend;
    ASSERT_EQ(before.size(), 3);
    script.Then([](QDialog* dlg) {
        auto* labels = qobject_cast<CSignalLabelsDlg*>(dlg);
        ASSERT_NE(labels, nullptr);
        labels->EditRow(1);  // answered by the text entry below
        labels->accept();
    });
    script.Then([](QDialog* entry) {
        EXPECT_EQ(entry->windowTitle(), "Signal Label");
        entry->findChild<QLineEdit*>()->setText("Head Y");
        entry->accept();
    });
    frame->RunCommand(ID_LABELS_SIGNAL_LABELS);
    EXPECT_EQ(doc->Texts().legend, (QStringList{before[0], "Head Y", before[2]}));
}

TEST_F(WindowEndToEnd, HeaderSheetEditShowsInTheMultiLineTitle)
{
    Select({kNeck[0]});
    script.Then([](QDialog* sheet) {
        EXPECT_EQ(sheet->windowTitle(), "Rvf Information");
        SetField(sheet, "TestReference", "XR-99");
        sheet->accept();
    });
    frame->RunCommand(ID_VIEW_RVF_HEADER);
    EXPECT_EQ(doc->Signals()[0].signal.TestReference(), "XR-99");
    // The edit is a change like an operation's: marked, and in the title.
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_TRUE(frame->windowTitle().endsWith(" - Modified")) << frame->windowTitle().toStdString();
    EXPECT_TRUE(doc->Texts().title.contains("XR-99")) << doc->Texts().title.toStdString();

    // The nine-line title is built from the header on the next redraw.
    if (frame->ShortHeader())
        frame->RunCommand(ID_LABELS_MULTI_LINE_TITLE);
    else {
        frame->RunCommand(ID_LABELS_MULTI_LINE_TITLE);
        frame->RunCommand(ID_LABELS_MULTI_LINE_TITLE);
    }
    auto* plot = frame->findChild<CPlotView*>();
    ASSERT_NE(plot, nullptr);
    ASSERT_NE(plot->Graph(), nullptr);
    EXPECT_TRUE(plot->Graph()->SvgData(10000, 5000).contains("XR-99"));
}

// Regression: after each of these the plot kept the curves and texts of signals no longer loaded.
TEST_F(WindowEndToEnd, ThePlotShowsExactlyTheLoadedSignals)
{
    CPlotView* plot = frame->PlotView();
    const auto expectEmpty = [&](const char* after) {
        EXPECT_FALSE(plot->HasPlot()) << after;
        EXPECT_EQ(plot->Graph()->CurveCount(), 0) << after;
        EXPECT_EQ(plot->Graph()->Notice(), "No signal loaded") << after;
        const QByteArray svg = plot->Graph()->SvgData(10000, 5000);
        EXPECT_FALSE(svg.contains("occ2231") || svg.contains("Sum") || svg.contains("Ymin")) << after;
    };
    expectEmpty("start");

    // Truncated to a window without samples: named, not drawn.
    Select({kNeck[0]});
    EXPECT_TRUE(plot->HasPlot());
    script.Then([](QDialog* dlg) {
        SetField(dlg, "start", "5");
        SetField(dlg, "stop", "6");
        dlg->accept();
    });
    frame->RunCommand(ID_OPERATE_TRUNCATE);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_EQ(doc->Signals()[0].signal.PointCount(), 0u);
    EXPECT_FALSE(plot->HasPlot());
    EXPECT_EQ(plot->Graph()->Notice(), kNeck[0] + ": no points");

    // Sum, then a click on an item that is already selected: the sum is
    // dropped (once the person discards it) and nothing new loads.
    const auto discard = [](QDialog* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Discard)->click(); };
    script.Then(discard); // the truncated signal
    Select(kNeck);
    frame->RunCommand(ID_OPERATE_SUM);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_TRUE(plot->HasPlot());
    COndrelView* list = frame->ListView();
    QListWidgetItem* first = list->findItems(kNeck[0], Qt::MatchExactly).front();
    script.Then(discard);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(first).center());
    EXPECT_TRUE(doc->Signals().empty());
    expectEmpty("a click after Sum");

    // A file that does not load.
    list->clearSelection();
    QString why;
    script.Then([&](QDialog* box) {
        why = ShownText(box);
        box->accept();
    });
    list->findItems("occ2231_injury.hit", Qt::MatchExactly).front()->setSelected(true);
    EXPECT_TRUE(why.contains("occ2231_injury.hit")) << why.toStdString();
    EXPECT_TRUE(doc->Signals().empty());
    expectEmpty("a failed load");

    // Open Hitlist replaces the list: nothing of it is selected yet.
    Select({kNeck[0]});
    script.Then([this](QDialog* dlg) {
        auto* files = qobject_cast<QFileDialog*>(dlg);
        ASSERT_NE(files, nullptr);
        files->findChild<QLineEdit*>("fileNameEdit")->setText(Dir() + "occ2231_injury.hit");
        // Past the dialog's own check, which waits for its folder listing.
        files->QDialog::done(QDialog::Accepted);
    });
    frame->RunCommand(ID_FILE_OPEN_HITLIST);
    EXPECT_TRUE(doc->List().HitMode());
    expectEmpty("Open Hitlist");
    OpenDemoDirectory(); // back to the directory for the rest

    list->OnCommand(ID_LIST_REMOVE_SELECTED);
    expectEmpty("Remove");
    Select({kNeck[2]});
    list->OnCommand(ID_LIST_CLEAR);
    expectEmpty("Clear");
}

// Regression: Exit and the close button quit at once with filtered signals loaded.
TEST_F(WindowEndToEnd, ClosingAsksBeforeModifiedSignalsAreDiscarded)
{
    Select({kNeck[0]});
    frame->RunCommand(ID_APP_EXIT);
    EXPECT_FALSE(frame->isVisible()) << "nothing modified: no question";
    frame->show();

    frame->CommandAction(ID_FILTER_CFC60)->trigger();
    QString asked;
    script.Then([&](QDialog* dlg) {
        auto* box = qobject_cast<QMessageBox*>(dlg);
        ASSERT_NE(box, nullptr);
        asked = box->text();
        box->button(QMessageBox::Cancel)->click();
    });
    frame->RunCommand(ID_APP_EXIT);
    EXPECT_EQ(asked, "Discard the modified signals?");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(doc->Signals().size(), 1u);

    script.Then([](QDialog* dlg) { qobject_cast<QMessageBox*>(dlg)->button(QMessageBox::Discard)->click(); });
    frame->close();
    EXPECT_FALSE(frame->isVisible());
}

// A criterion program that keeps a copy of its first file and writes its
// arguments, one a line, beside itself.
void WriteFakeProgram(const QString& dir, const QString& name)
{
    QFile f(dir + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\ncp \"$1\" \"$0.first\"\n"
            "printf '%s\\n' \"$@\" > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

QStringList WaitForArguments(const QString& program)
{
    QFile f(program + ".args");
    for (int i = 0; i < 500 && !f.exists(); ++i)
        QTest::qWait(10);
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("<not started>")};
    return QString::fromLocal8Bit(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString Canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

class InjuryEndToEnd : public WindowEndToEnd {
protected:
    void SetUp() override
    {
        WindowEndToEnd::SetUp();
        ASSERT_TRUE(programDir.isValid());
        WriteFakeProgram(programDir.path(), "hic");
        WriteFakeProgram(programDir.path(), "nij");
        WriteFakeProgram(programDir.path(), "olc");
        WriteFakeProgram(programDir.path(), "bric");
        script.Then([this](QDialog* options) {
            QLineEdit* quillon = nullptr;
            for (QLineEdit* e : options->findChildren<QLineEdit*>())
                if (e->text() == doc->Options().quillonDir)
                    quillon = e;
            ASSERT_NE(quillon, nullptr);
            quillon->setText(programDir.path());
            options->accept();
        });
        frame->RunCommand(ID_EDIT_OPTIONS);
        ASSERT_EQ(doc->Options().quillonDir, programDir.path());
    }
    QString Program(const char* name) const { return programDir.path() + "/" + name; }

    QTemporaryDir programDir;
};

TEST_F(InjuryEndToEnd, ThreeAxisFormPassesTheFilesInXYZOrder)
{
    Select({kNeck[2], kNeck[0], kNeck[1]});  // loaded Z, X, Y
    frame->RunCommand(ID_INJURY_NIJ);
    const QStringList args = WaitForArguments(Program("nij"));
    ASSERT_EQ(args.size(), 3) << args.join(' ').toStdString();
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(Canonical(args[k]), Canonical(Dir() + kNeck[k])) << k;
}

TEST_F(InjuryEndToEnd, OlcAndBricRunFromTheInjuryMenuWithTheirForms)
{
    const int olc = CriterionCommandId(Criteria::CriterionId::Olc);
    const int bric = CriterionCommandId(Criteria::CriterionId::Bric);
    Select({kNeck[0]});
    EXPECT_FALSE(frame->CommandAction(bric)->isEnabled());
    ASSERT_TRUE(frame->RunCommand(olc));
    const QStringList single = WaitForArguments(Program("olc"));
    ASSERT_EQ(single.size(), 1);
    EXPECT_EQ(Canonical(single[0]), Canonical(Dir() + kNeck[0]));

    Select({kNeck[1], kNeck[2], kNeck[0]});
    EXPECT_FALSE(frame->CommandAction(olc)->isEnabled());
    ASSERT_TRUE(frame->RunCommand(bric));
    const QStringList three = WaitForArguments(Program("bric"));
    ASSERT_EQ(three.size(), 3) << three.join(' ').toStdString();
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(Canonical(three[k]), Canonical(Dir() + kNeck[k])) << k;
}

TEST_F(InjuryEndToEnd, ModifiedSignalGoesToATemporaryFile)
{
    Select({kNeck[0]});
    frame->CommandAction(ID_FILTER_CFC60)->trigger();
    frame->RunCommand(ID_INJURY_HIC);
    const QStringList args = WaitForArguments(Program("hic"));
    ASSERT_EQ(args.size(), 1);
    EXPECT_TRUE(QFileInfo(args[0]).fileName().startsWith("RVF")) << args[0].toStdString();
    EXPECT_EQ(LoadFile(Program("hic") + ".first").FilterClass(), 60);
    // The copy is deleted once the program has ended.
    for (int i = 0; i < 500 && QFile::exists(args[0]); ++i)
        QTest::qWait(10);
    EXPECT_FALSE(QFile::exists(args[0]));
}

TEST_F(InjuryEndToEnd, MissingProgramIsReportedWithItsPath)
{
    Select({kNeck[0]});
    QString shown;
    script.Then([&](QDialog* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        shown = message->text();
        box->accept();
    });
    frame->RunCommand(ID_INJURY_208_NECK);
    EXPECT_TRUE(shown.contains(Program("neck208"))) << shown.toStdString();
}


// The demo's ISO-MME test through File > Open Hitlist: its channels listed by
// code and name, a channel plotted on selection.
TEST_F(WindowEndToEnd, DemoTestOpensAsItsChannelListAndAChannelPlots)
{
    const QString mme = Dir() + "iso-mme/2231/2231.mme";
    ASSERT_TRUE(QFileInfo::exists(mme));
    script.Then([&](QDialog* dlg) {
        auto* chooser = qobject_cast<QFileDialog*>(dlg);
        ASSERT_NE(chooser, nullptr);
        EXPECT_TRUE(chooser->nameFilters().contains("ISO-MME Test (*.mme *.MME *.zip *.ZIP)"));
        // Typed into the name field, as a person would.
        SetField(dlg, "fileNameEdit", mme);
        dlg->accept(); // QFileDialog::accept, which checks the name
    });
    frame->RunCommand(ID_FILE_OPEN_HITLIST);
    COndrelView* list = frame->ListView();
    ASSERT_GT(list->count(), 3);
    const QRegularExpression entry("^[0-9A-Z?]{16}  \\S.*$");
    for (int i = 0; i < list->count(); ++i) {
        EXPECT_TRUE(entry.match(list->item(i)->text()).hasMatch()) << list->item(i)->text().toStdString();
        EXPECT_TRUE(list->item(i)->data(Qt::UserRole).toString().startsWith(Dir() + "iso-mme/2231/Channel/2231."));
    }

    list->item(0)->setSelected(true);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_GT(doc->Signals()[0].signal.PointCount(), 100u);
    auto* plot = frame->findChild<CPlotView*>();
    ASSERT_NE(plot->Graph(), nullptr);
    EXPECT_EQ(plot->Graph()->CurveCount(), 1);
    EXPECT_EQ(plot->Graph()->DrawnPointCount(0), int(doc->Signals()[0].signal.PointCount()));
}

TEST_F(WindowEndToEnd, SaveIsoMmeWritesTheLoadedSignalsAsATestTheLibraryReads)
{
    Select(kNeck);
    const QString folder = Dir() + "N1";
    script.Then([&](QDialog* dlg) {
        ASSERT_NE(qobject_cast<QFileDialog*>(dlg), nullptr);
        SetField(dlg, "fileNameEdit", folder);
        dlg->accept(); // QFileDialog::accept, which checks the name
    });
    ASSERT_TRUE(frame->RunCommand(ID_FILE_SAVE_ISOMME));

    IsoMmeTest test;
    KVErrorList errors;
    ASSERT_TRUE(test.Open(QFile::encodeName(folder).toStdString(), errors));
    ASSERT_EQ(test.Channels().size(), 3u);
    for (size_t k = 0; k < 3; ++k) {
        KVSignal back;
        ASSERT_TRUE(test.LoadChannel(k, back, errors));
        const KVSignal original = LoadFile(Dir() + kNeck[qsizetype(k)]);
        ASSERT_EQ(back.PointCount(), original.PointCount()) << k;
        EXPECT_EQ(back.Axis(), original.Axis()) << k;
        for (size_t i = 0; i < back.PointCount(); ++i)
            ASSERT_EQ(back.Y()[i], original.Y()[i]) << k << " " << i;
    }
}

}  // namespace
