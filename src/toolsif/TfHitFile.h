#pragma once
#include "TfSession.h"

#include <string>
#include <vector>

namespace Toolsif {

// The hit file record: a hitlist being built. Its entries are kept here and
// the file on disk is rewritten after every change, so Undo and Erase can cut
// it back. A file that existed is not touched until this run writes to it.
struct HitFile {
    std::string name;
    std::vector<std::string> entries;
    bool nameGiven = false; // the name was given (HIT=)
    bool written = false;   // this run has written the file
    bool open = false;
    bool existed = false;   // the file was there before this run
    std::string original;   // its content then, put back if the run ends empty
    bool notHitlist = false; // its content was binary or an RVF-1992 file
};

// FILE_INIT for a hit file record: no name, no entries, closed.
void FileInit(HitFile& hit);
// Opens the hit file: checks that it can be written (a file that exists must
// be a regular file; a new one is not created yet) and, with append, takes
// over its lines as entries. Returns 0 when it is open.
int HitOpen(HitFile& hit, bool append);
// Appends lines as entries (a name with control characters quoted so that it
// stays one line) and rewrites the file; false after a message when the file
// cannot be written (the entries stay in the record).
bool HitAppend(Session& s, HitFile& hit, const std::vector<std::string>& lines);
// Cuts the entries back to the first n and rewrites the file.
bool HitTruncate(Session& s, HitFile& hit, size_t n);

// PENDAX_S: appends the names templ stands for. With dirSearch the template
// is matched against the files on disk (a plain name must exist); without it
// the template is written as typed, number ranges spelled out. "@name" takes
// the lines of the hitlist name (expanded with dirSearch, else as they are). With fullPath
// each name becomes its full path, else it is written as typed. Returns the
// number of entries added; a template that names nothing is reported.
size_t PendaxS(Session& s, HitFile& hit, bool dirSearch, bool fullPath, const std::string& templ);

// OUT_ENTRY: writes the final report on the hit file.
void OutEntry(Session& s, const HitFile& hit);
// FILE_CLOSE for the hit file record.
void FileClose(HitFile& hit);
// FILE_DEL for the hit file record: a file this run created is deleted, one
// that was there before gets its old content back.
void FileDel(HitFile& hit);

} // namespace Toolsif
