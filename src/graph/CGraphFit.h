#pragma once
// Fitting the graph's texts to the size it is drawn at: the legend in as
// many columns as the height asks (in a smaller form when they would crowd
// the axes), and titles wrapped onto further lines instead of cut off.
#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringList>

#include <functional>

class CChart;
class QCPTextElement;
class QCustomPlot;

// A font sized in pixels, so that a picture comes out the same on the screen,
// on a printer's preview and on the offscreen platform.
QFont PixelFont(int pixels, bool bold = false);

// A font whose characters are all one width, for codes that must align: the
// platform's fixed font where it is one, else the first installed of the
// usual fixed-width families.
QFont FixedPitchFont();

// text broken at blanks into lines no wider than width; a word wider than a
// line is broken where it must. At most maxLines lines: the last one is then
// shortened with "…". An empty text gives no lines.
QStringList WrapText(const QString& text, const QFontMetrics& metrics, int width, int maxLines);

// A header line (title, subtitle) that FitHeader may wrap.
QCPTextElement* NewHeaderText(QCustomPlot* plot, const QString& text, const QFont& font);

// Wraps the header lines made by NewHeaderText to a picture width.
void FitHeader(QCustomPlot* plot, int width);

// Arranges the legend of plot for a picture of width x height pixels: one
// column while the entries fit beside the axes, further columns beyond, then
// smaller text and icons, and at last labels shortened in the middle, so that
// the legend never takes more than about a third of the width. The labels
// are the plottables' "label" properties.
void FitLegend(QCustomPlot* plot, int width, int height);

// Axis labels in smaller letters, down to 10 pixels, where they would be
// longer than their axis in a picture of width x height pixels.
void FitAxisLabels(QCustomPlot* plot, int width, int height);

// Header, legend and axis labels fitted to a picture of width x height pixels;
// the next picture or redraw on screen fits them anew.
void FitToSize(QCustomPlot* plot, int width, int height);

// Fitted to the size on screen and laid out at once, so that mouse zoom maps
// correctly right after a picture of another size.
void RestoreScreenLayout(CChart* plot);

// Lays plot out at width x height for inspect, then as on screen again.
void InspectLayoutAt(CChart* plot, int width, int height, const std::function<void()>& inspect);
