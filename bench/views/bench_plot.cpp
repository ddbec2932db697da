// Renders 16 curves of 100,000 points offscreen: the time to rebuild the
// graph from the document and draw it, and the time to redraw after a zoom,
// each beside matplotlib drawing the same picture in the same run; and the
// same two times for one curve of 10,000,000 points.
#include "CGraph.h"
#include "CPlotView.h"
#include "OndrelDoc.h"

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int kCurves = 16;
constexpr int kPoints = 100000;
constexpr int kWidth = 1000;
constexpr int kHeight = 700;
constexpr int kRepeats = 7;

// The same data as plot_peer.py.
KVSignal Curve(int c)
{
    KVSignal s;
    s.Allocate(kPoints);
    const float k = 1.0f + 0.1f * float(c);
    for (int i = 0; i < kPoints; ++i) {
        const float x = float(i) * 1e-5f;
        const float y = 40.0f * k * std::sin(x * (60.0f + float(c))) * std::exp(-x * 2.0f) +
                        0.5f * std::sin(float(i) * 0.7f + float(c));
        s.SetPoint(x, y, static_cast<size_t>(i));
    }
    s.SetHasData(true);
    return s;
}

// Wall-clock and processor time of one piece of work, medians of several runs.
struct Times {
    double wall = 0.0;
    double cpu = 0.0;
};

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Times Median(int repeats, const std::function<void()>& work)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int r = 0; r < repeats; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = CpuMs();
        work();
        cpu.push_back(CpuMs() - c0);
        wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

bool PeerTimes(Times& rebuild, Times& zoom)
{
    QProcess peer;
    peer.start(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral(ONDREL_PLOT_PEER), QString::number(kCurves), QString::number(kPoints),
                QString::number(kWidth), QString::number(kHeight), QString::number(kRepeats)});
    if (!peer.waitForFinished(600000) || peer.exitCode() != 0) {
        std::fprintf(stderr, "matplotlib peer failed: %s\n", peer.readAllStandardError().constData());
        return false;
    }
    for (const QByteArray& line : peer.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 3)
            continue;
        Times* t = parts[0] == "rebuild_ms" ? &rebuild : parts[0] == "zoom_ms" ? &zoom : nullptr;
        if (t)
            *t = {parts[1].toDouble(), parts[2].toDouble()};
    }
    return rebuild.wall > 0 && zoom.wall > 0;
}

void Print(const char* what, const Times& t, const char* note = "")
{
    std::printf("%-32s wall %8.2f ms   cpu %8.2f ms   %s\n", what, t.wall, t.cpu, note);
}

void PrintRatio(const char* what, const Times& peer, const Times& ours)
{
    std::printf("%-32s wall %8.2f ms   cpu %8.2f ms   ratio wall %.1fx, cpu %.1fx (target >= 5)\n", what,
                peer.wall, peer.cpu, peer.wall / ours.wall, peer.cpu / ours.cpu);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    COndrelDoc doc;
    CPlotTexts texts;
    for (int c = 0; c < kCurves; ++c) {
        doc.Loaded().Add({QStringLiteral("curve%1.rvf").arg(c, 2, 10, QLatin1Char('0')), Curve(c)});
        texts.legend << doc.Signals().back().name;
    }
    texts.title = QStringLiteral("Sixteen curves");
    texts.xLabel = QStringLiteral("TIME SECONDS");
    texts.yLabel = QStringLiteral("ACCELERATION G");
    doc.Texts() = (texts);
    COptionsValues options = doc.Options();
    options.saveZoom = false;
    doc.SetOptions(options);

    // On screen: the view is shown, so a rebuild also paints its buffer.
    CPlotView view(&doc);
    view.resize(kWidth, kHeight);
    view.show();
    QCoreApplication::processEvents();
    const Times screenRebuild = Median(kRepeats, [&] { view.OnUpdate(HINT_PLOT_CHANGED); });
    const Times screenZoom = Median(kRepeats, [&] { view.Graph()->ZoomTo(0.2, 0.3, -20.0, 20.0); });

    // As a picture of the same size without a window (the batch and the
    // command line), the work matplotlib's figure does.
    CPlotView hidden(&doc);
    QImage image;
    const Times pictureRebuild = Median(kRepeats, [&] {
        hidden.OnUpdate(HINT_PLOT_CHANGED);
        image = hidden.Graph()->RenderImage(kWidth, kHeight);
    });
    const Times pictureZoom = Median(kRepeats, [&] {
        hidden.Graph()->ZoomTo(0.2, 0.3, -20.0, 20.0);
        image = hidden.Graph()->RenderImage(kWidth, kHeight);
    });

    std::printf("%d curves x %d points, %d x %d pixels, alternating line types, median of %d\n", kCurves,
                kPoints, kWidth, kHeight, kRepeats);
    Print("view: rebuild from doc + draw", screenRebuild, "(target < 150 ms)");
    Print("view: redraw after zoom", screenZoom, "(target < 50 ms)");
    Print("picture: rebuild + draw", pictureRebuild);
    Print("picture: redraw after zoom", pictureZoom);

    // One channel of 10,000,000 points beside them: rebuilt from the document
    // and drawn, and redrawn after a zoom (curves this long are drawn reduced
    // to the pixel columns).
    {
        COndrelDoc longDoc;
        KVSignal s;
        constexpr size_t kLong = 10000000;
        s.Allocate(kLong);
        for (size_t i = 0; i < kLong; ++i)
            s.SetPoint(float(i) * 1e-5f, 40.0f * std::sin(float(i) * 1e-4f) + 0.5f * std::sin(float(i) * 0.7f), i);
        s.SetHasData(true);
        longDoc.Loaded().Add({QStringLiteral("long.rvf"), std::move(s)});
        CPlotView longView(&longDoc);
        longView.resize(kWidth, kHeight);
        longView.show();
        QCoreApplication::processEvents();
        const Times longRebuild = Median(3, [&] { longView.OnUpdate(HINT_PLOT_CHANGED); });
        int k = 0;
        const Times longZoom = Median(5, [&] {
            const double from = 10.0 + 5.0 * k++;
            longView.Graph()->ZoomTo(from, from + 20.0, -45.0, 45.0);
        });
        std::printf("1 curve x %zu points, %d x %d pixels, median of 3 and 5\n", kLong, kWidth, kHeight);
        Print("view: rebuild from doc + draw", longRebuild, "(the file load not included)");
        Print("view: redraw after zoom", longZoom, "(target < 50 ms)");
    }
    if (argc > 1 && QByteArray(argv[1]) == "--no-peer")
        return 0;
    Times peerRebuild;
    Times peerZoom;
    if (!PeerTimes(peerRebuild, peerZoom))
        return 1;
    PrintRatio("matplotlib: rebuild + draw", peerRebuild, pictureRebuild);
    PrintRatio("matplotlib: redraw after zoom", peerZoom, pictureZoom);
    double load[1] = {0.0};
    if (getloadavg(load, 1) == 1)
        std::printf("load average while measuring: %.2f on %d processors\n", load[0], QThread::idealThreadCount());
    return 0;
}
