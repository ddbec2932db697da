// Window figures: listing a directory of 10,000 signal files into the file
// list, and selecting 16 files of 100,000 points one after another, each
// selection loading and plotting. Prints milliseconds.
#include "CMainFrame.h"
#include "COndrelView.h"
#include "CPlotView.h"
#include "KVFileRvf.h"
#include "KVSignal.h"
#include "OndrelDoc.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

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

}  // namespace

int main(int argc, char** argv)
{
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir settings, many, big;
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
    doc.m_bHitMode = false;
    doc.m_strDirectory = many.path() + QStringLiteral("/");
    doc.UpdateAllViews(HINT_LIST_CHANGED);
    const double listMs = Ms(t);
    QApplication::processEvents();
    std::printf("list 10000 files: %.1f ms (items %d; with first paint %.1f ms)\n", listMs,
                frame.ListView()->count(), Ms(t));
  }

  doc.m_strDirectory = big.path() + QStringLiteral("/");
  doc.UpdateAllViews(HINT_LIST_CHANGED);
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
                doc.m_signals.size());
  }
  std::printf("load and plot 16 files of 100000 points, one by one: %.1f ms in all\n", Ms(total));

  list->clearSelection();
  QElapsedTimer all;
  all.start();
  list->selectAll();
  QApplication::processEvents();
  std::printf("select all 16 at once: %.1f ms, %zu loaded\n", Ms(all), doc.m_signals.size());
  return 0;
}
