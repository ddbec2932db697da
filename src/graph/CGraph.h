#pragma once
// An x-y graph of several curves, the one place that talks to the chart
// library: per-curve line types, gaps for absent points, titles, axis labels,
// legend, a title block, mouse zoom and the pictures drawn from it (saving,
// printing and the clipboard are in GraphPictures.h).
#include <QColor>
#include <QImage>
#include <QList>
#include <QPen>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class CChart;
class CGraphPanels;
class QAction;
class QCPAbstractItem;
class QCPItemText;
class QPainter;
class QPrinter;

// One line of the title block: set left, centred and set right.
struct CGraphTitleLine {
    QString left;
    QString centre;
    QString right;
};

// Something drawn on the plot beside the curves: a labelled horizontal line
// (a limit), a band between two levels (from a higher to a lower performance
// limit), or a shaded stretch of X (a criterion's window, a fault found).
struct CGraphMark {
    enum Kind { Level, LevelBand, XSpan };
    Kind kind = Level;
    double from = 0; // the level (Level), the band's or stretch's one end
    double to = 0;   // the other end (LevelBand, XSpan)
    QString label;   // drawn at the right end of a level, the top of a stretch
    QColor colour;
};

class CGraph : public QWidget {
    Q_OBJECT
public:
    explicit CGraph(QWidget* parent = nullptr);
    ~CGraph() override;

    // Replaces the curves: curveCount runs of pointsPerCurve values, curve i
    // from element i * pointsPerCurve. A point whose X or Y is the absent value
    // or not finite is not drawn and breaks the line.
    void SetCurves(const float* x, const float* y, int curveCount, int pointsPerCurve);
    // The same, taking the arrays over: a long curve is then drawn from them
    // where they lie, not from a copy.
    void SetCurves(std::vector<float>&& x, std::vector<float>&& y, int curveCount, int pointsPerCurve);
    // Drops the curves and gives arrays taken over by SetCurves back, to be
    // filled again without new memory (x and y stay as they are otherwise).
    void ReturnCurves(std::vector<float>& x, std::vector<float>& y);
    // Long curves are drawn reduced to the pixel columns shown (on by
    // default); off hands the chart every point, for comparing the two.
    static void SetReduceLongCurves(bool on);
    void SetAbsentValue(float value) { m_absentValue = value; }
    float AbsentValue() const { return m_absentValue; }
    // One line type (0 to 11) per curve; curves beyond the list draw as type 0.
    void SetLineTypes(const std::vector<int>& types);
    // The colour of each curve as the colour of another curve's index (curves
    // beyond the list, and an empty list, take their own).
    void SetColourIndices(const std::vector<int>& indices);
    void SetTitle(const QString& title);
    void SetSubTitle(const QString& subTitle);
    void SetAxisLabels(const QString& xLabel, const QString& yLabel);
    // Curves in panels stacked over one shared time axis (one panel per Y
    // unit): curve i goes to panel panelOf[i] (0 on top), panel k's Y axis is
    // labelled yLabels[k]; the X label goes under the lowest panel. Empty: one
    // panel, labelled by SetAxisLabels. Set before SetCurves.
    void SetPanels(const std::vector<int>& panelOf, const QStringList& yLabels);
    int PanelCount() const;
    // The y range shown in panel k (lower, upper).
    std::pair<double, double> PanelRange(int k) const;
    // The x range shown in panel k (lower, upper): the same in every panel.
    std::pair<double, double> PanelXRange(int k) const;
    // One label per curve; an empty list hides the legend.
    void SetLegend(const QStringList& labels);
    // The title block above the plot; an empty list removes it.
    void SetTitleBlock(const QList<CGraphTitleLine>& lines);
    // The marks on the plot; levels count for the automatic Y range, so that
    // a limit above the curves is in sight. An empty list removes them.
    void SetMarks(const QList<CGraphMark>& marks);
    int MarkCount() const { return static_cast<int>(m_marks.size()); }
    // Text centred over the plot area ("No signal loaded"); empty for none.
    void SetNotice(const QString& notice);
    QString Notice() const;

    // Draws what was set. The axes follow the data unless the user zoomed.
    void Replot();
    // Back to the full data range (also a double click on the graph, and
    // "Show All" in its context menu).
    void ResetZoom();
    // The context menu's "Show All".
    QAction* ShowAllAction() const { return m_showAll; }
    // Whether the user zoomed with the mouse since the last reset.
    bool IsZoomed() const { return m_zoomed; }
    // Shows the x and y ranges given, as a mouse zoom would.
    void ZoomTo(double xLower, double xUpper, double yLower, double yUpper);

    int CurveCount() const;
    // Points of curve i that are drawn (absent ones left out).
    int DrawnPointCount(int curve) const;
    // The pen curve i is drawn with.
    QPen CurvePen(int curve) const;
    // The x and y ranges shown: lower x, upper x, lower y, upper y.
    std::vector<double> ShownRanges() const;

    // The graph drawn at width x height pixels.
    QImage RenderImage(int width, int height) const;
    // The graph as SVG, texts kept as text. The size is in hundredths of a
    // millimetre (10000 x 5000 is 100 mm by 50 mm); empty for a size below 1 mm.
    QByteArray SvgData(int width, int height) const;
    // Draws the graph into rect of painter (a PDF page, say) as vectors, texts
    // as text, laid out as a picture rect.width() pixels wide would be.
    void Paint(QPainter& painter, const QRectF& rect) const;
    // Prints one page on printer; false with the reason in error.
    bool Print(QPrinter& printer, QString* error) const;
    // Where the legend's entries and the axes fall in a picture of width x
    // height pixels (empty list without a legend).
    QList<QRect> LegendItemRects(int width, int height) const;
    QRect PlotAreaRect(int width, int height) const;
    // The plot areas of the panels shown in a picture of width x height
    // pixels, top first (panels beyond the least height each keeps are hidden).
    QList<QRect> PanelAreaRects(int width, int height) const;
    // The tooltip over the graph: every curve's label when the legend lists
    // only some of them, else empty.
    QString LegendToolTip() const;
    // Where the marks' labels fall in a picture of width x height pixels, in
    // the order of the marks that have one.
    QList<QRectF> MarkLabelRects(int width, int height) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static bool s_reduceLongCurves;
    CChart* m_plot = nullptr;
    std::unique_ptr<CGraphPanels> m_panels; // the axes the curves are drawn on
    float m_absentValue = 1.1920929e-07f;
    std::vector<int> m_lineTypes;
    std::vector<int> m_colourIndices;
    QStringList m_legend;
    QString m_title;
    QString m_subTitle;
    QList<CGraphTitleLine> m_titleBlock;
    QList<CGraphMark> m_marks;
    QList<QCPAbstractItem*> m_markItems;
    std::shared_ptr<QList<QRectF>> m_markLabels; // where the labels went when last drawn
    QCPItemText* m_notice = nullptr;
    QAction* m_showAll = nullptr;
    bool m_zoomed = false;
    struct CurveArrays {
        std::vector<float> x, y;
    };
    std::shared_ptr<CurveArrays> m_arrays; // taken over by SetCurves; the long curves read them
};
