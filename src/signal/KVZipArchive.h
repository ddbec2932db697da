#pragma once
// A .zip archive opened for reading: its central directory, and its entries
// unpacked whole or in part. Stored and deflated entries are read (zlib
// inflates), zip64 sizes and offsets are understood, and bytes prepended to
// the archive (self-extracting archives) are allowed for. Every size and
// offset is checked against the file before it is used.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class KVZipArchive {
public:
    struct Entry {
        std::string name; // UTF-8: as flagged, as found when valid, else read as code page 437
        uint64_t packedSize = 0;
        uint64_t size = 0;
        uint64_t localOffset = 0; // of the local header, from the archive's own start
        uint32_t crc = 0;
        uint16_t method = 0;
        uint16_t flags = 0;
    };

    KVZipArchive() = default;
    ~KVZipArchive();
    KVZipArchive(const KVZipArchive&) = delete;
    KVZipArchive& operator=(const KVZipArchive&) = delete;

    // Reads the central directory of the archive at path; false with why
    // ("not a zip archive", "its directory is broken", ...) when it cannot.
    bool Open(const std::string& path, std::string& why);
    const std::vector<Entry>& Entries() const { return m_entries; }
    // The first entry called name, or nullptr.
    const Entry* Find(std::string_view name) const;
    // Unpacks the first maxBytes bytes of entry (all of it when it is
    // shorter); a whole entry is checked against its CRC-32. why: "too
    // large" or the reason it cannot be unpacked ("it fails its CRC check").
    bool Read(const Entry& entry, std::string& bytes, std::string& why,
              size_t maxBytes = static_cast<size_t>(-1)) const;

private:
    bool ReadAt(uint64_t offset, void* to, size_t size) const;
    bool ReadDirectory(uint64_t offset, uint64_t size, uint64_t count, std::string& why);
    bool Inflate(uint64_t from, const Entry& entry, std::string& bytes, size_t want, std::string& why) const;

    int m_fd = -1;
    uint64_t m_fileSize = 0;
    uint64_t m_base = 0; // bytes in front of the archive
    uint64_t m_dataEnd = 0; // where the central directory starts
    std::vector<Entry> m_entries;
};

// The UTF-8 text of name bytes that are not flagged as UTF-8: kept when they
// are valid UTF-8, else read as code page 437, the archives' old default.
std::string KVZipNameText(std::string_view raw, bool flaggedUtf8);
