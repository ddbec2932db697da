#pragma once
#include <fstream>
#include <string>
#include <vector>

namespace Toolsif {

// A file unit: one open file and its name.
struct FileUnit {
    std::fstream stream;
    std::string name;
};

// OPEN_FS: opens name on unit. Modes: "R" read an existing file; "W" write,
// replacing the content; " " read and write, creating the file when missing
// and keeping its content. Returns 0 when the file is open.
int OpenFs(FileUnit& unit, const std::string& name, const std::string& mode);
// FILE_CLOSE: closes the unit (nothing happens when it is not open).
void FileClose(FileUnit& unit);
// FILE_DEL: deletes the file name; 0 on success or when it does not exist.
int FileDel(const std::string& name);
// Writes lines (each ended by a line feed) to name so that it is replaced
// only when all was written (see KVOutputFile); false with the reason.
bool WriteLinesReplacing(const std::string& name, const std::vector<std::string>& lines,
                         std::string* reason = nullptr);

} // namespace Toolsif
