#pragma once
// The graph's pictures as files, on paper and on the clipboard, made from
// the graph's own drawing (RenderImage, SvgData, Print).
#include <QString>

class CGraph;

// Writes a JPEG of width x height pixels; false with the reason in error.
bool SaveGraphJpeg(const CGraph& graph, const QString& fileName, int width, int height, QString* error);
// Writes the graph as SVG of the size SvgData takes; false with the reason in error.
bool SaveGraphSvg(const CGraph& graph, const QString& fileName, int width, int height, QString* error);
// Prints through the print dialog; true also when the user cancelled.
bool PrintGraphWithDialog(CGraph& graph, QString* error);
// Prints on the default printer without asking.
bool PrintGraphDirect(const CGraph& graph, QString* error);
// Puts the graph on the clipboard as an image and as SVG of the size given.
void CopyGraphToClipboard(const CGraph& graph, int svgWidth, int svgHeight);
