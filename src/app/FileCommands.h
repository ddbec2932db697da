#pragma once
// File menu and what comes from outside the window: Open Directory, Open
// Hitlist, the command line's files and the requests of a second instance.
#include <QString>
#include <QStringList>

class COndrelDoc;

namespace FileCommands {

// File > Open Directory: asks for a directory and browses it (directory mode).
void OpenDirectory(COndrelDoc& doc);
// File > Open Hitlist: replaces the list by the files a hitlist names.
void OpenHitlist(COndrelDoc& doc);
// Appends the files named by a hitlist, or the channels of an ISO-MME test,
// to the list; false when it cannot be read.
bool ReadHitlist(COndrelDoc& doc, const QString& path);
// Browses the files and patterns of the command line in hitlist mode; a
// command line of one folder that holds no test browses that directory.
void BrowseCommandLine(COndrelDoc& doc, const QStringList& files);

// Carries out a request text; false when it is neither DataFile nor HitList.
bool HandleRequest(COndrelDoc& doc, const QString& request);
// [DataFile(name)]: adds name to the list once (hitlist mode).
void OpenDataFile(COndrelDoc& doc, const QString& name);
// [HitList(name)]: appends the names of a hitlist (hitlist mode).
void OpenHitlistRequest(COndrelDoc& doc, const QString& name);

} // namespace FileCommands
