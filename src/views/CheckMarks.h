#pragma once
// How a checked file looks in the file list and in the check results: a
// warning or failure gets the style's warning or critical icon and a text
// colour; a file that is ok or was never checked looks as it always did.
#include "SignalCheckCache.h"

#include "CGraph.h"

#include <QColor>
#include <QIcon>
#include <QList>

class QListWidgetItem;
class QTreeWidgetItem;
class QWidget;

// Dark amber for a warning, dark red for a failure; invalid for ok.
QColor CheckVerdictColor(Kalvio::CheckVerdict verdict);
// The style's warning or critical icon; a null icon for ok.
QIcon CheckVerdictIcon(Kalvio::CheckVerdict verdict, const QWidget* widget);
// The findings of a checked file as shaded stretches of its plot (in the
// signal's X units), labelled by kind, in the colour of their severity; a
// finding at one instant gets a stretch of a thousandth of the signal's span.
QList<CGraphMark> CheckFindingMarks(const CCheckedFile& file, double span);
// Marks item by the check of its file (null: unchecked, no mark), with the
// verdict and findings as its tooltip.
void MarkCheckedItem(QListWidgetItem& item, const CCheckedFile* file, const QWidget* list);
// The same for a channel of the tree (its first column's icon, every column's colour).
void MarkCheckedItem(QTreeWidgetItem& item, const CCheckedFile* file, const QWidget* tree);
