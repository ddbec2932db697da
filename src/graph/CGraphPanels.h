#pragma once
// The graph's panels: axis rects stacked over one shared time axis, one per
// Y unit, the curves placed on them, and the bounds of what each panel holds,
// from which the axes are scaled to the data. Private to the graph.
#include "CGraph.h"

#include <qcustomplot.h>

#include <memory>
#include <vector>

class CGraphPanels {
public:
    // Panel 0 is the chart's own axis rect.
    explicit CGraphPanels(QCustomPlot* plot) : m_plot(plot) {}

    // One panel per Y label when there are several (curve i in panel
    // panelOf[i]), else the chart's own alone. A change in the number of
    // panels drops the curves, which sit on the axes of the panels that go.
    void Set(const std::vector<int>& panelOf, const QStringList& yLabels);
    int Count() const { return 1 + static_cast<int>(m_rects.size()); }
    // Panel k's X or Y axis; a k out of range gives the top panel's.
    QCPAxis* Axis(int panel, bool x) const;
    // The X label goes under the lowest panel, the Y label to a single panel.
    void SetAxisLabels(const QString& xLabel, const QString& yLabel);

    // Replaces the curves with curveCount runs of pointsPerCurve values, each
    // on the axes of its panel, long ones reduced to the pixel columns shown
    // when reduceLong. False, with no curves left, when x or y is missing or
    // a count is not positive.
    bool SetCurves(const float* x, const float* y, int curveCount, int pointsPerCurve, float absent,
                   bool reduceLong, const std::shared_ptr<const void>& owner);
    void ClearCurves();

    // Shows as many panels, from the top, as keep their least height in a
    // body height pixels tall; a line under them says how many are hidden.
    void FitHeight(int height);
    // The panels shown at the last fit.
    int ShownCount() const { return m_shown; }

    // Every panel's axes to the range of its curves with a margin, the top
    // panel's Y also to the levels of marks; 0 to 1 without curves.
    void RescaleToData(const QList<CGraphMark>& marks);
    // The X range given in every panel, the Y range in the top one.
    void ShowRanges(double xLower, double xUpper, double yLower, double yUpper);

private:
    void ApplyAxisLabels();

    QCustomPlot* m_plot;
    std::vector<int> m_panelOf;
    QStringList m_labels;
    QString m_xLabel;
    QString m_yLabel;
    std::vector<QCPAxisRect*> m_rects;    // the panels below the first (the chart's own axis rect)
    std::vector<QRectF> m_bounds;         // of the points drawn in each panel
    QRectF m_dataBounds;                  // of all drawn points; null without any
    QCPMarginGroup* m_margins = nullptr;  // keeps the panels' plot areas aligned
    QCPTextElement* m_hiddenNote = nullptr; // "3 panels hidden (mm, deg, V): ..." under the panels
    int m_shown = 1;
};
