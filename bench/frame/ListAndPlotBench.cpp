// Window figures: listing a directory of 10,000 signal files into the file
// list (also once they were all checked), and selecting 16 files of 100,000
// points one after another, each selection loading and plotting; then one
// file of 10,000,000 points: the time from its selection to the first plot
// and to redraw after a zoom, with long curves reduced to pixel columns and,
// beside it, handed to the chart whole as before; and the first selection in
// freshly started processes, where nothing has been drawn before. Prints
// milliseconds. A test of 202 channels: opened into the tree, all selected.
// With --report-test TEST.mme: that test's channels all selected, and its
// report written as Export Report writes it, with and without the window's
// progress pumping events.
// Before any Qt header: its "signals" keyword would clash with a parameter name.
#include "IsoMmeWriter.h"
#include "Assessment.h"
#include "ProtocolFiles.h"
#include "TestReport.h"
#include "TestSource.h"

#include "CChannelTree.h"
#include "CFileListPane.h"
#include "CGraph.h"
#include "CMainFrame.h"
#include "CReportDlg.h"
#include "COndrelView.h"
#include "CPlotView.h"
#include "CheckCommands.h"
#include "KVFileRvf.h"
#include "KVSignal.h"
#include "ListCommands.h"
#include "OndrelDoc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

KVSignal Wave(size_t n, int k)
{
  KVSignal s;
  s.Allocate(n);
  for (size_t i = 0; i < n; ++i)
    s.SetPoint(float(i) * 1e-5f, std::sin(float(i) * 1e-3f * float(k + 1)), i);
  s.SetNfp(0);
  s.SetNlp(int(n) - 1);
  s.SetDel(1e-5f);
  s.SetXType("TIME");
  s.SetXUnits("SECONDS");
  s.SetYType("ACCELERATION");
  s.SetYUnits("G");
  s.UpdateExtremes();
  s.SetHasData(true);
  return s;
}

double Ms(const QElapsedTimer& t)
{
  return double(t.nsecsElapsed()) / 1e6;
}

double Median(std::vector<double> v)
{
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct LongTimes {
  double select = 0.0;  // selection to first plot
  double zoom = 0.0;    // median redraw after a zoom
  double showAll = 0.0; // median redraw of the whole range
};

// Selects the one file of the list and zooms in and out on its plot.
LongTimes SelectAndZoom(COndrelDoc& doc, CMainFrame& frame, bool reduce)
{
  CGraph::SetReduceLongCurves(reduce);
  COndrelView* list = frame.ListView();
  list->clearSelection();
  QApplication::processEvents();
  LongTimes times;
  QElapsedTimer t;
  t.start();
  list->item(0)->setSelected(true);
  QApplication::processEvents();
  times.select = Ms(t);
  CGraph* graph = frame.PlotView()->Graph();
  std::vector<double> zoom, all;
  for (int k = 0; k < 5; ++k) {
    const double from = 10.0 + 5.0 * k;
    t.restart();
    graph->ZoomTo(from, from + 20.0, -1.5, 1.5);
    QApplication::processEvents();
    zoom.push_back(Ms(t));
    t.restart();
    graph->ShowAllAction()->trigger();
    QApplication::processEvents();
    all.push_back(Ms(t));
  }
  times.zoom = Median(zoom);
  times.showAll = Median(all);
  std::printf("  (%zu signal loaded, %d points drawn)\n", doc.Signals().size(), graph->DrawnPointCount(0));
  return times;
}

// In a process of its own: the window, the listing of dir, then the time from
// selecting its first file to the plot. Prints "START SELECT" in ms.
int FirstPlotInFreshWindow(int argc, char** argv)
{
  QElapsedTimer start;
  start.start();
  QApplication app(argc, argv);
  QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  COndrelDoc doc;
  CMainFrame frame(&doc);
  doc.OnNewDocument();
  frame.resize(1280, 900);
  frame.show();
  doc.BrowseDirectory(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/"));
  QApplication::processEvents();
  const double shown = Ms(start);
  QElapsedTimer t;
  t.start();
  frame.ListView()->item(0)->setSelected(true);
  QApplication::processEvents();
  const double select = Ms(t);
  const bool drawn = frame.PlotView()->Graph()->DrawnPointCount(0) > 0;
  std::printf("%.1f %.1f\n", shown, select);
  return drawn ? 0 : 1;
}

// The first selection in fresh processes: median of five.
void FirstPlotInFreshProcesses(const QString& self, const QString& dir)
{
  std::vector<double> shown, select;
  for (int k = 0; k < 5; ++k) {
    QProcess child;
    child.start(self, {QStringLiteral("--first-plot"), dir});
    if (!child.waitForFinished(60000) || child.exitCode() != 0) {
      std::printf("  fresh process %d failed\n", k + 1);
      return;
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 2)
      return;
    shown.push_back(figures[0].toDouble());
    select.push_back(figures[1].toDouble());
  }
  std::printf("  fresh process, selection to first plot: %8.1f ms [%.1f .. %.1f] (median of 5; window listed %.1f ms "
              "after start)\n",
              Median(select), *std::min_element(select.begin(), select.end()),
              *std::max_element(select.begin(), select.end()), Median(shown));
}

// A test of 202 channels (0.3 s at 10 kHz) as one ISO-MME folder: opened
// into the tree of channels, then every channel selected and plotted.
int LargeTestFigures(COndrelDoc& doc, CMainFrame& frame)
{
  QTemporaryDir testDir;
  testDir.setAutoRemove(qEnvironmentVariableIsEmpty("KEEP"));
  const char* regions[] = {"HEAD", "NECK", "CHST", "PELV", "FEMR", "TIBI", "SPIN", "ABDO", "SHLD",
                           "KNEE", "ANKL", "FOOT", "ILAC", "ACTB", "LUSP", "THSP", "CLAV"};
  std::vector<KVSignal> channels;
  for (int k = 0; k < 202; ++k) {
    KVSignal s = Wave(3000, k);
    s.SetDel(1e-4f);
    for (size_t i = 0; i < s.PointCount(); ++i)
      s.X()[i] = float(i) * 1e-4f;
    const QString code = QStringLiteral("1%1%2%3H3AC%4A")
                             .arg(k % 2 ? '3' : '1')
                             .arg(QLatin1String(regions[(k / 6) % 17]))
                             .arg(k / 3, 4, 10, QLatin1Char('0'))
                             .arg(QLatin1Char("XYZ"[k % 3]));
    s.SetSensorAttachment(code.toStdString());
    s.SetCurveText(QStringLiteral("CHANNEL %1").arg(k + 1).toStdString());
    s.SetTestNumber("T202");
    s.SetYUnits("G'S"); // written as g
    channels.push_back(std::move(s));
  }
  std::vector<const KVSignal*> pointers;
  for (const KVSignal& s : channels)
    pointers.push_back(&s);
  KVErrorList errors;
  const QString folder = testDir.path() + QStringLiteral("/T202");
  if (!IsoMmeWriteTest(pointers, QFile::encodeName(folder).toStdString(), errors))
    return 1;
  frame.ListView()->clearSelection();
  QElapsedTimer t;
  t.start();
  ListCommands::AddNames(doc, {folder + QStringLiteral("/T202.mme")});
  QApplication::processEvents();
  const double open = Ms(t);
  CChannelTree* tree = frame.ListPane()->Tree();
  t.restart();
  tree->selectAll();
  QApplication::processEvents();
  std::printf("open a test of 202 channels into the tree: %.1f ms (tree shown %d); select all: %.1f ms, %zu "
              "loaded\n",
              open, frame.ListPane()->TreeShown() ? 1 : 0, Ms(t), doc.Signals().size());
  tree->clearSelection();
  QApplication::processEvents();
  return 0;
}

// A listed test of many long channels (the 200-channel test of 100,000
// samples bench_assess writes): select every channel, then write its report
// as Export Report does, with the window's progress pumping events and
// without, beside the time `kalvio report` takes for the same test.
int ReportFigures(COndrelDoc& doc, CMainFrame& frame, const QString& mme, const std::string& protocol)
{
  ListCommands::AddNames(doc, {mme});
  QApplication::processEvents();
  QElapsedTimer t;
  t.start();
  frame.ListPane()->Tree()->selectAll();
  QApplication::processEvents();
  std::printf("select all channels of %s: %.1f ms, %zu loaded\n", qPrintable(mme), Ms(t), doc.Signals().size());
  std::printf("listed as %s ...\n", doc.FileList().isEmpty() ? "" : qPrintable(doc.FileList().front()));
  std::vector<std::vector<std::string>> tests;
  KVErrorList errors;
  Assess::Protocol p;
  std::string error;
  if (!Assess::FindProtocol(Assess::ProtocolDirs({}), protocol, p, error))
    return 1;
  // As Export Report takes the listed files: the whole test from its .mme,
  // beside each channel file opened by itself as before.
  t.restart();
  tests = ListedTests(nullptr, doc.FileList(), QStringLiteral("bench"));
  std::printf("listed files into tests: %.1f ms (%zu path(s))\n", Ms(t), tests.empty() ? 0 : tests.front().size());
  std::vector<std::string> files;
  for (const QString& name : doc.FileList())
    files.push_back(QFile::encodeName(name).toStdString());
  std::vector<std::vector<std::string>> split;
  t.restart();
  if (tests.empty() || !Assess::SplitByTest(files, split, errors))
    return 1;
  std::printf("listed files split one by one, as before: %.1f ms\n", Ms(t));
  for (const auto& paths : {tests.front(), split.front()}) {
    Assess::TestSource source;
    t.restart();
    source.Open(paths, errors);
    std::printf("open the test from %zu path(s): %.1f ms\n", paths.size(), Ms(t));
  }
  QTemporaryDir out;
  // Before: the channel files one by one; now: as listed; and the window's progress pumping events.
  const struct {
    const std::vector<std::vector<std::string>>& tests;
    bool pumping;
    const char* what;
  } runs[] = {{split, false, "the channel files one by one, as before"},
              {tests, false, "as Export Report now takes them"},
              {tests, true, "the same, the window's progress pumping events"}};
  for (const auto& run : runs) {
    Report::ReportRequest request;
    request.tests = run.tests;
    request.protocol = p;
    if (run.pumping)
      request.progress = [](double) {
        QApplication::processEvents();
        return true;
      };
    t.restart();
    if (!Report::WriteReport(request, QFile::encodeName(out.filePath("r.pdf")).toStdString(), error))
      return 1;
    std::printf("report of the listed test, %s: %.1f ms\n", run.what, Ms(t));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv)
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 3 && std::strcmp(argv[1], "--first-plot") == 0)
    return FirstPlotInFreshWindow(argc, argv);
  QApplication app(argc, argv);
  QTemporaryDir settings, many, big;
  const bool largeTest = argc == 2 && std::strcmp(argv[1], "--large-test") == 0;
  const bool reportTest = argc >= 3 && std::strcmp(argv[1], "--report-test") == 0;
  if (largeTest || reportTest) {
    // The 202-channel test alone, or bench_frame --report-test TEST.mme [PROTOCOL].
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    COndrelDoc doc;
    CMainFrame frame(&doc);
    doc.OnNewDocument();
    frame.resize(1280, 900);
    frame.show();
    QApplication::processEvents();
    return largeTest ? LargeTestFigures(doc, frame)
                     : ReportFigures(doc, frame, QString::fromLocal8Bit(argv[2]), argc > 3 ? argv[3] : "un-r94");
  }
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());

  // Listing reads only the directory: the 10,000 files need no content, and
  // a file that cannot be read would show at once if listing read it.
  for (int i = 0; i < 10000; ++i) {
    QFile f(many.path() + QStringLiteral("/v%1.rvf").arg(i, 5, 10, QLatin1Char('0')));
    if (!f.open(QIODevice::WriteOnly))
      return 1;
  }
  const int kFiles = 16;
  for (int k = 0; k < kFiles; ++k) {
    const QString path = big.path() + QStringLiteral("/s%1.rvf").arg(k, 2, 10, QLatin1Char('0'));
    if (!SaveSignalAsRvf(Wave(100000, k), QFile::encodeName(path).toStdString()))
      return 1;
  }

  COndrelDoc doc;
  CMainFrame frame(&doc);
  doc.OnNewDocument();
  frame.resize(1280, 900);
  frame.show();
  QApplication::processEvents();

  for (int run = 0; run < 3; ++run) {
    QElapsedTimer t;
    t.start();
    doc.BrowseDirectory(many.path() + QStringLiteral("/"));
    const double listMs = Ms(t);
    QApplication::processEvents();
    std::printf("list 10000 files: %.1f ms (items %d; with first paint %.1f ms)\n", listMs,
                frame.ListView()->count(), Ms(t));
  }

  // Check Signals over all of them (none is a signal file), then list
  // again: a checked file's mark costs a look at its time and size.
  {
    QElapsedTimer t;
    t.start();
    CheckCommands::CheckSignals(doc, {});
    std::printf("check 10000 files (empty, no signals): %.1f ms\n", Ms(t));
    t.restart();
    doc.UpdateAllViews(HINT_LIST_CHANGED);
    std::printf("list 10000 checked files: %.1f ms\n", Ms(t));
  }

  doc.BrowseDirectory(big.path() + QStringLiteral("/"));
  QApplication::processEvents();
  COndrelView* list = frame.ListView();
  QElapsedTimer total;
  total.start();
  for (int k = 0; k < kFiles; ++k) {
    QElapsedTimer t;
    t.start();
    list->item(k)->setSelected(true);
    QApplication::processEvents();
    std::printf("select file %2d of %d (100000 points): %.1f ms, %zu loaded\n", k + 1, kFiles, Ms(t),
                doc.Signals().size());
  }
  std::printf("load and plot 16 files of 100000 points, one by one: %.1f ms in all\n", Ms(total));

  list->clearSelection();
  QElapsedTimer all;
  all.start();
  list->selectAll();
  QApplication::processEvents();
  std::printf("select all 16 at once: %.1f ms, %zu loaded\n", Ms(all), doc.Signals().size());

  if (LargeTestFigures(doc, frame) != 0)
    return 1;

  // One channel of 10,000,000 points (100 s at 100 kHz).
  QTemporaryDir huge;
  const QString hugePath = huge.path() + QStringLiteral("/long.rvf");
  if (!SaveSignalAsRvf(Wave(10000000, 0), QFile::encodeName(hugePath).toStdString()))
    return 1;
  list->clearSelection();
  doc.BrowseDirectory(huge.path() + QStringLiteral("/"));
  QApplication::processEvents();
  // Ours once more after the old way, so that neither gains from going second.
  const LongTimes first = SelectAndZoom(doc, frame, true);
  const LongTimes before = SelectAndZoom(doc, frame, false);
  const LongTimes ours = SelectAndZoom(doc, frame, true);
  std::printf("  (the first selection, reduced: %.1f ms to the first plot)\n", first.select);
  std::printf("10000000 points, plot %d x %d pixels: reduced to columns | every point to the chart\n",
              frame.PlotView()->Graph()->width(), frame.PlotView()->Graph()->height());
  std::printf("  selection to first plot: %8.1f ms | %8.1f ms (target < 1000 ms)\n", ours.select, before.select);
  std::printf("  redraw after a zoom:     %8.1f ms | %8.1f ms (target < 50 ms, median of 5)\n", ours.zoom,
              before.zoom);
  std::printf("  redraw of the whole:     %8.1f ms | %8.1f ms (median of 5)\n", ours.showAll, before.showAll);
  FirstPlotInFreshProcesses(QCoreApplication::applicationFilePath(), huge.path());
  double load[1] = {0.0};
  if (getloadavg(load, 1) == 1)
    std::printf("load average: %.2f\n", load[0]);
  return 0;
}
