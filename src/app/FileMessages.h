#pragma once
// The window's message lines from the error list of a file reader.
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

class KVErrorList;

// A library message as the window shows it: UTF-8 where the bytes are valid
// UTF-8 (file names as the system gives them), else Latin-1 (the record's
// text fields, which are single bytes).
QString MessageText(std::string_view bytes);

// One "scope - message" line per entry of errors. A message that begins with
// "path: " loses that part: the caller names the file itself.
QStringList FileMessageLines(const std::string& path, const KVErrorList& errors);
// The same lines led by "name: ", as the window's other messages name the
// file they are about.
QStringList MessagesNamingFile(const QString& name, const std::string& path, const KVErrorList& errors);
