#pragma once
#include <QString>
#include <QStringList>

// Wildcards ('*', '?', '[') may stand in the last part of a path only.
bool HasWildcards(const QString& pattern);

// Plain files matching pattern (a path that may hold wildcards in its last
// part; relative paths resolve against the current directory), by full path,
// in byte order of their names. Directories never match.
QStringList FindMatchingFiles(const QString& pattern);

// Names (without directory) of the plain files of dir matching the wildcard
// pattern, in byte order. "*.*" matches every name, with or without a dot.
// Reads only the directory, never the files.
QStringList ListDirectoryFiles(const QString& dir, const QString& pattern);
