#pragma once
// Operate > Check Signals.
#include <QStringList>

class COndrelDoc;

namespace CheckCommands {

// Checks the selected names, or every listed name when none is selected,
// behind the progress window; then shows the results and has the list view
// mark the files. Files unchanged since their last check are not read again.
void CheckSignals(COndrelDoc& doc, const QStringList& selected);

} // namespace CheckCommands
