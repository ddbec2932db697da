#include "CGraphPanels.h"

#include "CGraphFit.h"
#include "CGraphParts.h"

#include <algorithm>

namespace {

// Curves longer than this (four points per column of a wide screen) are drawn
// reduced to the columns shown; shorter ones go to the chart as they are.
constexpr int kReduceAbove = 4 * 4096;

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

} // namespace

void CGraphPanels::Set(const std::vector<int>& panelOf, const QStringList& yLabels)
{
    const int wanted = std::max<int>(1, static_cast<int>(yLabels.size()));
    m_panelOf = wanted > 1 ? panelOf : std::vector<int>{};
    m_labels = wanted > 1 ? yLabels : QStringList{};
    if (wanted != Count()) {
        // The curves sit on the axes of the panels that go.
        m_plot->clearPlottables();
        QCPLayoutGrid* body = PanelGrid(m_plot);
        for (QCPAxisRect* rect : m_rects) {
            if (rect->layout() == body) // a hidden one is outside the grid already
                body->take(rect);
            delete rect;
        }
        m_rects.clear();
        if (m_hiddenNote && m_hiddenNote->layout() == body && body->take(m_hiddenNote))
            m_hiddenNote->setVisible(false);
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
            QObject::connect(m_plot->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), x,
                             qOverload<const QCPRange&>(&QCPAxis::setRange));
            QObject::connect(x, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), m_plot->xAxis,
                             qOverload<const QCPRange&>(&QCPAxis::setRange));
            body->addElement(k, 0, rect);
            m_rects.push_back(rect);
        }
        m_shown = wanted;
    }
    m_bounds.assign(static_cast<size_t>(Count()), QRectF());
    ApplyAxisLabels();
}

void CGraphPanels::FitHeight(int height)
{
    // Each panel keeps room for its curves, tick labels and axis label; the
    // time axis's labels under the lowest take the rest.
    constexpr int kLeastPanel = 90, kTimeAxis = 40, kNoteHeight = 18;
    const int all = Count();
    int shown = all;
    if (all > 1 && (height - kTimeAxis) / kLeastPanel < all)
        shown = std::max(1, (height - kTimeAxis - kNoteHeight) / kLeastPanel);
    m_shown = shown;
    QCPLayoutGrid* grid = PanelGrid(m_plot);
    for (QCPAxisRect* rect : m_rects)
        if (rect->layout() == grid)
            grid->take(rect);
    if (m_hiddenNote && m_hiddenNote->layout() == grid)
        grid->take(m_hiddenNote);
    grid->simplify();
    for (int k = 1; k < all; ++k) {
        QCPAxisRect* rect = m_rects[static_cast<size_t>(k - 1)];
        rect->setVisible(k < shown); // its axes and curves with it
        if (k < shown)
            grid->addElement(k, 0, rect);
    }
    if (shown < all) {
        if (!m_hiddenNote) {
            m_hiddenNote = new QCPTextElement(m_plot, QString(), PixelFont(12));
            m_hiddenNote->setTextColor(QColor(120, 60, 0));
        }
        m_hiddenNote->setText(QStringLiteral("%1 more panel%2 hidden (%3): make the plot taller to show them")
                                  .arg(all - shown)
                                  .arg(all - shown == 1 ? "" : "s")
                                  .arg(m_labels.mid(shown).join(", ")));
        m_hiddenNote->setVisible(true);
        grid->addElement(shown, 0, m_hiddenNote);
    } else if (m_hiddenNote) {
        m_hiddenNote->setVisible(false);
    }
    ApplyAxisLabels();
}

QCPAxis* CGraphPanels::Axis(int panel, bool x) const
{
    if (panel <= 0 || panel > static_cast<int>(m_rects.size()))
        return x ? m_plot->xAxis : m_plot->yAxis;
    QCPAxisRect* rect = m_rects[static_cast<size_t>(panel - 1)];
    return rect->axis(x ? QCPAxis::atBottom : QCPAxis::atLeft);
}

void CGraphPanels::SetAxisLabels(const QString& xLabel, const QString& yLabel)
{
    m_xLabel = xLabel;
    m_yLabel = yLabel;
    ApplyAxisLabels();
}

void CGraphPanels::ApplyAxisLabels()
{
    const int n = Count();
    for (int k = 0; k < n; ++k) {
        Axis(k, true)->setLabel(k == std::min(n, m_shown) - 1 ? m_xLabel : QString());
        Axis(k, false)->setLabel(n > 1 ? m_labels.value(k) : m_yLabel);
    }
}

bool CGraphPanels::SetCurves(const float* x, const float* y, int curveCount, int pointsPerCurve,
                             float absent, bool reduceLong, const std::shared_ptr<const void>& owner)
{
    m_plot->clearPlottables();
    m_dataBounds = QRectF();
    m_bounds.assign(static_cast<size_t>(Count()), QRectF());
    if (!x || !y || curveCount <= 0 || pointsPerCurve <= 0)
        return false;
    for (int i = 0; i < curveCount; ++i) {
        const size_t offset = static_cast<size_t>(i) * static_cast<size_t>(pointsPerCurve);
        QCPAbstractPlottable* p = nullptr;
        int drawn = 0;
        QRectF bounds;
        const size_t k = static_cast<size_t>(i);
        const int panel = k < m_panelOf.size() && m_panelOf[k] >= 0 && m_panelOf[k] < Count() ? m_panelOf[k] : 0;
        QCPAxis* keyAxis = Axis(panel, true);
        QCPAxis* valueAxis = Axis(panel, false);
        if (reduceLong && pointsPerCurve > kReduceAbove) {
            LongCurvePoints c = CollectLongPoints(x + offset, y + offset, pointsPerCurve, absent, owner);
            drawn = c.drawn;
            bounds = c.bounds;
            if (c.sorted)
                p = AddReducedCurve(keyAxis, valueAxis, std::move(c));
        }
        if (!p) {
            CurvePoints c = CollectPoints(x + offset, y + offset, pointsPerCurve, absent);
            drawn = c.drawn;
            bounds = c.bounds;
            p = AddCurve(keyAxis, valueAxis, c);
        }
        p->setProperty("drawn", drawn);
        if (drawn > 0) {
            m_dataBounds = m_dataBounds.isNull() ? bounds : m_dataBounds.united(bounds);
            QRectF& own = m_bounds[static_cast<size_t>(panel)];
            own = own.isNull() ? bounds : own.united(bounds);
        }
    }
    return true;
}

void CGraphPanels::ClearCurves()
{
    m_plot->clearPlottables();
    m_dataBounds = QRectF();
}

void CGraphPanels::RescaleToData(const QList<CGraphMark>& marks)
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
    for (int k = 0; k < Count(); ++k) {
        Axis(k, true)->setRange(m_plot->xAxis->range());
        const QRectF& own = Count() > 1 ? m_bounds[static_cast<size_t>(k)] : m_dataBounds;
        if (own.isNull()) {
            Axis(k, false)->setRange(0.0, 1.0);
            continue;
        }
        const QCPRange y = Widened(own.top(), own.bottom());
        const double margin = kAutoScaleMargin * y.size();
        const QCPRange withMargin(y.lower - margin, y.upper + margin);
        Axis(k, false)->setRange(k == 0 ? WithLevels(withMargin, marks) : withMargin);
    }
}

void CGraphPanels::ShowRanges(double xLower, double xUpper, double yLower, double yUpper)
{
    m_plot->xAxis->setRange(xLower, xUpper);
    m_plot->yAxis->setRange(yLower, yUpper);
    for (int k = 1; k < Count(); ++k)
        Axis(k, true)->setRange(xLower, xUpper);
}
