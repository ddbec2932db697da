#pragma once
#include <QString>
#include <QStringList>

// Hitlist files: one name or pattern per line. Lines end in CR LF when we
// write them; a bare LF is accepted when reading. Lines are not trimmed.

// Appends the non-empty lines of path to lines. False (with the reason in
// error, when given) when the file cannot be read.
bool ReadNameLines(const QString& path, QStringList& lines, QString* error);

// Writes one line per name, replacing the file or appending to its end. A
// replaced file changes only when the whole list was written. False (with
// the reason in error) when the file cannot be written.
bool WriteNameLines(const QString& path, const QStringList& names, bool append, QString* error);
