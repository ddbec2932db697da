#pragma once
// Where the files of an ISO-MME test come from: the file system, or a .zip
// archive whose entries are named ARCHIVE.zip/ENTRY, so that a channel inside
// an archive has a path like any other signal file.
#include <cstddef>
#include <string>
#include <vector>

struct IsoEntry {
    std::string path; // full path (ARCHIVE.zip/ENTRY inside an archive)
    std::string name; // last part
    bool folder = false;
};

enum class IsoReadStatus { Ok, Missing, Failed };

// Reads a file or an archive entry whole, or only its first maxBytes bytes.
// Failed names a file that is there but cannot be read (a folder, a broken
// archive); why holds the reason.
IsoReadStatus IsoReadBytes(const std::string& path, std::string& bytes, std::string& why,
                           size_t maxBytes = static_cast<size_t>(-1));

// The files and folders directly in folder (a folder, an archive, or a folder
// inside an archive), sorted by name; empty when there is none.
std::vector<IsoEntry> IsoListFolder(const std::string& folder);

// The archive that holds path (ARCHIVE.zip/ENTRY), or an empty text when
// path lies in no archive.
std::string IsoArchiveOf(const std::string& path);

// How many entries of its archive carry the name of the archive entry path
// (ARCHIVE.zip/ENTRY); 0 for a path in no archive or not found. More than
// one: reading path gives the first.
size_t IsoArchiveEntryCount(const std::string& path);

// Why the archive at path cannot be opened ("not a zip archive", "its
// directory is broken", ...), or an empty text when it opens.
std::string IsoArchiveProblem(const std::string& archive);

// Whether path names a .zip archive (by its name; case-blind).
bool IsoIsArchiveName(const std::string& path);

// The folder part and the last part of a path ("/" separated).
std::string IsoParentOf(const std::string& path);
std::string IsoLastPart(const std::string& path);
