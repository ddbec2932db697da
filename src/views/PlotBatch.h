#pragma once
// The batch run: every file of the document's list alone, plotted and
// printed or saved as a numbered picture.
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

class CGraph;
class COndrelDoc;

struct CBatchJob {
    enum class EKind { Print, Jpeg, Svg };
    EKind kind = EKind::Jpeg;
    QString directory; // pictures go here; ends in "/"
    QSize size;        // pixels for JPEG, 1/100 mm for SVG
};

struct CBatchResult {
    int done = 0;         // pictures written or pages printed
    int skipped = 0;      // files with fewer than two points: nothing to plot
    QStringList failures; // "name - reason" for every file that gave no picture
    bool cancelled = false;
};

struct CBatchHooks {
    // Redraws the plot of the document as it now stands and returns the
    // graph drawn, or null when there is none. Required.
    std::function<CGraph*()> plot;
    // Lets the window handle what is pending; never waits. May be empty.
    std::function<void()> pump;
    // Called after each plotted file with its list index and name, whether
    // its picture was made or failed; returning false ends the run there.
    // May be empty.
    std::function<bool(int index, const QString& file)> step;
};

// Runs job over doc's file list in order; list entry i makes picture i.
// The batch loads each file aside: afterwards the loaded signals, their
// modified flags, the plot texts and the plot are what they were before.
CBatchResult RunPlotBatch(COndrelDoc& doc, const CBatchJob& job, const CBatchHooks& hooks);
