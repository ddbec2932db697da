#include "KVFileBytes.h"

#include "KVSystemReason.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kLargeFile = size_t(1) << 20;

// Closes a descriptor on every return path.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Opens a name for reading without waiting: a named pipe must not hang the
// caller before it is found not to be a regular file. -1 and the reason
// otherwise.
int OpenNoWait(const std::string& fileName, KVFileBytes::Status& status)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        status = errno == EISDIR ? KVFileBytes::NotRegular : KVFileBytes::CannotOpen;
    return fd;
}

// Whether the open fd is a regular file; its information in info, the reason
// in status and errno otherwise.
bool IsRegular(int fd, struct stat& info, KVFileBytes::Status& status)
{
    if (::fstat(fd, &info) != 0 || info.st_size < 0) {
        status = KVFileBytes::NoInfo;
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        status = KVFileBytes::NotRegular;
        errno = S_ISDIR(info.st_mode) ? EISDIR : 0;
        return false;
    }
    status = KVFileBytes::Ok;
    return true;
}

// Closes fd keeping errno.
void CloseKeepingErrno(int fd)
{
    const int err = errno;
    ::close(fd);
    errno = err;
}

// Opens a regular file for reading; -1 and the reason otherwise.
int OpenRegular(const std::string& fileName, struct stat& info, KVFileBytes::Status& status)
{
    const int fd = OpenNoWait(fileName, status);
    if (fd < 0)
        return -1;
    if (!IsRegular(fd, info, status)) {
        CloseKeepingErrno(fd);
        return -1;
    }
    return fd;
}

// One read of up to size bytes at offset; how many came, or -1 on an error.
// A regular file gives fewer only at its end.
ssize_t ReadAt(int fd, uint8_t* data, size_t size, size_t offset)
{
    for (;;) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

// Reads exactly size bytes from offset on; false on an error or a short file.
bool ReadFully(int fd, uint8_t* data, size_t size, size_t offset)
{
    errno = 0;
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ReadAt(fd, data + got, size - got, offset + got);
        if (n <= 0)
            return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

KVFileBytes::Status KVFileBytes::Read(const std::string& fileName, size_t sizeMultiple)
{
    if (Open(fileName, sizeMultiple) != Ok)
        return m_status;
    // The whole file in one piece: the same checks and reads as in pieces.
    const size_t size = m_size;
    m_size = 0;
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[size == 0 ? 1 : size]);
    if (!data) {
        Close();
        return m_status = TooLarge;
    }
    const bool whole = ReadNext(data.get(), size);
    Close();
    if (!whole)
        return m_status;
    m_data = std::move(data);
    m_size = size;
    return Ok;
}

KVFileBytes::~KVFileBytes() { Close(); }

void KVFileBytes::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void KVFileBytes::Reset()
{
    Close();
    m_data.reset();
    m_size = 0;
    m_offset = 0;
    m_errno = 0;
}

KVFileBytes::Status KVFileBytes::Keep(int& fd, size_t size, size_t sizeMultiple)
{
    if (sizeMultiple > 1 && size % sizeMultiple != 0)
        return WrongSize;
    // A large file is read once from start to end: let the system read
    // further ahead (a small one is within its usual read-ahead).
    if (size >= kLargeFile)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_fd = fd;
    fd = -1;
    m_size = size;
    return Ok;
}

KVFileBytes::Status KVFileBytes::Open(const std::string& fileName, size_t sizeMultiple)
{
    Reset();
    m_status = OpenChecked(fileName, sizeMultiple);
    return m_status;
}

KVFileBytes::Status KVFileBytes::OpenChecked(const std::string& fileName, size_t sizeMultiple)
{
    struct stat info {};
    Status status = Ok;
    errno = 0;
    Descriptor file{OpenRegular(fileName, info, status)};
    m_errno = errno;
    if (file.fd < 0)
        return status;
    return Keep(file.fd, static_cast<size_t>(info.st_size), sizeMultiple);
}

bool KVFileBytes::ReadNext(uint8_t* data, size_t size)
{
    errno = 0;
    if (m_fd >= 0 && ReadFully(m_fd, data, size, m_offset)) {
        m_offset += size;
        return true;
    }
    m_errno = errno;
    m_status = ReadFailed;
    return false;
}

bool KVFileBytes::ReadAt(uint64_t offset, uint8_t* data, size_t size)
{
    errno = 0;
    if (m_fd >= 0 && offset <= m_size && size <= m_size - offset && ReadFully(m_fd, data, size, offset))
        return true;
    m_errno = errno;
    m_status = ReadFailed;
    return false;
}

std::string KVFileBytes::Describe(const std::string& fileName) const
{
    switch (m_status) {
    case Ok:
    case WrongSize:
        break;
    case CannotOpen:
        if (m_errno == ENOENT)
            return fileName + " is not found.";
        if (m_errno == ENOMEM)
            break;
        return fileName + " cannot be read: " + KVSystemReason(m_errno) + ".";
    case NotRegular:
        return fileName + (m_errno == EISDIR ? " is a directory." : " is not a regular file.");
    case NoInfo:
    case ReadFailed:
        if (m_errno == ENOMEM)
            break;
        return fileName + " cannot be read: "
            + (m_errno != 0 ? KVSystemReason(m_errno) : std::string("it changed while it was read")) + ".";
    case TooLarge:
        break;
    }
    if (m_status == WrongSize)
        return fileName + " has a size that does not fit its kind.";
    return std::string(kNotEnoughMemory) + " to read " + fileName + ".";
}

bool KVFileStartsWith(const std::string& fileName, std::string_view prefix)
{
    struct stat info {};
    KVFileBytes::Status status = KVFileBytes::Ok;
    const Descriptor file{OpenRegular(fileName, info, status)};
    if (file.fd < 0 || static_cast<size_t>(info.st_size) < prefix.size())
        return false;
    std::string head(prefix.size(), '\0');
    return ReadFully(file.fd, reinterpret_cast<uint8_t*>(head.data()), head.size(), 0) && head == prefix;
}
