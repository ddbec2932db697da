#include "TfFiles.h"

#include "KVOutputFile.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace Toolsif {

int OpenFs(FileUnit& unit, const std::string& name, const std::string& mode)
{
    FileClose(unit);
    unit.name = name;
    std::error_code ec;
    if (name.empty() || fs::is_directory(name, ec))
        return 1;
    if (mode == "R") {
        unit.stream.open(name, std::ios::in | std::ios::binary);
    } else if (mode == "W") {
        unit.stream.open(name, std::ios::out | std::ios::trunc | std::ios::binary);
    } else if (mode == " ") {
        // Create when missing, then reopen for both directions without truncating.
        { std::ofstream create(name, std::ios::app | std::ios::binary); }
        unit.stream.open(name, std::ios::in | std::ios::out | std::ios::binary);
    } else {
        return 2;
    }
    return unit.stream.is_open() ? 0 : 1;
}

void FileClose(FileUnit& unit)
{
    if (unit.stream.is_open())
        unit.stream.close();
    unit.stream.clear();
}

int FileDel(const std::string& name)
{
    std::error_code ec;
    fs::remove(name, ec);
    return ec ? 1 : 0;
}

bool WriteLinesReplacing(const std::string& name, const std::vector<std::string>& lines, std::string* reason)
{
    KVOutputFile out(name);
    bool ok = out.Open();
    for (size_t i = 0; ok && i < lines.size(); ++i)
        ok = out.Write(lines[i]) && out.Write(std::string_view("\n"));
    ok = ok && out.Commit();
    if (!ok && reason)
        *reason = out.Reason();
    return ok;
}

} // namespace Toolsif
