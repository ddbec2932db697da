#pragma once
// The plot texts built from loaded signals: the title of one signal, its
// peak subtitle and the legend labels of several.
#include <QString>
#include <QStringList>

#include <vector>

class CFileList;
class CLoadedSignals;
class KVSignal;

// The texts around the plot: what the loaded signals give and the Labels
// menu edits.
struct CPlotTexts {
    QString title;
    QString subTitle;
    QString xLabel;
    QString yLabel;
    QStringList legend; // one label per loaded signal when more than one is loaded

    // Axis labels, title, subtitle and legend from the loaded signals, the
    // channels named by their listings in list; nothing changes with none loaded.
    void Follow(const CLoadedSignals& loaded, const CFileList& list);
    // The peak subtitle of a single loaded signal, else empty.
    void FollowSubTitle(const CLoadedSignals& loaded);
};

// "name (REF), ATTACHMENT,AXIS axis, occ LOCATION" from the header; a part
// whose field is blank is left out with its punctuation, so a signal without
// test data is titled by its name alone. At most 254 characters.
QString SignalTitle(const QString& name, const KVSignal& s);

// Decimals that resolve the X spacing around point i (at least one, at most
// six): a step of 0.0001 gives four.
int XDecimals(const KVSignal& s, size_t i);

// "Ymin %.3f @ x, Ymax %.3f @ x" with each X printed to the decimals of the
// sample spacing there; empty without points; at most 46 characters.
QString PeakSubTitle(const KVSignal& s);

// Legend labels of at most limit characters that keep what tells the names
// apart: the file names (directories only where the file names clash), then
// without extensions (unless only they differ), then without common leading and trailing words
// ("_", "-", ".", " " and "/" part words), and only then shortened in the
// middle with "…". An empty name gives an empty label.
// "Test NUMBER - TITLE" when the signals all come from one numbered test, else empty.
QString SharedTestTitle(const std::vector<const KVSignal*>& loaded);
QStringList DistinguishingLabels(const QStringList& names, qsizetype limit = 16);

// What the plot says instead of curves it cannot draw: "No signal loaded"
// without signals, else one line for each signal of fewer than two points
// ("a.rvf: 1 point", "b.rvf: no points"); empty when every signal is drawn.
// names and pointCounts run in parallel.
QString PlotNotice(const QStringList& names, const std::vector<size_t>& pointCounts);
