#include "ReportPage.h"

#include <QFontMetricsF>
#include <QRegularExpression>

#include <algorithm>

namespace Report {

namespace {

constexpr double kMargin = 42;       // points: about 15 mm
constexpr double kFooterHeight = 18; // below the text area
constexpr double kCellPadding = 3;

QFont Font(double size, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(size);
    f.setBold(bold);
    // No shaping: letters are not joined into ligatures, so that the text
    // read back from the PDF is the text written ("deflection", not its "fl"
    // ligature).
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}

// The font of a cell: 8.5 points, smaller (down to 6) while a word of text
// is wider than width, so that words wrap whole; on one line, while the
// whole text is.
QFont CellFont(const QString& text, double width, bool bold, bool oneLine = false)
{
    const QStringList words = oneLine ? QStringList{text}
                                      : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    double size = 8.5;
    for (; size > 6; size -= 0.5) {
        const QFontMetricsF m(Font(size, bold));
        if (std::all_of(words.begin(), words.end(), [&](const QString& w) { return m.horizontalAdvance(w) <= width; }))
            break;
    }
    return Font(size, bold);
}

// Cells wrap at word boundaries; a word wider than its cell even at the
// smallest size breaks anywhere rather than being cut off.
int CellWrap(const QFontMetricsF& m, const QString& text, double width)
{
    if (m.horizontalAdvance(text) <= width)
        return Qt::TextSingleLine;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        if (m.horizontalAdvance(word) > width)
            return Qt::TextWordWrap | Qt::TextWrapAnywhere;
    return Qt::TextWordWrap;
}

} // namespace

CReportPage::CReportPage(QPdfWriter& writer, QString footer) : m_writer(writer), m_footer(std::move(footer))
{
    m_painter.begin(&m_writer);
    m_left = kMargin;
    m_right = m_writer.width() - kMargin;
    m_top = kMargin;
    m_bottom = m_writer.height() - kMargin - kFooterHeight;
}

CReportPage::~CReportPage()
{
    if (m_painter.isActive())
        m_painter.end();
}

void CReportPage::NewPage()
{
    if (m_page > 0)
        m_writer.newPage();
    ++m_page;
    m_y = m_top;
    Footer();
}

void CReportPage::Need(double height)
{
    if (m_page == 0 || (m_y + height > m_bottom && m_y > m_top))
        NewPage();
}

void CReportPage::Footer()
{
    m_painter.setFont(Font(8));
    m_painter.setPen(QColor(90, 90, 90));
    const QRectF line(m_left, m_writer.height() - kMargin, m_right - m_left, kFooterHeight);
    m_painter.drawLine(QPointF(m_left, line.top() - 4), QPointF(m_right, line.top() - 4));
    m_painter.drawText(line, Qt::AlignLeft | Qt::AlignTop, m_footer);
    m_painter.drawText(line, Qt::AlignRight | Qt::AlignTop, QStringLiteral("page %1").arg(m_page));
    m_painter.setPen(Qt::black);
}

void CReportPage::Heading(const QString& text, double size)
{
    m_headerCells.clear();
    m_oneLine = false;
    const QFont f = Font(size, true);
    const double h = QFontMetricsF(f).height() * 1.4;
    Need(h * 3); // a heading does not stand alone at the foot of a page
    m_painter.setFont(f);
    m_painter.setPen(Qt::black);
    m_painter.drawText(QRectF(m_left, m_y, Width(), h), Qt::AlignLeft | Qt::AlignVCenter, text);
    m_y += h;
}

void CReportPage::Paragraph(const QString& text, double size, QColor colour, double indent)
{
    m_headerCells.clear();
    m_oneLine = false;
    const QFont f = Font(size);
    const QRectF area(m_left + indent, m_y, Width() - indent, 1e6);
    const QRectF used = QFontMetricsF(f).boundingRect(area, Qt::TextWordWrap, text);
    Need(used.height() + 2);
    m_painter.setFont(f);
    m_painter.setPen(colour);
    m_painter.drawText(QRectF(m_left + indent, m_y, Width() - indent, used.height() + 1), Qt::TextWordWrap, text);
    m_painter.setPen(Qt::black);
    m_y += used.height() + 2;
}

void CReportPage::Facts(const std::vector<std::pair<QString, QString>>& lines)
{
    const double labelWidth = 150;
    for (const auto& [label, value] : lines) {
        const QFont f = Font(10.5);
        const QRectF valueArea(m_left + labelWidth, m_y, Width() - labelWidth, 1e6);
        const double h = QFontMetricsF(f).boundingRect(valueArea, Qt::TextWordWrap, value).height() + 4;
        Need(h);
        m_painter.setFont(Font(10.5, true));
        m_painter.drawText(QRectF(m_left, m_y, labelWidth, h), Qt::AlignLeft | Qt::AlignTop, label);
        m_painter.setFont(f);
        m_painter.drawText(QRectF(m_left + labelWidth, m_y, Width() - labelWidth, h), Qt::TextWordWrap, value);
        m_y += h;
    }
}

double CReportPage::RowHeight(const std::vector<double>& widths, const std::vector<Cell>& cells, bool header) const
{
    double height = 0;
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
        const double width = widths[i] - 2 * kCellPadding;
        const QFontMetricsF m(CellFont(cells[i].text, width, cells[i].bold || header, m_oneLine));
        const QRectF r(0, 0, width, 1e6);
        height = std::max(height, m.boundingRect(r, CellWrap(m, cells[i].text, width), cells[i].text).height());
    }
    // A one-line row is as tall as a line of the full size, whatever size its texts were set in.
    if (m_oneLine)
        height = std::max(height, QFontMetricsF(Font(8.5, true)).height());
    return height + 2 * kCellPadding;
}

std::vector<Cell> CReportPage::CutToFit(const std::vector<double>& widths, std::vector<Cell> cells,
                                        bool header) const
{
    // A cell is at most a quarter of a page tall: a longer text (a name of
    // thousands of characters) is cut with an ellipsis, so that every row
    // fits a page and the rows after it are shown.
    const double tallest = (m_bottom - m_top) / 4;
    for (size_t i = 0; tallest > 0 && i < cells.size() && i < widths.size(); ++i) {
        const double width = widths[i] - 2 * kCellPadding;
        const QRectF r(0, 0, width, 1e6);
        const auto heightOf = [&](const QString& text) {
            const QFontMetricsF m(CellFont(text, width, cells[i].bold || header, m_oneLine));
            return m.boundingRect(r, CellWrap(m, text, width), text).height();
        };
        if (heightOf(cells[i].text) <= tallest)
            continue;
        const QString full = cells[i].text;
        qsizetype fits = 0, over = full.size();
        while (over - fits > 1) {
            const qsizetype mid = (fits + over) / 2;
            (heightOf(full.left(mid) + QChar(0x2026)) <= tallest ? fits : over) = mid;
        }
        cells[i].text = full.left(fits) + QChar(0x2026);
    }
    return cells;
}

void CReportPage::Row(const std::vector<double>& widths, const std::vector<Cell>& given, bool header)
{
    const std::vector<Cell> cells = CutToFit(widths, given, header);
    const double height = RowHeight(widths, cells, header);
    if (header) {
        Need(height * 2); // a header does not stand alone at the foot of a page
        m_headerWidths = widths;
        m_headerCells = cells;
    } else if (m_page == 0 || (m_y + height > m_bottom && m_y > m_top)) {
        NewPage();
        if (!m_headerCells.empty())
            DrawRow(m_headerWidths, m_headerCells, true, RowHeight(m_headerWidths, m_headerCells, true));
    }
    DrawRow(widths, cells, header, height);
}

void CReportPage::DrawRow(const std::vector<double>& widths, const std::vector<Cell>& cells, bool header, double height)
{
    double x = m_left;
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
        const QRectF box(x, m_y, widths[i], height);
        const QColor fill = cells[i].fill.isValid() ? cells[i].fill : header ? QColor(225, 225, 225) : QColor();
        if (fill.isValid())
            m_painter.fillRect(box, fill);
        m_painter.setPen(QColor(160, 160, 160));
        m_painter.drawRect(box);
        // Dark fills take white text.
        m_painter.setPen(fill.isValid() && fill.lightness() < 110 ? Qt::white : Qt::black);
        const QRectF inner = box.adjusted(kCellPadding, kCellPadding, -kCellPadding, -kCellPadding);
        const QFont font = CellFont(cells[i].text, inner.width(), cells[i].bold || header, m_oneLine);
        m_painter.setFont(font);
        m_painter.drawText(inner, CellWrap(QFontMetricsF(font), cells[i].text, inner.width()) | Qt::AlignLeft | Qt::AlignVCenter,
                           cells[i].text);
        x += widths[i];
    }
    m_painter.setPen(Qt::black);
    m_y += height;
}

void CReportPage::Picture(double height, const std::function<void(QPainter&, const QRectF&)>& paint)
{
    Need(height);
    paint(m_painter, QRectF(m_left, m_y, Width(), height));
    m_y += height + 6;
}

} // namespace Report
