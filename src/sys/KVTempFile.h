#pragma once
// Temporary files that never outlive their program: created exclusively under
// an unpredictable name with mode 0600, and removed when the program is
// interrupted (SIGINT, SIGTERM, SIGHUP, SIGPIPE) or exits while they live.
// Only a SIGKILL can leave one behind; its name begins with kTempPrefix.
#include <csignal>
#include <string>
#include <sys/types.h>

inline constexpr const char* kTempPrefix = ".kvsave-";

class KVTempFile {
public:
    KVTempFile() = default;
    ~KVTempFile(); // removes the file unless it was renamed or kept
    KVTempFile(const KVTempFile&) = delete;
    KVTempFile& operator=(const KVTempFile&) = delete;

    // Creates dir/.kvsave-XXXXXX (in the current folder when dir is empty)
    // and opens it for writing. False with errno set when it cannot be made.
    bool Create(const std::string& dir);
    int Fd() const { return m_fd; }
    const std::string& Name() const { return m_name; }

    // Closes the descriptor; false with errno set when the close failed
    // (a delayed write error).
    bool Close();
    // Sends the content to disk, closes and renames the file to target, then
    // sends the target's folder to disk; afterwards it is no longer removed.
    // False with errno set; the file is still present and registered when
    // the rename did not happen.
    bool RenameTo(const std::string& target);
    // Closes and deletes the file.
    void Remove();

private:
    int m_fd = -1;
    int m_slot = -1; // index in the table of live names, -1 when not in it
    std::string m_name;
};

// Holds every signal back while it lives (a few system calls that must not
// be cut in the middle); held signals arrive when it ends.
class KVSignalsHeld {
public:
    KVSignalsHeld();
    ~KVSignalsHeld();
    KVSignalsHeld(const KVSignalsHeld&) = delete;
    KVSignalsHeld& operator=(const KVSignalsHeld&) = delete;

private:
    sigset_t m_old;
};

// Sends the entries of folder (the current folder when empty), or of the
// folder that holds path, to disk; false with errno set.
bool KVSyncFolder(const std::string& folder);
bool KVSyncFolderOf(const std::string& path);

// Registers the existing file name for removal at exit or on an interrupting
// signal, for temporary files made by other means; returns a handle for
// KVForgetTempName, or -1 when the table is full or the name too long.
int KVRememberTempName(const std::string& name);
// The same for a folder made by other means (a test being written): it is
// removed with everything in it, folders to a depth of 8.
int KVRememberTempFolder(const std::string& folder);
// Takes a name out of the table again (the file itself is not touched).
void KVForgetTempName(int handle);

// The process's file mode creation mask (read once; umask has no pure read).
mode_t KVProcessUmask();
