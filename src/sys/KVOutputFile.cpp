#include "KVOutputFile.h"

#include "KVSystemReason.h"
#include "KVTempFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kChunk = 64 * 1024; // writes are gathered to this size

// The name a path finally stands for: symbolic links followed, a dangling one
// too (the file it names is created). A loop is left for stat to report.
std::string FollowLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof buf)
            return path;
        std::string link(buf, static_cast<size_t>(n));
        const size_t slash = path.rfind('/');
        path = link.front() == '/' || slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
    }
    return path;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Mode of a newly created file: what open(…, 0666) would give.
mode_t NewFileMode()
{
    return 0666 & ~KVProcessUmask();
}

// Writes all bytes at the descriptor's position, or from offset 0 when
// positioned is set; false with errno set.
bool WriteAll(int fd, const uint8_t* data, size_t size, bool positioned = false)
{
    off_t at = 0;
    while (size > 0) {
        const ssize_t n = positioned ? ::pwrite(fd, data, size, at) : ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        at += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool g_replaceWriteProtected = false;

// Whether the user may not write the file: for the superuser, whom access
// always allows, when no one may write it (mode 0444).
bool IsWriteProtected(const std::string& path, const struct stat& st)
{
    if (::geteuid() == 0)
        return (st.st_mode & 0222) == 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

} // namespace

void KVReplaceWriteProtected(bool allow)
{
    g_replaceWriteProtected = allow;
}

bool KVReplacesWriteProtected()
{
    return g_replaceWriteProtected;
}

KVOutputFile::KVOutputFile(std::string target) : m_target(std::move(target)) {}

KVOutputFile::~KVOutputFile()
{
    Abandon();
}

bool KVOutputFile::Fail(int err)
{
    return Fail(KVSystemReason(err));
}

bool KVOutputFile::Fail(const std::string& reason)
{
    Abandon();
    m_reason = reason;
    m_failed = true;
    return false;
}

bool KVOutputFile::Open()
{
    if (m_way != Way::None || m_failed)
        return Fail(EBUSY);
    if (m_target.empty())
        return Fail(ENOENT);
    m_target = FollowLinks(m_target);
    try {
        m_pending.reserve(kChunk);
    } catch (const std::bad_alloc&) {
        return Fail(ENOMEM);
    }
    struct stat st {};
    const bool exists = ::stat(m_target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        return Fail(errno);
    if (exists && S_ISDIR(st.st_mode))
        return Fail(EISDIR);
    if (exists && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))) {
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0)
            return Fail(errno);
        m_way = Way::Stream;
        return true;
    }
    if (exists && !S_ISREG(st.st_mode))
        return Fail("is not a regular file");
    // A file its owner made read-only is not replaced by the rename path
    // behind their back, as cp and the shell refuse it too.
    if (exists && !g_replaceWriteProtected && IsWriteProtected(m_target, st))
        return Fail("is write-protected");

    const auto openInPlace = [&] {
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0)
            return Fail(errno);
        m_oldSize = static_cast<size_t>(st.st_size);
        m_way = Way::InPlace;
        return true;
    };
    if (exists && st.st_nlink > 1)
        return openInPlace();
    auto temp = std::make_unique<KVTempFile>();
    if (!temp->Create(FolderOf(m_target))) {
        const int err = errno;
        if (exists && (err == EACCES || err == EPERM))
            return openInPlace();
        return Fail(err);
    }
    // The temporary file stays 0600 while it fills; it takes the target's
    // owner and mode just before the rename.
    m_temp = std::move(temp);
    m_way = Way::Replace;
    if (exists) {
        if (st.st_uid != ::geteuid() || st.st_gid != ::getegid())
            (void)::fchown(m_temp->Fd(), st.st_uid, st.st_gid); // allowed or not, the content is what counts
        m_newMode = st.st_mode & 07777;
    } else {
        m_newMode = NewFileMode();
    }
    return true;
}

bool KVOutputFile::Flush()
{
    if (m_pending.empty())
        return true;
    const int fd = m_way == Way::Replace ? m_temp->Fd() : m_fd;
    if (!WriteAll(fd, m_pending.data(), m_pending.size()))
        return Fail(errno);
    m_pending.clear();
    return true;
}

bool KVOutputFile::Write(const void* data, size_t size)
{
    if (m_way == Way::None)
        return Fail(m_failed ? m_reason : KVSystemReason(EBADF));
    const auto* bytes = static_cast<const uint8_t*>(data);
    try {
        if (m_way == Way::InPlace || m_pending.size() + size <= kChunk) {
            m_pending.insert(m_pending.end(), bytes, bytes + size);
            return true;
        }
    } catch (const std::bad_alloc&) {
        return Fail(ENOMEM);
    } catch (const std::length_error&) {
        return Fail(ENOMEM);
    }
    if (!Flush())
        return false;
    if (size >= kChunk) {
        const int fd = m_way == Way::Replace ? m_temp->Fd() : m_fd;
        return WriteAll(fd, bytes, size) || Fail(errno);
    }
    m_pending.assign(bytes, bytes + size);
    return true;
}

bool KVOutputFile::CommitInPlace()
{
    // The file is rewritten only now that its content is complete; signals
    // wait until it is whole again. Space beyond the old end is reserved
    // first, so a full disk is found before any old byte is touched.
    const KVSignalsHeld held;
    const size_t size = m_pending.size();
    if (size > m_oldSize) {
        const int rc = ::posix_fallocate(m_fd, static_cast<off_t>(m_oldSize), static_cast<off_t>(size - m_oldSize));
        if (rc != 0 && rc != EINVAL && rc != EOPNOTSUPP) {
            (void)::ftruncate(m_fd, static_cast<off_t>(m_oldSize));
            return Fail(rc);
        }
    }
    if (!WriteAll(m_fd, m_pending.data(), size, true))
        return Fail(errno);
    if (size < m_oldSize && ::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
        return Fail(errno);
    if (::fdatasync(m_fd) != 0 && errno != EINVAL)
        return Fail(errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        return Fail(errno);
    return true;
}

bool KVOutputFile::Commit()
{
    if (m_way == Way::None)
        return Fail(m_failed ? m_reason : KVSystemReason(EBADF));
    if (m_way == Way::InPlace) {
        if (!CommitInPlace())
            return false;
    } else if (!Flush()) {
        return false;
    } else if (m_way == Way::Replace) {
        (void)::fchmod(m_temp->Fd(), m_newMode);
        if (!m_temp->RenameTo(m_target))
            return Fail(errno);
        m_temp.reset();
    } else {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0 && errno != EINTR)
            return Fail(errno);
    }
    m_way = Way::None;
    std::vector<uint8_t>().swap(m_pending);
    return true;
}

void KVOutputFile::Abandon()
{
    m_temp.reset(); // removes the temporary file
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_way = Way::None;
    std::vector<uint8_t>().swap(m_pending);
}

bool KVWriteFile(const std::string& target, std::span<const uint8_t> bytes, std::string& reason)
{
    KVOutputFile out(target);
    const bool ok = out.Open() && out.Write(bytes) && out.Commit();
    reason = ok ? std::string() : out.Reason();
    return ok;
}
