#include "CGraphFit.h"

#include "CGraphParts.h"

#include <qcustomplot.h>

#include <QFontDatabase>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int kMaxTitleLines = 3;
constexpr int kSmallestHeaderPixels = 10;
constexpr int kAxisLabelPixels = 13;   // the axis labels' own size
constexpr int kAxisLabelSpare = 70;    // what the other axis and the margins take along an axis
constexpr int kHeaderSideMargin = 20;  // the text element's own margins, both sides
constexpr int kBelowAxes = 48;         // tick labels and the axis label under the plot area
constexpr int kLegendTop = 10;         // the legend column's top margin
constexpr int kLegendShare = 35;       // per cent of the width the legend may take
constexpr int kMostLegendColumns = 4;  // of the smallest form; more are counted instead

// The forms the legend is tried in, largest first.
struct LegendForm {
    int pixels;
    QSize icon;
};
constexpr LegendForm kLegendForms[] = {{11, {32, 18}}, {9, {22, 10}}, {8, {14, 8}}};

QCPLayoutGrid* Header(QCustomPlot* plot)
{
    return qobject_cast<QCPLayoutGrid*>(plot->plotLayout()->element(0, 0));
}

// Breaks a word wider than width into pieces that fit.
QStringList BreakWord(const QString& word, const QFontMetrics& metrics, int width)
{
    QStringList pieces;
    QString piece;
    for (const QChar c : word) {
        if (!piece.isEmpty() && metrics.horizontalAdvance(piece + c) > width) {
            pieces << piece;
            piece.clear();
        }
        piece += c;
    }
    if (!piece.isEmpty())
        pieces << piece;
    return pieces;
}

// The number of characters every label starts with, and ends with, alike
// (never the whole of the shortest).
std::pair<int, int> CommonEnds(const QStringList& labels)
{
    if (labels.size() < 2)
        return {0, 0};
    int shortest = int(labels.front().size());
    for (const QString& l : labels)
        shortest = std::min(shortest, int(l.size()));
    int prefix = 0, suffix = 0;
    const auto same = [&](auto at) {
        for (const QString& l : labels)
            if (at(l) != at(labels.front()))
                return false;
        return true;
    };
    while (prefix < shortest && same([&](const QString& l) { return l.at(prefix); }))
        ++prefix;
    while (suffix < shortest - prefix && same([&](const QString& l) { return l.at(l.size() - 1 - suffix); }))
        ++suffix;
    return {prefix, suffix};
}

// Labels too wide for textWidth lose first what all of them share at their
// start and end (channel codes of one test differ in a few characters), then
// their middle, so that shortened labels still tell the curves apart.
void ApplyLabels(QCPLegend* legend, const QFontMetrics& metrics, int textWidth)
{
    std::vector<QCPPlottableLegendItem*> items;
    QStringList labels;
    for (int i = 0; i < legend->itemCount(); ++i) {
        auto* item = qobject_cast<QCPPlottableLegendItem*>(legend->item(i)); // null for an empty cell
        if (!item)
            continue;
        items.push_back(item);
        labels << item->plottable()->property("label").toString();
    }
    const auto [prefix, suffix] = textWidth > 0 ? CommonEnds(labels) : std::pair<int, int>{0, 0};
    for (size_t i = 0; i < items.size(); ++i) {
        QString label = labels[int(i)];
        if (textWidth > 0 && metrics.horizontalAdvance(label) > textWidth) {
            const QString ellipsis = QStringLiteral("…");
            label = (prefix > 0 ? ellipsis : QString()) + label.mid(prefix, label.size() - prefix - suffix)
                    + (suffix > 0 ? ellipsis : QString());
            label = metrics.elidedText(label, Qt::ElideMiddle, textWidth);
        }
        items[i]->plottable()->setName(label);
    }
}

} // namespace

QFont PixelFont(int pixels, bool bold)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont FixedPitchFont()
{
    // Judged by the widths drawn, not by QFontInfo::fixedPitch(), which
    // reads false for some fixed-width families (Noto Sans Mono).
    const auto evenlyWide = [](const QFont& font) {
        const QFontMetrics metrics(font);
        return metrics.horizontalAdvance(QStringLiteral("iiii")) == metrics.horizontalAdvance(QStringLiteral("MMMM"));
    };
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (evenlyWide(font))
        return font;
    font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Sans Mono"),
                      QStringLiteral("Liberation Mono"), QStringLiteral("Courier New"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

QStringList WrapText(const QString& text, const QFontMetrics& metrics, int width, int maxLines)
{
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (metrics.horizontalAdvance(joined) <= width) {
            line = joined;
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        QStringList pieces = BreakWord(word, metrics, std::max(width, 1));
        line = pieces.takeLast();
        lines << pieces;
    }
    if (!line.isEmpty())
        lines << line;
    if (maxLines > 0 && lines.size() > maxLines) {
        const QString rest = lines.mid(maxLines - 1).join(QLatin1Char(' '));
        lines.resize(maxLines);
        lines.back() = metrics.elidedText(rest, Qt::ElideRight, width);
    }
    return lines;
}

QCPTextElement* NewHeaderText(QCustomPlot* plot, const QString& text, const QFont& font)
{
    auto* element = new QCPTextElement(plot, text, font);
    element->setProperty("fullText", text);
    element->setProperty("fullFont", font);
    return element;
}

void FitHeader(QCustomPlot* plot, int width)
{
    QCPLayoutGrid* header = Header(plot);
    if (!header || width <= kHeaderSideMargin)
        return;
    for (int i = 0; i < header->elementCount(); ++i) {
        auto* text = qobject_cast<QCPTextElement*>(header->elementAt(i));
        if (!text || !text->property("fullText").isValid())
            continue;
        const QString full = text->property("fullText").toString();
        // A narrow picture takes a smaller font before more lines.
        QFont font = text->property("fullFont").value<QFont>();
        QStringList lines;
        for (int pixels = font.pixelSize();; pixels -= 2) {
            font.setPixelSize(pixels);
            lines = WrapText(full, QFontMetrics(font), width - kHeaderSideMargin, kMaxTitleLines);
            if (lines.size() <= 1 || pixels - 2 < kSmallestHeaderPixels)
                break;
        }
        text->setFont(font);
        text->setText(lines.join(QLatin1Char('\n')));
    }
}

namespace {

// Every curve back in the legend, in order, without the line that counts
// the ones left out.
void LegendOfAll(QCustomPlot* plot)
{
    QCPLegend* legend = plot->legend;
    for (int i = legend->elementCount() - 1; i >= 0; --i)
        if (auto* more = qobject_cast<QCPTextElement*>(legend->elementAt(i)))
            legend->remove(more);
    legend->simplify();
    for (int i = 0; i < plot->plottableCount(); ++i)
        if (!legend->hasItemWithPlottable(plot->plottable(i)))
            plot->plottable(i)->addToLegend(legend);
    plot->setToolTip(QString());
}

// The legend as the first curves that fit one column and a line counting the
// others; the whole list in the graph's tooltip.
void LegendWithCount(QCustomPlot* plot, int room, int allowed)
{
    QCPLegend* legend = plot->legend;
    const LegendForm& form = kLegendForms[1];
    legend->setFont(PixelFont(form.pixels));
    legend->setIconSize(form.icon);
    legend->setWrap(0);
    legend->setFillOrder(QCPLayoutGrid::foRowsFirst, true);
    const int itemHeight = legend->item(0)->minimumOuterSizeHint().height() + legend->rowSpacing();
    const int count = plot->plottableCount();
    const int listed = std::clamp(room / std::max(itemHeight, 1) - 1, 1, count);
    QStringList all;
    for (int i = 0; i < count; ++i)
        all << plot->plottable(i)->property("label").toString();
    for (int i = listed; i < count; ++i)
        plot->plottable(i)->removeFromLegend(legend);
    legend->simplify();
    auto* more = new QCPTextElement(plot, QStringLiteral("and %1 more curves (the list in the tooltip)").arg(count - listed),
                                    PixelFont(form.pixels, true));
    more->setLayer(legend->layer());
    more->setTextFlags(Qt::AlignLeft | Qt::AlignVCenter);
    legend->addElement(legend->rowCount(), 0, more);
    const QFontMetrics metrics(legend->font());
    const int frame = legend->iconSize().width() + legend->iconTextPadding() + legend->item(0)->margins().left() +
                      legend->item(0)->margins().right();
    ApplyLabels(legend, metrics, std::max(allowed - frame, metrics.horizontalAdvance(QStringLiteral("W…W"))));
    more->setText(metrics.elidedText(more->text(), Qt::ElideRight, allowed));
    plot->setToolTip(all.join(QLatin1Char('\n')));
}

} // namespace

void FitLegend(QCustomPlot* plot, int width, int height)
{
    QCPLegend* legend = plot->legend;
    // Cells of a wrapped legend may be empty: only plottables count.
    const int count = plot->plottableCount();
    if (!legend->visible() || count == 0 || width <= 0 || height <= 0)
        return;
    LegendOfAll(plot);
    if (!legend->item(0))
        return;
    QCPLayoutGrid* header = Header(plot);
    const int headerHeight = header ? header->minimumOuterSizeHint().height() : 0;
    const int room = std::max(1, height - headerHeight - kBelowAxes - kLegendTop);
    const int allowed = width * kLegendShare / 100;
    for (const LegendForm& form : kLegendForms) {
        legend->setFont(PixelFont(form.pixels));
        legend->setIconSize(form.icon);
        ApplyLabels(legend, QFontMetrics(legend->font()), 0);
        const int itemHeight = legend->item(0)->minimumOuterSizeHint().height() + legend->rowSpacing();
        const int rows = std::clamp(room / std::max(itemHeight, 1), 1, count);
        legend->setWrap(rows);
        legend->setFillOrder(QCPLayoutGrid::foRowsFirst, true);
        if (legend->minimumOuterSizeHint().width() <= allowed)
            return;
    }
    // Still too wide in the smallest form: labels shortened in the middle to
    // share the width allowed among the columns.
    const int columns = legend->columnCount();
    const QFontMetrics metrics(legend->font());
    const int frame = legend->iconSize().width() + legend->iconTextPadding() + legend->item(0)->margins().left() +
                      legend->item(0)->margins().right() + legend->columnSpacing();
    // Beyond four columns of the smallest text the legend is a wall nobody
    // reads: it then lists what fits one column and counts the rest.
    if (columns > kMostLegendColumns) {
        LegendWithCount(plot, room, allowed);
        return;
    }
    const int textWidth = std::max(metrics.horizontalAdvance(QStringLiteral("W…W")),
                                   allowed / std::max(columns, 1) - frame);
    ApplyLabels(legend, metrics, textWidth);
}

void FitAxisLabels(QCustomPlot* plot, int width, int height)
{
    QCPLayoutGrid* header = Header(plot);
    const int headerHeight = header ? header->minimumOuterSizeHint().height() : 0;
    const struct {
        QCPAxis* axis;
        int room;
    } axes[] = {{plot->xAxis, width - kAxisLabelSpare}, {plot->yAxis, height - headerHeight - kAxisLabelSpare}};
    for (const auto& a : axes) {
        QFont font = a.axis->labelFont();
        int pixels = kAxisLabelPixels;
        font.setPixelSize(pixels);
        while (pixels > kSmallestHeaderPixels &&
               QFontMetrics(font).horizontalAdvance(a.axis->label()) > std::max(a.room, 0))
            font.setPixelSize(--pixels);
        a.axis->setLabelFont(font);
    }
}

void FitToSize(QCustomPlot* plot, int width, int height)
{
    // The header first: the panels and the legend's rows depend on the room under it.
    FitHeader(plot, width);
    if (auto* chart = dynamic_cast<CChart*>(plot); chart && chart->fitPanels) {
        QCPLayoutGrid* header = Header(plot);
        chart->fitPanels(height - (header ? header->minimumOuterSizeHint().height() : 0));
    }
    FitLegend(plot, width, height);
    FitAxisLabels(plot, width, height);
}

void RestoreScreenLayout(CChart* plot)
{
    FitToSize(plot, plot->width(), plot->height());
    plot->updateLayout();
}

void InspectLayoutAt(CChart* plot, int width, int height, const std::function<void()>& inspect)
{
    const QRect screen = plot->viewport();
    FitToSize(plot, width, height);
    plot->setViewport(QRect(0, 0, width, height));
    plot->updateLayout();
    inspect();
    plot->setViewport(screen);
    RestoreScreenLayout(plot);
}
