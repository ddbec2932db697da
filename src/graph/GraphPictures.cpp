#include "GraphPictures.h"

#include "CGraph.h"
#include "KVOutputFile.h"

#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

namespace {

constexpr int kJpegQuality = 90; // line art shows ringing at lower qualities

// The messages are the graph's own.
QString Tr(const char* text) { return QCoreApplication::translate("CGraph", text); }

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

bool SaveGraphJpeg(const CGraph& graph, const QString& fileName, int width, int height, QString* error)
{
    const QImage image = graph.RenderImage(width, height);
    if (image.isNull()) {
        if (error)
            *error = Tr("Cannot draw a picture of %1 by %2 pixels").arg(width).arg(height);
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

bool SaveGraphSvg(const CGraph& graph, const QString& fileName, int width, int height, QString* error)
{
    const QByteArray svg = graph.SvgData(width, height);
    if (svg.isEmpty()) {
        if (error)
            *error = Tr("Cannot draw a picture of %1 by %2").arg(width).arg(height);
        return false;
    }
    return WritePicture(fileName, svg, error);
}

bool PrintGraphWithDialog(CGraph& graph, QString* error)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, &graph);
    if (dialog.exec() != QDialog::Accepted)
        return true;
    return graph.Print(printer, error);
}

bool PrintGraphDirect(const CGraph& graph, QString* error)
{
    if (QPrinterInfo::defaultPrinter().isNull()) {
        if (error)
            *error = Tr("No printer is installed");
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    return graph.Print(printer, error);
}

void CopyGraphToClipboard(const CGraph& graph, int svgWidth, int svgHeight)
{
    auto* data = new QMimeData;
    data->setImageData(graph.RenderImage(std::max(graph.width(), 320), std::max(graph.height(), 240)));
    const QByteArray svg = graph.SvgData(svgWidth, svgHeight);
    if (!svg.isEmpty())
        data->setData(QStringLiteral("image/svg+xml"), svg);
    QGuiApplication::clipboard()->setMimeData(data);
}
