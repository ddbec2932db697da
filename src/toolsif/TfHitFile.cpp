#include "TfHitFile.h"

#include "KVFileBytes.h"
#include "KVOutputFile.h"
#include "KVPrintableName.h"
#include "TfFileNames.h"
#include "TfFiles.h"
#include "TfTemplate.h"
#include "TfText.h"

#include <cerrno>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace Toolsif {

void FileInit(HitFile& hit)
{
    hit = HitFile{};
}

int HitOpen(HitFile& hit, bool append)
{
    hit.entries.clear();
    hit.written = false;
    hit.existed = false;
    hit.original.clear();
    hit.notHitlist = false;
    struct stat st {};
    if (::stat(hit.name.c_str(), &st) != 0) {
        // A new file is made only when there is something to write in it.
        const std::string dir = std::filesystem::path(hit.name).parent_path().string();
        if (errno != ENOENT || ::access(dir.empty() ? "." : dir.c_str(), W_OK | X_OK) != 0)
            return 1;
        hit.open = true;
        return 0;
    }
    KVFileBytes bytes;
    if (!S_ISREG(st.st_mode) || ::access(hit.name.c_str(), W_OK) != 0 || bytes.Read(hit.name) != KVFileBytes::Ok)
        return 1;
    hit.existed = true;
    hit.original.assign(reinterpret_cast<const char*>(bytes.Data()), bytes.Size());
    hit.notHitlist = hit.original.rfind("RVF-1992", 0) == 0 || hit.original.find('\0') != std::string::npos;
    if (append && !hit.notHitlist) {
        std::istringstream in(hit.original);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            hit.entries.push_back(line);
        }
    }
    hit.open = true;
    return 0;
}

namespace {

bool Rewrite(Session& s, HitFile& hit)
{
    hit.written = true;
    if (WriteLinesReplacing(hit.name, hit.entries))
        return true;
    MsgWrite(s.msg, "*** Hitlist file write failed: " + hit.name);
    return false;
}

} // namespace

bool HitAppend(Session& s, HitFile& hit, const std::vector<std::string>& lines)
{
    if (lines.empty())
        return true;
    for (const std::string& line : lines)
        hit.entries.push_back(KVPrintableName(line));
    return Rewrite(s, hit);
}

bool HitTruncate(Session& s, HitFile& hit, size_t n)
{
    if (n >= hit.entries.size() && hit.written)
        return true;
    if (n < hit.entries.size())
        hit.entries.resize(n);
    return Rewrite(s, hit);
}

size_t PendaxS(Session& s, HitFile& hit, bool dirSearch, bool fullPath, const std::string& templ)
{
    const std::string t = Trim(templ);
    if (t.empty())
        return 0;
    std::vector<std::string> names;
    if (t.front() == '@') {
        const std::string hitlist = t.substr(1);
        std::vector<std::string> notFound;
        const bool read = dirSearch ? ReadHitlistFile(hitlist, names, notFound) : ReadHitlistLines(hitlist, names);
        if (!read)
            MsgWrite(s.msg, "*** Hitlist " + hitlist + " cannot be read");
        for (const std::string& line : notFound)
            MsgWrite(s.msg, "*** Hitlist " + hitlist + ", file name " + line + ", not found");
    } else if (dirSearch) {
        if (IsTemplate(t))
            names = ExpandTemplate(t);
        else if (std::error_code ec; std::filesystem::is_regular_file(t, ec))
            names.push_back(t);
    } else {
        names = ExpandRanges(t);
    }
    // A wildcard may catch the hit file itself once it has been written.
    std::erase_if(names, [&](const std::string& n) {
        std::error_code ec;
        return dirSearch && std::filesystem::equivalent(n, hit.name, ec);
    });
    if (names.empty()) {
        if (t.front() != '@')
            MsgWrite(s.msg, dirSearch ? "*** No file matches " + t : "*** Too many names in " + t);
        return 0;
    }
    if (fullPath) {
        for (std::string& n : names)
            n = FullPath(n);
    }
    HitAppend(s, hit, names);
    MsgWrite(s.msg, " " + std::to_string(names.size()) + " names added");
    return names.size();
}

void OutEntry(Session& s, const HitFile& hit)
{
    if (!hit.entries.empty()) {
        MsgWrite(s.msg, " *** " + std::to_string(hit.entries.size()) + " entries in hitlist file " + hit.name);
        return;
    }
    if (!hit.existed)
        MsgWrite(s.msg, " *** No entries, no hitlist file written");
    else
        MsgWrite(s.msg, " *** No entries written, " + hit.name + " left as it was");
}

void FileClose(HitFile& hit)
{
    hit.open = false;
}

void FileDel(HitFile& hit)
{
    std::string reason;
    if (hit.written && !hit.existed)
        FileDel(hit.name);
    else if (hit.written)
        KVWriteFile(hit.name, {reinterpret_cast<const uint8_t*>(hit.original.data()), hit.original.size()}, reason);
    hit.open = false;
}

} // namespace Toolsif
