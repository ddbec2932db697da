#include "ProtocolFiles.h"

#include "JsonFile.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

namespace Assess {

namespace {

fs::path RunningProgramDir()
{
    std::error_code ec;
    const fs::path exe = fs::canonical("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

fs::path LoadedFromDir()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LoadedFromDir), &info) == 0 || !info.dli_fname || !*info.dli_fname)
        return {};
    std::error_code ec;
    const fs::path file = fs::canonical(info.dli_fname, ec);
    return ec ? fs::path() : file.parent_path();
}

bool IsInside(const fs::path& path, const fs::path& root)
{
    const std::string p = path.lexically_normal().string(), r = root.lexically_normal().string();
    return !r.empty() && (p == r || p.rfind(r.back() == '/' ? r : r + "/", 0) == 0);
}

// The id a protocol file names, when it parses that far; else "".
std::string IdOf(const fs::path& file)
{
    std::string text, error;
    nlohmann::json j;
    if (!ReadJsonFile(file.string(), text, error) || !ParseJsonText(text, file.string(), j, error))
        return {};
    if (!j.is_object() || !j.contains("id") || !j["id"].is_string())
        return {};
    return j["id"].get<std::string>();
}

// The folders the programs' own protocols come from, most particular first.
std::vector<std::string> ShippedDirs()
{
    std::vector<std::string> dirs;
    // The running program, and the file this code was loaded from (the
    // Python module is a library inside the build tree or an installation).
    for (const fs::path& program : {RunningProgramDir(), LoadedFromDir()}) {
        if (program.empty())
            continue;
        // bin/ beside share/ in an installation, wherever it was moved.
        dirs.push_back((program.parent_path() / "share/ondrel/protocols").lexically_normal().string());
        if (IsInside(program, ONDREL_BUILD_ROOT))
            dirs.push_back(ONDREL_PROTOCOLS_SOURCE_DIR);
    }
    dirs.push_back(ONDREL_PROTOCOLS_INSTALL_DIR);
    return dirs;
}

// A protocol that was read, with the folder it came from.
struct Found {
    Protocol protocol;
    std::size_t dir = 0;
};

} // namespace

std::vector<std::string> ProtocolDirs(const std::string& userDir)
{
    std::vector<std::string> dirs;
    if (!userDir.empty())
        dirs.push_back(userDir);
    else if (const char* env = std::getenv("ONDREL_PROTOCOL_DIR"); env && *env)
        dirs.push_back(env);
    for (const std::string& d : ShippedDirs())
        dirs.push_back(d);
    std::vector<std::string> unique;
    for (const std::string& d : dirs)
        if (std::find(unique.begin(), unique.end(), d) == unique.end())
            unique.push_back(d);
    return unique;
}

bool CheckProtocolDir(const std::string& dir, std::string& error)
{
    std::error_code ec;
    const fs::file_status st = fs::status(dir, ec);
    if (fs::is_directory(st))
        return true;
    error = "--protocol-dir " + dir + ": "
            + (fs::exists(st) ? std::string("not a folder") : std::string("no such folder"));
    return false;
}

std::vector<Protocol> LoadProtocols(const std::vector<std::string>& dirs, std::vector<std::string>& problems)
{
    const std::vector<std::string> shipped = ShippedDirs();
    const auto isShipped = [&](std::size_t d) {
        return std::find(shipped.begin(), shipped.end(), dirs[d]) != shipped.end();
    };
    std::vector<Found> found;
    std::vector<std::string> broken; // ids of files that failed their check
    for (std::size_t d = 0; d < dirs.size(); ++d) {
        std::error_code ec;
        if (!fs::is_directory(dirs[d], ec))
            continue;
        std::vector<fs::path> files;
        for (const fs::directory_entry& e : fs::directory_iterator(dirs[d], ec)) {
            if (e.path().extension() != ".json")
                continue;
            // A pipe is never opened (it would wait for a writer), nor a
            // folder read: both are named and skipped.
            std::error_code sec;
            const fs::file_status st = e.status(sec);
            if (fs::is_directory(st))
                problems.push_back(e.path().string() + ": a folder, not a protocol file; skipped");
            else if (!fs::is_regular_file(st))
                problems.push_back(e.path().string() + ": not a regular file (a pipe or a device); skipped");
            else
                files.push_back(e.path());
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& f : files) {
            Protocol p;
            std::string error;
            if (!LoadProtocolFile(f.string(), p, error)) {
                // A broken file still hides a later protocol of its id: the
                // user's own limits are never replaced by the shipped ones
                // behind their back.
                const std::string id = IdOf(f);
                if (!id.empty()) {
                    broken.push_back(id);
                    error += " (protocol " + id + ")";
                }
                problems.push_back(error);
                continue;
            }
            if (std::find(broken.begin(), broken.end(), p.id) != broken.end())
                continue;
            const auto earlier
                = std::find_if(found.begin(), found.end(), [&](const Found& q) { return q.protocol.id == p.id; });
            if (earlier == found.end()) {
                found.push_back({std::move(p), d});
                continue;
            }
            if (earlier->dir == d) {
                // Two files of one folder with one id: which one is meant is
                // the user's to say, so neither is used.
                problems.push_back(f.string() + ": protocol id " + p.id + " is also the id of "
                                   + earlier->protocol.file + "; neither is used (protocol " + p.id + ")");
                broken.push_back(p.id);
                found.erase(earlier);
                continue;
            }
            if (!isShipped(earlier->dir) && isShipped(d) && earlier->protocol.replaces.empty())
                earlier->protocol.replaces = p.file;
        }
    }
    std::vector<Protocol> protocols;
    for (Found& f : found)
        protocols.push_back(std::move(f.protocol));
    return protocols;
}

bool ProblemIsAbout(const std::string& problem, const std::string& id)
{
    const std::string tail = " (protocol " + id + ")";
    return problem.size() >= tail.size() && problem.compare(problem.size() - tail.size(), tail.size(), tail) == 0;
}

bool FindProtocol(const std::vector<std::string>& dirs, const std::string& id, Protocol& out, std::string& error)
{
    std::vector<std::string> problems;
    std::vector<Protocol> all = LoadProtocols(dirs, problems);
    for (Protocol& p : all)
        if (p.id == id) {
            out = std::move(p);
            return true;
        }
    // A broken file may be the one asked for: its message says why.
    for (const std::string& problem : problems)
        if (ProblemIsAbout(problem, id)) {
            error = problem;
            return false;
        }
    std::string ids;
    for (const Protocol& p : all)
        ids += (ids.empty() ? "" : ", ") + p.id;
    error = "no protocol \"" + id + "\"" + (ids.empty() ? " (no protocol files found)" : "; there are: " + ids);
    for (const std::string& problem : problems)
        error += "\n" + problem;
    return false;
}

} // namespace Assess
