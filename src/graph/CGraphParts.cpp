#include "CGraphParts.h"

#include "CGraphFit.h"
#include "LineTypes.h"
#include "PlotDecimation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The title block: each line's three parts set left, centred and right across
// the full width.
class CTitleBlockElement : public QCPLayoutElement {
public:
    CTitleBlockElement(QCustomPlot* plot, const QList<CGraphTitleLine>& lines)
        : QCPLayoutElement(plot), m_lines(lines), m_font(PixelFont(12))
    {
        setAutoMargins(QCP::msNone);
        setMargins(QMargins(10, 4, 10, 2));
    }

    QSize minimumOuterSizeHint() const override
    {
        const int height = static_cast<int>(m_lines.size()) * QFontMetrics(m_font).height();
        return QSize(0, height + margins().top() + margins().bottom());
    }
    QSize maximumOuterSizeHint() const override
    {
        return QSize(QWIDGETSIZE_MAX, minimumOuterSizeHint().height());
    }

protected:
    void draw(QCPPainter* painter) override
    {
        painter->setFont(m_font);
        painter->setPen(Qt::black);
        const int lineHeight = QFontMetrics(m_font).height();
        for (qsizetype i = 0; i < m_lines.size(); ++i) {
            const QRect row(mRect.left(), mRect.top() + static_cast<int>(i) * lineHeight, mRect.width(),
                            lineHeight);
            const CGraphTitleLine& line = m_lines[i];
            painter->drawText(row, Qt::AlignLeft | Qt::AlignVCenter, line.left);
            painter->drawText(row, Qt::AlignHCenter | Qt::AlignVCenter, line.centre);
            painter->drawText(row, Qt::AlignRight | Qt::AlignVCenter, line.right);
        }
    }

private:
    QList<CGraphTitleLine> m_lines;
    QFont m_font;
};

// A graph whose wide lines draw quickly on screen and in pictures: the
// raster engine strokes wide antialiased polylines of dense data many times
// slower than one-pixel lines, so a wide line is drawn as one-pixel passes
// side by side. Vector output (SVG, printing) keeps the true pen.
class CFastGraph : public QCPGraph {
public:
    using QCPGraph::QCPGraph;

protected:
    void drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const override
    {
        const QPen pen = painter->pen();
        const qreal width = pen.widthF();
        if (width <= 1.0 || painter->modes().testFlag(QCPPainter::pmVectorized)) {
            QCPGraph::drawLinePlot(painter, lines);
            return;
        }
        QPen thin(pen);
        thin.setWidth(0);
        if (pen.style() != Qt::SolidLine) {
            QList<qreal> pattern = pen.dashPattern(); // in pen widths: keep the dashes' length
            for (qreal& v : pattern)
                v *= width;
            thin.setDashPattern(pattern);
        }
        static const QPointF kTwo[] = {{-0.5, -0.5}, {0.5, -0.5}, {-0.5, 0.5}, {0.5, 0.5}};
        static const QPointF kThree[] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
        const bool three = width > 2.5;
        const QPointF* offsets = three ? kThree : kTwo;
        const int count = three ? 5 : 4;
        painter->setPen(thin);
        for (int i = 0; i < count; ++i) {
            painter->translate(offsets[i]);
            QCPGraph::drawLinePlot(painter, lines);
            painter->translate(-offsets[i]);
        }
        painter->setPen(pen);
    }
};

// A long curve kept once as floats; each redraw hands the chart only the
// first, lowest, highest and last point of every pixel column of the range
// shown, at the width of whatever it draws on (screen, picture or page).
class CReducedGraph : public CFastGraph {
public:
    CReducedGraph(QCPAxis* keyAxis, QCPAxis* valueAxis, LongCurvePoints&& points)
        : CFastGraph(keyAxis, valueAxis), m_points(std::move(points))
    {
        // The chart's own sampling would thin the columns again, less exactly.
        setAdaptiveSampling(false);
    }

protected:
    void draw(QCPPainter* painter) override
    {
        Reduce();
        CFastGraph::draw(painter);
    }

private:
    void Reduce()
    {
        const QCPRange range = keyAxis()->range();
        const int columns = keyAxis()->axisRect()->width();
        if (range == m_range && columns == m_columns)
            return;
        m_range = range;
        m_columns = columns;
        ReduceToColumns(m_points.x, m_points.y, m_points.count, range.lower, range.upper, columns, m_reduced);
        QVector<QCPGraphData> data(static_cast<qsizetype>(m_reduced.x.size()));
        for (qsizetype i = 0; i < data.size(); ++i)
            data[i] = QCPGraphData(m_reduced.x[size_t(i)], m_reduced.y[size_t(i)]);
        this->data()->set(data, true);
    }

    LongCurvePoints m_points;
    ReducedCurve m_reduced;
    QCPRange m_range{0.0, 0.0};
    int m_columns = -1;
};

} // namespace

QCPLayoutElement* NewTitleBlock(QCustomPlot* plot, const QList<CGraphTitleLine>& lines)
{
    return new CTitleBlockElement(plot, lines);
}

namespace {

// Walks the drawable points of one curve: put(key, value) for each, and
// put(last key, NaN) once for a run of absent points between drawn ones.
template <class Stats, class Put>
void Collect(const float* x, const float* y, int count, float absent, Stats& c, Put put)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    bool gapPending = false;
    float lastKey = 0.0f;
    float xMin = 0.0f, xMax = 0.0f, yMin = 0.0f, yMax = 0.0f;
    for (int i = 0; i < count; ++i) {
        const float xi = x[i];
        const float yi = y[i];
        if (xi == absent || yi == absent || !std::isfinite(xi) || !std::isfinite(yi)) {
            gapPending = c.drawn > 0;
            continue;
        }
        if (gapPending) {
            put(lastKey, nan);
            gapPending = false;
        }
        if (c.drawn == 0) {
            xMin = xMax = xi;
            yMin = yMax = yi;
        } else {
            c.sorted = c.sorted && xi >= lastKey;
            xMin = std::min(xMin, xi);
            xMax = std::max(xMax, xi);
            yMin = std::min(yMin, yi);
            yMax = std::max(yMax, yi);
        }
        lastKey = xi;
        put(xi, yi);
        ++c.drawn;
    }
    if (c.drawn > 0)
        c.bounds = QRectF(QPointF(xMin, yMin), QPointF(xMax, yMax));
}

} // namespace

// The drawable points of one curve. An absent or non-finite point becomes a
// single NaN value, which the chart draws as a gap; a gap at the end is left out.
CurvePoints CollectPoints(const float* x, const float* y, int count, float absent)
{
    CurvePoints c;
    c.points.resize(count);
    // Fits: every marker follows at least one absent point that wrote nothing.
    QCPGraphData* out = c.points.data();
    int n = 0;
    Collect(x, y, count, absent, c, [&](float key, float value) {
        out[n].key = key;
        out[n++].value = value;
    });
    c.points.resize(n);
    return c;
}

LongCurvePoints CollectLongPoints(const float* x, const float* y, int count, float absent,
                                  std::shared_ptr<const void> owner)
{
    LongCurvePoints c;
    if (owner) {
        // Every point drawn means no gap marker either: the points are the
        // caller's as they lie.
        Collect(x, y, count, absent, c, [](float, float) {});
        if (c.drawn == count) {
            c.owner = std::move(owner);
            c.x = x;
            c.y = y;
            c.count = static_cast<size_t>(std::max(count, 0));
            return c;
        }
        c = LongCurvePoints{};
    }
    // Room for every point: the gap markers replace absent points.
    struct Copy {
        std::unique_ptr<float[]> x, y;
    };
    auto copy = std::make_shared<Copy>();
    copy->x.reset(new float[static_cast<size_t>(std::max(count, 0))]);
    copy->y.reset(new float[static_cast<size_t>(std::max(count, 0))]);
    float* xs = copy->x.get();
    float* ys = copy->y.get();
    size_t n = 0;
    Collect(x, y, count, absent, c, [&](float key, float value) {
        xs[n] = key;
        ys[n++] = value;
    });
    c.x = xs;
    c.y = ys;
    c.owner = std::move(copy);
    c.count = n;
    return c;
}

// A range of some width around a single value, so that a flat line shows.
QCPRange Widened(double lower, double upper)
{
    if (upper > lower)
        return QCPRange(lower, upper);
    const double half = lower == 0.0 ? 1.0 : std::abs(lower) * 0.05;
    return QCPRange(lower - half, upper + half);
}

// Curves whose X runs forward use the fast graph type; others are drawn in
// the order of their points.
QCPAbstractPlottable* AddReducedCurve(QCPAxis* x, QCPAxis* y, LongCurvePoints&& c)
{
    return new CReducedGraph(x, y, std::move(c));
}

QCPAbstractPlottable* AddCurve(QCPAxis* x, QCPAxis* y, CurvePoints& c)
{
    if (c.sorted) {
        auto* graph = new CFastGraph(x, y);
        graph->data()->set(c.points, true);
        return graph;
    }
    auto* curve = new QCPCurve(x, y);
    QVector<QCPCurveData> data;
    data.reserve(c.points.size());
    for (qsizetype i = 0; i < c.points.size(); ++i)
        data.append(QCPCurveData(static_cast<double>(i), c.points[i].key, c.points[i].value));
    curve->data()->set(data, true);
    return curve;
}

QCPLayoutGrid* BodyGrid(QCustomPlot* plot)
{
    return qobject_cast<QCPLayoutGrid*>(plot->plotLayout()->element(1, 0));
}

QCPLayoutGrid* PanelGrid(QCustomPlot* plot)
{
    return qobject_cast<QCPLayoutGrid*>(BodyGrid(plot)->element(0, 0));
}

void BuildHeader(QCustomPlot* plot, const QList<CGraphTitleLine>& titleBlock, const QString& title,
                 const QString& subTitle)
{
    auto* header = qobject_cast<QCPLayoutGrid*>(plot->plotLayout()->element(0, 0));
    header->clear();
    int row = 0;
    if (!titleBlock.isEmpty())
        header->addElement(row++, 0, NewTitleBlock(plot, titleBlock));
    if (!title.isEmpty())
        header->addElement(row++, 0, NewHeaderText(plot, title, PixelFont(15, true)));
    if (!subTitle.isEmpty())
        header->addElement(row++, 0, NewHeaderText(plot, subTitle, PixelFont(12)));
    // An empty grid would limit the column to no width and squeeze the axes;
    // an empty element of any width keeps the column free.
    if (row == 0)
        header->addElement(0, 0, new QCPLayoutElement(plot));
    plot->plotLayout()->setRowSpacing(row > 0 ? 4 : 0);
}

void ApplyPens(QCustomPlot* plot, const std::vector<int>& lineTypes, const std::vector<int>& colourIndices)
{
    for (int i = 0; i < plot->plottableCount(); ++i) {
        const size_t k = static_cast<size_t>(i);
        const int type = k < lineTypes.size() ? lineTypes[k] : 0;
        const int colour = k < colourIndices.size() ? colourIndices[k] : i;
        plot->plottable(i)->setPen(LineTypePen(type, CurveColour(colour)));
    }
}

void ApplyLegend(QCustomPlot* plot, const QStringList& labels)
{
    for (int i = 0; i < plot->plottableCount(); ++i) {
        const QString label = i < labels.size() ? labels[i] : QString();
        plot->plottable(i)->setName(label);
        plot->plottable(i)->setProperty("label", label); // FitLegend may shorten the name
    }
    // The legend column holds the legend on top of an empty filler, so that
    // the legend keeps its own height.
    QCPLayoutGrid* body = BodyGrid(plot);
    const bool show = !labels.isEmpty() && plot->plottableCount() > 0;
    const bool shown = body->hasElement(0, 1);
    if (show && !shown) {
        auto* column = new QCPLayoutGrid;
        body->addElement(0, 1, column);
        body->setColumnStretchFactor(1, 0.001);
        column->addElement(0, 0, plot->legend);
        column->addElement(1, 0, new QCPLayoutElement(plot));
        column->setRowStretchFactor(0, 0.001);
        column->setAutoMargins(QCP::msNone);
        column->setMargins(QMargins(0, 10, 6, 0));
    } else if (!show && shown) {
        auto* column = qobject_cast<QCPLayoutGrid*>(body->element(0, 1));
        column->take(plot->legend);
        body->remove(column);
        body->simplify();
    }
    plot->legend->setVisible(show);
}
