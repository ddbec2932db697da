// The .zip reader against archives packed by libzip (an independent writer),
// a zip64 archive laid out byte by byte, and broken archives.
#include "KVZipArchive.h"
#include "SupportFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include <zip.h>

namespace {

struct Packed {
    std::string name, bytes;
    bool store = false;
};

// An archive of the given entries, packed by libzip.
std::string Pack(const std::vector<Packed>& entries)
{
    TempDir dir;
    const std::string path = dir.Path("a.zip");
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    for (const Packed& e : entries) {
        zip_source_t* src = zip_source_buffer(z, e.bytes.data(), e.bytes.size(), 0);
        const zip_int64_t i = zip_file_add(z, e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        zip_set_file_compression(z, static_cast<zip_uint64_t>(i), e.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
    }
    zip_close(z);
    return ReadText(path);
}

struct Opened {
    bool open = false;
    std::string why;
    std::vector<std::string> names;
};

Opened OpenBytes(TempDir& dir, const std::string& bytes, KVZipArchive& zip)
{
    const std::string path = dir.Path("t.zip");
    WriteText(path, bytes);
    Opened o;
    o.open = zip.Open(path, o.why);
    for (const auto& e : zip.Entries())
        o.names.push_back(e.name);
    return o;
}

std::string Channel(size_t lines)
{
    std::string s;
    for (size_t i = 0; i < lines; ++i)
        s += std::to_string(i * 0.0001) + "\t" + std::to_string((i * 7919) % 1000 * 0.01) + "\n";
    return s;
}

size_t Find(const std::string& bytes, const char* sig, size_t from = 0) { return bytes.find(sig, from, 4); }
void Put16(std::string& b, size_t at, unsigned v) { b[at] = char(v), b[at + 1] = char(v >> 8); }
void Put32(std::string& b, size_t at, uint32_t v) { Put16(b, at, v & 0xFFFF), Put16(b, at + 2, v >> 16); }
uint32_t Get32(const std::string& b, size_t at)
{
    uint32_t v = 0;
    for (size_t k = 4; k-- > 0;)
        v = v << 8 | static_cast<uint8_t>(b[at + k]);
    return v;
}

} // namespace

TEST(ZipArchive, ReadsWhatLibzipPacked)
{
    const std::string big = Channel(20000), small = "12.5\n";
    const std::string archive = Pack({{"11391/CHANNEL/11391.001", big},
                                      {"11391/11391.mme", small, true},
                                      {"11391/empty.txt", ""},
                                      {"11391/Kanäle.txt", small}});
    TempDir dir;
    KVZipArchive zip;
    const Opened o = OpenBytes(dir, archive, zip);
    ASSERT_TRUE(o.open) << o.why;
    EXPECT_EQ(o.names, (std::vector<std::string>{"11391/CHANNEL/11391.001", "11391/11391.mme", "11391/empty.txt",
                                                  "11391/Kanäle.txt"}));
    std::string bytes, why;
    ASSERT_TRUE(zip.Read(*zip.Find("11391/CHANNEL/11391.001"), bytes, why)) << why;
    EXPECT_EQ(bytes, big);
    EXPECT_EQ(zip.Find("11391/CHANNEL/11391.001")->method, 8);
    ASSERT_TRUE(zip.Read(*zip.Find("11391/CHANNEL/11391.001"), bytes, why, 1000));
    EXPECT_EQ(bytes, big.substr(0, 1000));
    ASSERT_TRUE(zip.Read(*zip.Find("11391/11391.mme"), bytes, why));
    EXPECT_EQ(bytes, small);
    ASSERT_TRUE(zip.Read(*zip.Find("11391/empty.txt"), bytes, why));
    EXPECT_EQ(bytes, "");
    ASSERT_TRUE(zip.Read(*zip.Find("11391/Kanäle.txt"), bytes, why));
    EXPECT_EQ(bytes, small);
    EXPECT_EQ(zip.Find("11391/missing"), nullptr);

    // A stub in front of the archive (self-extracting) moves every offset.
    KVZipArchive stubbed;
    ASSERT_TRUE(OpenBytes(dir, std::string(3000, 'x') + archive, stubbed).open);
    ASSERT_TRUE(stubbed.Read(*stubbed.Find("11391/CHANNEL/11391.001"), bytes, why)) << why;
    EXPECT_EQ(bytes, big);
}

// Sizes and the offset in the zip64 field, the directory found through the
// zip64 end record: the layout of archives over 4 GiB, in a small one.
TEST(ZipArchive, ReadsZip64Fields)
{
    const std::string data = "zip64 stored entry\n", name = "t/x.001";
    std::string b;
    auto u16 = [&](unsigned v) { b += char(v), b += char(v >> 8); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    auto u64 = [&](uint64_t v) { u32(uint32_t(v)), u32(uint32_t(v >> 32)); };
    u32(0x04034b50), u16(45), u16(0x0800), u16(0), u32(0);
    u32(0x6F2E4E10), u32(uint32_t(data.size())), u32(uint32_t(data.size())), u16(uint16_t(name.size())), u16(0);
    b += name + data;
    const size_t cd = b.size();
    u32(0x02014b50), u16(45), u16(45), u16(0x0800), u16(0), u32(0), u32(0);
    u32(0xFFFFFFFF), u32(0xFFFFFFFF), u16(uint16_t(name.size())), u16(28), u16(0), u16(0), u16(0), u32(0);
    u32(0xFFFFFFFF);
    b += name;
    u16(1), u16(24), u64(data.size()), u64(data.size()), u64(0);
    const size_t cdSize = b.size() - cd, rec = b.size();
    u32(0x06064b50), u64(44), u16(45), u16(45), u32(0), u32(0), u64(1), u64(1), u64(cdSize), u64(cd);
    u32(0x07064b50), u32(0), u64(rec), u32(1);
    u32(0x06054b50), u16(0), u16(0), u16(0xFFFF), u16(0xFFFF), u32(0xFFFFFFFF), u32(0xFFFFFFFF), u16(0);

    TempDir dir;
    KVZipArchive zip;
    const Opened o = OpenBytes(dir, b, zip);
    ASSERT_TRUE(o.open) << o.why;
    ASSERT_EQ(o.names, std::vector<std::string>{name});
    std::string bytes, why;
    // The CRC above is not the data's: the whole entry is refused for it.
    EXPECT_FALSE(zip.Read(zip.Entries()[0], bytes, why));
    EXPECT_EQ(why, "it fails its CRC check");
    ASSERT_TRUE(zip.Read(zip.Entries()[0], bytes, why, 5));
    EXPECT_EQ(bytes, "zip64");

    // A zip64 archive behind a stub was refused: the locator's offset had not been moved.
    KVZipArchive stubbed;
    ASSERT_TRUE(OpenBytes(dir, std::string(3000, 'x') + b, stubbed).open);
    ASSERT_TRUE(stubbed.Read(stubbed.Entries()[0], bytes, why, 5)) << why;
    EXPECT_EQ(bytes, "zip64");
}

// Each broken archive is refused with its reason, reading nothing outside
// the file (the sanitizer build runs this too).
TEST(ZipArchive, RefusesBrokenArchives)
{
    const std::string good = Pack({{"c/x.001", Channel(3000)}, {"c/y.001", Channel(10), true}});
    const size_t cd = Find(good, "PK\1\2"), end = Find(good, "PK\5\6");
    ASSERT_NE(cd, std::string::npos);
    struct Case {
        const char* what;
        std::string bytes;
        bool opens;
        std::string why;
    };
    std::vector<Case> cases = {{"empty file", "", false, "not a zip archive"},
                               {"cut short", good.substr(0, good.size() - 5), false, "not a zip archive"},
                               {"text", std::string(500, 'a'), false, "not a zip archive"}};
    auto mutated = [&](const char* what, auto change, bool opens, const char* why) {
        std::string b = good;
        change(b);
        cases.push_back({what, b, opens, why});
    };
    mutated("count beyond the directory", [&](std::string& b) { Put16(b, end + 8, 900), Put16(b, end + 10, 900); },
            false, "its directory is broken");
    mutated("directory beyond its end", [&](std::string& b) { Put32(b, end + 12, 100000); }, false,
            "not a zip archive");
    mutated("name longer than the directory", [&](std::string& b) { Put16(b, cd + 28, 60000); }, false,
            "its directory is broken");
    mutated("spanned", [&](std::string& b) { Put16(b, end + 4, 1); }, false, "it spans several disks");
    mutated("crc", [&](std::string& b) { b[cd + 16] ^= 1; }, true, "it fails its CRC check");
    mutated("encrypted", [&](std::string& b) { b[cd + 8] |= 1; }, true, "it is encrypted");
    mutated("method", [&](std::string& b) { Put16(b, cd + 10, 12); }, true,
            "it is packed with method 12, which is not supported");
    mutated("local header past the data", [&](std::string& b) { Put32(b, cd + 42, uint32_t(cd + 100)); }, true,
            "it is broken");
    mutated("size a bomb would claim", [&](std::string& b) { Put32(b, cd + 24, 0x7FFFFFFF); }, true, "it is broken");
    mutated("packed size past the data", [&](std::string& b) { Put32(b, cd + 20, uint32_t(cd)); }, true,
            "it is broken");
    mutated("deflate stream damaged", [&](std::string& b) { std::memset(&b[40], 0xFF, 30); }, true, "it is broken");
    // A size claimed within deflate's ratio sized the buffer before a byte was unpacked (checked below).
    mutated("unpacks to less than it says", [&](std::string& b) { Put32(b, cd + 24, 1000 * Get32(b, cd + 20)); },
            true, "it is broken");
    mutated("unpacks to more than it says", [&](std::string& b) { Put32(b, cd + 24, 100); }, true, "it is broken");

    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KVZipArchive zip;
        const Opened o = OpenBytes(dir, c.bytes, zip);
        ASSERT_EQ(o.open, c.opens) << o.why;
        if (!c.opens) {
            EXPECT_EQ(o.why, c.why);
            continue;
        }
        std::string bytes, why;
        EXPECT_FALSE(zip.Read(zip.Entries()[0], bytes, why));
        EXPECT_EQ(why, c.why);
        EXPECT_EQ(bytes, "");
        EXPECT_LT(bytes.capacity(), 1u << 20);
    }
}

TEST(ZipArchive, NamesNotFlaggedAsUtf8AreReadAsCodePage437UnlessValidUtf8)
{
    EXPECT_EQ(KVZipNameText("K\x84nale/\x81\x62\x65r.txt", false), "Känale/über.txt");
    EXPECT_EQ(KVZipNameText("Kanäle", false), "Kanäle");
    EXPECT_EQ(KVZipNameText("\xE2\x96", false), "Γû"); // a UTF-8 sequence cut short
    EXPECT_EQ(KVZipNameText("\x84", true), "\x84"); // flagged: taken as it is
}
