// The float formats and byte orders of RVF-1992 files.
#include "CRVFFile.h"
#include "KVExtremes.h"
#include "RvfIo.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Quad = std::array<uint8_t, 4>;

Quad Convert(Quad b, int from, int to)
{
    RvfConvertFloatBytes(b.data(), from, to);
    return b;
}

Quad Ieee(float v)
{
    Quad b;
    std::memcpy(b.data(), &v, 4);
    return b;
}

float FromIeee(const Quad& b)
{
    float v;
    std::memcpy(&v, b.data(), 4);
    return v;
}

} // namespace

TEST(RvfFloat, MachineIsLittleEndianIeee)
{
    CRVFFile f;
    EXPECT_EQ(f.MachineByteOrder(), RVF_LITTLE_ENDIAN);
    EXPECT_EQ(f.MachineFloatFormat(), RVF_IEEE);
    EXPECT_EQ(f.MachineFloatFormatName(), "IEEE");
    EXPECT_EQ(f.FileId.FloatFormatName, "IEEE"); // a new object writes the machine's format
}

TEST(RvfFloat, UnknownFormatsKeepTheirTwoSpellings)
{
    // A machine of no known float format names itself "UKNOWN", a file of an
    // unknown format reads "UNKNOWN": both spellings are the system's own.
    struct OddMachine : CRVFFile {
        int MachineFloatFormat() const override { return 0; }
    } odd;
    EXPECT_EQ(odd.MachineFloatFormatName(), "UKNOWN");
    odd.FileId.FloatFormatName = "CRAY";
    EXPECT_EQ(odd.FileFloatFormatName(), "UNKNOWN");
}

TEST(RvfFloat, FormatNamesSelectFormatAndByteOrder)
{
    CRVFFile f;
    const struct {
        const char* name;
        int format, order;
        const char* display;
    } cases[] = {
        {"IEEE", RVF_IEEE, RVF_LITTLE_ENDIAN, "IEEE"},
        {"SUN", RVF_SUN, RVF_BIG_ENDIAN, "SUN"},
        {"VAX", RVF_VAX, RVF_LITTLE_ENDIAN, "VAX"},
        {"vax  ", RVF_VAX, RVF_LITTLE_ENDIAN, "VAX"}, // read as a text field: trimmed, upper case
        {"CRAY", RVF_UNKNOWN_FORMAT, RVF_UNKNOWN_ORDER, "UNKNOWN"},
        {"", RVF_UNKNOWN_FORMAT, RVF_UNKNOWN_ORDER, "UNKNOWN"},
    };
    for (const auto& c : cases) {
        f.FileId.FloatFormatName = c.name;
        EXPECT_EQ(f.FileFloatFormat(), c.format) << c.name;
        EXPECT_EQ(f.FileByteOrder(), c.order) << c.name;
        EXPECT_EQ(f.FileFloatFormatName(), c.display) << c.name;
    }
}

TEST(RvfFloat, IeeeToVaxKnownValues)
{
    EXPECT_EQ(Convert(Ieee(1.0f), RVF_IEEE, RVF_VAX), (Quad{0x80, 0x40, 0x00, 0x00}));
    EXPECT_EQ(Convert(Ieee(-1.0f), RVF_IEEE, RVF_VAX), (Quad{0x80, 0xC0, 0x00, 0x00}));
    EXPECT_EQ(Convert(Ieee(2.0f), RVF_IEEE, RVF_VAX), (Quad{0x00, 0x41, 0x00, 0x00}));
    EXPECT_EQ(Convert(Ieee(0.5f), RVF_IEEE, RVF_VAX), (Quad{0x00, 0x40, 0x00, 0x00}));
    // 0x3FC00001 = 1.5 plus one unit: the low word moves behind the high one.
    EXPECT_EQ(Convert(Quad{0x01, 0x00, 0xC0, 0x3F}, RVF_IEEE, RVF_VAX), (Quad{0xC0, 0x40, 0x01, 0x00}));
}

TEST(RvfFloat, IeeeToVaxSpecialCases)
{
    // High byte 0 or 0x80: too small for VAX, written as zero.
    EXPECT_EQ(Convert(Ieee(0.0f), RVF_IEEE, RVF_VAX), (Quad{0, 0, 0, 0}));
    EXPECT_EQ(Convert(Ieee(-0.0f), RVF_IEEE, RVF_VAX), (Quad{0, 0, 0, 0}));
    EXPECT_EQ(Convert(Ieee(1e-38f), RVF_IEEE, RVF_VAX), (Quad{0, 0, 0, 0}));
    EXPECT_EQ(Convert(Quad{0x12, 0x34, 0x56, 0x80}, RVF_IEEE, RVF_VAX), (Quad{0, 0, 0, 0}));
    // High byte 0x7F or 0xFF: too large, the largest VAX magnitude with the sign kept.
    EXPECT_EQ(Convert(Ieee(3.0e38f), RVF_IEEE, RVF_VAX), (Quad{0xFF, 0x7F, 0xFF, 0xFF}));
    EXPECT_EQ(Convert(Ieee(-3.0e38f), RVF_IEEE, RVF_VAX), (Quad{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(RvfFloat, VaxToIeeeAndSun)
{
    EXPECT_EQ(FromIeee(Convert(Quad{0x80, 0x40, 0x00, 0x00}, RVF_VAX, RVF_IEEE)), 1.0f);
    EXPECT_EQ(FromIeee(Convert(Quad{0x80, 0xC0, 0x00, 0x00}, RVF_VAX, RVF_IEEE)), -1.0f);
    EXPECT_EQ(Convert(Quad{0x80, 0x40, 0x00, 0x00}, RVF_VAX, RVF_SUN), (Quad{0x3F, 0x80, 0x00, 0x00}));
    EXPECT_EQ(Convert(Quad{0xC0, 0x40, 0x01, 0x00}, RVF_VAX, RVF_SUN), (Quad{0x3F, 0xC0, 0x00, 0x01}));
    // Exponent byte 0 or 0x80 is a VAX zero (or reserved operand): read as 0.0.
    for (uint8_t b1 : {uint8_t(0x00), uint8_t(0x80)}) {
        EXPECT_EQ(Convert(Quad{0x55, b1, 0x66, 0x77}, RVF_VAX, RVF_IEEE), (Quad{0, 0, 0, 0}));
        EXPECT_EQ(Convert(Quad{0x55, b1, 0x66, 0x77}, RVF_VAX, RVF_SUN), (Quad{0, 0, 0, 0}));
    }
}

TEST(RvfFloat, SunToVaxAndBack)
{
    EXPECT_EQ(Convert(Quad{0x3F, 0x80, 0x00, 0x00}, RVF_SUN, RVF_VAX), (Quad{0x80, 0x40, 0x00, 0x00}));
    EXPECT_EQ(Convert(Quad{0x80, 0x12, 0x34, 0x56}, RVF_SUN, RVF_VAX), (Quad{0, 0, 0, 0}));
    EXPECT_EQ(Convert(Quad{0x00, 0x12, 0x34, 0x56}, RVF_SUN, RVF_VAX), (Quad{0, 0, 0, 0}));
    EXPECT_EQ(Convert(Quad{0x7F, 0x12, 0x34, 0x56}, RVF_SUN, RVF_VAX), (Quad{0xFF, 0x7F, 0xFF, 0xFF}));
    EXPECT_EQ(Convert(Quad{0xFF, 0x12, 0x34, 0x56}, RVF_SUN, RVF_VAX), (Quad{0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(RvfFloat, IeeeAndSunSwapBytes)
{
    EXPECT_EQ(Convert(Quad{1, 2, 3, 4}, RVF_IEEE, RVF_SUN), (Quad{4, 3, 2, 1}));
    EXPECT_EQ(Convert(Quad{1, 2, 3, 4}, RVF_SUN, RVF_IEEE), (Quad{4, 3, 2, 1}));
}

TEST(RvfFloat, SameFormatIsUnchangedAndUnknownGivesZero)
{
    for (int f : {RVF_IEEE, RVF_SUN, RVF_VAX, RVF_UNKNOWN_FORMAT})
        EXPECT_EQ(Convert(Quad{1, 2, 3, 4}, f, f), (Quad{1, 2, 3, 4}));
    EXPECT_EQ(Convert(Quad{1, 2, 3, 4}, RVF_UNKNOWN_FORMAT, RVF_IEEE), (Quad{0, 0, 0, 0}));
    EXPECT_EQ(Convert(Quad{1, 2, 3, 4}, RVF_IEEE, RVF_UNKNOWN_FORMAT), (Quad{0, 0, 0, 0}));
}

TEST(RvfFloat, VaxRoundTripIsExactForNormalValues)
{
    for (float v : {1.0f, -1.0f, 3.14159f, 1e-30f, -2.5e30f, 123456.789f, 0.1f}) {
        const Quad vax = Convert(Ieee(v), RVF_IEEE, RVF_VAX);
        EXPECT_EQ(FromIeee(Convert(vax, RVF_VAX, RVF_IEEE)), v);
        const Quad sun = Convert(Ieee(v), RVF_IEEE, RVF_SUN);
        EXPECT_EQ(Convert(sun, RVF_SUN, RVF_VAX), vax);
        EXPECT_EQ(Convert(vax, RVF_VAX, RVF_SUN), sun);
    }
}

TEST(RvfText, ReadTakesWidthOrNulTrimsAndUpperCases)
{
    const uint8_t field[] = {'a', 'b', ' ', 'c', ' ', '\t', ' ', 'x'};
    EXPECT_EQ(RvfReadText(field, 7), "AB C");
    EXPECT_EQ(RvfReadText(field, 8), "AB C \t X");
    const uint8_t nul[] = {'k', 0, 'z', 'z'};
    EXPECT_EQ(RvfReadText(nul, 4), "K");
    const uint8_t blank[] = {' ', ' ', ' '};
    EXPECT_EQ(RvfReadText(blank, 3), "");
    EXPECT_TRUE(RvfIsBlank(""));
    EXPECT_TRUE(RvfIsBlank("  "));
    EXPECT_FALSE(RvfIsBlank(" a"));
}

TEST(RvfText, ModelYearFixUp)
{
    EXPECT_EQ(RvfFixModelYear(1), 2001);
    EXPECT_EQ(RvfFixModelYear(49), 2049);
    EXPECT_EQ(RvfFixModelYear(50), 1950);
    EXPECT_EQ(RvfFixModelYear(99), 1999);
    EXPECT_EQ(RvfFixModelYear(0), 0);
    EXPECT_EQ(RvfFixModelYear(100), 100);
    EXPECT_EQ(RvfFixModelYear(-5), -5);
    EXPECT_EQ(RvfFixModelYear(1998), 1998);
}

// The in-place scan of stored reals finds what decoding and scanning finds:
// the same extremes, the first of +0/-0, a NaN anywhere (vector body or
// tail), in every format, over spans of odd lengths.
TEST(RvfFloat, ScanInPlaceMatchesDecodeAndScan)
{
    std::vector<float> v;
    for (int i = 0; i < 301; ++i)
        v.push_back(float(i % 37) * (i % 2 ? -0.25f : 1.5f));
    // Extremes met only in the last, overlapping block of a whole record.
    std::vector<float> records(250, 1.0f);
    records[97] = -9.0f;
    records[124] = 9.0f;
    records[230] = -10.0f;
    const std::vector<std::vector<float>> runs = {
        v,     std::vector<float>(40, -0.0f), {-0.0f, 0.0f, -3.0f}, {0.0f, -0.0f, 2.0f}, {-1.0f, -0.0f, -2.0f, 0.0f},
        {7.0f}, records};
    // Odd pieces, and whole records (125 values) as a file holds them.
    const std::vector<std::vector<size_t>> cutsets = {{0, 1, 9, 125, 200, 301}, {0, 125, 250, 301}};
    for (const int format : {RVF_IEEE, RVF_SUN, RVF_VAX})
        {
            for (const auto& cuts : cutsets) {
                for (const auto& run : runs) {
                    std::vector<uint8_t> bytes(4 * run.size());
                    RvfEncodeReals(run.data(), bytes.data(), run.size(), format, RVF_IEEE);
                    std::vector<float> back(run.size());
                    RvfDecodeReals(bytes.data(), back.data(), run.size(), format, RVF_IEEE);
                    float wantLo, wantHi;
                    // The scan in order, value by value: the first of equal values stays.
                    wantLo = wantHi = back[0];
                    for (const float x : back) {
                        wantHi = x > wantHi ? x : wantHi;
                        wantLo = x < wantLo ? x : wantLo;
                    }
                    std::vector<RvfSpan> spans;
                    for (size_t k = 0; k + 1 < cuts.size() && cuts[k] < run.size(); ++k) {
                        const size_t end = std::min(cuts[k + 1], run.size());
                        spans.push_back({bytes.data() + 4 * cuts[k], end - cuts[k]});
                    }
                    float lo, hi;
                    RvfScanReals(spans, format, RVF_IEEE, lo, hi);
                    EXPECT_EQ(std::signbit(lo), std::signbit(wantLo)) << format << " " << run.size();
                    EXPECT_EQ(std::signbit(hi), std::signbit(wantHi)) << format << " " << run.size();
                    EXPECT_EQ(lo, wantLo);
                    EXPECT_EQ(hi, wantHi);
                }
            }
            if (format == RVF_VAX)
                continue; // a VAX float has no NaN pattern
            for (const size_t at : {size_t(3), size_t(17), size_t(100), size_t(124), size_t(300)}) {
                std::vector<uint8_t> bytes(4 * v.size());
                RvfEncodeReals(v.data(), bytes.data(), v.size(), format, RVF_IEEE);
                const uint32_t nan = format == RVF_SUN ? 0x0000C07Fu : 0x7FC00000u;
                std::memcpy(bytes.data() + 4 * at, &nan, 4);
                const RvfSpan whole{bytes.data(), v.size()};
                const RvfSpan records[] = {{bytes.data(), 125}, {bytes.data() + 500, 125}, {bytes.data() + 1000, 51}};
                float lo, hi;
                EXPECT_THROW(RvfScanReals({&whole, 1}, format, RVF_IEEE, lo, hi), KVException)
                    << format << " " << at;
                EXPECT_THROW(RvfScanReals(records, format, RVF_IEEE, lo, hi), KVException)
                    << format << " " << at;
            }
        }
}
