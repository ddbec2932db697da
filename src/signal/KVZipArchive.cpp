#include "KVZipArchive.h"

#include "KVTextCode.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace {

constexpr uint32_t kEndRecord = 0x06054b50;
constexpr uint32_t kZip64EndRecord = 0x06064b50;
constexpr uint32_t kZip64Locator = 0x07064b50;
constexpr size_t kEndSize = 22, kLocatorSize = 20, kZip64EndSize = 56;
constexpr size_t kMaxComment = 65535;
constexpr uint16_t kEncrypted = 0x0001, kUtf8Name = 0x0800;
constexpr uint16_t kStored = 0, kDeflated = 8;
// Deflate cannot expand data by more than about 1032 to 1: an entry that
// claims more is broken, and its claim must not size a buffer. With entries
// whose data do not overlap, this also bounds all an archive unpacks to at
// 1032 times its size.
constexpr uint64_t kMaxRatio = 1032;
constexpr size_t kMinOutput = size_t(1) << 16;
constexpr size_t kBuffer = size_t(1) << 15;

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

} // namespace

std::string KVZipNameText(std::string_view raw, bool flaggedUtf8)
{
    if (flaggedUtf8 || KVIsUtf8(raw))
        return std::string(raw);
    return KVConvertText(raw, KVCharset::Cp437, KVCharset::Utf8);
}

// The archive's bytes as the unzip library reads them: through one buffer of
// pread calls (it asks for two and four bytes at a time), from base on.
struct KVZipArchive::Source {
    int fd = -1;
    uint64_t fileSize = 0;
    uint64_t base = 0; // bytes in front of the archive the library cannot place itself
    int64_t shift = 0; // moves the reads of one entry whose zip64 offset the library misreads
    bool padded = false; // reads past the end give zeros (see Place::padded)
    uint64_t pos = 0;  // where the library reads, from base
    bool failed = false;
    // Two buffers, the one used longest ago refilled: the library goes back
    // and forth between the directory and the local headers, each read in
    // order.
    struct Buffer {
        std::vector<uint8_t> bytes = std::vector<uint8_t>(kBuffer);
        uint64_t at = 0;
        size_t length = 0;
    };
    Buffer buffers[2];
    int lastUsed = 0;

    ~Source()
    {
        if (fd >= 0)
            ::close(fd);
    }
    uint64_t Size() const { return fileSize - base; }
    // Where the library's position lies in the file, or fileSize when outside it.
    uint64_t At(uint64_t at) const
    {
        int64_t real = 0;
        if (at > uint64_t(INT64_MAX) || __builtin_add_overflow(static_cast<int64_t>(at), static_cast<int64_t>(base), &real)
            || __builtin_add_overflow(real, shift, &real) || real < 0 || static_cast<uint64_t>(real) > fileSize)
            return fileSize;
        return static_cast<uint64_t>(real);
    }

    ssize_t ReadAt(uint64_t at, uint8_t* to, size_t size)
    {
        for (;;) {
            const ssize_t got = ::pread(fd, to, size, static_cast<off_t>(at));
            if (got >= 0 || errno != EINTR)
                return got;
        }
    }

    size_t Read(uint8_t* to, size_t size)
    {
        size_t done = 0;
        const uint64_t startPos = pos;
        while (done < size && At(pos) < fileSize) {
            const uint64_t at = At(pos);
            int hit = -1;
            for (int k = 0; k < 2; ++k)
                if (at >= buffers[k].at && at < buffers[k].at + buffers[k].length)
                    hit = k;
            if (hit >= 0) {
                const Buffer& buf = buffers[hit];
                const size_t take = std::min<uint64_t>(size - done, buf.at + buf.length - at);
                std::copy_n(buf.bytes.data() + (at - buf.at), take, to + done);
                done += take;
                pos += take;
                lastUsed = hit;
                continue;
            }
            const bool direct = size - done >= kBuffer;
            Buffer& refill = buffers[1 - lastUsed];
            const ssize_t got = direct ? ReadAt(at, to + done, size - done) : ReadAt(at, refill.bytes.data(), kBuffer);
            if (got <= 0) {
                failed = got < 0;
                break;
            }
            if (direct) {
                done += static_cast<size_t>(got);
                pos += static_cast<uint64_t>(got);
            } else {
                refill.at = at;
                refill.length = static_cast<size_t>(got);
                lastUsed = 1 - lastUsed;
            }
        }
        if (padded && !failed && done < size) {
            std::fill(to + done, to + size, uint8_t(0));
            done = size;
            pos = startPos + size;
        }
        return done;
    }

    // The library's file functions, over this source.
    static zlib_filefunc64_def Functions(Source* self)
    {
        zlib_filefunc64_def f{};
        f.zopen64_file = [](voidpf opaque, const void*, int) -> voidpf { return opaque; };
        f.zread_file = [](voidpf, voidpf s, void* to, uLong size) -> uLong {
            return static_cast<Source*>(s)->Read(static_cast<uint8_t*>(to), size);
        };
        f.zwrite_file = [](voidpf, voidpf, const void*, uLong) -> uLong { return 0; };
        f.ztell64_file = [](voidpf, voidpf s) -> ZPOS64_T { return static_cast<Source*>(s)->pos; };
        f.zseek64_file = [](voidpf, voidpf s, ZPOS64_T offset, int origin) -> long {
            Source& src = *static_cast<Source*>(s);
            const uint64_t from = origin == ZLIB_FILEFUNC_SEEK_SET ? 0
                : origin == ZLIB_FILEFUNC_SEEK_CUR                 ? src.pos
                                                                   : src.Size();
            // A step back comes as a wrapped unsigned value; a place outside
            // the file reads nothing.
            src.pos = from + offset;
            return 0;
        };
        f.zclose_file = [](voidpf, voidpf) -> int { return 0; };
        f.zerror_file = [](voidpf, voidpf s) -> int { return static_cast<Source*>(s)->failed ? 1 : 0; };
        f.opaque = self;
        return f;
    }
};

// Where an entry lies: its place in the directory and the span of its data.
struct KVZipArchive::Place {
    unz64_file_pos pos{};
    uint64_t dataStart = 0, dataEnd = 0;
    int64_t shift = 0;    // Source::shift while it is read
    // Its packed size came from the zip64 field, so the library takes it for
    // 4 GiB and reads whole buffers past the data's end: those reads are
    // given zeros, after the bytes that count (checked to lie in the file).
    bool padded = false;
    bool located = false; // its local header agrees with the directory
    bool overlaps = false;
};

namespace {

struct Tail {
    bool found = false;
    bool spanned = false;
    uint64_t zip64Base = 0; // bytes in front of a zip64 archive, from its locator
};

// The end record (the last signature whose comment fits the file): whether
// there is one, whether it spans disks, and how far a zip64 archive's
// records were moved by bytes in front of it, which the unzip library does
// not allow for.
Tail ReadTail(int fd, uint64_t fileSize)
{
    Tail t;
    const size_t tailSize = static_cast<size_t>(std::min<uint64_t>(fileSize, kEndSize + kMaxComment + kLocatorSize));
    const uint64_t tailStart = fileSize - tailSize;
    std::vector<uint8_t> tail(tailSize);
    if (tailSize < kEndSize || ::pread(fd, tail.data(), tailSize, static_cast<off_t>(tailStart)) != ssize_t(tailSize))
        return t;
    size_t at = tailSize - kEndSize + 1;
    while (at-- > 0) {
        const uint8_t* p = tail.data() + at;
        if (U32(p) == kEndRecord && at + kEndSize + U16(p + 20) <= tailSize) {
            t.found = true;
            t.spanned = U16(p + 4) != 0 || U16(p + 6) != 0 || U16(p + 8) != U16(p + 10);
            break;
        }
    }
    if (!t.found || at < kLocatorSize || U32(tail.data() + at - kLocatorSize) != kZip64Locator)
        return t;
    const uint64_t recPos = U64(tail.data() + at - kLocatorSize + 8);
    const uint64_t locatorPos = tailStart + at - kLocatorSize;
    uint8_t rec[4];
    if (locatorPos >= kZip64EndSize && locatorPos - kZip64EndSize > recPos
        && ::pread(fd, rec, 4, static_cast<off_t>(locatorPos - kZip64EndSize)) == 4 && U32(rec) == kZip64EndRecord)
        t.zip64Base = locatorPos - kZip64EndSize - recPos;
    return t;
}

// The values of the zip64 field (0x0001) of an entry's directory extra
// field, in their order: the size, the packed size and the local header's
// offset, each only where its 32-bit field is all ones. The unzip library of
// this platform compares those fields with a 64-bit all-ones and so never
// takes them; they are applied here.
std::vector<uint64_t> Zip64Values(const uint8_t* x, size_t length)
{
    std::vector<uint64_t> values;
    for (size_t k = 0; k + 4 <= length;) {
        const size_t len = U16(x + k + 2);
        if (k + 4 + len > length)
            break;
        if (U16(x + k) == 0x0001)
            for (size_t v = 0; v + 8 <= len; v += 8)
                values.push_back(U64(x + k + 4 + v));
        k += 4 + len;
    }
    return values;
}

} // namespace

KVZipArchive::KVZipArchive() = default;

KVZipArchive::~KVZipArchive()
{
    if (m_unz)
        unzClose(m_unz);
}

bool KVZipArchive::Open(const std::string& path, std::string& why)
{
    if (m_unz)
        unzClose(m_unz);
    m_unz = nullptr;
    m_entries.clear();
    m_places.clear();
    m_byName.clear();
    m_repeats.clear();
    m_source = std::make_unique<Source>();
    Source& src = *m_source;
    src.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat st {};
    if (src.fd < 0 || ::fstat(src.fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "unreadable";
        return false;
    }
    src.fileSize = static_cast<uint64_t>(st.st_size);
    const Tail tail = ReadTail(src.fd, src.fileSize);
    why = tail.spanned ? "it spans several disks" : "not a zip archive";
    if (!tail.found || tail.spanned)
        return false;
    zlib_filefunc64_def functions = Source::Functions(&src);
    m_unz = unzOpen2_64(path.c_str(), &functions);
    if (!m_unz && tail.zip64Base > 0) {
        src.base = tail.zip64Base;
        m_unz = unzOpen2_64(path.c_str(), &functions);
    }
    if (!m_unz)
        return false;
    return List(why);
}

bool KVZipArchive::List(std::string& why)
{
    why = "its directory is broken";
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(m_unz, &global) != UNZ_OK)
        return false;
    // A central header takes at least 46 bytes: a count the file cannot hold
    // must not size the lists.
    if (global.number_entry > m_source->Size() / 46)
        return false;
    m_entries.reserve(static_cast<size_t>(global.number_entry));
    m_places.reserve(static_cast<size_t>(global.number_entry));
    std::vector<char> name(65536);
    std::vector<uint8_t> extra(65536);
    constexpr uint64_t kAllOnes = 0xFFFFFFFFu;
    for (uint64_t i = 0; i < global.number_entry; ++i) {
        if ((i == 0 ? unzGoToFirstFile(m_unz) : unzGoToNextFile(m_unz)) != UNZ_OK)
            return false;
        unz_file_info64 info{};
        Place place;
        if (unzGetCurrentFileInfo64(m_unz, &info, name.data(), name.size(), extra.data(), extra.size(), nullptr, 0)
                != UNZ_OK
            || unzGetFilePos64(m_unz, &place.pos) != UNZ_OK)
            return false;
        const std::vector<uint64_t> wide =
            Zip64Values(extra.data(), std::min<size_t>(info.size_file_extra, extra.size()));
        size_t next = 0;
        if (info.uncompressed_size == kAllOnes && next < wide.size())
            info.uncompressed_size = wide[next++];
        if (info.compressed_size == kAllOnes && next < wide.size()) {
            info.compressed_size = wide[next++];
            place.padded = true;
        }
        // A value left over is the local header's offset, which the library
        // took as all ones: the entry is read through a view moved by the
        // difference.
        if (next < wide.size() && wide[next] <= m_source->Size())
            place.shift = static_cast<int64_t>(wide[next]) - static_cast<int64_t>(kAllOnes);
        Entry e;
        e.flags = static_cast<uint16_t>(info.flag);
        e.method = static_cast<uint16_t>(info.compression_method);
        e.crc = static_cast<uint32_t>(info.crc);
        e.packedSize = info.compressed_size;
        e.size = info.uncompressed_size;
        e.name = KVZipNameText(std::string_view(name.data(), std::min<size_t>(info.size_filename, name.size())),
                               e.flags & kUtf8Name);
        // Where its data begin: the local header is read, nothing unpacked.
        int method = 0, level = 0;
        m_source->shift = place.shift;
        if (unzOpenCurrentFile2(m_unz, &method, &level, 1) == UNZ_OK) {
            place.dataStart = unzGetCurrentFileZStreamPos64(m_unz) + static_cast<uint64_t>(place.shift);
            place.located = place.dataStart <= m_source->Size()
                && e.packedSize <= m_source->Size() - place.dataStart;
            place.dataEnd = place.located ? place.dataStart + e.packedSize : 0;
            unzCloseCurrentFile(m_unz);
        }
        m_source->shift = 0;
        m_entries.push_back(std::move(e));
        m_places.push_back(place);
    }
    MarkOverlaps();
    m_byName.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (!m_byName.try_emplace(m_entries[i].name, i).second)
            m_repeats.push_back(i);
    return true;
}

// Marks each entry whose data share bytes with another's: the data of one
// deflate stream listed many times would unpack far beyond the archive's size.
void KVZipArchive::MarkOverlaps()
{
    std::vector<size_t> order;
    for (size_t i = 0; i < m_places.size(); ++i)
        if (m_places[i].located && m_places[i].dataEnd > m_places[i].dataStart)
            order.push_back(i);
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return m_places[a].dataStart < m_places[b].dataStart; });
    uint64_t endBefore = 0;
    for (size_t k = 0; k < order.size(); ++k) {
        Place& p = m_places[order[k]];
        const bool overBefore = k > 0 && endBefore > p.dataStart;
        const bool overNext = k + 1 < order.size() && m_places[order[k + 1]].dataStart < p.dataEnd;
        p.overlaps = overBefore || overNext;
        endBefore = std::max(endBefore, p.dataEnd);
    }
}

const KVZipArchive::Entry* KVZipArchive::Find(std::string_view name) const
{
    const auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : &m_entries[it->second];
}

size_t KVZipArchive::CountOf(std::string_view name) const
{
    if (!Find(name))
        return 0;
    return 1 + static_cast<size_t>(std::count_if(m_repeats.begin(), m_repeats.end(),
                                                 [&](size_t i) { return m_entries[i].name == name; }));
}

bool KVZipArchive::Read(const Entry& entry, std::string& bytes, std::string& why, size_t maxBytes) const
{
    bytes.clear();
    const size_t index = static_cast<size_t>(&entry - m_entries.data());
    if (!m_unz || index >= m_entries.size()) {
        why = "it is not in the archive";
        return false;
    }
    const Place& place = m_places[index];
    if (entry.flags & kEncrypted) {
        why = "it is encrypted";
        return false;
    }
    if (entry.method != kStored && entry.method != kDeflated) {
        why = "it is packed with method " + std::to_string(entry.method) + ", which is not supported";
        return false;
    }
    why = "it is broken";
    if (entry.method == kStored ? entry.size != entry.packedSize : entry.size / kMaxRatio > entry.packedSize + 1)
        return false;
    if (entry.size > kMaxEntryBytes) {
        why = "it unpacks to more than " + std::to_string(kMaxEntryBytes >> 30) + " GiB";
        return false;
    }
    if (place.overlaps) {
        why = "its data overlap another entry's";
        return false;
    }
    auto* unz = static_cast<unzFile>(m_unz);
    unz64_file_pos pos = place.pos;
    if (!place.located || unzGoToFilePos64(unz, &pos) != UNZ_OK)
        return false;
    m_source->shift = place.shift;
    m_source->padded = place.padded;
    const bool ok = Unpack(entry, bytes, why, static_cast<size_t>(std::min<uint64_t>(entry.size, maxBytes)));
    m_source->shift = 0;
    m_source->padded = false;
    if (!ok)
        bytes.clear();
    return ok;
}

bool KVZipArchive::Unpack(const Entry& entry, std::string& bytes, std::string& why, size_t want) const
{
    auto* unz = static_cast<unzFile>(m_unz);
    if (unzOpenCurrentFile(unz) != UNZ_OK)
        return false;
    // A deflated entry's size is a claim until its stream bears it out: the
    // buffer starts near the packed size and grows with what is unpacked.
    const size_t first =
        entry.method == kStored ? want : static_cast<size_t>(std::min<uint64_t>(want, InitialOutput(entry.packedSize)));
    size_t made = 0;
    bool ok = true;
    try {
        bytes.resize(first);
        while (ok && made < want) {
            if (made == bytes.size())
                bytes.resize(std::min(want, bytes.size() + std::max(bytes.size(), kMinOutput)));
            const int got = unzReadCurrentFile(unz, bytes.data() + made,
                                               static_cast<unsigned>(std::min<size_t>(bytes.size() - made, 1u << 30)));
            ok = got > 0;
            made += ok ? static_cast<size_t>(got) : 0;
        }
    } catch (const std::exception&) {
        why = "too large";
        ok = false;
    }
    // A whole entry is the bytes its headers claim, and they pass the CRC
    // check (here, as the library checks only sizes it read itself).
    const bool whole = want == entry.size;
    unzCloseCurrentFile(unz);
    if (!ok || made != want)
        return false;
    if (whole) {
        uLong crc = crc32(0L, Z_NULL, 0);
        for (size_t done = 0; done < want;) {
            const uInt piece = static_cast<uInt>(std::min<size_t>(want - done, 1u << 30));
            crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data() + done), piece);
            done += piece;
        }
        if (crc != entry.crc) {
            why = "it fails its CRC check";
            return false;
        }
    }
    return true;
}
