#include "KVTempFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A fixed table of live names, so that a signal handler can remove them
// without allocating or locking. State 0 free, 1 being filled, 2 a live
// file, 3 a live folder (removed with what it holds).
constexpr int kSlots = 64;
struct Slot {
    std::atomic<int> state{0};
    char path[PATH_MAX]{};
};
// Constant-initialised: 256 KiB that a start-up routine would otherwise touch
// page by page in every program.
constinit Slot g_slots[kSlots];
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the table");

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Removes the folder name in dirFd with everything in it, using only calls a
// signal handler may make (no allocation: the entries are read into a buffer
// on the stack). Folders deeper than depth are left.
void RemoveTreeAt(int dirFd, const char* name, int depth) noexcept
{
    const int fd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    alignas(8) char buffer[2048];
    // Read again from the start until a pass removes nothing: entries
    // removed while the folder is read may hide others from the same pass.
    for (bool removed = true; removed;) {
        removed = false;
        ::lseek(fd, 0, SEEK_SET);
        for (ssize_t n; (n = ::getdents64(fd, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const struct dirent64*>(buffer + at);
                at += e->d_reclen;
                const char* entry = e->d_name;
                if (entry[0] == '.' && (entry[1] == 0 || (entry[1] == '.' && entry[2] == 0)))
                    continue;
                if (::unlinkat(fd, entry, 0) == 0) {
                    removed = true;
                } else if (errno == EISDIR && depth > 0) {
                    RemoveTreeAt(fd, entry, depth - 1);
                    removed = true;
                }
            }
        }
    }
    ::close(fd);
    ::unlinkat(dirFd, name, AT_REMOVEDIR);
}

void RemoveLive() noexcept
{
    for (Slot& s : g_slots) {
        const int state = s.state.load();
        if (state == 2)
            ::unlink(s.path);
        else if (state == 3)
            RemoveTreeAt(AT_FDCWD, s.path, 8);
    }
}

// Removes the live names, then lets the signal take its default course: the
// handler was installed with SA_RESETHAND and the signal stays blocked until
// the handler returns, so the raised copy ends the program then.
void OnSignal(int sig)
{
    const int saved = errno;
    RemoveLive();
    ::raise(sig);
    errno = saved;
}

// Installs the handlers once, only over signals left at their default: a
// program that handles or ignores a signal itself keeps its own choice.
void InstallOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int sig : kSignals) {
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) || old.sa_handler != SIG_DFL)
                continue;
            struct sigaction act {};
            act.sa_handler = OnSignal;
            sigemptyset(&act.sa_mask);
            act.sa_flags = SA_RESETHAND;
            ::sigaction(sig, &act, nullptr);
        }
        std::atexit(RemoveLive);
    });
}

int ClaimSlot()
{
    for (int i = 0; i < kSlots; ++i) {
        int expected = 0;
        if (g_slots[i].state.compare_exchange_strong(expected, 1))
            return i;
    }
    return -1;
}

void ReleaseSlot(int slot)
{
    if (slot >= 0)
        g_slots[slot].state.store(0);
}

} // namespace

KVSignalsHeld::KVSignalsHeld()
{
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &m_old);
}

KVSignalsHeld::~KVSignalsHeld()
{
    ::pthread_sigmask(SIG_SETMASK, &m_old, nullptr);
}

KVTempFile::~KVTempFile()
{
    if (!m_name.empty())
        Remove();
}

bool KVTempFile::Create(const std::string& dir)
{
    if (!m_name.empty())
        Remove();
    InstallOnce();
    std::string name = dir;
    if (!name.empty() && name.back() != '/')
        name += '/';
    name += kTempPrefix;
    name += "XXXXXX";
    // Created and entered in the table with signals held, so no interruption
    // falls between the two.
    const KVSignalsHeld held;
    m_slot = name.size() < PATH_MAX ? ClaimSlot() : -1;
    char* buffer = name.data();
    if (m_slot >= 0) {
        std::memcpy(g_slots[m_slot].path, name.c_str(), name.size() + 1);
        buffer = g_slots[m_slot].path;
    }
    m_fd = ::mkostemp(buffer, O_CLOEXEC); // O_EXCL and mode 0600
    if (m_fd < 0) {
        const int err = errno;
        ReleaseSlot(m_slot);
        m_slot = -1;
        errno = err;
        return false;
    }
    m_name = buffer;
    if (m_slot >= 0)
        g_slots[m_slot].state.store(2);
    return true;
}

bool KVTempFile::Close()
{
    if (m_fd < 0)
        return true;
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0 || errno == EINTR;
}

bool KVTempFile::RenameTo(const std::string& target)
{
    // The content reaches the disk before the name does, and the name
    // before success is reported: a crash at any point leaves the old file
    // or the new one, never an empty or zero-filled one.
    if (m_fd >= 0 && ::fdatasync(m_fd) != 0 && errno != EINVAL)
        return false;
    if (!Close() || ::rename(m_name.c_str(), target.c_str()) != 0)
        return false;
    ReleaseSlot(m_slot);
    m_slot = -1;
    m_name.clear();
    return KVSyncFolderOf(target);
}

bool KVSyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A file system that cannot sync a folder (EINVAL) keeps its names as it does.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    const int err = errno;
    ::close(fd);
    errno = err;
    return ok;
}

bool KVSyncFolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return KVSyncFolder(slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash));
}

void KVTempFile::Remove()
{
    const int err = errno;
    Close();
    if (!m_name.empty())
        ::unlink(m_name.c_str());
    ReleaseSlot(m_slot);
    m_slot = -1;
    m_name.clear();
    errno = err;
}

namespace {

int Remember(const std::string& name, int state)
{
    InstallOnce();
    if (name.empty() || name.size() >= PATH_MAX)
        return -1;
    const int slot = ClaimSlot();
    if (slot < 0)
        return -1;
    std::memcpy(g_slots[slot].path, name.c_str(), name.size() + 1);
    g_slots[slot].state.store(state);
    return slot;
}

} // namespace

int KVRememberTempName(const std::string& name)
{
    return Remember(name, 2);
}

int KVRememberTempFolder(const std::string& folder)
{
    return Remember(folder, 3);
}

mode_t KVProcessUmask()
{
    static const mode_t mask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

void KVForgetTempName(int handle)
{
    if (handle >= 0 && handle < kSlots)
        ReleaseSlot(handle);
}
