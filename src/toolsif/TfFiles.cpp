#include "TfFiles.h"

#include "TfFileNames.h"

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

bool WriteLinesReplacing(const std::string& name, const std::vector<std::string>& lines)
{
    const std::string temp = FnNinc(name + ".new");
    {
        std::ofstream out(temp, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!out)
            return false;
        for (const std::string& line : lines)
            out << line << '\n';
        out.flush();
        if (!out) {
            out.close();
            FileDel(temp);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, name, ec);
    if (ec) {
        FileDel(temp);
        return false;
    }
    return true;
}

} // namespace Toolsif
