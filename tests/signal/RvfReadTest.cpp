// Reading RVF-1992 files: every check in its order, with its message and scope.
#include "CRVFFile.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Reads an image through a fresh CRVFFile; the errors come back as lines.
struct ReadResult {
    bool ok;
    std::vector<std::string> errors;
    CRVFFile file;
};

std::unique_ptr<ReadResult> ReadImage(const TempDir& dir, const Bytes& bytes, const std::string& name = "f.rvf")
{
    auto r = std::make_unique<ReadResult>();
    WriteAll(dir.Path(name), bytes);
    r->ok = r->file.RVF_Read(dir.Path(name));
    r->errors = ErrorLines(r->file);
    return r;
}

using Lines = std::vector<std::string>;

} // namespace

TEST(RvfRead, FileAndSizeChecks)
{
    TempDir dir;
    CRVFFile missing;
    EXPECT_FALSE(missing.RVF_Read(dir.Path("nothing.rvf")));
    EXPECT_EQ(ErrorLines(missing),
              Lines{"CRVFFile::RVF_Read | Couldn't open file: " + dir.Path("nothing.rvf") + " is not found."});

    const std::string odd = dir.Path("odd.rvf");
    auto r = ReadImage(dir, Bytes(1000, 0), "odd.rvf");
    EXPECT_FALSE(r->ok);
    EXPECT_EQ(r->errors, Lines{"CRVFFile::RVF_Read | " + odd + " is not a valid RVF-1992 Signal File."});

    // A directory is refused as no signal file, never read.
    CRVFFile folder;
    EXPECT_FALSE(folder.RVF_Read(dir.Path("")));
    EXPECT_EQ(folder.ErrorCount(), 1);
    EXPECT_EQ(folder.ErrorScope(0), "CRVFFile::RVF_Read");
}

TEST(RvfRead, FirstRecordChecks)
{
    TempDir dir;
    auto empty = ReadImage(dir, Bytes());
    EXPECT_EQ(empty->errors, Lines{"CRVFFile::ReadFirstRecord | Data buffer too small"});

    RvfImage wrongId(512);
    wrongId.Text(0, "RVF-1993");
    EXPECT_EQ(ReadImage(dir, wrongId.bytes())->errors, Lines{"CRVFFile::ReadFirstRecord | Not a RVF-1992 Signal File"});

    // A NaN among the reals of record 1 fails the record.
    RvfImage nan = RvfImage::Minimal(10, "X-Y");
    nan.Bits(177, 0x7FC00000u);
    EXPECT_EQ(ReadImage(dir, nan.bytes())->errors, Lines{"CRVFFile::floatRead | Not a Number"});
}

TEST(RvfRead, SecondRecordChecksAndPresence)
{
    TempDir dir;
    RvfImage short512(512);
    short512.Text(0, "RVF-1992");
    short512.Text(26, "IEEE");
    EXPECT_EQ(ReadImage(dir, short512.bytes())->errors, Lines{"CRVFFile::ReadSecondRecord | Data buffer too small"});

    RvfImage two = RvfImage::Minimal(3, "Y", RvfImage::Ieee, true);
    two.Int(524, 77);
    two.Text(560, "OTHER MAKE");
    two.Text(641, "DUMMY");
    two.Real(652, 75.5f);
    two.Int(600, 98);
    auto r = ReadImage(dir, two.bytes());
    ASSERT_TRUE(r->ok) << ::testing::PrintToString(r->errors);
    EXPECT_TRUE(r->file.HasSecondRecord());
    EXPECT_EQ(r->file.Vehicle2.Number, 77);
    EXPECT_EQ(r->file.Vehicle2.Make, "OTHER MAKE");
    EXPECT_EQ(r->file.Occupant2.Type, "DUMMY");
    EXPECT_EQ(r->file.Occupant2.Weight, 75.5f);
    EXPECT_EQ(r->file.Vehicle2.ModelYear, 98);

    // With record 2 the curve record moves to 1024; a file of 1024 bytes is then too short.
    RvfImage cut(1024);
    cut.Text(0, "RVF-1992");
    cut.Text(26, "IEEE");
    cut.Text(512, "CMP-2 HDR");
    EXPECT_EQ(ReadImage(dir, cut.bytes())->errors, Lines{"CRVFFile::ReadThirdRecord | Data buffer too small"});
}

TEST(RvfRead, CurveRecordLabel)
{
    TempDir dir;
    RvfImage img = RvfImage::Minimal(3, "Y");
    img.Text(512, "CURVE HDX");
    EXPECT_EQ(ReadImage(dir, img.bytes())->errors, Lines{"CRVFFile::ReadThirdRecord | Invalid  3rd Record Header"});
}

TEST(RvfRead, IndexChecksInOrder)
{
    TempDir dir;
    RvfImage equal = RvfImage::Minimal(3, "Y");
    equal.Int(512 + 278, 5);
    equal.Int(512 + 282, 5);
    EXPECT_EQ(ReadImage(dir, equal.bytes())->errors,
              Lines{"CRVFFile::ReadSignalArrays | Equal array indices, NFP = NLP in file"});

    RvfImage crossed = RvfImage::Minimal(3, "Y");
    crossed.Int(512 + 278, 6);
    crossed.Int(512 + 282, 5);
    EXPECT_EQ(ReadImage(dir, crossed.bytes())->errors,
              Lines{"CRVFFile::ReadSignalArrays | Crossed array indices, NFP > NLP in file"});

    // 1024 bytes: a valid curve record and no data record at all.
    RvfImage none = RvfImage::Minimal(3, "Y");
    none.Resize(1024);
    EXPECT_EQ(ReadImage(dir, none.bytes())->errors,
              Lines{"CRVFFile::ReadSignalArrays | Insufficient Data Points"});

    // An "X-Y" file needs twice the records of a "Y" file.
    RvfImage half = RvfImage::Minimal(3, "Y");
    half.Text(16, "X-Y");
    EXPECT_EQ(ReadImage(dir, half.bytes())->errors,
              Lines{"CRVFFile::ReadSignalArrays | Insufficient Data Points"});

    RvfImage extra = RvfImage::Minimal(3, "Y");
    extra.Resize(extra.bytes().size() + 512);
    EXPECT_EQ(ReadImage(dir, extra.bytes())->errors,
              Lines{"CRVFFile::ReadSignalArrays | Insufficient Data Points"});
}

TEST(RvfRead, DataLabelsDecideWhereValuesGo)
{
    TempDir dir;
    // 126 points: two records per run. Records in the order X, Y, X, Y.
    RvfImage img = RvfImage::Minimal(126, "X-Y");
    const size_t d = img.DataOffset();
    const char* labels[] = {"X DATA", "Y DATA", "X DATA", "Y DATA"};
    for (size_t r = 0; r < 4; ++r) {
        img.Text(d + r * 512, labels[r]);
        const bool isX = r % 2 == 0;
        const size_t base = r / 2 * 125;
        for (size_t k = 0; k < 125; ++k)
            img.Real(d + r * 512 + 12 + 4 * k, static_cast<float>(base + k) * (isX ? 1.0f : -2.0f));
    }
    auto r = ReadImage(dir, img.bytes());
    ASSERT_TRUE(r->ok) << ::testing::PrintToString(r->errors);
    ASSERT_EQ(r->file.X.size(), 126u);
    ASSERT_EQ(r->file.Y.size(), 126u);
    EXPECT_EQ(r->file.X[125], 125.0f);
    EXPECT_EQ(r->file.Y[125], -250.0f); // values beyond N (slots 126..249) are ignored
    EXPECT_EQ(r->file.Y[3], -6.0f);
}

TEST(RvfRead, UnknownDataBlock)
{
    TempDir dir;
    RvfImage img = RvfImage::Minimal(10, "X-Y");
    img.Text(img.DataOffset() + 512, "Z DATA");
    auto r = ReadImage(dir, img.bytes());
    EXPECT_EQ(r->errors, Lines{"CRVFFile::ReadSignalArrays | Unknown Data Block"});
    EXPECT_TRUE(r->file.X.empty());
    EXPECT_TRUE(r->file.Y.empty());

    // A "Y" file takes only "Y DATA" records.
    RvfImage y = RvfImage::Minimal(10, "Y");
    y.Text(y.DataOffset(), "X DATA");
    EXPECT_EQ(ReadImage(dir, y.bytes())->errors, Lines{"CRVFFile::ReadSignalArrays | Unknown Data Block"});
}

TEST(RvfRead, NanInDataFails)
{
    TempDir dir;
    for (auto format : {RvfImage::Ieee, RvfImage::Sun}) {
        RvfImage img = RvfImage::Minimal(130, "Y", format);
        img.Bits(img.DataOffset() + 512 + 12 + 4 * 4, 0xFFC00001u); // point 129
        auto r = ReadImage(dir, img.bytes());
        EXPECT_EQ(r->errors, Lines{"CRVFFile::floatRead | Not a Number"});
        EXPECT_TRUE(r->file.Y.empty());
    }
    // Infinity is a number.
    RvfImage inf = RvfImage::Minimal(3, "Y");
    inf.Real(inf.DataOffset() + 12, std::numeric_limits<float>::infinity());
    EXPECT_TRUE(ReadImage(dir, inf.bytes())->ok);
}

TEST(RvfRead, UnknownFloatFormatReadsAllNumbersAsZero)
{
    TempDir dir;
    RvfImage img = RvfImage::Minimal(10, "Y");
    img.Text(26, "CRAY ");
    EXPECT_EQ(ReadImage(dir, img.bytes())->errors,
              Lines{"CRVFFile::ReadSignalArrays | Equal array indices, NFP = NLP in file"});
}

TEST(RvfRead, HeaderFieldsInAllThreeFormats)
{
    TempDir dir;
    for (auto format : {RvfImage::Ieee, RvfImage::Sun, RvfImage::Vax}) {
        RvfImage img = RvfImage::Minimal(3, "Y", format);
        img.Text(31, "eng");
        img.Text(34, "lab 7   ");
        img.Int(49, -1234567);
        img.Text(65, std::string(70, 'T'));
        img.Int(173, -30);
        img.Real(177, 56.25f);
        img.Int(257, 49);
        img.Real(290, 3.75f);
        img.Text(308, "f");
        img.Real(379 - 4, 1.5f);
        img.Text(379, "3");
        img.Real(512 + 286, 0.125f);
        img.Int(512 + 278, -1);
        img.Int(512 + 282, 1);
        img.Text(512 + 148, "seconds");
        img.Real(img.DataOffset() + 12 + 8, -7.5f);
        auto r = ReadImage(dir, img.bytes());
        ASSERT_TRUE(r->ok) << format << ::testing::PrintToString(r->errors);
        const CRVFFile& f = r->file;
        EXPECT_EQ(f.Test.Dimension, "ENG");
        EXPECT_EQ(f.Test.Source, "LAB 7");
        EXPECT_EQ(f.Test.Number, -1234567);
        EXPECT_EQ(f.Test.Title, std::string(70, 'T'));
        EXPECT_EQ(f.Test.ImpactAngle, -30);
        EXPECT_EQ(f.Test.ClosingSpeed, 56.25f);
        EXPECT_EQ(f.Vehicle.ModelYear, 2049);
        EXPECT_EQ(f.Vehicle.Value, 3.75f);
        EXPECT_EQ(f.Occupant.Sex, "F");
        EXPECT_EQ(f.Injury.Csi, 1.5f);
        EXPECT_EQ(f.Injury.Ais, "3");
        EXPECT_EQ(f.Curve.Del, 0.125f);
        EXPECT_EQ(f.Curve.Nfp, -1);
        EXPECT_EQ(f.Curve.XUnits, "SECONDS");
        ASSERT_EQ(f.Y.size(), 3u);
        EXPECT_EQ(f.Y[2], -7.5f);
        EXPECT_EQ(f.Y[0], 0.0f);
        EXPECT_FALSE(f.HasSecondRecord());
    }
}

TEST(RvfRead, VaxZeroExponentReadsAsZero)
{
    TempDir dir;
    RvfImage img = RvfImage::Minimal(3, "Y", RvfImage::Vax);
    const size_t v = img.DataOffset() + 12;
    const uint8_t zeroExp[] = {0x12, 0x00, 0x34, 0x56}; // exponent byte 0: a VAX zero
    const uint8_t one[] = {0x80, 0x40, 0x00, 0x00};
    std::copy(zeroExp, zeroExp + 4, img.bytes().begin() + static_cast<long>(v));
    std::copy(one, one + 4, img.bytes().begin() + static_cast<long>(v + 4));
    auto r = ReadImage(dir, img.bytes());
    ASSERT_TRUE(r->ok) << ::testing::PrintToString(r->errors);
    EXPECT_EQ(r->file.Y[0], 0.0f);
    EXPECT_EQ(r->file.Y[1], 1.0f);
}

TEST(RvfRead, ModelYearFixUpOnRead)
{
    TempDir dir;
    const std::pair<int, int> years[] = {{49, 2049}, {50, 1950}, {100, 100}, {0, 0}, {1995, 1995}};
    for (const auto& [stored, read] : years) {
        RvfImage img = RvfImage::Minimal(3, "Y");
        img.Int(257, stored);
        auto r = ReadImage(dir, img.bytes());
        ASSERT_TRUE(r->ok);
        EXPECT_EQ(r->file.Vehicle.ModelYear, read) << stored;
    }
}
