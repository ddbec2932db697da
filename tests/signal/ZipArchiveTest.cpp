// The .zip reader against archives packed by libzip, Info-ZIP's zip and
// Python's zipfile (independent writers), a zip64 archive laid out byte by
// byte, and broken and hostile archives.
#include "IsoMmeSource.h"
#include "IsoMmeTest.h"
#include "KVErrorList.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "KVZipArchive.h"
#include "SupportFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#include <zip.h>
#include <zlib.h>

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
    u32(0x6F2E4E10), u32(0xFFFFFFFF), u32(0xFFFFFFFF), u16(uint16_t(name.size())), u16(20);
    b += name;
    u16(1), u16(16), u64(data.size()), u64(data.size());
    b += data;
    const size_t cd = b.size();
    u32(0x02014b50), u16(45), u16(45), u16(0x0800), u16(0), u32(0), u32(0x6F2E4E10);
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
    // In both headers: a local header that disagrees with the directory is broken.
    mutated("crc", [&](std::string& b) { b[cd + 16] ^= 1, b[14] ^= 1; }, true, "it fails its CRC check");
    mutated("crc of the directory alone", [&](std::string& b) { b[cd + 16] ^= 1; }, true, "it is broken");
    mutated("encrypted", [&](std::string& b) { b[cd + 8] |= 1; }, true, "it is encrypted");
    mutated("method", [&](std::string& b) { Put16(b, cd + 10, 12); }, true,
            "it is packed with method 12, which is not supported");
    mutated("local header past the data", [&](std::string& b) { Put32(b, cd + 42, uint32_t(cd + 100)); }, true,
            "it is broken");
    mutated("size a bomb would claim", [&](std::string& b) { Put32(b, cd + 24, 0x7FFFFFFF); }, true, "it is broken");
    mutated("packed size past the data", [&](std::string& b) { Put32(b, cd + 20, uint32_t(cd)); }, true,
            "it is broken");
    mutated("packed size beyond the file", [&](std::string& b) { Put32(b, cd + 20, 0x7FFFFFF0); }, true,
            "it is broken");
    mutated("local name length disagrees", [&](std::string& b) { Put16(b, 26, 8); }, true, "it is broken");
    mutated("end record comment beyond the file", [&](std::string& b) { Put16(b, end + 20, 100); }, false,
            "not a zip archive");
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

namespace {

// The test folder 11391 (test file and one channel) under dir.
void TestFolder(TempDir& dir, const std::string& channel)
{
    std::filesystem::create_directories(dir.Path("11391/Channel"));
    WriteText(dir.Path("11391/11391.mme"), "Test number :11391\n");
    WriteText(dir.Path("11391/Channel/11391.001"), channel);
}

void ExpectTestFolder(const std::string& archive, const std::string& channel)
{
    TempDir other;
    KVZipArchive zip;
    const Opened o = OpenBytes(other, archive, zip);
    ASSERT_TRUE(o.open) << o.why;
    std::string bytes, why;
    ASSERT_NE(zip.Find("11391/Channel/11391.001"), nullptr);
    ASSERT_TRUE(zip.Read(*zip.Find("11391/Channel/11391.001"), bytes, why)) << why;
    EXPECT_EQ(bytes, channel);
    ASSERT_NE(zip.Find("11391/11391.mme"), nullptr);
    ASSERT_TRUE(zip.Read(*zip.Find("11391/11391.mme"), bytes, why)) << why;
    EXPECT_EQ(bytes, "Test number :11391\n");
}

} // namespace

// Info-ZIP's zip puts time stamps and owners as extra fields into every
// local header (their lengths differ from the directory's), and with -fz
// writes zip64 fields; Python's zipfile writes entry comments and, above
// its zip64 limit (lowered here), both sizes and the offset in zip64 fields.
TEST(ZipArchive, ReadsWhatInfoZipAndPythonPacked)
{
    TempDir dir;
    const std::string channel = Channel(3000);
    TestFolder(dir, channel);
    for (const char* options : {"-r", "-r -0", "-r -fz", "-r -0 -fz"}) {
        SCOPED_TRACE(options);
        std::filesystem::remove(dir.Path("a.zip"));
        const std::string command = "cd '" + dir.Path("") + "' && zip -q -X- " + options + " a.zip 11391";
        ASSERT_EQ(std::system(command.c_str()), 0) << "Info-ZIP's zip is needed (scripts/install-deps)";
        const std::string archive = ReadText(dir.Path("a.zip"));
        ASSERT_GT(archive.size(), 30u);
        ASSERT_GT(uint8_t(archive[28]) | uint8_t(archive[29]), 0) << "a local header without extra fields";
        ExpectTestFolder(archive, channel);
    }
    const std::string script = "import zipfile\n"
                               "zipfile.ZIP64_LIMIT = 100\n"
                               "with zipfile.ZipFile('p.zip', 'w', zipfile.ZIP_DEFLATED) as z:\n"
                               "    for name in ('11391/Channel/11391.001', '11391/11391.mme'):\n"
                               "        i = zipfile.ZipInfo(name)\n"
                               "        i.compress_type = zipfile.ZIP_DEFLATED\n"
                               "        i.comment = b'an entry comment ' * 20\n"
                               "        z.writestr(i, open(name, 'rb').read())\n";
    WriteText(dir.Path("p.py"), script);
    const std::string command = "cd '" + dir.Path("") + "' && python3 p.py";
    ASSERT_EQ(std::system(command.c_str()), 0) << "python3 is needed (scripts/install-deps)";
    const std::string archive = ReadText(dir.Path("p.zip"));
    ASSERT_NE(archive.find("an entry comment"), std::string::npos);
    ExpectTestFolder(archive, channel);
}

namespace {

// An archive of one deflated entry of size bytes whose directory lists it
// count times, each under its own name of the same length (as a bomb made
// of overlapping entries does).
std::string Overlapping(size_t size, size_t count)
{
    const std::string one = Pack({{"t/Channel/t.001", std::string(size, '0')}});
    const size_t cd = Find(one, "PK\1\2"), end = Find(one, "PK\5\6");
    const std::string header = one.substr(cd, end - cd);
    std::string b = one.substr(0, cd);
    for (size_t i = 1; i <= count; ++i) {
        std::string h = header;
        char number[8];
        std::snprintf(number, sizeof number, "%03zu", i % 1000);
        h.replace(46 + 12, 3, number);
        b += h;
    }
    std::string tail = one.substr(end);
    Put16(tail, 8, unsigned(count)), Put16(tail, 10, unsigned(count));
    Put32(tail, 12, uint32_t(b.size() - cd));
    return b + tail;
}

} // namespace

// Entries whose data overlap are refused before anything is unpacked: 999
// entries on one 16 MB stream would otherwise unpack 16 GB.
TEST(ZipArchive, RefusesEntriesWhoseDataOverlap)
{
    TempDir dir;
    KVZipArchive zip;
    const Opened o = OpenBytes(dir, Overlapping(size_t(16) << 20, 999), zip);
    ASSERT_TRUE(o.open) << o.why;
    ASSERT_EQ(o.names.size(), 999u);
    EXPECT_EQ(o.names[998], "t/Channel/t.999");
    for (const KVZipArchive::Entry& e : zip.Entries()) {
        std::string bytes, why;
        ASSERT_FALSE(zip.Read(e, bytes, why, 100));
        ASSERT_EQ(why, "its data overlap another entry's");
    }
    // Listed once, the same entry reads.
    KVZipArchive single;
    ASSERT_TRUE(OpenBytes(dir, Overlapping(1000, 1), single).open);
    std::string bytes, why;
    ASSERT_TRUE(single.Read(single.Entries()[0], bytes, why)) << why;
    EXPECT_EQ(bytes, std::string(1000, '0'));
}

// 100,000 entries in one folder (a zip64 count, as packers write it): each
// is found by its name, and the folder lists each name once; both were
// quadratic.
TEST(ZipArchive, FindsEachOfManyEntriesByName)
{
    std::string b, dir;
    auto u16 = [](std::string& to, unsigned v) { to += char(v), to += char(v >> 8); };
    auto u32 = [&](std::string& to, uint32_t v) { u16(to, v & 0xFFFF), u16(to, v >> 16); };
    auto u64 = [&](std::string& to, uint64_t v) { u32(to, uint32_t(v)), u32(to, uint32_t(v >> 32)); };
    constexpr uint32_t kCount = 100000;
    auto nameOf = [](uint32_t i) { return "t/Channel/x" + std::to_string(1000000 + i); };
    for (uint32_t i = 0; i < kCount; ++i) {
        const std::string name = nameOf(i), data = std::to_string(i);
        const auto crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size())));
        const auto size = uint32_t(data.size()), at = uint32_t(b.size());
        u32(b, 0x04034b50), u16(b, 20), u16(b, 0), u16(b, 0), u32(b, 0), u32(b, crc), u32(b, size), u32(b, size);
        u16(b, unsigned(name.size())), u16(b, 0);
        b += name + data;
        u32(dir, 0x02014b50), u16(dir, 45), u16(dir, 20), u16(dir, 0), u16(dir, 0), u32(dir, 0), u32(dir, crc);
        u32(dir, size), u32(dir, size), u16(dir, unsigned(name.size())), u16(dir, 0), u16(dir, 0), u16(dir, 0);
        u16(dir, 0), u32(dir, 0), u32(dir, at);
        dir += name;
    }
    const uint64_t cd = b.size();
    b += dir;
    const uint64_t rec = b.size();
    u32(b, 0x06064b50), u64(b, 44), u16(b, 45), u16(b, 45), u32(b, 0), u32(b, 0), u64(b, kCount), u64(b, kCount);
    u64(b, dir.size()), u64(b, cd);
    u32(b, 0x07064b50), u32(b, 0), u64(b, rec), u32(b, 1);
    u32(b, 0x06054b50), u16(b, 0), u16(b, 0), u16(b, 0xFFFF), u16(b, 0xFFFF), u32(b, uint32_t(dir.size()));
    u32(b, uint32_t(cd)), u16(b, 0);

    TempDir temp;
    KVZipArchive zip;
    const Opened o = OpenBytes(temp, b, zip);
    ASSERT_TRUE(o.open) << o.why;
    ASSERT_EQ(o.names.size(), kCount);
    for (uint32_t i = 0; i < kCount; i += 997) {
        const KVZipArchive::Entry* e = zip.Find(nameOf(i));
        ASSERT_NE(e, nullptr) << i;
        std::string bytes, why;
        ASSERT_TRUE(zip.Read(*e, bytes, why)) << why;
        ASSERT_EQ(bytes, std::to_string(i));
    }
    const std::vector<IsoEntry> listed = IsoListFolder(temp.Path("t.zip") + "/t/Channel");
    ASSERT_EQ(listed.size(), kCount);
    EXPECT_EQ(listed.back().name, "x" + std::to_string(1000000 + kCount - 1));
}

// The archive's own reason reaches the reader of a channel or a test: an
// encrypted entry or an unknown method was "not a directory", a cut archive
// "no test file (.mme) found".
TEST(ZipArchive, TheArchivesReasonReachesTheUser)
{
    const std::string good = Pack({{"11391/Channel/11391.001", Channel(100)}, {"11391/11391.mme", "Test number :11391\n"}});
    const size_t cd = Find(good, "PK\1\2");
    std::string encrypted = good, method = good;
    encrypted[6] |= 1, encrypted[cd + 8] |= 1;
    Put16(method, 8, 14), Put16(method, cd + 10, 14);
    TempDir dir;
    for (const auto& [bytes, reason] : {std::pair{encrypted, "(it is encrypted)"},
                                        std::pair{method, "(it is packed with method 14, which is not supported)"}}) {
        WriteText(dir.Path("t.zip"), bytes);
        KVSignal signal;
        KVErrorList errors;
        EXPECT_EQ(KVReadSignalFile(dir.Path("t.zip/11391/Channel/11391.001"), signal, errors), nullptr);
        ASSERT_EQ(errors.ErrorCount(), 1u);
        EXPECT_EQ(errors.Errors()[0].Message(),
                  dir.Path("t.zip/11391/Channel/11391.001") + ": cannot be unpacked " + reason);
    }
    WriteText(dir.Path("cut.zip"), good.substr(0, good.size() / 2));
    IsoMmeTest test;
    KVErrorList errors;
    EXPECT_FALSE(test.Open(dir.Path("cut.zip"), errors));
    ASSERT_EQ(errors.ErrorCount(), 1u);
    EXPECT_EQ(errors.Errors()[0].Message(), dir.Path("cut.zip") + ": the archive cannot be opened (not a zip archive)");
}

TEST(ZipArchive, ATestWithoutAReadableChannelListDoesNotOpen)
{
    // Regression: an encrypted .chn or an empty list opened as a test of zero
    // channels, which a check then passed without a word.
    const std::string mme = "Test number :11391\n";
    const std::string chn = "Number of channels :1\nName of channel 001 :11HEAD0000H3ACXA\n";
    std::string encrypted = Pack({{"11391/11391.mme", mme}, {"11391/Channel/11391.chn", chn},
                                  {"11391/Channel/11391.001", "Sampling interval :0.001\n1\n2\n"}});
    const size_t local = Find(encrypted, "PK\3\4", Find(encrypted, "PK\3\4") + 1);
    const size_t central = Find(encrypted, "PK\1\2", Find(encrypted, "PK\1\2") + 1);
    encrypted[local + 6] |= 1, encrypted[central + 8] |= 1; // the second entry, the list
    const std::string empty = Pack({{"11391/11391.mme", mme}, {"11391/Channel/11391.chn", "Number of channels :0\n"}});
    TempDir dir;
    const std::string list = dir.Path("t.zip/11391/Channel/11391.chn");
    for (const auto& [bytes, why] : {std::pair{encrypted, list + ": the channel list cannot be read (cannot be unpacked (it is encrypted))"},
                                     std::pair{empty, list + ": the channel list names no channel"}}) {
        WriteText(dir.Path("t.zip"), bytes);
        IsoMmeTest test;
        KVErrorList errors;
        EXPECT_FALSE(test.Open(dir.Path("t.zip"), errors));
        ASSERT_EQ(errors.ErrorCount(), 2u);
        EXPECT_EQ(errors.Errors()[0].Message(), why);
        EXPECT_EQ(errors.Errors()[1].Message(), dir.Path("t.zip") + ": the test has no channel that can be read");
    }
}
