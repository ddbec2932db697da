#pragma once
// The window's message lines from the error list of a file reader.
#include <QString>
#include <QStringList>

#include <string>

class KVErrorList;

// One "scope - message" line per entry of errors. A message that begins with
// "path: " loses that part: the caller names the file itself.
QStringList FileMessageLines(const std::string& path, const KVErrorList& errors);
// The same lines led by "name: ", as the window's other messages name the
// file they are about.
QStringList MessagesNamingFile(const QString& name, const std::string& path, const KVErrorList& errors);
