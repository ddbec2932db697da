// Writing RVF-1992 files: byte layout, defaults, padding, zero fill and the
// failures that must leave an existing file alone.
#include "CRVFFile.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

namespace {

using Lines = std::vector<std::string>;

Bytes Slice(const Bytes& b, size_t offset, size_t len)
{
    return Bytes(b.begin() + static_cast<long>(offset), b.begin() + static_cast<long>(offset + len));
}

Bytes Text(const std::string& s, size_t width)
{
    Bytes b(width, ' ');
    std::copy(s.begin(), s.end(), b.begin());
    return b;
}

bool AllZero(const Bytes& b, size_t from, size_t to)
{
    return std::all_of(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(to),
                       [](uint8_t c) { return c == 0; });
}

// A small "Y" curve of three points in the given format.
CRVFFile ThreePoints(const char* format)
{
    CRVFFile f;
    f.FileId.FloatFormatName = format;
    f.FileId.DataType = "Y";
    f.Curve.Nfp = 0;
    f.Curve.Nlp = 2;
    f.Curve.Del = 0.001f;
    f.Y = {1.0f, -2.0f, 0.5f};
    return f;
}

} // namespace

TEST(RvfWrite, VaxYLayoutByteForByte)
{
    TempDir dir;
    CRVFFile f = ThreePoints("VAX");
    ASSERT_TRUE(f.RVF_Write(dir.Path("v.rvf"))) << ::testing::PrintToString(ErrorLines(f));
    const Bytes b = ReadAll(dir.Path("v.rvf"));
    ASSERT_EQ(b.size(), 1536u);
    // Record 1 with the defaults of a new file object.
    EXPECT_EQ(Slice(b, 0, 12), Text("RVF-1992", 12));
    EXPECT_EQ(Slice(b, 12, 4), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(Slice(b, 16, 10), Text("Y", 10));
    EXPECT_EQ(Slice(b, 26, 5), Text("VAX", 5));
    EXPECT_EQ(Slice(b, 31, 3), Text("MET", 3));
    EXPECT_EQ(Slice(b, 34, 15), Text("USER DATA", 15));
    EXPECT_EQ(Slice(b, 49, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Slice(b, 53, 12), Text("0", 12));
    EXPECT_EQ(Slice(b, 65, 70), Text("", 70));
    EXPECT_EQ(Slice(b, 135, 25), Text("OTHER", 25));
    EXPECT_EQ(Slice(b, 170, 3), Text("OTH", 3));
    EXPECT_EQ(Slice(b, 177, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Slice(b, 379, 1), Text("0", 1));
    EXPECT_TRUE(AllZero(b, 380, 512));
    // Curve record at 512.
    EXPECT_EQ(Slice(b, 512, 12), Text("CURVE HDR", 12));
    EXPECT_EQ(Slice(b, 524, 4), (Bytes{1, 0, 0, 0}));
    EXPECT_EQ(Slice(b, 528, 10), Text("Y", 10));
    EXPECT_EQ(Slice(b, 512 + 30, 12), Text("0", 12));
    EXPECT_EQ(Slice(b, 512 + 128, 20), Text("TIME", 20));
    EXPECT_EQ(Slice(b, 512 + 148, 20), Text("SECONDS", 20));
    EXPECT_EQ(Slice(b, 512 + 168, 20), Text("COMPUTED", 20));
    EXPECT_EQ(Slice(b, 512 + 188, 20), Text("TIME SERIES", 20));
    EXPECT_EQ(Slice(b, 512 + 208, 70), Text("COMPUTED / SIMULATED DATA", 70));
    EXPECT_EQ(Slice(b, 512 + 278, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Slice(b, 512 + 282, 4), (Bytes{2, 0, 0, 0}));
    // 0.001f = 0x3A83126F, 1650.0f = 0x44CE4000, 1.0f = 0x3F800000 in VAX order.
    EXPECT_EQ(Slice(b, 512 + 286, 4), (Bytes{0x83, 0x3B, 0x6F, 0x12}));
    EXPECT_EQ(Slice(b, 512 + 294, 4), (Bytes{0xCE, 0x45, 0x00, 0x40}));
    EXPECT_EQ(Slice(b, 512 + 310, 4), (Bytes{0x80, 0x40, 0x00, 0x00}));
    EXPECT_EQ(Slice(b, 512 + 354, 20), Text("", 20));
    EXPECT_TRUE(AllZero(b, 512 + 444, 1024));
    // One data record: 1.0, -2.0, 0.5 and 122 zero slots.
    EXPECT_EQ(Slice(b, 1024, 12), Text("Y DATA", 12));
    EXPECT_EQ(Slice(b, 1036, 12), (Bytes{0x80, 0x40, 0, 0, 0x00, 0xC1, 0, 0, 0x00, 0x40, 0, 0}));
    EXPECT_TRUE(AllZero(b, 1048, 1536));
}

TEST(RvfWrite, SunIsBigEndianIeee)
{
    TempDir dir;
    CRVFFile f = ThreePoints("SUN");
    f.Curve.Nfp = -1;
    f.Curve.Nlp = 1;
    ASSERT_TRUE(f.RVF_Write(dir.Path("s.rvf")));
    const Bytes b = ReadAll(dir.Path("s.rvf"));
    EXPECT_EQ(Slice(b, 12, 4), (Bytes{0, 0, 0, 1}));
    EXPECT_EQ(Slice(b, 26, 5), Text("SUN", 5));
    EXPECT_EQ(Slice(b, 512 + 278, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Slice(b, 512 + 286, 4), (Bytes{0x3A, 0x83, 0x12, 0x6F}));
    EXPECT_EQ(Slice(b, 1036, 12), (Bytes{0x3F, 0x80, 0, 0, 0xC0, 0x00, 0, 0, 0x3F, 0x00, 0, 0}));
}

TEST(RvfWrite, IeeeIsLittleEndian)
{
    TempDir dir;
    CRVFFile f = ThreePoints("IEEE");
    f.Test.ImpactAngle = 258;
    ASSERT_TRUE(f.RVF_Write(dir.Path("i.rvf")));
    const Bytes b = ReadAll(dir.Path("i.rvf"));
    EXPECT_EQ(Slice(b, 173, 4), (Bytes{2, 1, 0, 0}));
    EXPECT_EQ(Slice(b, 1036, 12), (Bytes{0, 0, 0x80, 0x3F, 0, 0, 0, 0xC0, 0, 0, 0, 0x3F}));
}

TEST(RvfWrite, TextsAreUpperCaseCutAndPadded)
{
    TempDir dir;
    CRVFFile f = ThreePoints("IEEE");
    f.Test.Source = "a much too long source name";
    f.Test.Config = "ab";
    f.Occupant.Sex = "male";
    f.Curve.YUnits = "g   \t";
    ASSERT_TRUE(f.RVF_Write(dir.Path("t.rvf")));
    const Bytes b = ReadAll(dir.Path("t.rvf"));
    EXPECT_EQ(Slice(b, 34, 15), Text("A MUCH TOO LONG", 15));
    EXPECT_EQ(Slice(b, 170, 3), Text("AB", 3));
    EXPECT_EQ(Slice(b, 308, 1), Text("M", 1));
    EXPECT_EQ(Slice(b, 512 + 108, 20), Text("G", 20));
}

TEST(RvfWrite, NumbersDerivedFromTheirTexts)
{
    TempDir dir;
    struct Case {
        int number;
        const char* text;
        int32_t written;
    } cases[] = {
        {0, "  1234ABC", 1234}, {0, "-17", -17}, {0, "ABC", 0}, {5, "7", 5},
        {0, "99999999999999", 2147483647}, // beyond the integer range: clamped
    };
    for (const Case& c : cases) {
        CRVFFile f = ThreePoints("IEEE");
        f.Test.Number = c.number;
        f.Test.NumberText = c.text;
        f.Curve.Number = c.number;
        f.Curve.NumberText = c.text;
        ASSERT_TRUE(f.RVF_Write(dir.Path("n.rvf")));
        CRVFFile back;
        ASSERT_TRUE(back.RVF_Read(dir.Path("n.rvf")));
        EXPECT_EQ(back.Test.Number, c.written) << c.text;
        EXPECT_EQ(back.Curve.Number, c.written) << c.text;
    }
}

TEST(RvfWrite, ModelYearFixedOnWrite)
{
    TempDir dir;
    CRVFFile f = ThreePoints("IEEE");
    f.Vehicle.ModelYear = 49;
    ASSERT_TRUE(f.RVF_Write(dir.Path("y.rvf")));
    EXPECT_EQ(Slice(ReadAll(dir.Path("y.rvf")), 257, 4), (Bytes{0x01, 0x08, 0, 0})); // 2049
}

TEST(RvfWrite, SecondRecordOnlyWhenItHoldsSomething)
{
    TempDir dir;
    for (const char* type : {" ", "", "   "}) {
        CRVFFile f = ThreePoints("IEEE");
        f.Occupant2.Type = type;
        ASSERT_TRUE(f.RVF_Write(dir.Path("a.rvf")));
        EXPECT_EQ(ReadAll(dir.Path("a.rvf")).size(), 1536u) << "'" << type << "'";
    }
    CRVFFile occupant = ThreePoints("IEEE");
    occupant.Occupant2.Type = "h3";
    ASSERT_TRUE(occupant.RVF_Write(dir.Path("b.rvf")));
    Bytes b = ReadAll(dir.Path("b.rvf"));
    ASSERT_EQ(b.size(), 2048u);
    EXPECT_EQ(Slice(b, 512, 12), Text("CMP-2 HDR", 12));
    EXPECT_EQ(Slice(b, 641, 6), Text("H3", 6));
    EXPECT_TRUE(AllZero(b, 698, 1024));
    EXPECT_EQ(Slice(b, 1024, 12), Text("CURVE HDR", 12));
    EXPECT_EQ(Slice(b, 1536, 12), Text("Y DATA", 12));

    CRVFFile vehicle = ThreePoints("SUN");
    vehicle.Vehicle2.Number = 3;
    ASSERT_TRUE(vehicle.RVF_Write(dir.Path("c.rvf")));
    b = ReadAll(dir.Path("c.rvf"));
    ASSERT_EQ(b.size(), 2048u);
    EXPECT_EQ(Slice(b, 524, 4), (Bytes{0, 0, 0, 3}));
    CRVFFile back;
    ASSERT_TRUE(back.RVF_Read(dir.Path("c.rvf")));
    EXPECT_TRUE(back.HasSecondRecord());
    EXPECT_EQ(back.Vehicle2.Number, 3);
    EXPECT_EQ(back.Y, (std::vector<float>{1.0f, -2.0f, 0.5f}));
}

TEST(RvfWrite, PointsSpillIntoASecondRecordPerRun)
{
    TempDir dir;
    CRVFFile f;
    f.FileId.DataType = "X-Y";
    f.Curve.Nfp = 10;
    f.Curve.Nlp = 135; // 126 points
    for (int i = 0; i < 126; ++i) {
        f.X.push_back(static_cast<float>(i));
        f.Y.push_back(static_cast<float>(-i));
    }
    ASSERT_TRUE(f.RVF_Write(dir.Path("m.rvf")));
    const Bytes b = ReadAll(dir.Path("m.rvf"));
    ASSERT_EQ(b.size(), 1024u + 4 * 512);
    EXPECT_EQ(Slice(b, 1024, 12), Text("Y DATA", 12));
    EXPECT_EQ(Slice(b, 1536, 12), Text("Y DATA", 12));
    EXPECT_EQ(Slice(b, 2048, 12), Text("X DATA", 12));
    EXPECT_EQ(Slice(b, 2560, 12), Text("X DATA", 12));
    EXPECT_EQ(Slice(b, 1536 + 12, 4), FloatBytes(-125.0f));
    EXPECT_TRUE(AllZero(b, 1536 + 16, 2048));
    EXPECT_EQ(Slice(b, 2560 + 12, 4), FloatBytes(125.0f));
    EXPECT_TRUE(AllZero(b, 2560 + 16, 3072));
}

TEST(RvfWrite, ExactlyFullLastRecordsReadBack)
{
    // 1000 points fill 1000 / 125 = 8 records per array exactly, with no
    // partly filled record after them.
    TempDir dir;
    for (const char* layout : {"Y", "X-Y"}) {
        CRVFFile f;
        f.FileId.DataType = layout;
        f.Curve.Nfp = -200;
        f.Curve.Nlp = 799;
        f.Curve.Del = 0.0001f;
        for (int i = 0; i < 1000; ++i) {
            f.Y.push_back(static_cast<float>(i) + 0.5f);
            if (std::string(layout) == "X-Y")
                f.X.push_back(static_cast<float>(i - 200));
        }
        const std::string path = dir.Path(std::string(layout) + ".rvf");
        ASSERT_TRUE(f.RVF_Write(path)) << layout;
        const size_t arrays = f.X.empty() ? 1 : 2;
        EXPECT_EQ(ReadAll(path).size(), 1024u + arrays * 8 * 512) << layout;
        CRVFFile back;
        ASSERT_TRUE(back.RVF_Read(path)) << layout << ": " << ::testing::PrintToString(ErrorLines(back));
        EXPECT_EQ(back.Y, f.Y) << layout;
        EXPECT_EQ(back.X, f.X) << layout;
    }
}

// A write between RVF_ReadHeader and RVF_ReadData overwrote the data records read with the header.
TEST(RvfWrite, WriteBetweenHeaderAndDataLeavesTheReadAlone)
{
    TempDir dir;
    CRVFFile f = ThreePoints("IEEE");
    f.Curve.Nlp = 299; // three data records: the third lies where the header's bytes were
    f.Y.resize(300, 4.0f);
    ASSERT_TRUE(f.RVF_Write(dir.Path("a.rvf")));
    CRVFFile r;
    ASSERT_TRUE(r.RVF_ReadHeader(dir.Path("a.rvf")));
    const std::vector<float> other(300, 9.0f);
    ASSERT_TRUE(r.RVF_Write(dir.Path("b.rvf"), nullptr, 0, other.data(), other.size()));
    std::vector<float> y(300);
    ASSERT_TRUE(r.RVF_ReadData(nullptr, y.data()));
    EXPECT_EQ(y, f.Y);
}

TEST(RvfWrite, IndexChecksWriteNothing)
{
    TempDir dir;
    CRVFFile crossed = ThreePoints("IEEE");
    crossed.Curve.Nfp = 3;
    crossed.Curve.Nlp = 2;
    EXPECT_FALSE(crossed.RVF_Write(dir.Path("x.rvf")));
    EXPECT_EQ(ErrorLines(crossed), Lines{"CRVFFile::RVF_Write | Crossed array indices, NFP > NLP"});
    CRVFFile equal = ThreePoints("IEEE");
    equal.Curve.Nfp = equal.Curve.Nlp = 0;
    EXPECT_FALSE(equal.RVF_Write(dir.Path("x.rvf")));
    EXPECT_EQ(ErrorLines(equal), Lines{"CRVFFile::RVF_Write | Equal array indices, NFP = NLP"});
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(RvfWrite, FailedWritesLeaveAnExistingFileUnchanged)
{
    TempDir dir;
    const std::string target = dir.Path("keep.rvf");
    const Bytes original{'o', 'l', 'd'};
    WriteAll(target, original);

    CRVFFile unknown = ThreePoints("CRAY");
    EXPECT_FALSE(unknown.RVF_Write(target));
    EXPECT_EQ(ErrorLines(unknown), Lines{"CRVFFile::RVF_Write | Couldn't set byte order of float format"});

    CRVFFile nan = ThreePoints("IEEE");
    nan.Y[2] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(nan.RVF_Write(target));
    EXPECT_EQ(ErrorLines(nan), Lines{"CRVFFile::floatWrite | Not a Number"});

    CRVFFile nanHeader = ThreePoints("VAX");
    nanHeader.Injury.Hic = std::nanf("");
    EXPECT_FALSE(nanHeader.RVF_Write(target));
    EXPECT_EQ(ErrorLines(nanHeader), Lines{"CRVFFile::floatWrite | Not a Number"});

    EXPECT_EQ(ReadAll(target), original);
    EXPECT_EQ(dir.Entries(), Lines{"keep.rvf"}); // no leftover temporary file

    // The new file replaces the old one only when everything succeeded.
    CRVFFile good = ThreePoints("IEEE");
    ASSERT_TRUE(good.RVF_Write(target));
    EXPECT_EQ(ReadAll(target).size(), 1536u);
    EXPECT_EQ(dir.Entries(), Lines{"keep.rvf"});
}

TEST(RvfWrite, UnopenableTargets)
{
    TempDir dir;
    for (const auto& [target, why] : {std::pair{dir.Path("missing/f.rvf"), "no such file or directory"},
                                      std::pair{dir.Path(""), "is a directory"},
                                      std::pair{std::string(), "no such file or directory"}}) {
        CRVFFile f = ThreePoints("IEEE");
        EXPECT_FALSE(f.RVF_Write(target)) << target;
        EXPECT_EQ(ErrorLines(f), (Lines{"CRVFFile::RVF_Write | Couldn't open output file",
                                        "CRVFFile::RVF_Write | " + target + ": " + why}));
    }
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(RvfWrite, MissingValuesAreWrittenAsZero)
{
    // Indices that claim more points than the arrays hold: never read past them.
    TempDir dir;
    CRVFFile f = ThreePoints("IEEE");
    f.Curve.Nlp = 200;
    ASSERT_TRUE(f.RVF_Write(dir.Path("z.rvf")));
    CRVFFile back;
    ASSERT_TRUE(back.RVF_Read(dir.Path("z.rvf")));
    ASSERT_EQ(back.Y.size(), 201u);
    EXPECT_EQ(back.Y[2], 0.5f);
    EXPECT_EQ(back.Y[3], 0.0f);
    EXPECT_EQ(back.Y[200], 0.0f);

    CRVFFile empty;
    empty.Curve.Nlp = 130; // "X-Y" with no arrays at all
    ASSERT_TRUE(empty.RVF_Write(dir.Path("e.rvf")));
    EXPECT_EQ(ReadAll(dir.Path("e.rvf")).size(), 1024u + 4 * 512);
}

TEST(RvfWrite, OverlongNamesAreRefusedAndLongNamesWritten)
{
    TempDir dir;
    // A name beyond the length limit is refused before anything is created.
    const std::string tooLong = dir.Path(std::string(300, 'n'));
    CRVFFile f = ThreePoints("IEEE");
    EXPECT_FALSE(f.RVF_Write(tooLong));
    EXPECT_EQ(ErrorLines(f), (Lines{"CRVFFile::RVF_Write | Couldn't open output file",
                                    "CRVFFile::RVF_Write | " + tooLong + ": file name too long"}));
    EXPECT_TRUE(dir.Entries().empty());

    // A long name that fits is written: the temporary name does not grow with it.
    const std::string nearLimit = dir.Path(std::string(250, 'n'));
    CRVFFile g = ThreePoints("IEEE");
    EXPECT_TRUE(g.RVF_Write(nearLimit)) << ::testing::PrintToString(ErrorLines(g));
    EXPECT_EQ(dir.Entries(), Lines{std::string(250, 'n')});
}

TEST(RvfWrite, ReplacingKeepsPermissionsAndLinks)
{
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string target = dir.Path("real.rvf");
    WriteAll(target, Bytes{1});
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(target, dir.Path("link.rvf"));
    CRVFFile f = ThreePoints("IEEE");
    ASSERT_TRUE(f.RVF_Write(dir.Path("link.rvf"))) << ::testing::PrintToString(ErrorLines(f));
    EXPECT_TRUE(fs::is_symlink(dir.Path("link.rvf")));
    EXPECT_EQ(ReadAll(target).size(), 1536u);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
