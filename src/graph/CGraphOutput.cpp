// The graph drawn as pictures: an image, SVG, into any painter and on a
// printed page. Each is laid out for its own size, then the screen's layout
// is restored.
#include "CGraph.h"

#include "CGraphFit.h"
#include "CGraphParts.h"

#include <QBuffer>
#include <QPicture>
#include <QPrinter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSvgUnitsPerPixel = 10;  // the SVG size comes in 1/100 mm; drawn at 1/10 of it
constexpr int kSvgResolution = 254;    // 10 units per pixel at 254 dpi is 1/100 mm per unit
constexpr int kPrintWidth = 1000;      // printed pages are laid out 1000 pixels wide

} // namespace

QImage CGraph::RenderImage(int width, int height) const
{
    if (width <= 0 || height <= 0)
        return {};
    FitToSize(m_plot, width, height);
    QImage image = m_plot->toPixmap(width, height).toImage();
    RestoreScreenLayout(m_plot);
    return image;
}

QByteArray CGraph::SvgData(int width, int height) const
{
    const int w = width / kSvgUnitsPerPixel;
    const int h = height / kSvgUnitsPerPixel;
    if (w < 10 || h < 10)
        return {};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(w, h));
    generator.setViewBox(QRect(0, 0, w, h));
    generator.setResolution(kSvgResolution);
    generator.setTitle(m_title);
    QCPPainter painter;
    if (!painter.begin(&generator))
        return {};
    // Vector mode keeps texts as text instead of cached pixmaps.
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    FitToSize(m_plot, w, h);
    m_plot->toPainter(&painter, w, h);
    painter.end();
    RestoreScreenLayout(m_plot);
    return buffer.data();
}

void CGraph::Paint(QPainter& painter, const QRectF& rect) const
{
    const int w = std::max(10, static_cast<int>(std::lround(rect.width())));
    const int h = std::max(10, static_cast<int>(std::lround(rect.height())));
    // Recorded as drawing commands, then played into the painter: the chart
    // draws only through its own painter class.
    QPicture picture;
    QCPPainter recorder;
    if (!recorder.begin(&picture))
        return;
    recorder.setMode(QCPPainter::pmVectorized);
    recorder.setMode(QCPPainter::pmNoCaching);
    FitToSize(m_plot, w, h);
    m_plot->toPainter(&recorder, w, h);
    recorder.end();
    RestoreScreenLayout(m_plot);
    // A picture plays back scaled from its own resolution to the device's (a
    // PDF page has 72 dots an inch, the picture the screen's): undo that.
    const QPaintDevice* device = painter.device();
    const double sx = device ? double(picture.logicalDpiX()) / device->logicalDpiX() : 1.0;
    const double sy = device ? double(picture.logicalDpiY()) / device->logicalDpiY() : 1.0;
    painter.save();
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / w * sx, rect.height() / h * sy);
    painter.drawPicture(0, 0, picture);
    painter.restore();
}

bool CGraph::Print(QPrinter& printer, QString* error) const
{
    QCPPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = tr("The printer could not be started");
        return false;
    }
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    if (page.width() <= 0 || page.height() <= 0) {
        painter.end();
        if (error)
            *error = tr("The printer reports an empty page");
        return false;
    }
    const double scale = page.width() / kPrintWidth;
    const int height = std::min(static_cast<int>(page.height() / scale), kPrintWidth * 3 / 4);
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    painter.scale(scale, scale);
    FitToSize(m_plot, kPrintWidth, height);
    m_plot->toPainter(&painter, kPrintWidth, height);
    const bool ok = painter.end();
    RestoreScreenLayout(m_plot);
    if (!ok && error)
        *error = tr("Printing failed");
    return ok;
}
