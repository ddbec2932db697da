#pragma once
// A .zip archive opened for reading, through zlib's own unzip library
// (minizip): its entries listed and found by name, and unpacked whole or in
// part. Stored and deflated entries are read, zip64 sizes and offsets are
// understood, and bytes prepended to the archive (self-extracting archives)
// are allowed for. What the library leaves to its caller is checked here: an
// entry's claimed size against deflate's greatest ratio and a cap, entries
// whose data overlap (one stream read as many), encryption and methods.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class KVZipArchive {
public:
    struct Entry {
        std::string name; // UTF-8: as flagged, as found when valid, else read as code page 437
        uint64_t packedSize = 0;
        uint64_t size = 0;
        uint32_t crc = 0;
        uint16_t method = 0;
        uint16_t flags = 0;
    };
    // The most one entry unpacks to; a larger one is refused before a byte
    // is unpacked, so a small archive cannot fill the memory.
    static constexpr uint64_t kMaxEntryBytes = uint64_t(2) << 30;

    KVZipArchive();
    ~KVZipArchive();
    KVZipArchive(const KVZipArchive&) = delete;
    KVZipArchive& operator=(const KVZipArchive&) = delete;

    // Reads the central directory of the archive at path; false with why
    // ("not a zip archive", "its directory is broken", ...) when it cannot.
    bool Open(const std::string& path, std::string& why);
    const std::vector<Entry>& Entries() const { return m_entries; }
    // The first entry called name, or nullptr (one hash look-up).
    const Entry* Find(std::string_view name) const;
    // How many entries are called name (more than one: Find gives the first).
    size_t CountOf(std::string_view name) const;
    // Unpacks the first maxBytes bytes of entry (all of it when it is
    // shorter); a whole entry is checked against its CRC-32. why: the reason
    // it cannot be unpacked ("it is encrypted", "it fails its CRC check").
    bool Read(const Entry& entry, std::string& bytes, std::string& why,
              size_t maxBytes = static_cast<size_t>(-1)) const;

private:
    struct Place;
    struct Source;
    bool List(std::string& why);
    bool Unpack(const Entry& entry, std::string& bytes, std::string& why, size_t want) const;
    void MarkOverlaps();

    std::unique_ptr<Source> m_source;
    void* m_unz = nullptr;
    std::vector<Entry> m_entries;
    std::vector<Place> m_places; // where each entry lies, by index
    std::unordered_map<std::string_view, size_t> m_byName;
    std::vector<size_t> m_repeats; // entries whose name an earlier entry has
};

// The UTF-8 text of name bytes that are not flagged as UTF-8: kept when they
// are valid UTF-8, else read as code page 437, the archives' old default.
std::string KVZipNameText(std::string_view raw, bool flaggedUtf8);
