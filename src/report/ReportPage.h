#pragma once
// Laying a report out on PDF pages: running text that wraps, headings,
// tables whose cells carry a colour, and pictures, each moving on to a new
// page when the one it is on is full. Every page gets the footer.
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <functional>
#include <vector>

namespace Report {

// One cell of a table row: its text, the colour behind it (invalid: none) and
// whether its text is bold.
struct Cell {
    Cell(QString t = {}, QColor f = {}, bool b = false) : text(std::move(t)), fill(f), bold(b) {}
    QString text;
    QColor fill;
    bool bold = false;
};

class CReportPage {
public:
    // Draws on writer, whose resolution is 72 (units are points).
    CReportPage(QPdfWriter& writer, QString footer);
    ~CReportPage();
    CReportPage(const CReportPage&) = delete;
    CReportPage& operator=(const CReportPage&) = delete;

    bool Ok() const { return m_painter.isActive(); }
    // Starts the next page (the first call starts the first).
    void NewPage();
    // Moves to a new page unless height points fit below what is there.
    void Need(double height);
    void Heading(const QString& text, double size = 15);
    // Text wrapped to the page width (indented by indent points).
    void Paragraph(const QString& text, double size = 9.5, QColor colour = Qt::black, double indent = 0);
    // Label and value lines of a cover, the labels in one column.
    void Facts(const std::vector<std::pair<QString, QString>>& lines);
    // A table row: widths in points, one per cell; header rows are bold and
    // shaded, and a table that runs onto the next page repeats its header
    // there (until a heading or paragraph ends the table). A word too wide
    // for its cell is set smaller, not broken.
    void Row(const std::vector<double>& widths, const std::vector<Cell>& cells, bool header = false);
    // The rows of the table begun next are one line high: a text longer than
    // its cell is set smaller (down to 6 points) before it wraps.
    void OneLineRows() { m_oneLine = true; }
    // A picture of the full width and height points, drawn by paint into the
    // rectangle it is given.
    void Picture(double height, const std::function<void(QPainter&, const QRectF&)>& paint);
    void Space(double points) { m_y += points; }

    double Width() const { return m_right - m_left; }
    // Where the next thing drawn goes, in points from the page's top.
    double Position() const { return m_y; }
    int PageNumber() const { return m_page; }
    QPainter& Painter() { return m_painter; }

private:
    void Footer();
    void DrawRow(const std::vector<double>& widths, const std::vector<Cell>& cells, bool header, double height);
    double RowHeight(const std::vector<double>& widths, const std::vector<Cell>& cells, bool header) const;
    // cells with each text cut (with an ellipsis) to at most a quarter of a page's height.
    std::vector<Cell> CutToFit(const std::vector<double>& widths, std::vector<Cell> cells, bool header) const;

    QPdfWriter& m_writer;
    QPainter m_painter;
    QString m_footer;
    int m_page = 0;
    double m_left = 0, m_right = 0, m_top = 0, m_bottom = 0;
    double m_y = 0;
    // The header row of the table being laid out, repeated on a new page.
    std::vector<double> m_headerWidths;
    std::vector<Cell> m_headerCells;
    bool m_oneLine = false;
};

} // namespace Report
