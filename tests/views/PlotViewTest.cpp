#include "CGraph.h"
#include "CPlotView.h"
#include "CommandRegistry.h"
#include "LineTypes.h"
#include "ListCommands.h"
#include "OndrelSettings.h"
#include "ViewTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QSignalBlocker>
#include <QSvgRenderer>

// Regression: a signal of one point, or none left, kept the last curves on show.
TEST_F(ViewTest, ThePlotFollowsTheLoadedSignalsAndListChangesAreIgnored)
{
    CPlotView view(m_doc.get());
    ASSERT_NE(view.Graph(), nullptr);
    EXPECT_EQ(view.Graph()->Notice(), "No signal loaded");
    Load({WriteRvf("a.rvf", Pulse(500))});
    EXPECT_EQ(view.Graph()->DrawnPointCount(0), 500);
    EXPECT_TRUE(view.Graph()->Notice().isEmpty());

    const QString one = WriteText("one.txt", "0.0 1.5\n");
    Load({one});
    EXPECT_EQ(view.Graph()->CurveCount(), 0);
    EXPECT_EQ(view.Graph()->Notice(), one + ": 1 point");
    // Commands do nothing without curves.
    view.OnCopyPlot();
    EXPECT_FALSE(view.SaveJpeg(Path("none.jpg"), 320, 240));
    EXPECT_FALSE(QFile::exists(Path("none.jpg")));

    // A list change keeps the picture, even when the signals changed.
    Load({WriteRvf("b.rvf", Pulse(300))});
    {
        const QSignalBlocker quiet(m_doc.get()); // the signals go, the plot is not told
        ListCommands::SelectionChanged(*m_doc, {}, false);
    }
    m_doc->UpdateAllViews(HINT_LIST_CHANGED);
    EXPECT_EQ(view.Graph()->DrawnPointCount(0), 300);
    // The initial and the batch update rebuild: nothing loaded, nothing shown.
    view.Graph()->ZoomTo(0.1, 0.2, 0.0, 1.0);
    view.OnUpdate(HINT_BATCH_PLOT);
    EXPECT_EQ(view.Graph()->CurveCount(), 0);
    EXPECT_EQ(view.Graph()->Notice(), "No signal loaded");
    EXPECT_FALSE(view.Graph()->IsZoomed());
    EXPECT_EQ(view.Graph()->ShownRanges(), (std::vector<double>{0, 1, 0, 1}));
    EXPECT_FALSE(view.Graph()->SvgData(10000, 5000).contains("b.rvf"));
}

// Regression: the graph made on the first plot stayed hidden inside a view already shown.
TEST_F(ViewTest, TheGraphShowsInAViewAlreadyShown)
{
    CPlotView view(m_doc.get());
    view.resize(500, 400);
    view.show();
    Load({WriteRvf("a.rvf", Pulse(500))});
    ASSERT_NE(view.Graph(), nullptr);
    EXPECT_TRUE(view.Graph()->isVisible());
}

TEST_F(ViewTest, ShorterCurvesHaveGapsAndSeveralCurvesALegend)
{
    CPlotView view(m_doc.get());
    Load({WriteRvf("a.rvf", Pulse(500)), WriteRvf("b.rvf", Pulse(300, 0.5f))});
    ASSERT_NE(view.Graph(), nullptr);
    EXPECT_EQ(view.Graph()->CurveCount(), 2);
    EXPECT_EQ(view.Graph()->DrawnPointCount(0), 500);
    EXPECT_EQ(view.Graph()->DrawnPointCount(1), 300);
    const QByteArray svg = view.Graph()->SvgData(10000, 5000);
    // The legend carries the last 16 characters of each name.
    EXPECT_TRUE(svg.contains(m_doc->Texts().legend.value(1).toUtf8())) << m_doc->Texts().legend.value(1).toStdString();
    EXPECT_EQ(m_doc->Texts().legend.size(), 2);
}

TEST_F(ViewTest, MultiLineTitleShowsTheBlockForOneSignal)
{
    CPlotView view(m_doc.get());
    EXPECT_TRUE(view.ShortHeader()); // the default of "ShortHeader"
    Load({WriteRvf("a.rvf", Pulse(400))});
    view.ToggleShortHeader();
    EXPECT_FALSE(view.ShortHeader());
    EXPECT_EQ(OndrelSettings::ReadInt(OndrelSettings::kShortHeader), 0);
    QByteArray svg = view.Graph()->SvgData(10000, 7500);
    EXPECT_TRUE(svg.contains("DRIVER HEAD ACCELERATION"));
    EXPECT_TRUE(svg.contains("Vehicle Number: 0"));
    EXPECT_FALSE(svg.contains(m_doc->Texts().subTitle.left(12).toUtf8()));

    view.ToggleShortHeader();
    EXPECT_EQ(OndrelSettings::ReadInt(OndrelSettings::kShortHeader), 1);
    svg = view.Graph()->SvgData(10000, 7500);
    EXPECT_FALSE(svg.contains("Vehicle Number"));
    EXPECT_TRUE(svg.contains(m_doc->Texts().subTitle.left(12).toUtf8()));
}

TEST_F(ViewTest, TitleBlockNamesTheSignalShownAfterTheSelectionShrinks)
{
    // Guards against the block naming the file loaded last rather than the one shown.
    CPlotView view(m_doc.get());
    view.ToggleShortHeader();
    const QString first = WriteRvf("first.rvf", Pulse(400));
    Load({first, WriteRvf("second.rvf", Pulse(300))});
    ListCommands::SelectionChanged(*m_doc, {first}, false);
    const QByteArray svg = view.Graph()->SvgData(10000, 7500);
    EXPECT_TRUE(svg.contains("first.rvf"));
    EXPECT_FALSE(svg.contains("second.rvf"));
}

TEST_F(ViewTest, LineStylesReachTheGraph)
{
    CPlotView view(m_doc.get());
    QStringList files;
    for (int i = 0; i < 11; ++i)
        files << WriteRvf(QStringLiteral("c%1.rvf").arg(i), Pulse(50 + i, 1.0f + i));
    Load(files);
    const std::vector<int> expected{0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 0};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(view.Graph()->CurvePen(i), LineTypePen(expected[size_t(i)], CurveColour(i))) << i;
    COptionsValues options = m_doc->Options();
    options.lineStyle = 3;
    m_doc->SetOptions(options);
    m_doc->UpdateAllViews(HINT_PLOT_CHANGED);
    EXPECT_EQ(view.Graph()->CurvePen(7).width(), LineTypePen(6, Qt::black).width());
    EXPECT_EQ(view.Graph()->CurvePen(7).style(), Qt::SolidLine);
}

TEST_F(ViewTest, SaveZoomKeepsOrResetsTheZoom)
{
    CPlotView view(m_doc.get());
    Load({WriteRvf("a.rvf", Pulse(500))});
    const std::vector<double> fullA = view.Graph()->ShownRanges();
    view.Graph()->ZoomTo(0.01, 0.02, -5.0, 5.0);

    COptionsValues options = m_doc->Options();
    options.saveZoom = true;
    m_doc->SetOptions(options);
    Load({WriteRvf("b.rvf", Pulse(800, 2.0f))});
    EXPECT_EQ(view.Graph()->ShownRanges(), (std::vector<double>{0.01, 0.02, -5.0, 5.0}));

    options.saveZoom = false;
    m_doc->SetOptions(options);
    Load({WriteRvf("c.rvf", Pulse(800, 2.0f))});
    const std::vector<double> fullC = view.Graph()->ShownRanges();
    EXPECT_FALSE(view.Graph()->IsZoomed());
    EXPECT_NEAR(fullC[1], 0.0799, 1e-6);
    EXPECT_GT(fullC[3], fullA[3]); // the whole of the larger curve
}

TEST_F(ViewTest, SinglePicturesAndFailuresAreReported)
{
    CPlotView view(m_doc.get());
    Load({WriteRvf("a.rvf", Pulse(500))});
    EXPECT_TRUE(view.SaveJpeg(Path("p.jpg"), 640, 480));
    EXPECT_EQ(QImage(Path("p.jpg")).size(), QSize(640, 480));
    EXPECT_TRUE(m_ui.messages.isEmpty());

    // Regression: a picture that could not be written passed in silence.
    EXPECT_FALSE(view.SaveJpeg(Path("missing/p.jpg"), 640, 480));
    ASSERT_EQ(m_ui.messages.size(), 1);
    EXPECT_TRUE(m_ui.messages[0].startsWith("The picture " + Path("missing/p.jpg") + " was not saved: "));

    // Save Svg: the chosen path, 100 mm by 50 mm, and its directory kept as "OutputDir".
    m_ui.savePaths.push_back(Path("p.svg"));
    view.OnSaveSvg();
    QFile svg(Path("p.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray data = svg.readAll();
    EXPECT_TRUE(QSvgRenderer(data).isValid());
    EXPECT_TRUE(data.contains("width=\"100mm\" height=\"50mm\""));
    EXPECT_EQ(OndrelSettings::ReadString(OndrelSettings::kOutputDir), m_dir.path() + "/");

    view.OnCopyPlot();
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat("image/svg+xml"));
}

TEST_F(ViewTest, CommandsHaveTheirShortcuts)
{
    const QList<QKeySequence> copy = CommandKeys(*FindCommand(ID_EDIT_COPY_PLOT));
    EXPECT_TRUE(copy.contains(QKeySequence(Qt::CTRL | Qt::Key_C)));
    EXPECT_TRUE(copy.contains(QKeySequence(Qt::CTRL | Qt::Key_Insert)));
    EXPECT_EQ(CommandKeys(*FindCommand(ID_FILE_PRINT_PLOT)), QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_P)});
}

TEST_F(ViewTest, ACommandThatRunsOutOfMemoryIsReportedAndTheProgramGoesOn)
{
    // Regression: an allocation failure in the window's own work ended the program.
    CommandDef greedy;
    greedy.text = "Save &ImageExpress...\tCtrl+I";
    greedy.run = [](const CommandTargets&) { throw std::bad_alloc(); };
    RunCommandOn(greedy, CommandTargets{m_doc.get(), nullptr, nullptr, nullptr});
    EXPECT_EQ(m_ui.messages, QStringList{"Not enough memory for Save ImageExpress..."});
}

TEST_F(ViewTest, LimitLinesCanBeHiddenWhileWindowsStayShaded)
{
    CPlotView view(m_doc.get());
    Load({WriteRvf("a.rvf", Pulse(500))});
    CGraphMark limit{CGraphMark::Level, 80.0, 0.0, "limit", Qt::red};
    CGraphMark band{CGraphMark::LevelBand, 60.0, 40.0, "HPL-LPL", Qt::yellow};
    CGraphMark window{CGraphMark::XSpan, 0.01, 0.02, "HIC15", Qt::gray};
    view.SetMarks({limit, band, window});
    EXPECT_EQ(view.Graph()->MarkCount(), 3);
    view.ToggleLimitLines();
    EXPECT_FALSE(view.LimitLinesShown());
    EXPECT_EQ(view.Graph()->MarkCount(), 1);
    // Off, a limit above the curves no longer widens the range.
    EXPECT_LT(view.Graph()->ShownRanges()[3], 80.0);
    view.ToggleLimitLines();
    EXPECT_EQ(view.Graph()->MarkCount(), 3);
    EXPECT_GT(view.Graph()->ShownRanges()[3], 80.0);
}

// Regression: signals in G and in N shared one Y axis labelled "Mixed Units".
TEST_F(ViewTest, MixedUnitsAreStackedInPanelsOverOneTimeAxis)
{
    KVSignal force = Pulse(400, 100.0f); // peaks near 3,600
    force.SetYType("FORCE");
    force.SetYUnits("NEWTONS");
    KVSignal again = Pulse(300, 0.5f);
    again.SetYUnits(" g ");
    Load({WriteRvf("a.rvf", Pulse(500)), WriteRvf("f.rvf", force), WriteRvf("b.rvf", again)});
    CPlotView view(m_doc.get());
    CGraph* graph = view.Graph();
    ASSERT_EQ(graph->PanelCount(), 2);
    EXPECT_EQ(graph->CurveCount(), 3);
    // Each panel is scaled to its own curves: the force does not flatten the accelerations.
    const auto [gLow, gHigh] = graph->PanelRange(0);
    const auto [nLow, nHigh] = graph->PanelRange(1);
    EXPECT_LT(gHigh, 100.0);
    EXPECT_GT(nHigh, 1000.0);
    EXPECT_LT(gLow, 0.0);
    EXPECT_LT(nLow, 0.0);
    EXPECT_FALSE(graph->RenderImage(640, 480).isNull());
    // The panels share the time axis.
    EXPECT_EQ(graph->PanelXRange(1), graph->PanelXRange(0));
    EXPECT_NEAR(graph->PanelXRange(1).second, 0.0499, 1e-6);
    // One unit again: one panel.
    Load({WriteRvf("c.rvf", Pulse(200))});
    EXPECT_EQ(graph->PanelCount(), 1);
    EXPECT_EQ(graph->CurveCount(), 1);
}
