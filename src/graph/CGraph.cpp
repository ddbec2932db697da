#include "CGraph.h"

#include "CGraphFit.h"
#include "CGraphParts.h"
#include "LineTypes.h"

#include <qcustomplot.h>

#include <QMenu>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Curves longer than this (four points per column of a wide screen) are drawn
// reduced to the columns shown; shorter ones go to the chart as they are.
constexpr int kReduceAbove = 4 * 4096;

// The chart with its layout reachable: after a picture of another size the
// on-screen layout is restored at once, so that mouse zoom maps correctly.
class CChart : public QCustomPlot {
public:
    using QCustomPlot::QCustomPlot;
    using QCustomPlot::updateLayout;
};

CChart* Chart(QCustomPlot* plot) { return static_cast<CChart*>(plot); }

// The room auto-scale leaves above and below the curves, as a share of their range.
constexpr double kAutoScaleMargin = 0.05;

// The Y range widened to the levels of the marks, with room beyond a level
// that sets an end, so that its line and label stay off the frame.
QCPRange WithLevels(QCPRange range, const QList<CGraphMark>& marks)
{
    double lower = range.lower, upper = range.upper;
    for (const CGraphMark& mark : marks) {
        if (mark.kind == CGraphMark::XSpan)
            continue;
        lower = std::min({lower, mark.from, mark.kind == CGraphMark::LevelBand ? mark.to : mark.from});
        upper = std::max({upper, mark.from, mark.kind == CGraphMark::LevelBand ? mark.to : mark.from});
    }
    const double room = 0.05 * (upper - lower);
    return QCPRange(lower < range.lower ? lower - room : lower, upper > range.upper ? upper + room : upper);
}

QCPLayoutGrid* HeaderGrid(QCustomPlot* plot)
{
    return qobject_cast<QCPLayoutGrid*>(plot->plotLayout()->element(0, 0));
}

QCPLayoutGrid* BodyGrid(QCustomPlot* plot)
{
    return qobject_cast<QCPLayoutGrid*>(plot->plotLayout()->element(1, 0));
}

} // namespace

CGraph::CGraph(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_plot = new CChart(this);
    layout->addWidget(m_plot);

    m_plot->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    m_plot->setNoAntialiasingOnDrag(true);
    m_plot->setInteractions(QCP::iRangeZoom);
    m_plot->setSelectionRectMode(QCP::srmZoom);
    m_plot->axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);

    for (QCPAxis* axis : {m_plot->xAxis, m_plot->yAxis}) {
        axis->setLabelFont(PixelFont(13));
        axis->setTickLabelFont(PixelFont(11));
    }
    m_plot->xAxis2->setVisible(true);
    m_plot->yAxis2->setVisible(true);
    m_plot->xAxis2->setTickLabels(false);
    m_plot->yAxis2->setTickLabels(false);
    connect(m_plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), m_plot->xAxis2,
            qOverload<const QCPRange&>(&QCPAxis::setRange));
    connect(m_plot->yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), m_plot->yAxis2,
            qOverload<const QCPRange&>(&QCPAxis::setRange));

    // Layout: a header grid (title block, title, subtitle) above a body grid
    // that holds the axes and, for several curves, the legend at the right.
    QCPLayoutGrid* main = m_plot->plotLayout();
    QCPAxisRect* rect = m_plot->axisRect();
    main->take(rect);
    main->simplify();
    auto* header = new QCPLayoutGrid;
    auto* body = new QCPLayoutGrid;
    main->addElement(0, 0, header);
    main->addElement(1, 0, body);
    main->setRowSpacing(0);
    main->setRowStretchFactor(0, 0.001);
    header->setRowSpacing(0);
    body->addElement(0, 0, rect);
    m_plot->axisRect()->insetLayout()->take(m_plot->legend);
    m_plot->legend->setFont(PixelFont(11));
    m_plot->legend->setVisible(false);

    m_notice = new QCPItemText(m_plot);
    m_notice->position->setType(QCPItemPosition::ptAxisRectRatio);
    m_notice->position->setCoords(0.5, 0.5);
    m_notice->setPositionAlignment(Qt::AlignCenter);
    m_notice->setTextAlignment(Qt::AlignCenter);
    m_notice->setFont(PixelFont(14));
    m_notice->setColor(QColor(80, 80, 80));
    m_notice->setVisible(false);

    // Unzooming by double click is not something a newcomer finds: the
    // context menu offers it by name too.
    m_showAll = new QAction(tr("Show All"), this);
    m_showAll->setToolTip(tr("Show the whole range of every curve (or double-click the plot)"));
    connect(m_showAll, &QAction::triggered, this, [this] {
        ResetZoom();
        m_plot->replot();
    });
    m_plot->setToolTip(tr("Drag to zoom; double-click or right-click > Show All to see everything"));
    m_plot->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_plot, &QWidget::customContextMenuRequested, this, &CGraph::ShowContextMenu);
    m_plot->installEventFilter(this);

    connect(m_plot, &QCustomPlot::mouseWheel, this, [this] { m_zoomed = true; });
    connect(m_plot->selectionRect(), &QCPSelectionRect::accepted, this, [this] { m_zoomed = true; });
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this] {
        ResetZoom();
        m_plot->replot();
    });
}

CGraph::~CGraph() = default;

bool CGraph::s_reduceLongCurves = true;

void CGraph::SetReduceLongCurves(bool on) { s_reduceLongCurves = on; }

void CGraph::SetCurves(const float* x, const float* y, int curveCount, int pointsPerCurve)
{
    m_arrays.reset();
    SetCurvesOf(x, y, curveCount, pointsPerCurve, nullptr);
}

void CGraph::SetCurves(std::vector<float>&& x, std::vector<float>&& y, int curveCount, int pointsPerCurve)
{
    m_arrays = std::make_shared<CurveArrays>(CurveArrays{std::move(x), std::move(y)});
    const size_t need = static_cast<size_t>(std::max(curveCount, 0)) * static_cast<size_t>(std::max(pointsPerCurve, 0));
    if (m_arrays->x.size() < need || m_arrays->y.size() < need)
        SetCurvesOf(nullptr, nullptr, 0, 0, nullptr); // not the arrays the counts describe: no curves
    else
        SetCurvesOf(m_arrays->x.data(), m_arrays->y.data(), curveCount, pointsPerCurve, m_arrays);
}

void CGraph::ReturnCurves(std::vector<float>& x, std::vector<float>& y)
{
    m_plot->clearPlottables();
    m_dataBounds = QRectF();
    // Once the curves are gone nothing else holds the arrays.
    if (m_arrays && m_arrays.use_count() == 1) {
        x = std::move(m_arrays->x);
        y = std::move(m_arrays->y);
    }
    m_arrays.reset();
}

void CGraph::SetCurvesOf(const float* x, const float* y, int curveCount, int pointsPerCurve,
                         const std::shared_ptr<const void>& owner)
{
    m_plot->clearPlottables();
    m_dataBounds = QRectF();
    m_panelBounds.assign(static_cast<size_t>(PanelCount()), QRectF());
    if (!x || !y || curveCount <= 0 || pointsPerCurve <= 0)
        return;
    for (int i = 0; i < curveCount; ++i) {
        const size_t offset = static_cast<size_t>(i) * static_cast<size_t>(pointsPerCurve);
        QCPAbstractPlottable* p = nullptr;
        int drawn = 0;
        QRectF bounds;
        const size_t k = static_cast<size_t>(i);
        const int panel = k < m_panelOf.size() && m_panelOf[k] >= 0 && m_panelOf[k] < PanelCount() ? m_panelOf[k] : 0;
        QCPAxis* keyAxis = PanelAxis(panel, true);
        QCPAxis* valueAxis = PanelAxis(panel, false);
        if (s_reduceLongCurves && pointsPerCurve > kReduceAbove) {
            LongCurvePoints c = CollectLongPoints(x + offset, y + offset, pointsPerCurve, m_absentValue, owner);
            drawn = c.drawn;
            bounds = c.bounds;
            if (c.sorted)
                p = AddReducedCurve(keyAxis, valueAxis, std::move(c));
        }
        if (!p) {
            CurvePoints c = CollectPoints(x + offset, y + offset, pointsPerCurve, m_absentValue);
            drawn = c.drawn;
            bounds = c.bounds;
            p = AddCurve(keyAxis, valueAxis, c);
        }
        p->setProperty("drawn", drawn);
        if (drawn > 0) {
            m_dataBounds = m_dataBounds.isNull() ? bounds : m_dataBounds.united(bounds);
            QRectF& own = m_panelBounds[static_cast<size_t>(panel)];
            own = own.isNull() ? bounds : own.united(bounds);
        }
    }
    ApplyPens();
    ApplyLegend();
}

void CGraph::SetLineTypes(const std::vector<int>& types)
{
    m_lineTypes = types;
    ApplyPens();
}

void CGraph::SetColourIndices(const std::vector<int>& indices)
{
    m_colourIndices = indices;
    ApplyPens();
}

void CGraph::ApplyPens()
{
    for (int i = 0; i < m_plot->plottableCount(); ++i) {
        const size_t k = static_cast<size_t>(i);
        const int type = k < m_lineTypes.size() ? m_lineTypes[k] : 0;
        const int colour = k < m_colourIndices.size() ? m_colourIndices[k] : i;
        m_plot->plottable(i)->setPen(LineTypePen(type, CurveColour(colour)));
    }
}

void CGraph::SetTitle(const QString& title) { m_title = title; }
void CGraph::SetSubTitle(const QString& subTitle) { m_subTitle = subTitle; }

void CGraph::SetAxisLabels(const QString& xLabel, const QString& yLabel)
{
    m_xLabel = xLabel;
    m_yLabel = yLabel;
    ApplyAxisLabels();
}

void CGraph::ApplyAxisLabels()
{
    const int n = PanelCount();
    for (int k = 0; k < n; ++k) {
        PanelAxis(k, true)->setLabel(k == n - 1 ? m_xLabel : QString());
        PanelAxis(k, false)->setLabel(n > 1 ? m_panelLabels.value(k) : m_yLabel);
    }
}

QCPAxis* CGraph::PanelAxis(int panel, bool x) const
{
    if (panel <= 0 || panel > static_cast<int>(m_panels.size()))
        return x ? m_plot->xAxis : m_plot->yAxis;
    QCPAxisRect* rect = m_panels[static_cast<size_t>(panel - 1)];
    return rect->axis(x ? QCPAxis::atBottom : QCPAxis::atLeft);
}

std::pair<double, double> CGraph::PanelRange(int k) const
{
    const QCPRange r = PanelAxis(k, false)->range();
    return {r.lower, r.upper};
}

std::pair<double, double> CGraph::PanelXRange(int k) const
{
    const QCPRange r = PanelAxis(k, true)->range();
    return {r.lower, r.upper};
}

void CGraph::SetPanels(const std::vector<int>& panelOf, const QStringList& yLabels)
{
    const int wanted = std::max<int>(1, static_cast<int>(yLabels.size()));
    m_panelOf = wanted > 1 ? panelOf : std::vector<int>{};
    m_panelLabels = wanted > 1 ? yLabels : QStringList{};
    if (wanted != PanelCount()) {
        // The curves sit on the axes of the panels that go.
        m_plot->clearPlottables();
        QCPLayoutGrid* body = BodyGrid(m_plot);
        for (QCPAxisRect* rect : m_panels)
            body->remove(rect);
        m_panels.clear();
        body->simplify();
        if (!m_margins) {
            m_margins = new QCPMarginGroup(m_plot);
            m_plot->axisRect()->setMarginGroup(QCP::msLeft | QCP::msRight, m_margins);
        }
        for (int k = 1; k < wanted; ++k) {
            auto* rect = new QCPAxisRect(m_plot);
            rect->setRangeZoom(Qt::Horizontal | Qt::Vertical);
            rect->setMarginGroup(QCP::msLeft | QCP::msRight, m_margins);
            for (QCPAxis* axis : {rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft)}) {
                axis->setLabelFont(PixelFont(13));
                axis->setTickLabelFont(PixelFont(11));
            }
            // One time axis: every panel follows the top one, and the top one a panel zoomed.
            QCPAxis* x = rect->axis(QCPAxis::atBottom);
            connect(m_plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), x,
                    qOverload<const QCPRange&>(&QCPAxis::setRange));
            connect(x, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), m_plot->xAxis,
                    qOverload<const QCPRange&>(&QCPAxis::setRange));
            body->addElement(k, 0, rect);
            m_panels.push_back(rect);
        }
    }
    m_panelBounds.assign(static_cast<size_t>(PanelCount()), QRectF());
    ApplyAxisLabels();
}

void CGraph::SetLegend(const QStringList& labels)
{
    m_legend = labels;
    ApplyLegend();
}

void CGraph::ApplyLegend()
{
    for (int i = 0; i < m_plot->plottableCount(); ++i) {
        const QString label = i < m_legend.size() ? m_legend[i] : QString();
        m_plot->plottable(i)->setName(label);
        m_plot->plottable(i)->setProperty("label", label); // FitLegend may shorten the name
    }
    // The legend column holds the legend on top of an empty filler, so that
    // the legend keeps its own height.
    QCPLayoutGrid* body = BodyGrid(m_plot);
    const bool show = !m_legend.isEmpty() && m_plot->plottableCount() > 0;
    const bool shown = body->hasElement(0, 1);
    if (show && !shown) {
        auto* column = new QCPLayoutGrid;
        body->addElement(0, 1, column);
        body->setColumnStretchFactor(1, 0.001);
        column->addElement(0, 0, m_plot->legend);
        column->addElement(1, 0, new QCPLayoutElement(m_plot));
        column->setRowStretchFactor(0, 0.001);
        column->setAutoMargins(QCP::msNone);
        column->setMargins(QMargins(0, 10, 6, 0));
    } else if (!show && shown) {
        auto* column = qobject_cast<QCPLayoutGrid*>(body->element(0, 1));
        column->take(m_plot->legend);
        body->remove(column);
        body->simplify();
    }
    m_plot->legend->setVisible(show);
}

void CGraph::SetTitleBlock(const QList<CGraphTitleLine>& lines) { m_titleBlock = lines; }

void CGraph::SetMarks(const QList<CGraphMark>& marks)
{
    m_marks = marks;
    ApplyMarks();
}

void CGraph::ApplyMarks()
{
    for (QCPAbstractItem* item : m_markItems)
        m_plot->removeItem(item);
    m_markItems.clear();
    for (const CGraphMark& mark : m_marks) {
        QColor fill = mark.colour;
        fill.setAlpha(mark.kind == CGraphMark::Level ? 255 : 48);
        QCPItemText* label = nullptr;
        if (!mark.label.isEmpty()) {
            label = new QCPItemText(m_plot);
            label->setText(mark.label);
            label->setColor(mark.colour.darker(130));
            label->setFont(PixelFont(11));
            label->setClipToAxisRect(true);
        }
        if (mark.kind == CGraphMark::Level) {
            auto* line = new QCPItemStraightLine(m_plot);
            line->point1->setCoords(0, mark.from);
            line->point2->setCoords(1, mark.from);
            line->setPen(QPen(mark.colour, 1.5, Qt::DashLine));
            m_markItems.append(line);
        } else {
            auto* rect = new QCPItemRect(m_plot);
            const bool band = mark.kind == CGraphMark::LevelBand;
            for (QCPItemPosition* corner : {rect->topLeft, rect->bottomRight}) {
                corner->setTypeX(band ? QCPItemPosition::ptAxisRectRatio : QCPItemPosition::ptPlotCoords);
                corner->setTypeY(band ? QCPItemPosition::ptPlotCoords : QCPItemPosition::ptAxisRectRatio);
            }
            const double lo = std::min(mark.from, mark.to), hi = std::max(mark.from, mark.to);
            rect->topLeft->setCoords(band ? 0.0 : lo, band ? hi : 0.0);
            rect->bottomRight->setCoords(band ? 1.0 : hi, band ? lo : 1.0);
            rect->setPen(Qt::NoPen);
            rect->setBrush(fill);
            m_markItems.append(rect);
        }
        if (label) {
            // A level's label sits above its right end, a stretch's at its top.
            const bool level = mark.kind != CGraphMark::XSpan;
            label->position->setTypeX(level ? QCPItemPosition::ptAxisRectRatio : QCPItemPosition::ptPlotCoords);
            label->position->setTypeY(level ? QCPItemPosition::ptPlotCoords : QCPItemPosition::ptAxisRectRatio);
            label->position->setCoords(level ? 0.995 : std::min(mark.from, mark.to),
                                       level ? std::max(mark.from, mark.to) : 0.01);
            label->setPositionAlignment(level ? (Qt::AlignRight | Qt::AlignBottom) : (Qt::AlignLeft | Qt::AlignTop));
            m_markItems.append(label);
        }
    }
}

void CGraph::SetNotice(const QString& notice)
{
    m_notice->setText(notice);
    m_notice->setVisible(!notice.isEmpty());
}

QString CGraph::Notice() const { return m_notice->visible() ? m_notice->text() : QString(); }

void CGraph::ShowContextMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.setToolTipsVisible(true);
    menu.addAction(m_showAll);
    menu.exec(m_plot->mapToGlobal(at));
}

bool CGraph::eventFilter(QObject* watched, QEvent* event)
{
    // Before the chart lays itself out at its new size.
    if (watched == m_plot && event->type() == QEvent::Resize) {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        FitToSize(size.width(), size.height());
    }
    return QWidget::eventFilter(watched, event);
}

void CGraph::FitToSize(int width, int height) const
{
    // The header first: the legend's rows depend on the room under it.
    FitHeader(m_plot, width);
    FitLegend(m_plot, width, height);
    FitAxisLabels(m_plot, width, height);
}

void CGraph::FitToScreen() const { FitToSize(m_plot->width(), m_plot->height()); }

void CGraph::RestoreScreenLayout() const
{
    FitToScreen();
    Chart(m_plot)->updateLayout();
}

void CGraph::RebuildLayout()
{
    QCPLayoutGrid* header = HeaderGrid(m_plot);
    header->clear();
    int row = 0;
    if (!m_titleBlock.isEmpty())
        header->addElement(row++, 0, NewTitleBlock(m_plot, m_titleBlock));
    if (!m_title.isEmpty())
        header->addElement(row++, 0, NewHeaderText(m_plot, m_title, PixelFont(15, true)));
    if (!m_subTitle.isEmpty())
        header->addElement(row++, 0, NewHeaderText(m_plot, m_subTitle, PixelFont(12)));
    // An empty grid would limit the column to no width and squeeze the axes;
    // an empty element of any width keeps the column free.
    if (row == 0)
        header->addElement(0, 0, new QCPLayoutElement(m_plot));
    m_plot->plotLayout()->setRowSpacing(row > 0 ? 4 : 0);
}

void CGraph::RescaleToData()
{
    // The bounds come from collecting the points: scanning the chart's data
    // again would cost as much as drawing it.
    if (m_plot->plottableCount() == 0 || m_dataBounds.isNull()) {
        // An empty graph shows no range that belonged to curves now gone.
        m_plot->xAxis->setRange(0.0, 1.0);
        m_plot->yAxis->setRange(0.0, 1.0);
        return;
    }
    m_plot->xAxis->setRange(Widened(m_dataBounds.left(), m_dataBounds.right()));
    // A margin of 5 % keeps a clipped plateau or a peak off the frame; each
    // panel is scaled to its own curves, the marks belong to the top one.
    for (int k = 0; k < PanelCount(); ++k) {
        PanelAxis(k, true)->setRange(m_plot->xAxis->range());
        const QRectF& own = PanelCount() > 1 ? m_panelBounds[static_cast<size_t>(k)] : m_dataBounds;
        if (own.isNull()) {
            PanelAxis(k, false)->setRange(0.0, 1.0);
            continue;
        }
        const QCPRange y = Widened(own.top(), own.bottom());
        const double margin = kAutoScaleMargin * y.size();
        const QCPRange withMargin(y.lower - margin, y.upper + margin);
        PanelAxis(k, false)->setRange(k == 0 ? WithLevels(withMargin, m_marks) : withMargin);
    }
}

void CGraph::Replot()
{
    RebuildLayout();
    FitToScreen();
    if (!m_zoomed)
        RescaleToData();
    Chart(m_plot)->updateLayout();
    if (isVisible())
        m_plot->replot();
}

void CGraph::ResetZoom()
{
    m_zoomed = false;
    RescaleToData();
}

void CGraph::ZoomTo(double xLower, double xUpper, double yLower, double yUpper)
{
    m_plot->xAxis->setRange(xLower, xUpper);
    m_plot->yAxis->setRange(yLower, yUpper);
    for (int k = 1; k < PanelCount(); ++k)
        PanelAxis(k, true)->setRange(xLower, xUpper);
    m_zoomed = true;
    if (isVisible())
        m_plot->replot();
}

int CGraph::CurveCount() const { return m_plot->plottableCount(); }

int CGraph::DrawnPointCount(int curve) const
{
    if (curve < 0 || curve >= m_plot->plottableCount())
        return 0;
    return m_plot->plottable(curve)->property("drawn").toInt();
}

QPen CGraph::CurvePen(int curve) const
{
    if (curve < 0 || curve >= m_plot->plottableCount())
        return {};
    return m_plot->plottable(curve)->pen();
}

std::vector<double> CGraph::ShownRanges() const
{
    const QCPRange x = m_plot->xAxis->range();
    const QCPRange y = m_plot->yAxis->range();
    return {x.lower, x.upper, y.lower, y.upper};
}

void CGraph::InspectLayoutAt(int width, int height, const std::function<void()>& inspect) const
{
    const QRect screen = m_plot->viewport();
    FitToSize(width, height);
    m_plot->setViewport(QRect(0, 0, width, height));
    Chart(m_plot)->updateLayout();
    inspect();
    m_plot->setViewport(screen);
    RestoreScreenLayout();
}

QList<QRect> CGraph::LegendItemRects(int width, int height) const
{
    QList<QRect> rects;
    InspectLayoutAt(width, height, [&] {
        if (m_plot->legend->visible())
            for (int i = 0; i < m_plot->legend->itemCount(); ++i)
                if (const QCPAbstractLegendItem* item = m_plot->legend->item(i)) // null: an empty cell
                    rects << item->outerRect();
    });
    return rects;
}

QRect CGraph::PlotAreaRect(int width, int height) const
{
    QRect area;
    InspectLayoutAt(width, height, [&] { area = m_plot->axisRect()->rect(); });
    return area;
}
