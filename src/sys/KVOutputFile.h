#pragma once
// The one way this toolset writes an output file: a store either completes
// or leaves the target exactly as it was, and nothing half-written stays.
//
//   KVOutputFile out(name);
//   if (!out.Open() || !out.Write(piece) || ... || !out.Commit())
//       report(out.Reason());           // the target is untouched
//
// How the target is written (decided by Open):
// - Replace: a new file, or a regular file with one link in a writable
//   folder. The content goes to an exclusive temporary file (mode 0600) in
//   the target's folder, which takes the target's mode (and owner, where
//   allowed) just before it is renamed over the target on Commit.
// - InPlace: a regular file with several hard links, or a writable file in a
//   folder where no file can be created. The content is built in memory and
//   written over the file on Commit, with the space reserved first so that a
//   full disk leaves the old content; links, owner and mode stay.
// - Stream: an existing named pipe or character device (a terminal,
//   /dev/null, /dev/full) is opened and written as the content comes; its
//   write errors are reported. Nothing is replaced.
// Other targets are refused: a folder ("is a directory"), a block device or
// a socket ("is not a regular file"), and a regular file the user may not
// write ("is write-protected") unless KVReplaceWriteProtected allowed it. A symbolic link is followed, so the
// file it names is written and the link stays.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class KVTempFile;

class KVOutputFile {
public:
    enum class Way { None, Replace, InPlace, Stream };

    explicit KVOutputFile(std::string target);
    ~KVOutputFile(); // abandons an output that was not committed
    KVOutputFile(const KVOutputFile&) = delete;
    KVOutputFile& operator=(const KVOutputFile&) = delete;

    // Decides the way and opens what it writes to; false with Reason() set.
    bool Open();
    // Appends bytes; false with Reason() set (the output is then abandoned).
    bool Write(const void* data, size_t size);
    bool Write(std::span<const uint8_t> bytes) { return Write(bytes.data(), bytes.size()); }
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Puts the content in place; false with Reason() set and the target as
    // it was (for Stream, the bytes already sent stay sent).
    bool Commit();
    // Drops the content; the target stays as it was.
    void Abandon();

    Way GetWay() const { return m_way; }
    // Why the last step failed, in lower case ("permission denied", "is a
    // directory", "no space left on device") or "Not enough memory".
    const std::string& Reason() const { return m_reason; }
    // The file actually written (the target with symbolic links followed).
    const std::string& Target() const { return m_target; }

private:
    bool Fail(int err);
    bool Fail(const std::string& reason);
    bool Flush();
    bool CommitInPlace();

    std::string m_target;
    std::string m_reason;
    Way m_way = Way::None;
    int m_fd = -1;                      // InPlace and Stream
    std::unique_ptr<KVTempFile> m_temp; // Replace
    std::vector<uint8_t> m_pending;     // write buffer; the whole content for InPlace
    size_t m_oldSize = 0;               // InPlace: the file's size before
    unsigned m_newMode = 0;             // Replace: the mode the file gets
    bool m_failed = false;
};

// Whether the outputs of this program replace write-protected files (a
// command's --force); off unless set.
void KVReplaceWriteProtected(bool allow);
// Whether KVReplaceWriteProtected allowed it (a program handing --force on).
bool KVReplacesWriteProtected();

// Writes bytes to target as above in one call; false with reason set.
bool KVWriteFile(const std::string& target, std::span<const uint8_t> bytes, std::string& reason);
