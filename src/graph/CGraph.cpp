#include "CGraph.h"

#include "CGraphFit.h"
#include "CGraphPanels.h"
#include "CGraphParts.h"

#include <qcustomplot.h>

#include <QMenu>
#include <QResizeEvent>
#include <QVBoxLayout>

#include <algorithm>

CGraph::CGraph(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_plot = new CChart(this);
    layout->addWidget(m_plot);
    m_panels = std::make_unique<CGraphPanels>(m_plot);
    m_plot->fitPanels = [this](int height) { m_panels->FitHeight(height); };

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
    auto* panels = new QCPLayoutGrid;
    body->addElement(0, 0, panels);
    panels->addElement(0, 0, rect);
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
    connect(m_plot, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.setToolTipsVisible(true);
        menu.addAction(m_showAll);
        menu.exec(m_plot->mapToGlobal(at));
    });
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
    if (!m_panels->SetCurves(x, y, curveCount, pointsPerCurve, m_absentValue, s_reduceLongCurves, nullptr))
        return;
    ApplyPens(m_plot, m_lineTypes, m_colourIndices);
    ApplyLegend(m_plot, m_legend);
}

void CGraph::SetCurves(std::vector<float>&& x, std::vector<float>&& y, int curveCount, int pointsPerCurve)
{
    m_arrays = std::make_shared<CurveArrays>(CurveArrays{std::move(x), std::move(y)});
    const size_t need = static_cast<size_t>(std::max(curveCount, 0)) * static_cast<size_t>(std::max(pointsPerCurve, 0));
    // Arrays shorter than the counts describe give no curves.
    const bool enough = m_arrays->x.size() >= need && m_arrays->y.size() >= need;
    if (!m_panels->SetCurves(enough ? m_arrays->x.data() : nullptr, enough ? m_arrays->y.data() : nullptr,
                             curveCount, pointsPerCurve, m_absentValue, s_reduceLongCurves, m_arrays))
        return;
    ApplyPens(m_plot, m_lineTypes, m_colourIndices);
    ApplyLegend(m_plot, m_legend);
}

void CGraph::ReturnCurves(std::vector<float>& x, std::vector<float>& y)
{
    m_panels->ClearCurves();
    // Once the curves are gone nothing else holds the arrays.
    if (m_arrays && m_arrays.use_count() == 1) {
        x = std::move(m_arrays->x);
        y = std::move(m_arrays->y);
    }
    m_arrays.reset();
}

void CGraph::SetLineTypes(const std::vector<int>& types)
{
    m_lineTypes = types;
    ApplyPens(m_plot, m_lineTypes, m_colourIndices);
}

void CGraph::SetColourIndices(const std::vector<int>& indices)
{
    m_colourIndices = indices;
    ApplyPens(m_plot, m_lineTypes, m_colourIndices);
}

void CGraph::SetTitle(const QString& title) { m_title = title; }
void CGraph::SetSubTitle(const QString& subTitle) { m_subTitle = subTitle; }

void CGraph::SetAxisLabels(const QString& xLabel, const QString& yLabel)
{
    m_panels->SetAxisLabels(xLabel, yLabel);
}

void CGraph::SetPanels(const std::vector<int>& panelOf, const QStringList& yLabels)
{
    m_panels->Set(panelOf, yLabels);
}

int CGraph::PanelCount() const { return m_panels->Count(); }

std::pair<double, double> CGraph::PanelRange(int k) const
{
    const QCPRange r = m_panels->Axis(k, false)->range();
    return {r.lower, r.upper};
}

std::pair<double, double> CGraph::PanelXRange(int k) const
{
    const QCPRange r = m_panels->Axis(k, true)->range();
    return {r.lower, r.upper};
}

void CGraph::SetLegend(const QStringList& labels)
{
    m_legend = labels;
    ApplyLegend(m_plot, m_legend);
}

void CGraph::SetTitleBlock(const QList<CGraphTitleLine>& lines) { m_titleBlock = lines; }

void CGraph::SetMarks(const QList<CGraphMark>& marks)
{
    m_marks = marks;
    for (QCPAbstractItem* item : m_markItems)
        m_plot->removeItem(item);
    m_markLabels = std::make_shared<QList<QRectF>>();
    m_markItems = AddMarkItems(m_plot, m_marks, m_markLabels);
}

void CGraph::SetNotice(const QString& notice)
{
    m_notice->setText(notice);
    m_notice->setVisible(!notice.isEmpty());
}

QString CGraph::Notice() const { return m_notice->visible() ? m_notice->text() : QString(); }

bool CGraph::eventFilter(QObject* watched, QEvent* event)
{
    // Before the chart lays itself out at its new size.
    if (watched == m_plot && event->type() == QEvent::Resize) {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        FitToSize(m_plot, size.width(), size.height());
    }
    return QWidget::eventFilter(watched, event);
}

void CGraph::Replot()
{
    BuildHeader(m_plot, m_titleBlock, m_title, m_subTitle);
    FitToSize(m_plot, m_plot->width(), m_plot->height());
    if (!m_zoomed)
        m_panels->RescaleToData(m_marks);
    m_plot->updateLayout();
    if (isVisible())
        m_plot->replot();
}

void CGraph::ResetZoom()
{
    m_zoomed = false;
    m_panels->RescaleToData(m_marks);
}

void CGraph::ZoomTo(double xLower, double xUpper, double yLower, double yUpper)
{
    m_panels->ShowRanges(xLower, xUpper, yLower, yUpper);
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

QList<QRect> CGraph::LegendItemRects(int width, int height) const
{
    QList<QRect> rects;
    InspectLayoutAt(m_plot, width, height, [&] {
        if (m_plot->legend->visible())
            for (int i = 0; i < m_plot->legend->itemCount(); ++i)
                if (const QCPAbstractLegendItem* item = m_plot->legend->item(i)) // null: an empty cell
                    rects << item->outerRect();
    });
    return rects;
}

QList<QRect> CGraph::PanelAreaRects(int width, int height) const
{
    QList<QRect> rects;
    InspectLayoutAt(m_plot, width, height, [&] {
        for (int k = 0; k < m_panels->ShownCount(); ++k)
            rects << m_panels->Axis(k, true)->axisRect()->rect();
    });
    return rects;
}

QString CGraph::LegendToolTip() const { return m_plot->toolTip(); }

QList<QRectF> CGraph::MarkLabelRects(int width, int height) const
{
    if (!m_markLabels)
        return {};
    RenderImage(width, height); // the labels find their places as they are drawn
    return *m_markLabels;
}

QRect CGraph::PlotAreaRect(int width, int height) const
{
    QRect area;
    InspectLayoutAt(m_plot, width, height, [&] { area = m_plot->axisRect()->rect(); });
    return area;
}
