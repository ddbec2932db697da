#include "ReportPage.h"

#include <QFontMetricsF>
#include <QRegularExpression>

#include <algorithm>

namespace Report {

namespace {

constexpr double kMargin = 42;       // points: about 15 mm
constexpr double kFooterHeight = 18; // below the text area
constexpr double kCellPadding = 3;
// Cells wrap at word boundaries; a cell with a word longer than its width (a
// long criterion name) breaks anywhere rather than being cut off.
int CellWrap(const QFontMetricsF& m, const QString& text, double width)
{
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        if (m.horizontalAdvance(word) > width)
            return Qt::TextWordWrap | Qt::TextWrapAnywhere;
    return Qt::TextWordWrap;
}

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

void CReportPage::Row(const std::vector<double>& widths, const std::vector<Cell>& cells, bool header)
{
    const QFont plain = Font(8.5), bold = Font(8.5, true);
    double height = 0;
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
        const QFontMetricsF m(cells[i].bold || header ? bold : plain);
        const QRectF r(0, 0, widths[i] - 2 * kCellPadding, 1e6);
        height = std::max(height, m.boundingRect(r, CellWrap(m, cells[i].text, r.width()), cells[i].text).height());
    }
    height += 2 * kCellPadding;
    Need(height);
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
        const QFont& font = cells[i].bold || header ? bold : plain;
        m_painter.setFont(font);
        const QRectF inner = box.adjusted(kCellPadding, kCellPadding, -kCellPadding, -kCellPadding);
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
