#pragma once
// The file list's commands: the selection that loads and unloads signals,
// listing and sorting, the list view's context menus and the hitlists saved
// from the list.
#include <QString>
#include <QStringList>

class COndrelDoc;

namespace ListCommands {

// Keeps the loaded signals in step with the selected labels (list order).
// False, nothing changed, when a modified signal would be dropped and the
// person kept it, or when the loading of many files was cancelled (those
// loaded by then stay): the list view then selects the loaded names again.
bool SelectionChanged(COndrelDoc& doc, const QStringList& selected, bool itemSelected);
// What the list view does on HINT_LIST_CHANGED: re-list the directory, then sort by "Sort".
void Relist(COndrelDoc& doc);
// Asks for a wildcard pattern and lists the directory's matching files.
void ApplyFilter(COndrelDoc& doc);
// The loaded signals' paths to the clipboard, one a line.
void CopyFilenames(COndrelDoc& doc);
// Adds the clipboard's lines as names (hitlist mode).
void PasteFilenames(COndrelDoc& doc);
// Adds names from outside (paste, drop, a batch's files), switching to
// hitlist mode first; an ISO-MME test adds its channels.
void AddNames(COndrelDoc& doc, const QStringList& names);
void ClearList(COndrelDoc& doc);
void RemoveSelectedItems(COndrelDoc& doc);
void RemoveUnselectedItems(COndrelDoc& doc);
// View > Sort: sorts and stores the order as "Sort".
void SortByName(COndrelDoc& doc);
void SortByExtension(COndrelDoc& doc);
// Write the whole list, or the loaded names, as full paths to a hitlist.
void SaveHitlist(COndrelDoc& doc);
void SaveSelectedHitlist(COndrelDoc& doc);
// Hitlist mode only: edits the list as text; the loaded signals stay.
void EditHitlist(COndrelDoc& doc);

} // namespace ListCommands
