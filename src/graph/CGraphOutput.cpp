// The graph's pictures: images, JPEG and SVG files, the printed page and the
// clipboard. Each is laid out for its own size, then the screen's layout is
// restored.
#include "CGraph.h"

#include "KVOutputFile.h"

#include <qcustomplot.h>

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QPicture>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>

namespace {

constexpr int kSvgUnitsPerPixel = 10;  // the SVG size comes in 1/100 mm; drawn at 1/10 of it
constexpr int kSvgResolution = 254;    // 10 units per pixel at 254 dpi is 1/100 mm per unit
constexpr int kPrintWidth = 1000;      // printed pages are laid out 1000 pixels wide
constexpr int kJpegQuality = 90;       // line art shows ringing at lower qualities

// Writes a picture's bytes as every output file of the toolset is written:
// complete, or the file that was there stays as it was.
bool WritePicture(const QString& fileName, const QByteArray& bytes, QString* error)
{
    std::string reason;
    const std::span<const uint8_t> content(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                           static_cast<size_t>(bytes.size()));
    if (KVWriteFile(QFile::encodeName(fileName).toStdString(), content, reason))
        return true;
    if (error)
        *error = QString::fromStdString(reason);
    return false;
}

} // namespace

QImage CGraph::RenderImage(int width, int height) const
{
    if (width <= 0 || height <= 0)
        return {};
    FitToSize(width, height);
    QImage image = m_plot->toPixmap(width, height).toImage();
    RestoreScreenLayout();
    return image;
}

bool CGraph::SaveJpeg(const QString& fileName, int width, int height, QString* error) const
{
    const QImage image = RenderImage(width, height);
    if (image.isNull()) {
        if (error)
            *error = tr("Cannot draw a picture of %1 by %2 pixels").arg(width).arg(height);
        return false;
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(kJpegQuality);
    if (!writer.write(image)) {
        if (error)
            *error = writer.errorString();
        return false;
    }
    return WritePicture(fileName, buffer.data(), error);
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
    FitToSize(w, h);
    m_plot->toPainter(&painter, w, h);
    painter.end();
    RestoreScreenLayout();
    return buffer.data();
}

bool CGraph::SaveSvg(const QString& fileName, int width, int height, QString* error) const
{
    const QByteArray svg = SvgData(width, height);
    if (svg.isEmpty()) {
        if (error)
            *error = tr("Cannot draw a picture of %1 by %2").arg(width).arg(height);
        return false;
    }
    return WritePicture(fileName, svg, error);
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
    FitToSize(w, h);
    m_plot->toPainter(&recorder, w, h);
    recorder.end();
    RestoreScreenLayout();
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
    FitToSize(kPrintWidth, height);
    m_plot->toPainter(&painter, kPrintWidth, height);
    const bool ok = painter.end();
    RestoreScreenLayout();
    if (!ok && error)
        *error = tr("Printing failed");
    return ok;
}

bool CGraph::PrintWithDialog(QString* error)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return true;
    return Print(printer, error);
}

bool CGraph::PrintDirect(QString* error) const
{
    if (QPrinterInfo::defaultPrinter().isNull()) {
        if (error)
            *error = tr("No printer is installed");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    return Print(printer, error);
}

void CGraph::CopyToClipboard(int svgWidth, int svgHeight) const
{
    auto* data = new QMimeData;
    data->setImageData(RenderImage(std::max(width(), 320), std::max(height(), 240)));
    const QByteArray svg = SvgData(svgWidth, svgHeight);
    if (!svg.isEmpty())
        data->setData(QStringLiteral("image/svg+xml"), svg);
    QGuiApplication::clipboard()->setMimeData(data);
}
