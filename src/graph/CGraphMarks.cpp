// The marks on the chart: limit lines, bands between two levels, shaded
// stretches of X, and their labels, each set beside the line it names and
// clear of it and of the other labels.
#include "CGraphFit.h"
#include "CGraphParts.h"

#include <algorithm>
#include <memory>

namespace {

constexpr int kGap = 3; // pixels between a label and its line

// The label of a mark. Where it goes is decided as it is drawn, when the
// pixel of its line and the plot area of that picture are known: above the
// line at its right end, else below it, else at the left end, never over a
// label drawn before it in the same picture.
class CMarkLabel : public QCPItemText {
public:
    CMarkLabel(QCustomPlot* plot, bool level, std::shared_ptr<QList<QRectF>> placed, bool first)
        : QCPItemText(plot), m_level(level), m_placed(std::move(placed)), m_first(first)
    {
    }

protected:
    void draw(QCPPainter* painter) override
    {
        if (m_first)
            m_placed->clear();
        const QRectF area = clipRect();
        const QFontMetricsF metrics(mainFont());
        const QSizeF text = metrics.size(Qt::TextDontClip, this->text());
        const QSizeF box(text.width() + padding().left() + padding().right(),
                         text.height() + padding().top() + padding().bottom());
        const QPointF at = position->pixelPosition();
        if (!m_level) {
            // A stretch's label hangs from the top of the plot at its start.
            m_placed->append(QRectF(at, box));
            QCPItemText::draw(painter);
            return;
        }
        const double y = at.y(); // the line's row
        const double right = area.right() - 2, left = area.left() + 2;
        struct Place {
            double x, top;
            Qt::Alignment align;
        };
        // Above, then below the line, at its right end, then its left end,
        // then stepping leftwards past the labels in the way.
        QList<Place> places = {{right, y - kGap - box.height(), Qt::AlignRight | Qt::AlignBottom},
                               {right, y + kGap, Qt::AlignRight | Qt::AlignTop},
                               {left + box.width(), y - kGap - box.height(), Qt::AlignRight | Qt::AlignBottom},
                               {left + box.width(), y + kGap, Qt::AlignRight | Qt::AlignTop}};
        for (const QRectF& other : *m_placed)
            for (double top : {y - kGap - box.height(), y + kGap})
                places.append({other.left() - kGap, top,
                               top < y ? Qt::AlignRight | Qt::AlignBottom : Qt::AlignRight | Qt::AlignTop});
        const auto rectOf = [&](const Place& p) { return QRectF(p.x - box.width(), p.top, box.width(), box.height()); };
        const auto fits = [&](const QRectF& r) {
            return area.contains(r) && std::none_of(m_placed->begin(), m_placed->end(),
                                                    [&](const QRectF& o) { return o.intersects(r); });
        };
        Place chosen = places.front();
        for (const Place& p : places)
            if (fits(rectOf(p))) {
                chosen = p;
                break;
            }
        setPositionAlignment(chosen.align);
        // The position's X is a share of the plot's width; its Y stays the line's.
        position->setCoords(area.width() > 0 ? (chosen.x - area.left()) / area.width() : 0.995, position->coords().y());
        const QRectF r = rectOf(chosen);
        m_placed->append(r);
        QCPItemText::draw(painter);
    }

private:
    bool m_level;
    std::shared_ptr<QList<QRectF>> m_placed;
    bool m_first;
};

} // namespace

QList<QCPAbstractItem*> AddMarkItems(QCustomPlot* plot, const QList<CGraphMark>& marks,
                                     const std::shared_ptr<QList<QRectF>>& placed)
{
    QList<QCPAbstractItem*> items, labels;
    for (const CGraphMark& mark : marks) {
        QColor fill = mark.colour;
        fill.setAlpha(mark.kind == CGraphMark::Level ? 255 : 48);
        if (mark.kind == CGraphMark::Level) {
            auto* line = new QCPItemStraightLine(plot);
            line->point1->setCoords(0, mark.from);
            line->point2->setCoords(1, mark.from);
            line->setPen(QPen(mark.colour, 1.5, Qt::DashLine));
            items.append(line);
        } else {
            auto* rect = new QCPItemRect(plot);
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
            items.append(rect);
        }
    }
    // The labels after every line and band, so that none is drawn over.
    for (const CGraphMark& mark : marks) {
        if (mark.label.isEmpty())
            continue;
        const bool level = mark.kind != CGraphMark::XSpan;
        auto* label = new CMarkLabel(plot, level, placed, labels.isEmpty());
        label->setText(mark.label);
        label->setColor(mark.colour.darker(130));
        label->setFont(PixelFont(11));
        label->setClipToAxisRect(true);
        // A level's label names the level itself, a band's its upper edge.
        label->position->setTypeX(level ? QCPItemPosition::ptAxisRectRatio : QCPItemPosition::ptPlotCoords);
        label->position->setTypeY(level ? QCPItemPosition::ptPlotCoords : QCPItemPosition::ptAxisRectRatio);
        const double at = mark.kind == CGraphMark::Level ? mark.from : std::max(mark.from, mark.to);
        label->position->setCoords(level ? 0.995 : std::min(mark.from, mark.to), level ? at : 0.01);
        label->setPositionAlignment(level ? (Qt::AlignRight | Qt::AlignBottom) : (Qt::AlignLeft | Qt::AlignTop));
        labels.append(label);
    }
    return items + labels;
}
