#include "KVZipArchive.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

constexpr uint32_t kLocalHeader = 0x04034b50;
constexpr uint32_t kCentralHeader = 0x02014b50;
constexpr uint32_t kEndRecord = 0x06054b50;
constexpr uint32_t kZip64EndRecord = 0x06064b50;
constexpr uint32_t kZip64Locator = 0x07064b50;
constexpr size_t kEndSize = 22, kLocatorSize = 20, kZip64EndSize = 56;
constexpr size_t kCentralSize = 46, kLocalSize = 30;
constexpr size_t kMaxComment = 65535;
constexpr uint16_t kEncrypted = 0x0001, kUtf8Name = 0x0800;
constexpr uint16_t kStored = 0, kDeflated = 8;
// Deflate cannot expand data by more than about 1032 to 1: an entry that
// claims more is broken, and its claim must not size a buffer.
constexpr uint64_t kMaxRatio = 1032;
constexpr size_t kMinOutput = size_t(1) << 16;

// The first room for a deflated entry's bytes: a few times its packed size.
uint64_t InitialOutput(uint64_t packedSize)
{
    return std::max<uint64_t>(std::min<uint64_t>(packedSize, uint64_t(1) << 40) * 4, kMinOutput);
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p)
{
    return U16(p) | static_cast<uint32_t>(U16(p + 2)) << 16;
}
uint64_t U64(const uint8_t* p)
{
    return U32(p) | static_cast<uint64_t>(U32(p + 4)) << 32;
}

// Code page 437's upper half, as Unicode.
constexpr uint16_t kCp437[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

bool IsUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t more = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 9;
        if (more == 9 || more >= s.size() - i)
            return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += more + 1;
    }
    return true;
}

void AppendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string KVZipNameText(std::string_view raw, bool flaggedUtf8)
{
    if (flaggedUtf8 || IsUtf8(raw))
        return std::string(raw);
    std::string out;
    out.reserve(raw.size() * 2);
    for (const char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        AppendUtf8(out, b < 0x80 ? b : kCp437[b - 0x80]);
    }
    return out;
}

KVZipArchive::~KVZipArchive()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool KVZipArchive::ReadAt(uint64_t offset, void* to, size_t size) const
{
    if (offset > m_fileSize || size > m_fileSize - offset)
        return false;
    auto* p = static_cast<uint8_t*>(to);
    while (size > 0) {
        const ssize_t got = ::pread(m_fd, p, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        p += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool KVZipArchive::Open(const std::string& path, std::string& why)
{
    m_entries.clear();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "unreadable";
        return false;
    }
    m_fileSize = static_cast<uint64_t>(st.st_size);
    why = "not a zip archive";
    if (m_fileSize < kEndSize)
        return false;
    // The end record sits in the last 22 bytes plus at most a comment; the
    // last signature whose comment fits the file is taken.
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(m_fileSize, kEndSize + kMaxComment + kLocatorSize));
    const uint64_t tailStart = m_fileSize - tailSize;
    std::vector<uint8_t> tail(tailSize);
    if (!ReadAt(tailStart, tail.data(), tailSize)) {
        why = "unreadable";
        return false;
    }
    size_t at = tailSize - kEndSize + 1;
    const uint8_t* end = nullptr;
    while (at-- > 0) {
        const uint8_t* p = tail.data() + at;
        if (U32(p) == kEndRecord && at + kEndSize + U16(p + 20) <= tailSize) {
            end = p;
            break;
        }
    }
    if (!end)
        return false;
    const uint64_t endPos = tailStart + at;
    uint64_t count = U16(end + 10);
    uint64_t cdSize = U32(end + 12);
    uint64_t cdOffset = U32(end + 16);
    const bool spanned = U16(end + 4) != 0 || U16(end + 6) != 0 || U16(end + 8) != count;
    if (at >= kLocatorSize && U32(end - kLocatorSize) == kZip64Locator) {
        uint8_t rec[kZip64EndSize];
        const uint64_t recPos = U64(end - kLocatorSize + 8), locatorPos = endPos - kLocatorSize;
        m_base = 0;
        if (recPos > locatorPos || !ReadAt(recPos, rec, sizeof rec) || U32(rec) != kZip64EndRecord) {
            // Bytes in front of the archive: the record is not where the
            // locator says but right before the locator, and the distance
            // moves every offset.
            if (locatorPos < kZip64EndSize || locatorPos - kZip64EndSize < recPos)
                return false;
            m_base = locatorPos - kZip64EndSize - recPos;
            if (!ReadAt(m_base + recPos, rec, sizeof rec) || U32(rec) != kZip64EndRecord
                || U64(rec + 4) != kZip64EndSize - 12)
                return false;
        }
        if (U32(rec + 16) != 0 || U32(rec + 20) != 0 || U64(rec + 24) != U64(rec + 32)) {
            why = "it spans several disks";
            return false;
        }
        count = U64(rec + 32);
        cdSize = U64(rec + 40);
        cdOffset = U64(rec + 48);
        if (cdOffset > recPos || cdSize > recPos - cdOffset)
            return false;
        m_dataEnd = m_base + cdOffset;
    } else {
        if (spanned) {
            why = "it spans several disks";
            return false;
        }
        // Bytes in front of the archive (a self-extracting stub) move every
        // offset by the same amount.
        if (cdOffset > endPos || cdSize > endPos - cdOffset)
            return false;
        m_base = endPos - (cdOffset + cdSize);
        m_dataEnd = m_base + cdOffset;
    }
    return ReadDirectory(m_base + cdOffset, cdSize, count, why);
}

bool KVZipArchive::ReadDirectory(uint64_t offset, uint64_t size, uint64_t count, std::string& why)
{
    why = "its directory is broken";
    if (count > size / kCentralSize)
        return false;
    std::vector<uint8_t> cd;
    try {
        cd.resize(static_cast<size_t>(size));
    } catch (const std::exception&) {
        return false;
    }
    if (!ReadAt(offset, cd.data(), cd.size())) {
        why = "unreadable";
        return false;
    }
    m_entries.reserve(static_cast<size_t>(count));
    size_t at = 0;
    for (uint64_t i = 0; i < count; ++i) {
        if (cd.size() - at < kCentralSize)
            return false;
        const uint8_t* h = cd.data() + at;
        const size_t nameLen = U16(h + 28), extraLen = U16(h + 30), commentLen = U16(h + 32);
        if (U32(h) != kCentralHeader || cd.size() - at - kCentralSize < nameLen + extraLen + commentLen)
            return false;
        Entry e;
        e.flags = U16(h + 8);
        e.method = U16(h + 10);
        e.crc = U32(h + 16);
        e.packedSize = U32(h + 20);
        e.size = U32(h + 24);
        e.localOffset = U32(h + 42);
        const char* name = reinterpret_cast<const char*>(h + kCentralSize);
        e.name = KVZipNameText(std::string_view(name, nameLen), e.flags & kUtf8Name);
        // The zip64 field holds, in this order, the values whose 32-bit
        // field is all ones.
        const uint8_t* x = h + kCentralSize + nameLen;
        for (size_t k = 0; k + 4 <= extraLen;) {
            const size_t len = U16(x + k + 2);
            if (k + 4 + len > extraLen)
                break;
            if (U16(x + k) == 0x0001) {
                const uint8_t* v = x + k + 4;
                size_t left = len;
                for (uint64_t* field : {&e.size, &e.packedSize, &e.localOffset}) {
                    if (*field != 0xFFFFFFFFu)
                        continue;
                    if (left < 8)
                        return false;
                    *field = U64(v);
                    v += 8;
                    left -= 8;
                }
            }
            k += 4 + len;
        }
        m_entries.push_back(std::move(e));
        at += kCentralSize + nameLen + extraLen + commentLen;
    }
    return true;
}

const KVZipArchive::Entry* KVZipArchive::Find(std::string_view name) const
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.name == name; });
    return it == m_entries.end() ? nullptr : &*it;
}

bool KVZipArchive::Read(const Entry& entry, std::string& bytes, std::string& why, size_t maxBytes) const
{
    bytes.clear();
    if (entry.flags & kEncrypted) {
        why = "it is encrypted";
        return false;
    }
    if (entry.method != kStored && entry.method != kDeflated) {
        why = "it is packed with method " + std::to_string(entry.method) + ", which is not supported";
        return false;
    }
    why = "it is broken";
    uint8_t local[kLocalSize];
    const uint64_t at = m_base + entry.localOffset;
    if (entry.localOffset > m_dataEnd - m_base || !ReadAt(at, local, sizeof local) || U32(local) != kLocalHeader)
        return false;
    const uint64_t from = at + kLocalSize + U16(local + 26) + U16(local + 28);
    if (from > m_dataEnd || entry.packedSize > m_dataEnd - from)
        return false;
    if (entry.method == kStored ? entry.size != entry.packedSize : entry.size / kMaxRatio > entry.packedSize + 1)
        return false;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(entry.size, maxBytes));
    // A deflated entry's size is a claim until its stream bears it out: the
    // buffer starts near the packed size and grows with what is unpacked.
    const size_t first =
        entry.method == kStored ? want : static_cast<size_t>(std::min<uint64_t>(want, InitialOutput(entry.packedSize)));
    try {
        bytes.resize(first);
    } catch (const std::exception&) {
        why = "too large";
        return false;
    }
    const bool ok = entry.method == kStored ? ReadAt(from, bytes.data(), want) : Inflate(from, entry, bytes, want, why);
    if (ok && want == entry.size) {
        uLong crc = crc32(0L, Z_NULL, 0);
        for (size_t done = 0; done < want;) {
            const uInt piece = static_cast<uInt>(std::min<size_t>(want - done, 1u << 30));
            crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + done), piece);
            done += piece;
        }
        if (crc != entry.crc) {
            why = "it fails its CRC check";
            bytes.clear();
            return false;
        }
    }
    if (!ok)
        bytes.clear();
    return ok;
}

bool KVZipArchive::Inflate(uint64_t from, const Entry& entry, std::string& bytes, size_t want, std::string& why) const
{
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        why = "it is broken";
        return false;
    }
    std::vector<uint8_t> in(static_cast<size_t>(std::min<uint64_t>(entry.packedSize, 1u << 16)));
    uint64_t left = entry.packedSize;
    size_t made = 0;
    uint8_t spare = 0; // proves that a whole entry's stream ends where it should
    bool ended = false, ok = true;
    while (ok && !ended && (made < want || want == entry.size)) {
        if (z.avail_in == 0 && left > 0) {
            const size_t take = static_cast<size_t>(std::min<uint64_t>(left, in.size()));
            ok = ReadAt(from, in.data(), take);
            from += take;
            left -= take;
            z.next_in = in.data();
            z.avail_in = static_cast<uInt>(take);
        }
        const bool full = made == want;
        if (!full && made == bytes.size()) {
            try {
                bytes.resize(std::min(want, bytes.size() + std::max(bytes.size(), kMinOutput)));
            } catch (const std::exception&) {
                why = "too large";
                ok = false;
                break;
            }
        }
        z.next_out = full ? &spare : reinterpret_cast<Bytef*>(bytes.data() + made);
        z.avail_out = full ? 1u : static_cast<uInt>(std::min<size_t>(bytes.size() - made, 1u << 30));
        const uInt before = z.avail_out;
        const int r = ok ? inflate(&z, Z_NO_FLUSH) : Z_DATA_ERROR;
        const size_t got = before - z.avail_out;
        if (full && got > 0)
            ok = false; // more data than the directory says
        else
            made += got;
        ended = r == Z_STREAM_END;
        if (r != Z_OK && r != Z_STREAM_END && !(r == Z_BUF_ERROR && z.avail_in == 0 && left > 0))
            ok = false;
        if (r == Z_BUF_ERROR && z.avail_in == 0 && left == 0)
            ok = false; // cut short
    }
    inflateEnd(&z);
    return ok && made == want;
}
