#include "IsoMmeSource.h"

#include "IsoMmeVocabulary.h"
#include "KVFileBytes.h"
#include "KVZipArchive.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

bool IsRegularFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Splits ARCHIVE.zip/ENTRY at the first part that is an archive file; false
// when no part of path is one.
bool SplitArchivePath(const std::string& path, std::string& archive, std::string& entry)
{
    size_t pos = 0;
    for (;;) {
        pos = path.find('/', pos + 1);
        const std::string head = path.substr(0, pos);
        if (IsoIsArchiveName(head) && IsRegularFile(head)) {
            archive = head;
            entry = pos == std::string::npos ? std::string() : path.substr(pos + 1);
            return true;
        }
        if (pos == std::string::npos)
            break;
    }
    return false;
}

// The archive opened last, kept while the file is the same (device, inode,
// size, modification time): the reads of one test, its test file, list and
// every channel, read its directory once instead of once a file.
struct OpenedArchive {
    std::string path;
    struct stat info {};
    KVZipArchive zip;
    bool ok = false;
    std::string why;
};

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

std::mutex g_archiveLock;
std::unique_ptr<OpenedArchive> g_archive;

// The open archive at path under the held lock, or nullptr with why.
const KVZipArchive* OpenArchive(const std::string& path, std::string& why)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        why = "unreadable";
        return nullptr;
    }
    if (!g_archive || g_archive->path != path || !SameFile(g_archive->info, info)) {
        auto opened = std::make_unique<OpenedArchive>();
        opened->path = path;
        opened->info = info;
        opened->ok = opened->zip.Open(path, opened->why);
        g_archive = std::move(opened);
    }
    why = g_archive->why;
    return g_archive->ok ? &g_archive->zip : nullptr;
}

} // namespace

std::string IsoArchiveProblem(const std::string& archive)
{
    if (!IsRegularFile(archive))
        return {};
    const std::lock_guard<std::mutex> lock(g_archiveLock);
    std::string why;
    return OpenArchive(archive, why) ? std::string() : why;
}

size_t IsoArchiveEntryCount(const std::string& path)
{
    std::string archive, entry, why;
    if (!SplitArchivePath(path, archive, entry) || entry.empty())
        return 0;
    const std::lock_guard<std::mutex> lock(g_archiveLock);
    const KVZipArchive* zip = OpenArchive(archive, why);
    return zip ? zip->CountOf(entry) : 0;
}

std::string IsoArchiveOf(const std::string& path)
{
    std::string archive, entry;
    return SplitArchivePath(path, archive, entry) && !entry.empty() ? archive : std::string();
}

bool IsoIsArchiveName(const std::string& path)
{
    return path.size() > 4 && IsoSameName(std::string_view(path).substr(path.size() - 4), ".zip");
}

std::string IsoParentOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::string IsoLastPart(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

IsoReadStatus IsoReadBytes(const std::string& path, std::string& bytes, std::string& why, size_t maxBytes)
{
    if (maxBytes != static_cast<size_t>(-1) && IsRegularFile(path)) {
        std::ifstream in(path, std::ios::binary);
        bytes.resize(maxBytes);
        in.read(bytes.data(), static_cast<std::streamsize>(maxBytes));
        bytes.resize(static_cast<size_t>(in.gcount()));
        if (in.bad()) {
            why = "cannot be read";
            return IsoReadStatus::Failed;
        }
        return IsoReadStatus::Ok;
    }
    // Read straight into bytes: a test's channel files are most of what an
    // assessment reads, and a second buffer would copy each one again.
    KVFileBytes file;
    KVFileBytes::Status s = file.Open(path);
    if (s == KVFileBytes::Ok) {
        try {
            bytes.resize(file.Size());
        } catch (const std::bad_alloc&) {
            bytes.clear();
            why = "cannot be read";
            return IsoReadStatus::Failed;
        }
        if (file.ReadNext(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()))
            return IsoReadStatus::Ok;
        bytes.clear();
        s = KVFileBytes::ReadFailed;
    }
    std::string archive, entry;
    if (s != KVFileBytes::CannotOpen || !SplitArchivePath(path, archive, entry)) {
        why = s == KVFileBytes::CannotOpen ? "not found" : "cannot be read";
        return s == KVFileBytes::CannotOpen ? IsoReadStatus::Missing : IsoReadStatus::Failed;
    }
    const std::lock_guard<std::mutex> lock(g_archiveLock);
    std::string reason;
    const KVZipArchive* zip = OpenArchive(archive, reason);
    if (!zip) {
        why = "the archive " + archive + " cannot be opened (" + reason + ")";
        return IsoReadStatus::Failed;
    }
    const KVZipArchive::Entry* e = zip->Find(entry);
    if (!e) {
        why = "not found in the archive";
        return IsoReadStatus::Missing;
    }
    if (!zip->Read(*e, bytes, reason, maxBytes)) {
        why = reason == "too large" ? reason : "cannot be unpacked (" + reason + ")";
        return IsoReadStatus::Failed;
    }
    return IsoReadStatus::Ok;
}

std::vector<IsoEntry> IsoListFolder(const std::string& folder)
{
    std::vector<IsoEntry> out;
    std::error_code ec;
    if (fs::is_directory(folder, ec)) {
        for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
            IsoEntry entry;
            entry.name = e.path().filename().string();
            entry.path = (fs::path(folder) / entry.name).string();
            entry.folder = e.is_directory(ec);
            out.push_back(std::move(entry));
        }
    } else {
        std::string archive, inner;
        if (!SplitArchivePath(folder, archive, inner))
            return out;
        const std::lock_guard<std::mutex> lock(g_archiveLock);
        std::string why;
        const KVZipArchive* zip = OpenArchive(archive, why);
        if (!zip)
            return out;
        const std::string prefix = inner.empty() ? std::string() : inner + "/";
        std::unordered_set<std::string> seen;
        for (const KVZipArchive::Entry& z : zip->Entries()) {
            const std::string& name = z.name;
            if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
                continue;
            const std::string rest = name.substr(prefix.size());
            const size_t slash = rest.find('/');
            IsoEntry entry;
            entry.name = rest.substr(0, slash);
            entry.folder = slash != std::string::npos;
            entry.path = folder + "/" + entry.name;
            if (!entry.name.empty() && seen.insert(entry.name).second)
                out.push_back(std::move(entry));
        }
    }
    std::sort(out.begin(), out.end(), [](const IsoEntry& a, const IsoEntry& b) { return a.name < b.name; });
    return out;
}
