#include "TfFileNames.h"

#include "TfText.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace Toolsif {

std::string AddPath(const std::string& dir, const std::string& name)
{
    // A name with a directory of its own (absolute or relative) keeps it.
    if (dir.empty() || name.empty() || name.find('/') != std::string::npos)
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string FnCombo(const std::string& stem, const std::string& ext)
{
    if (ext.empty())
        return stem;
    return ext.front() == '.' ? stem + ext : stem + "." + ext;
}

bool FileExists(const std::string& name)
{
    std::error_code ec;
    // A dangling link still occupies the name.
    return fs::exists(fs::symlink_status(name, ec));
}

std::string FnIncr(const std::string& name, bool overwrite)
{
    if (overwrite || name.empty() || !FileExists(name))
        return name;
    const size_t slash = name.rfind('/');
    const size_t dot = name.rfind('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    const std::string stem = hasExt ? name.substr(0, dot) : name;
    const std::string ext = hasExt ? name.substr(dot) : std::string();
    for (int i = 1; i < 100000; ++i) {
        const std::string candidate = stem + "_" + std::to_string(i) + ext;
        if (!FileExists(candidate))
            return candidate;
    }
    return name; // every number taken: the caller's write reports the clash
}

std::string FnNinc(const std::string& name)
{
    return FnIncr(name, false);
}

std::string FnNameExtract(const std::string& name)
{
    if (name.empty())
        return name;
    std::string tidy = fs::path(name).lexically_normal().string();
    return tidy.empty() ? name : tidy;
}

size_t FtPosnS(const std::string& name, const std::string& type)
{
    if (type.empty())
        return std::string::npos;
    const size_t slash = name.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string upper = StrUpcase(name);
    const size_t pos = upper.rfind(StrUpcase(type));
    return pos != std::string::npos && pos >= start ? pos : std::string::npos;
}

bool FnValid(const std::string& name)
{
    if (Trim(name).empty() || name.size() > 4095)
        return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    if (name.back() == '/')
        return false;
    const fs::path p(name);
    const std::string leaf = p.filename().string();
    if (leaf.empty() || leaf == "." || leaf == ".." || leaf.size() > 255)
        return false;
    std::error_code ec;
    if (fs::is_directory(p, ec))
        return false;
    const fs::path parent = p.parent_path();
    return parent.empty() || fs::is_directory(parent, ec);
}

std::string FullPath(const std::string& name)
{
    std::error_code ec;
    const fs::path full = fs::absolute(name, ec);
    return ec ? name : full.lexically_normal().string();
}

} // namespace Toolsif
