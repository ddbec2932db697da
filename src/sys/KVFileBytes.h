#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

// The bytes of one whole file, read in one piece. The buffer is not
// zero-filled first: every byte of it comes from the file.
class KVFileBytes {
public:
    enum Status {
        Ok,
        CannotOpen,   // the name cannot be opened for reading
        NoInfo,       // the size cannot be learnt
        NotRegular,   // a directory, a device or a pipe
        WrongSize,    // the size is not a multiple of the one asked for
        TooLarge,     // no memory for the whole file
        ReadFailed,   // the read failed or came up short
    };

    KVFileBytes() = default;
    ~KVFileBytes();
    KVFileBytes(const KVFileBytes&) = delete;
    KVFileBytes& operator=(const KVFileBytes&) = delete;

    // Reads the regular file fileName; a size that is not a multiple of
    // sizeMultiple is refused before reading. Bytes stay empty unless Ok.
    Status Read(const std::string& fileName, size_t sizeMultiple = 1);
    // Opens fileName with the same checks for reading in pieces: Size() is
    // the file's size, Bytes() stays empty, ReadNext gives the bytes in order.
    Status Open(const std::string& fileName, size_t sizeMultiple = 1);
    // The next size bytes of a file opened with Open; false on an error or a
    // file that came up short (Describe says which).
    bool ReadNext(uint8_t* data, size_t size);
    // The size bytes at offset of a file opened with Open, ReadNext's place
    // kept; false on an error or past the file's end.
    bool ReadAt(uint64_t offset, uint8_t* data, size_t size);
    void Close();

    // Why the last Read failed, as a sentence about fileName: "<name> is not
    // found.", "<name> is a directory.", "<name> is not a regular file.",
    // "<name> cannot be read: permission denied." (the system's reason) or
    // "Not enough memory to read <name>.".
    std::string Describe(const std::string& fileName) const;

    const uint8_t* Data() const { return m_data.get(); }
    size_t Size() const { return m_size; }
    std::span<const uint8_t> Bytes() const
    {
        return m_data ? std::span<const uint8_t>{m_data.get(), m_size} : std::span<const uint8_t>{};
    }

private:
    Status OpenChecked(const std::string& fileName, size_t sizeMultiple);
    // Forgets the file and the bytes of the last call.
    void Reset();
    // Keeps the open fd for ReadNext (fd becomes -1) when size fits sizeMultiple.
    Status Keep(int& fd, size_t size, size_t sizeMultiple);

    std::unique_ptr<uint8_t[]> m_data;
    size_t m_size = 0;
    Status m_status = Ok;
    int m_errno = 0; // the system's error number of a failed open or read
    int m_fd = -1;   // a file opened with Open
    size_t m_offset = 0; // where ReadNext goes on
};

// Whether the regular file fileName begins with prefix (false when it cannot
// be read, or is a directory, a device or a pipe, which are never waited on).
bool KVFileStartsWith(const std::string& fileName, std::string_view prefix);
