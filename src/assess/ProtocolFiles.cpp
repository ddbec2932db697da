#include "ProtocolFiles.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const nlohmann::json j = nlohmann::json::parse(text.str(), nullptr, false);
    if (!j.is_object() || !j.contains("id") || !j["id"].is_string())
        return {};
    return j["id"].get<std::string>();
}

} // namespace

std::vector<std::string> ProtocolDirs(const std::string& userDir)
{
    std::vector<std::string> dirs;
    if (!userDir.empty())
        dirs.push_back(userDir);
    else if (const char* env = std::getenv("ONDREL_PROTOCOL_DIR"); env && *env)
        dirs.push_back(env);
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
    std::vector<std::string> unique;
    for (const std::string& d : dirs)
        if (std::find(unique.begin(), unique.end(), d) == unique.end())
            unique.push_back(d);
    return unique;
}

std::vector<Protocol> LoadProtocols(const std::vector<std::string>& dirs, std::vector<std::string>& problems)
{
    std::vector<Protocol> protocols;
    std::vector<std::string> broken; // ids of files that failed their check
    for (const std::string& dir : dirs) {
        std::error_code ec;
        if (!fs::is_directory(dir, ec))
            continue;
        std::vector<fs::path> files;
        for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
            if (e.path().extension() == ".json")
                files.push_back(e.path());
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
            const bool hidden = std::find(broken.begin(), broken.end(), p.id) != broken.end()
                                || std::any_of(protocols.begin(), protocols.end(),
                                               [&](const Protocol& q) { return q.id == p.id; });
            if (!hidden)
                protocols.push_back(std::move(p));
        }
    }
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
