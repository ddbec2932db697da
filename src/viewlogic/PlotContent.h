#pragma once
// What one rebuild of the plot hands the graph, computed from the document's
// state without a window: curve buffers, line types, texts, legend and the
// title block.
#include <QString>
#include <QStringList>

#include <vector>

class KVSignal;

// The marker of points that are not drawn: 2 to the power -23.
inline constexpr float kAbsentValue = 1.1920929e-07f;

// The document state a rebuild reads.
struct PlotSource {
    std::vector<const KVSignal*> loaded; // the loaded signals in document order
    QStringList names;                    // their display names, in the same order
    QStringList labels;                   // one legend label per signal
    QString title;
    QString subTitle;
    QString xLabel;
    QString yLabel;
    QString file;           // the name loaded last, first line of the title block
    int lineStyle = 0;      // setting "LineStyle"
    bool shortHeader = true; // false: one signal gets the nine-line title block
    // The rating corridors shown around loaded signal bandReference (-1 for
    // none): reference +- bandInner and +- bandOuter.
    int bandReference = -1;
    double bandInner = 0.0;
    double bandOuter = 0.0;
};

// The graph's input for one rebuild. The buffers keep their room between
// rebuilds, so a smaller plot allocates nothing.
struct PlotContent {
    int curveCount = 0;
    int pointsPerCurve = 0;
    std::vector<float> x; // curve i at [i * pointsPerCurve, (i + 1) * pointsPerCurve)
    std::vector<float> y;
    std::vector<int> lineTypes;
    std::vector<int> colourOf; // the colour index of each curve; empty: each its own
    // Signals in different Y units: the panel of each curve (0 on top) and
    // each panel's Y label, its unit. Empty when all share one unit.
    std::vector<int> panelOf;
    QStringList panelLabels;
    QString title;
    QString subTitle;
    QString xLabel;
    QString yLabel;
    QStringList legend;     // empty for a single curve
    QStringList titleBlock; // nine lines, or none
    QString notice;         // said across the plot: no signal, or signals too short to draw
};

// Copies each signal into its run of pointsPerCurve elements; the rest of a
// shorter run holds the absent value in X and Y. Longer signals are cut.
void FillCurveBuffers(const std::vector<const KVSignal*>& loaded, int pointsPerCurve, float absentValue,
                      std::vector<float>& x, std::vector<float>& y);

// Fills content from source; the plot shows exactly the loaded signals. True
// when there are curves to draw. Without any signal every text is empty and
// the notice says so; signals of fewer than two points are named in the
// notice, and when no signal has two points there are no curves at all.
// X values are brought to seconds when the signals' time units differ. The
// rating corridors, when asked for, follow the curves as four more: the outer
// bounds dotted, the inner ones dashed.
bool BuildPlotContent(const PlotSource& source, PlotContent& content);
