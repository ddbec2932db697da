// The main window: menus, prompts, tooltips, keys, toolbar, enable rules,
// the multi-line title, and requests reaching the file list.
#include "CGraph.h"
#include "CMainFrame.h"
#include "COndrelApp.h"
#include "COndrelView.h"
#include "CPlotView.h"
#include "CRatingsDlg.h"
#include "CSelectDirectoryDlg.h"
#include "CStatusIndicators.h"
#include "CommandRegistry.h"
#include "FrameTestSupport.h"
#include "ListCommands.h"
#include "OndrelDoc.h"
#include "RatingCommands.h"

#include <cmath>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>

namespace {

// "text|prompt" per item, "-" per separator, submenus as "text>" followed by
// their items indented by two blanks.
void Flatten(const QMenu* menu, QStringList& out, const QString& indent = QString())
{
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            out << indent + QStringLiteral("-");
        else if (action->menu()) {
            out << indent + action->text() + QStringLiteral(">");
            Flatten(action->menu(), out, indent + QStringLiteral("  "));
        } else
            out << indent + action->text() + QStringLiteral("|") + action->statusTip();
    }
}

QStringList MenuListing(const QMenuBar* bar, int index)
{
    QStringList out;
    Flatten(bar->actions().at(index)->menu(), out);
    return out;
}

class MainFrameTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        doc = std::make_unique<COndrelDoc>();
        frame = std::make_unique<CMainFrame>(doc.get());
        doc->OnNewDocument();
    }
    void TearDown() override
    {
        frame.reset();
        doc.reset();
    }
    void LoadSignals(int n)
    {
        ListCommands::SelectionChanged(*doc, {}, false);
        for (int i = 0; i < n; ++i)
            doc->Loaded().Add({QStringLiteral("s%1").arg(i), RampSignal(10), false});
        frame->UpdateCommandStates();
    }
    bool Enabled(int id) const { return frame->CommandAction(id)->isEnabled(); }

    std::unique_ptr<COndrelDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace

TEST_F(MainFrameTest, MenuBarHoldsTheSixMenusInOrder)
{
    QStringList titles;
    for (QAction* action : frame->menuBar()->actions())
        titles << action->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&Labels", "&Operate", "&Injury", "&View", "&Help"}));
}

TEST_F(MainFrameTest, FileAndEditMenusCarryTheirTextsAndPrompts)
{
    EXPECT_EQ(MenuListing(frame->menuBar(), 0),
              (QStringList{
                  "&Open Directory...\tCtrl+O|Browse a Directoryt",
                  "Open &Hitlist ...|Open a List of RVF filenames",
                  "-",
                  "&Save>",
                  "  &Rvf ...|Save Selected data to a Series of RVF File(s)",
                  "  IS&O-MME ...|Save Selected data as one ISO-MME Test",
                  "  &ASCII ...|Save Selected data to an ASCII File",
                  "  &ImageExpress...|Save Selected data to an ImageExpress File",
                  "  -",
                  "  &Jpeg ...|Save current graph to a Jpeg file",
                  "  &Svg...|Save current graph to an Svg file",
                  "Save A&ll Plots>",
                  "  &Jpg ...|Save a series of jpg files, one plot per filename",
                  "  &Svg ...|Save a series of svg files, one plot per filename",
                  "Export &Report...|Write the report of the listed test under a protocol as one PDF",
                  "-",
                  "&Print Plot...\tCtrl+P|Print the active document",
                  "Print &All Plots ...|Print all the plots in the selected directory",
                  "-",
                  "E&xit|Quit the application; prompts to save documents",
              }));
    EXPECT_EQ(MenuListing(frame->menuBar(), 1),
              (QStringList{
                  "&Copy Plot\tCtrl+C|Copy the selection and put it on the Clipboard",
                  "Copy &Data|Copy X-Y data to the clipboard",
                  "-",
                  "&Options...|Select Options for Plotting, and Copying Data",
              }));
}

TEST_F(MainFrameTest, LabelsOperateAndInjuryMenusCarryTheirTextsAndPrompts)
{
    EXPECT_EQ(MenuListing(frame->menuBar(), 2),
              (QStringList{
                  "&Multi Line Title|Use a Multi Line title for the Plots",
                  "&Title ...|Set the Title for the Current Graph",
                  "&SubTitle ...|Set the SubTitle for the Current Graph",
                  "Signal &Labels ...|Edit the labels for Indivual Signals",
                  "-",
                  "&X axis ...|Set the Label for the X axis of the Current Graph",
                  "&Y axis ...|Set the Label for the Y axis of the Current Graph",
              }));
    EXPECT_EQ(MenuListing(frame->menuBar(), 3),
              (QStringList{
                  "&Filter ...|Apply an SAE filter to selected file(s)/nFilter",
                  "&Integrate|Integrate the selected file(s)",
                  "&Derivative|Differentiate the selected files",
                  "FIR&100|Apply a Fir100 Filter to the selected file(s)",
                  "&Resample|Resample the X data Signal(s) at a specified interval",
                  "&Truncate ...|Restrict the X Range of the Data",
                  "&Bias>",
                  "  Auto Remove Y|Auto Detect and remove Initial Y Bias Error from Signal(s)",
                  "  Add &Constant Y|Add a Constant Y value to Signal(s)",
                  "  Add Constant X|Add a Constant X value to Signal(s)",
                  "&Scale>",
                  "  Y Axis|Multiply Y Axis data by a constant",
                  "  X Axis|Multiply X Axis Data by a Constant",
                  "-",
                  "R&esultant|Compute the Resultant for the Selected Signals",
                  "&Average|Display Average for selected Signals",
                  "&Sum|Display the Sum of the selected Signals",
                  "-",
                  "Re&load|Reload the umodified signals",
                  "-",
                  "&Check Signals|Check the selected or else all listed files for clipping, dropouts, offsets and dead "
                  "channels",
                  "Rate &Against Reference...|Rate the loaded signals against the first selected one (ISO/TS 18571: "
                  "corridor, phase, magnitude, slope)",
              }));
    EXPECT_EQ(MenuListing(frame->menuBar(), 4),
              (QStringList{
                  "&HIC|Run the HIC program using the selected signal(s)",
                  "&208 Neck|Run the 208 Neck Criteria program using the selected signal",
                  "&Nij|Run the Nij program using the selected signals",
                  "&3ms Clip|Run the 3 ms Clip program using the selected signal(s)",
                  "&V*C|Run the Viscous Criteria program using the selected signal",
                  "&Tibia Index|Run the Tibia Index program using the selected signals",
                  // Programs added since take their entry from their definition.
                  "&OLC|Run the OLC program using the selected signal",
                  "&BrIC|Run the BrIC program using the selected signals",
                  "-",
                  "&Assess Test...|Assess the listed test under a protocol: every criterion of every occupant",
              }));
}

TEST_F(MainFrameTest, ViewAndHelpMenusCarryTheirTextsAndPrompts)
{
    EXPECT_EQ(MenuListing(frame->menuBar(), 5),
              (QStringList{
                  "&Sort>",
                  "  by &Name|Sort the List by Filename",
                  "  by &Extension|Sort the List by the file Extesion",
                  "-",
                  "&Rvf Header|Show the Rvf Information for the Curve",
                  "&Limit Lines|Show or hide the limit lines and bands of a criterion on the plot",
                  "-",
                  "&Toolbar|Show or hide the toolbar",
                  "Status &Bar|Show or hide the status bar",
              }));
    EXPECT_EQ(MenuListing(frame->menuBar(), 6), (QStringList{"&About Ondrel...|Display program information,"}));
}

TEST_F(MainFrameTest, ToolbarButtonsStandInOrderWithIconsAndTooltips)
{
    QStringList buttons;
    for (QAction* action : frame->ToolBar()->actions()) {
        if (action->isSeparator()) {
            buttons << QStringLiteral("|");
            continue;
        }
        EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
        buttons << action->toolTip();
    }
    EXPECT_EQ(buttons,
              (QStringList{"Open", "HitList", "|", "Rvf", "Ascii", "|", "Copy", "Print", "|", "Info", "Reload", "|",
                           "CFC 60", "CFC 180", "CFC 600", "CFC 1000", "|", "About"}));
    EXPECT_EQ(frame->CommandAction(ID_FILTER_CFC60)->statusTip(), QString());
}

TEST_F(MainFrameTest, StatusBarHasMessagePaneAndLockIndicators)
{
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
    QStringList panes;
    for (int i = 0; i < 3; ++i)
        panes << frame->Indicators()->Pane(i)->text();
    EXPECT_EQ(panes, (QStringList{"CAP", "NUM", "SCRL"}));
}

TEST(CommandRules, EnableRulesFollowTheNumberOfLoadedSignals)
{
    // Loaded counts 0..4 -> enabled, one character each.
    auto row = [](int id) {
        std::string out;
        for (std::size_t n = 0; n <= 4; ++n)
            out += IsCommandEnabled(id, n, true) ? 'E' : '-';
        return out;
    };
    EXPECT_EQ(row(ID_VIEW_RVF_HEADER), "-E---");
    EXPECT_EQ(row(ID_OPERATE_RESULTANT), "--EE-");
    EXPECT_EQ(row(ID_OPERATE_AVERAGE), "-EEEE");
    EXPECT_EQ(row(ID_OPERATE_SUM), "-EEEE");
    EXPECT_EQ(row(ID_OPERATE_RATE_AGAINST_REFERENCE), "--EEE");
    EXPECT_EQ(row(ID_LABELS_SIGNAL_LABELS), "-EEEE");
    EXPECT_EQ(row(ID_INJURY_HIC), "-E-E-");
    EXPECT_EQ(row(ID_INJURY_3MS_CLIP), "-E-E-");
    EXPECT_EQ(row(ID_INJURY_208_NECK), "-E---");
    EXPECT_EQ(row(ID_INJURY_VC), "-E---");
    EXPECT_EQ(row(ID_INJURY_NIJ), "---E-");
    EXPECT_EQ(row(ID_INJURY_TIBIA_INDEX), "---E-");
    // A criterion's command takes its rule from the input counts it accepts.
    EXPECT_EQ(row(CriterionCommandId(Criteria::CriterionId::Olc)), "-E---");
    EXPECT_EQ(row(CriterionCommandId(Criteria::CriterionId::Bric)), "---E-");
    EXPECT_EQ(row(ID_OPERATE_FILTER), "EEEEE");
    EXPECT_TRUE(IsCommandEnabled(ID_LABELS_TITLE, 1, true));
    EXPECT_FALSE(IsCommandEnabled(ID_LABELS_SUBTITLE, 1, false));
}

TEST_F(MainFrameTest, WindowGreysCommandsByLoadedSignals)
{
    LoadSignals(0);
    EXPECT_FALSE(Enabled(ID_VIEW_RVF_HEADER));
    EXPECT_FALSE(Enabled(ID_OPERATE_SUM));
    LoadSignals(1);
    EXPECT_TRUE(Enabled(ID_VIEW_RVF_HEADER));
    EXPECT_TRUE(Enabled(ID_INJURY_HIC));
    EXPECT_FALSE(Enabled(ID_OPERATE_RESULTANT));
    LoadSignals(3);
    EXPECT_FALSE(Enabled(ID_VIEW_RVF_HEADER));
    EXPECT_TRUE(Enabled(ID_INJURY_NIJ));
    EXPECT_TRUE(Enabled(ID_OPERATE_RESULTANT));
    // A disabled command does not run, whatever asks for it.
    EXPECT_FALSE(frame->RunCommand(ID_VIEW_RVF_HEADER));
}

TEST_F(MainFrameTest, MultiLineTitleTogglesCheckGreyingAndSetting)
{
    QAction* multi = frame->CommandAction(ID_LABELS_MULTI_LINE_TITLE);
    EXPECT_FALSE(multi->isChecked());
    EXPECT_TRUE(Enabled(ID_LABELS_TITLE));

    std::vector<int> hints;
    QObject::connect(doc.get(), &COndrelDoc::ViewsUpdated, [&hints](int hint) { hints.push_back(hint); });
    ASSERT_TRUE(frame->RunCommand(ID_LABELS_MULTI_LINE_TITLE));
    EXPECT_TRUE(multi->isChecked());
    EXPECT_FALSE(Enabled(ID_LABELS_TITLE));
    EXPECT_FALSE(Enabled(ID_LABELS_SUBTITLE));
    EXPECT_EQ(Stored("ShortHeader"), QStringLiteral("0"));
    EXPECT_EQ(hints, (std::vector<int>{HINT_PLOT_CHANGED}));

    ASSERT_TRUE(frame->RunCommand(ID_LABELS_MULTI_LINE_TITLE));
    EXPECT_FALSE(multi->isChecked());
    EXPECT_TRUE(Enabled(ID_LABELS_SUBTITLE));
    EXPECT_EQ(Stored("ShortHeader"), QStringLiteral("1"));
}

TEST_F(MainFrameTest, SortOrderShowsItsCheckMark)
{
    QAction* byName = frame->CommandAction(ID_VIEW_SORT_NAME);
    QAction* byExtension = frame->CommandAction(ID_VIEW_SORT_EXTENSION);
    EXPECT_TRUE(byName->isChecked());
    EXPECT_FALSE(byExtension->isChecked());
    ASSERT_TRUE(frame->RunCommand(ID_VIEW_SORT_EXTENSION));
    EXPECT_EQ(Stored("Sort"), QStringLiteral("1"));
    EXPECT_FALSE(byName->isChecked());
    EXPECT_TRUE(byExtension->isChecked());
    ASSERT_TRUE(frame->RunCommand(ID_VIEW_SORT_NAME));
    EXPECT_TRUE(byName->isChecked());
    EXPECT_FALSE(byExtension->isChecked());
}

TEST_F(MainFrameTest, KeysReachTheirCommands)
{
    frame->show();
    // The title of the dialog a key opens (closed again at once).
    auto dialogAfter = [this](Qt::Key key) {
        QString title;
        AnswerNextModal([&title](QWidget* modal) {
            title = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
        });
        // A closed dialog leaves no window active on this platform.
        QApplication::setActiveWindow(frame.get());
        QTest::keyClick(frame.get(), key, Qt::ControlModifier);
        return title;
    };
    EXPECT_EQ(dialogAfter(Qt::Key_O), QStringLiteral("Select Directory to Browse"));
    LoadSignals(1);
    EXPECT_EQ(dialogAfter(Qt::Key_A), QStringLiteral("Select File Name for ASCII data"));
    EXPECT_EQ(dialogAfter(Qt::Key_F), QStringLiteral("Select Filter Class"));
    EXPECT_EQ(dialogAfter(Qt::Key_T), QStringLiteral("Select Signal Interval"));
    EXPECT_EQ(dialogAfter(Qt::Key_R), QStringLiteral("Select Time Step or Number of Points"));

    QApplication::setActiveWindow(frame.get());
    QTest::keyClick(frame.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Directory - Modified"));
}

TEST_F(MainFrameTest, FilterClassButtonsFilterTheLoadedSignals)
{
    doc->Loaded().Add({QStringLiteral("s"), RampSignal(2000), false});
    ASSERT_TRUE(frame->RunCommand(ID_FILTER_CFC180));
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_EQ(doc->Signals()[0].signal.FilterClass(), 180);
}

TEST_F(MainFrameTest, CtrlCAndCtrlInsertBothCopyThePlot)
{
    frame->show();
    LoadSignals(1);
    doc->UpdateAllViews(HINT_PLOT_CHANGED);
    ASSERT_NE(frame->PlotView()->Graph(), nullptr);
    for (Qt::Key key : {Qt::Key_C, Qt::Key_Insert}) {
        QApplication::clipboard()->clear();
        QApplication::setActiveWindow(frame.get());
        QTest::keyClick(frame.get(), key, Qt::ControlModifier);
        EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasImage()) << int(key);
    }
}

TEST_F(MainFrameTest, DataFileRequestReachesTheListAsIfSentToIt)
{
    frame->ListView()->Refill();
    EXPECT_TRUE(frame->HandleRequestText(QStringLiteral("[DataFile(/data/a.rvf)]")));
    EXPECT_TRUE(frame->HandleRequestText(QStringLiteral("/data/b.rvf")));
    EXPECT_TRUE(frame->HandleRequestText(QStringLiteral("[DataFile(/data/a.rvf)]")));
    EXPECT_FALSE(frame->HandleRequestText(QStringLiteral("[DataFile()]")));
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_EQ(doc->FileList(), (QStringList{"/data/a.rvf", "/data/b.rvf"}));
    ASSERT_EQ(frame->ListView()->count(), 2);
    EXPECT_EQ(frame->ListView()->item(1)->text(), QStringLiteral("/data/b.rvf"));
}

TEST(StartUp, RequestPathsBecomeAbsolute)
{
    const QString cwd = QDir::currentPath();
    EXPECT_EQ(WithAbsoluteRequestPaths({"--datafile", "a.rvf", "b.rvf", "--hitlist", "/l/x.hit", "--hitlist"}),
              (QStringList{"--datafile", cwd + "/a.rvf", "b.rvf", "--hitlist", "/l/x.hit", "--hitlist"}));
}

TEST_F(FrameTest, StartingWithoutArgumentsAsksForADirectoryAtOnce)
{
    qputenv("ONDREL_REQUEST_CHANNEL",
            QByteArray("ondrel-test-") + QByteArray::number(QCoreApplication::applicationPid()));
    COndrelApp app;
    ASSERT_TRUE(app.InitInstance({}));
    QString title;
    AnswerNextModal([&title](QWidget* modal) {
        title = modal->windowTitle();
        static_cast<QDialog*>(modal)->reject();
    });
    EXPECT_TRUE(WaitFor([&title] { return !title.isEmpty(); }));
    EXPECT_EQ(title, QStringLiteral("Select Directory to Browse"));
    EXPECT_FALSE(app.Doc()->List().HitMode());
    EXPECT_TRUE(app.Doc()->FileList().isEmpty());
}

TEST_F(FrameTest, StartingWithFilesBrowsesThemAsAHitlist)
{
    qputenv("ONDREL_REQUEST_CHANNEL",
            QByteArray("ondrel-test2-") + QByteArray::number(QCoreApplication::applicationPid()));
    ASSERT_TRUE(WriteRvf(Dir() + "b.rvf", RampSignal(5)));
    ASSERT_TRUE(WriteRvf(Dir() + "a.rvf", RampSignal(5)));
    COndrelApp app;
    ASSERT_TRUE(app.InitInstance({Dir() + "*.rvf"}));
    EXPECT_TRUE(WaitFor([&app] { return app.MainFrame()->ListView()->count() == 2; }));
    EXPECT_EQ(app.Doc()->FileList(), (QStringList{Dir() + "a.rvf", Dir() + "b.rvf"}));
    EXPECT_EQ(app.MainFrame()->windowTitle(), QStringLiteral("Browsing Command Line arguments"));
}

TEST_F(MainFrameTest, RateAgainstReferenceTabulatesTheRatingsAndDrawsTheCorridors)
{
    ListCommands::SelectionChanged(*doc, {}, false);
    doc->Loaded().Add({QStringLiteral("ref.rvf"), RatingPulse(0.0, "G"), false});
    doc->Loaded().Add({QStringLiteral("late.rvf"), RatingPulse(0.002, "G"), false});
    doc->Loaded().Add({QStringLiteral("force.rvf"), RatingPulse(0.0, "N"), false});
    frame->UpdateCommandStates();
    ASSERT_TRUE(Enabled(ID_OPERATE_RATE_AGAINST_REFERENCE));
    AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<CRatingsDlg*>(modal);
        QTableWidget* table = dialog->Table();
        EXPECT_EQ(dialog->ReferenceBox()->currentText(), QStringLiteral("ref.rvf"));
        ASSERT_EQ(table->rowCount(), 2);
        EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("late.rvf"));
        EXPECT_EQ(table->item(0, 3)->text(), QStringLiteral("0.900")); // 20 samples of 1001 late
        EXPECT_EQ(table->item(0, 6)->text(), QStringLiteral("2.00"));
        // Another unit: no score, the reason instead.
        EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("n/a"));
        EXPECT_TRUE(table->item(1, 7)->text().contains(QStringLiteral("Y units differ")))
            << table->item(1, 7)->text().toStdString();
        dialog->ReferenceBox()->setCurrentIndex(1);
        EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("ref.rvf"));
        EXPECT_EQ(table->item(0, 6)->text(), QStringLiteral("-2.00"));
        dialog->ReferenceBox()->setCurrentIndex(0);
        dialog->findChild<QCheckBox*>()->setChecked(true);
        dialog->accept();
    });
    ASSERT_TRUE(frame->RunCommand(ID_OPERATE_RATE_AGAINST_REFERENCE));
    const RatingCommands::CRatingBand band = RatingCommands::RatingBand(*doc);
    EXPECT_EQ(band.reference, 0);
    EXPECT_NEAR(band.inner, 2.0, 1e-5);
    EXPECT_NEAR(band.outer, 20.0, 1e-4);
    // Three curves and the four corridor bounds.
    EXPECT_EQ(frame->PlotView()->Graph()->CurveCount(), 7);
}

// Rating two curves of 250,000 samples in the window ran for many minutes
// without a word or a way out (the command line refuses them unless asked).
TEST_F(MainFrameTest, LongRatingsAreRefusedUnlessAskedAndStopAtCancel)
{
    ListCommands::SelectionChanged(*doc, {}, false);
    const auto wave = [](float phase) {
        return UniformSignal(0, 250000, 1e-5f, [phase](double t) { return std::sin(40.0 * t + phase); });
    };
    doc->Loaded().Add({QStringLiteral("ref.rvf"), wave(0.0f), false});
    doc->Loaded().Add({QStringLiteral("long.rvf"), wave(0.1f), false});
    doc->Loaded().Add({QStringLiteral("short.rvf"), RatingPulse(0.0, "G"), false});
    EXPECT_EQ(RatingCommands::LargeRatingCount(*doc, 0), 1);
    const std::vector<CRatingRow> refused = RatingCommands::RatingsAgainst(*doc, 0);
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_TRUE(refused[0].failure.contains(QStringLiteral("more than 200000 samples"))) << refused[0].failure.toStdString();
    EXPECT_FALSE(refused[1].failure.contains(QStringLiteral("more than"))) << refused[1].failure.toStdString();
    // Cancel after the first step leaves the rest unrated, said so.
    std::vector<int> steps;
    const std::vector<CRatingRow> stopped = RatingCommands::RatingsAgainst(*doc, 2, [&](int done, int) {
        steps.push_back(done);
        return done == 0;
    });
    EXPECT_EQ(steps, (std::vector<int>{0, 1}));
    ASSERT_EQ(stopped.size(), 2u);
    EXPECT_NE(stopped[0].failure, QStringLiteral("cancelled"));
    EXPECT_EQ(stopped[1].failure, QStringLiteral("cancelled"));
}
