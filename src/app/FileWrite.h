#pragma once
// The window's writes of whole files go through the library's one output
// path, so that they keep links, modes and owners and never leave half a file.
#include <QString>

#include <string_view>

// Writes bytes as the whole content of path, or leaves path as it was and
// says why in reason ("permission denied", "no such file or directory").
bool WriteWholeFile(const QString& path, std::string_view bytes, QString& reason);
