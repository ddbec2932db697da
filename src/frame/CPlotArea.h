#pragma once
// The lower pane of the main window: the plot of the loaded signals.
class COndrelDoc;
class CPlotView;
class QWidget;

// Creates the plot view over `doc` as a child of `parent`.
CPlotView* CreatePlotArea(COndrelDoc* doc, QWidget* parent);
