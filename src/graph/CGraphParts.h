#pragma once
// The chart's own pieces behind the graph: the title block element, the
// points of one curve as the chart takes them, the curve itself, and the
// pens, legend, marks and header the graph sets on the chart.
#include "CGraph.h"

#include <qcustomplot.h>

#include <functional>
#include <memory>
#include <vector>

// The chart with its layout reachable: after a picture of another size the
// on-screen layout is restored at once, so that mouse zoom maps correctly.
class CChart : public QCustomPlot {
public:
    using QCustomPlot::QCustomPlot;
    using QCustomPlot::updateLayout;
    // Fits the panels to the height of a picture (FitToSize calls it).
    std::function<void(int height)> fitPanels;
};

// The grid under the header that holds the panels and the legend column.
QCPLayoutGrid* BodyGrid(QCustomPlot* plot);
// The grid in the body's first cell that stacks the panels, so that the
// legend column beside it runs the full height.
QCPLayoutGrid* PanelGrid(QCustomPlot* plot);

// The header's rows: the title block (when there are lines), the title and
// the subtitle (when not empty).
void BuildHeader(QCustomPlot* plot, const QList<CGraphTitleLine>& titleBlock, const QString& title,
                 const QString& subTitle);

// Curve i drawn in line type lineTypes[i] (0 beyond the list) and in the
// colour of curve colourIndices[i] (its own beyond the list).
void ApplyPens(QCustomPlot* plot, const std::vector<int>& lineTypes, const std::vector<int>& colourIndices);

// Names the curves by labels (empty beyond the list) and shows the legend at
// the right when there are labels and curves.
void ApplyLegend(QCustomPlot* plot, const QStringList& labels);

// The items that draw the marks on plot; the caller removes them again. Each
// drawing of the labels leaves where they went in placed.
QList<QCPAbstractItem*> AddMarkItems(QCustomPlot* plot, const QList<CGraphMark>& marks,
                                     const std::shared_ptr<QList<QRectF>>& placed);

// The title block's lines, set left, centred and right across the width.
QCPLayoutElement* NewTitleBlock(QCustomPlot* plot, const QList<CGraphTitleLine>& lines);

// One curve's points as the chart takes them, NaN values marking gaps.
struct CurvePoints {
    QVector<QCPGraphData> points;
    int drawn = 0;
    bool sorted = true;
    QRectF bounds; // of the drawn points: x, y, width, height
};

// The drawable points of one curve. An absent or non-finite point becomes a
// single NaN value, which the chart draws as a gap; a gap at the end is left out.
CurvePoints CollectPoints(const float* x, const float* y, int count, float absent);

// One long curve's drawable points as floats, NaN in y marking gaps: the
// caller's own arrays, or a copy, kept alive by owner.
struct LongCurvePoints {
    std::shared_ptr<const void> owner;
    const float* x = nullptr;
    const float* y = nullptr;
    size_t count = 0;
    int drawn = 0;
    bool sorted = true;
    QRectF bounds;
};

// As CollectPoints, into floats. When owner keeps x and y alive and every
// point is drawn, the points are used where they lie instead of copied.
LongCurvePoints CollectLongPoints(const float* x, const float* y, int count, float absent,
                                  std::shared_ptr<const void> owner = {});

// A curve whose X runs forward, drawn at every redraw (screen, picture, print)
// reduced to the pixel columns of the range shown, so that every peak stays.
QCPAbstractPlottable* AddReducedCurve(QCPAxis* x, QCPAxis* y, LongCurvePoints&& c);

// A range of some width around a single value, so that a flat line shows.
QCPRange Widened(double lower, double upper);

// Curves whose X runs forward use the fast graph type; others are drawn in
// the order of their points.
QCPAbstractPlottable* AddCurve(QCPAxis* x, QCPAxis* y, CurvePoints& c);
