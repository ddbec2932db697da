#include "IsoMmeSource.h"

#include "IsoMmeVocabulary.h"
#include "KVFileBytes.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <zip.h>

namespace fs = std::filesystem;

namespace {

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

ZipPtr OpenZip(const std::string& archive)
{
    int err = 0;
    return ZipPtr(zip_open(archive.c_str(), ZIP_RDONLY, &err));
}

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

} // namespace

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
    KVFileBytes file;
    const KVFileBytes::Status s = file.Read(path);
    if (s == KVFileBytes::Ok) {
        bytes.assign(reinterpret_cast<const char*>(file.Data()), file.Size());
        return IsoReadStatus::Ok;
    }
    std::string archive, entry;
    if (s != KVFileBytes::CannotOpen || !SplitArchivePath(path, archive, entry)) {
        why = s == KVFileBytes::CannotOpen ? "not found" : "cannot be read";
        return s == KVFileBytes::CannotOpen ? IsoReadStatus::Missing : IsoReadStatus::Failed;
    }
    ZipPtr zip = OpenZip(archive);
    if (!zip) {
        why = "the archive " + archive + " cannot be opened";
        return IsoReadStatus::Failed;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(zip.get(), entry.c_str(), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) {
        why = "not found in the archive";
        return IsoReadStatus::Missing;
    }
    zip_file_t* f = zip_fopen(zip.get(), entry.c_str(), 0);
    if (!f) {
        why = "cannot be unpacked";
        return IsoReadStatus::Failed;
    }
    const zip_uint64_t want = std::min<zip_uint64_t>(st.size, maxBytes);
    try {
        bytes.resize(want);
    } catch (const std::exception&) {
        zip_fclose(f);
        why = "too large";
        return IsoReadStatus::Failed;
    }
    const zip_int64_t got = zip_fread(f, bytes.data(), want);
    zip_fclose(f);
    if (got < 0 || static_cast<zip_uint64_t>(got) != want) {
        why = "cannot be unpacked";
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
        ZipPtr zip = OpenZip(archive);
        if (!zip)
            return out;
        const std::string prefix = inner.empty() ? std::string() : inner + "/";
        const zip_int64_t n = zip_get_num_entries(zip.get(), 0);
        for (zip_int64_t i = 0; i < n; ++i) {
            const char* raw = zip_get_name(zip.get(), static_cast<zip_uint64_t>(i), 0);
            if (!raw)
                continue;
            const std::string name = raw;
            if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
                continue;
            const std::string rest = name.substr(prefix.size());
            const size_t slash = rest.find('/');
            IsoEntry entry;
            entry.name = rest.substr(0, slash);
            entry.folder = slash != std::string::npos;
            entry.path = folder + "/" + entry.name;
            if (entry.name.empty())
                continue;
            const bool seen = std::any_of(out.begin(), out.end(), [&](const IsoEntry& e) { return e.name == entry.name; });
            if (!seen)
                out.push_back(std::move(entry));
        }
    }
    std::sort(out.begin(), out.end(), [](const IsoEntry& a, const IsoEntry& b) { return a.name < b.name; });
    return out;
}
