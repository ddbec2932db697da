// The file layer: KVFileRvf load and store, the field mapping, the layout
// choice, round trips in every float format, and KVReadSignalFile.
#include "CRVFFile.h"
#include "KVFileRvf.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

using Lines = std::vector<std::string>;

float Wave(size_t i) { return std::sin(static_cast<float>(i) * 0.1f) * 30.0f - 2.0f; }

// A signal whose mapped header fields all differ from their defaults.
KVSignal FullSignal(size_t n, float del)
{
    KVSignal s = MakeSignal(n, 0.0f, del, Wave);
    s.SetDel(del);
    s.SetDimension("ENG");
    s.SetTestNumber("4711");
    s.SetTestSource("lab a");
    s.SetTestTitle("frontal 56 km/h");
    s.SetTestReference("REF-9");
    s.SetTestConfig("FRB");
    s.SetImpactAngle(-30.9f);
    s.SetClosingSpeed(56.5f);
    s.SetVehicleNumber(2);
    s.SetVehicleMake("MAKER");
    s.SetVehicleModel("MODEL 3");
    s.SetModelYear(1997);
    s.SetVehicleValue(1234);
    s.SetOccupantType("H3");
    s.SetOccupantSex("M");
    s.SetOccupantWeight(77.5f);
    s.SetOccupantSize("50");
    s.SetRestraint1("BELT");
    s.SetRestraint2("AIRBAG");
    s.SetHic(612.25f);
    s.SetHicT1(0.0625f);
    s.SetHicT2(0.078125f);
    s.SetClip3ms(48.5f);
    s.SetCsi(301.0f);
    s.SetAis("2");
    s.SetCurveNumber(17);
    s.SetSensorAttachment("HEAD CG");
    s.SetSensorLocation("11");
    s.SetSensorType("IGNORED ON STORE");
    s.SetGaugeNumber(5);
    s.SetBandNumber(6);
    s.SetAxis("X");
    s.SetYType("ACCELERATION");
    s.SetYUnits("G");
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetStatus("FILTERED");
    s.SetCurveText("head acceleration x");
    s.SetInitialVelocity(15.5f);
    s.SetPreFilterFrequency(4000.0f);
    s.SetCutOffFrequency(300.0f);
    s.SetStoppingFrequency(2000.0f);
    s.SetHicInterval(15);
    s.SetClip3msT1(0.01f);
    return s;
}

bool Store(const KVSignal& s, const std::string& path, const char* format = "")
{
    KVFileRvf file(path);
    file.SetFloatFormatName(format);
    const bool ok = file.Store(s);
    EXPECT_TRUE(ok) << ::testing::PrintToString(ErrorLines(file));
    return ok;
}

bool Load(KVSignal& s, const std::string& path)
{
    KVFileRvf file(path);
    const bool ok = file.Load(s);
    EXPECT_TRUE(ok) << ::testing::PrintToString(ErrorLines(file));
    return ok;
}

std::string LayoutOf(const std::string& path) { return RvfReadText(ReadAll(path).data() + 16, 10); }

} // namespace

TEST(FileLayer, TypeNamesAndPointCount)
{
    KVFileRvf rvf("a");
    EXPECT_STREQ(rvf.TypeName(), "RVF-1992 File");
    EXPECT_EQ(rvf.PointCount(), 0u); // no file object yet
    EXPECT_EQ(rvf.FileName(), "a");
    EXPECT_FALSE(rvf.IsOpen());
    EXPECT_FALSE(rvf.Close());
}

TEST(FileLayer, RoundTripInEveryFormatAndLayout)
{
    TempDir dir;
    for (const char* format : {"IEEE", "SUN", "VAX"}) {
        for (const float del : {0.0001f, 99999.0f}) {
            const KVSignal out = FullSignal(300, del == 99999.0f ? 0.00025f : del);
            KVSignal in;
            const std::string path = dir.Path(std::string(format) + ".rvf");
            KVSignal stored = out;
            stored.SetDel(del);
            ASSERT_TRUE(Store(stored, path, format));
            EXPECT_EQ(LayoutOf(path), del == 99999.0f ? "X-Y" : "Y");
            EXPECT_EQ(RvfReadText(ReadAll(path).data() + 26, 5), format);
            ASSERT_TRUE(Load(in, path));
            const std::string where = std::string(format) + (del == 99999.0f ? " X-Y" : " Y");
            ASSERT_EQ(in.PointCount(), 300u) << where;
            for (size_t i = 0; i < 300; ++i) {
                ASSERT_EQ(in.Y()[i], out.Y()[i]) << where << " i=" << i;
                if (del == 99999.0f)
                    ASSERT_EQ(in.X()[i], out.X()[i]) << where << " i=" << i;
                else
                    ASSERT_EQ(in.X()[i], static_cast<float>(i) * del) << where << " i=" << i;
            }
            EXPECT_TRUE(in.HasData());
            EXPECT_EQ(in.Del(), del == 99999.0f ? 0.00025f : del) << where; // "X-Y": the step of its X
            EXPECT_EQ(in.Dimension(), "ENG");
            EXPECT_EQ(in.TestNumber(), "4711");
            EXPECT_EQ(in.TestSource(), "LAB A");
            EXPECT_EQ(in.TestTitle(), "FRONTAL 56 KM/H");
            EXPECT_EQ(in.TestReference(), "REF-9");
            EXPECT_EQ(in.TestConfig(), "FRB");
            EXPECT_EQ(in.ImpactAngle(), -30.0f); // truncated toward zero
            EXPECT_EQ(in.ClosingSpeed(), 56.5f);
            EXPECT_EQ(in.VehicleNumber(), 2);
            EXPECT_EQ(in.VehicleMake(), "MAKER");
            EXPECT_EQ(in.VehicleModel(), "MODEL 3");
            EXPECT_EQ(in.ModelYear(), 1997);
            EXPECT_EQ(in.VehicleValue(), 1234);
            EXPECT_EQ(in.OccupantType(), "H3");
            EXPECT_EQ(in.OccupantSex(), "M");
            EXPECT_EQ(in.OccupantWeight(), 77.5f);
            EXPECT_EQ(in.OccupantSize(), "50");
            EXPECT_EQ(in.Restraint1(), "BELT");
            EXPECT_EQ(in.Restraint2(), "AIRBAG");
            EXPECT_EQ(in.Hic(), 612.25f);
            EXPECT_EQ(in.HicT1(), 0.0625f);
            EXPECT_EQ(in.HicT2(), 0.078125f);
            EXPECT_EQ(in.Clip3ms(), 48.5f);
            EXPECT_EQ(in.Csi(), 301.0f);
            EXPECT_EQ(in.Ais(), "2");
            EXPECT_EQ(in.CurveNumber(), 17);
            EXPECT_EQ(in.SensorAttachment(), "HEAD CG");
            EXPECT_EQ(in.SensorLocation(), "11");
            EXPECT_EQ(in.SensorType(), "ACCELERATION"); // taken from the Y type
            EXPECT_EQ(in.GaugeNumber(), 5);
            EXPECT_EQ(in.BandNumber(), 6);
            EXPECT_EQ(in.Axis(), "X");
            EXPECT_EQ(in.YType(), "ACCELERATION");
            EXPECT_EQ(in.YUnits(), "G");
            EXPECT_EQ(in.XUnits(), "SECONDS");
            EXPECT_EQ(in.Status(), "FILTERED");
            EXPECT_EQ(in.CurveText(), "HEAD ACCELERATION X");
            EXPECT_EQ(in.Nfp(), 0);
            EXPECT_EQ(in.Nlp(), 299);
            EXPECT_EQ(in.InitialVelocity(), 15.5f);
            EXPECT_EQ(in.PreFilterFrequency(), 4000.0f);
            EXPECT_EQ(in.CutOffFrequency(), 300.0f);
            EXPECT_EQ(in.StoppingFrequency(), 2000.0f);
            EXPECT_EQ(in.FilterClass(), 180);
            // Fields without a file field come back with their reset values.
            EXPECT_EQ(in.HicInterval(), 36);
            EXPECT_EQ(in.Clip3msT1(), 0.0f);
            EXPECT_EQ(in.YMax(), out.YMax());
            EXPECT_EQ(in.YMin(), out.YMin());
        }
    }
}

TEST(FileLayer, StoredFileKeepsTheWriterDefaultsOfUnmappedFields)
{
    TempDir dir;
    ASSERT_TRUE(Store(FullSignal(5, 0.001f), dir.Path("d.rvf")));
    CRVFFile f;
    ASSERT_TRUE(f.RVF_Read(dir.Path("d.rvf")));
    EXPECT_EQ(f.Test.Text135, "OTHER");
    EXPECT_EQ(f.Curve.Kind, "TIME SERIES");
    EXPECT_EQ(f.Curve.Real310, 1.0f);
    EXPECT_EQ(f.Curve.NumberText, "0");
    EXPECT_EQ(f.Test.NumberText, "4711");
    EXPECT_EQ(f.Test.Number, 4711);
    EXPECT_EQ(f.Curve.DataType, "Y");
    EXPECT_EQ(f.Curve.Del, 0.001f);
    EXPECT_FALSE(f.HasSecondRecord());
}

TEST(FileLayer, LayoutChoiceOnStore)
{
    TempDir dir;
    // No constant step: both arrays.
    KVSignal free = MakeSignal(10, 0.0f, 0.001f, Wave);
    free.SetDel(99999.0f);
    ASSERT_TRUE(Store(free, dir.Path("a.rvf")));
    EXPECT_EQ(LayoutOf(dir.Path("a.rvf")), "X-Y");
    EXPECT_EQ(ReadAll(dir.Path("a.rvf")).size(), 1024u + 2 * 512);
    // Del 0 (as an "X-Y" file loads): both arrays.
    free.SetDel(0.0f);
    ASSERT_TRUE(Store(free, dir.Path("b.rvf")));
    EXPECT_EQ(LayoutOf(dir.Path("b.rvf")), "X-Y");
    // A step and X on the grid (Nfp + i) * Del: only Y.
    free.SetDel(0.001f);
    ASSERT_TRUE(Store(free, dir.Path("c.rvf")));
    EXPECT_EQ(LayoutOf(dir.Path("c.rvf")), "Y");
    EXPECT_EQ(ReadAll(dir.Path("c.rvf")).size(), 1024u + 512);
}

TEST(FileLayer, TextSignalStartingLaterKeepsItsTimes)
{
    // A constant step but X starting at 0.5 while Nfp is 0: a "Y" file would
    // move the curve to start at 0.
    TempDir dir;
    KVSignal s = MakeSignal(10, 0.5f, 0.25f, Wave);
    s.SetDel(0.25f);
    ASSERT_TRUE(Store(s, dir.Path("late.rvf")));
    EXPECT_EQ(LayoutOf(dir.Path("late.rvf")), "X-Y");
    KVSignal in;
    ASSERT_TRUE(Load(in, dir.Path("late.rvf")));
    EXPECT_EQ(in.X()[0], 0.5f);
    EXPECT_EQ(in.X()[9], 2.75f);
}

TEST(FileLayer, YFileWithNegativeFirstIndex)
{
    TempDir dir;
    RvfImage img = RvfImage::Minimal(201, "Y");
    img.Int(512 + 278, -100);
    img.Int(512 + 282, 100);
    img.Real(512 + 286, 0.0001f);
    for (size_t i = 0; i < 201; ++i)
        img.Real(img.DataOffset() + (i / 125) * 512 + 12 + 4 * (i % 125), static_cast<float>(i));
    WriteAll(dir.Path("neg.rvf"), img.bytes());
    KVSignal s;
    ASSERT_TRUE(Load(s, dir.Path("neg.rvf")));
    ASSERT_EQ(s.PointCount(), 201u);
    EXPECT_EQ(s.X()[0], -100.0f * 0.0001f);
    EXPECT_FLOAT_EQ(s.X()[0], -0.01f);
    EXPECT_EQ(s.X()[100], 0.0f);
    EXPECT_EQ(s.X()[200], 100.0f * 0.0001f);
    EXPECT_EQ(s.T0(), 0.0001f * -100.0f);
    EXPECT_EQ(s.Del(), 0.0001f);
    EXPECT_EQ(s.Y()[200], 200.0f);
    EXPECT_EQ(s.XMin(), s.X()[0]);
    EXPECT_EQ(s.YMax(), 200.0f);
    // Stored again it stays a "Y" file with the same indices.
    ASSERT_TRUE(Store(s, dir.Path("again.rvf")));
    EXPECT_EQ(LayoutOf(dir.Path("again.rvf")), "Y");
    KVSignal again;
    ASSERT_TRUE(Load(again, dir.Path("again.rvf")));
    EXPECT_EQ(again.Nfp(), -100);
    EXPECT_EQ(again.X()[0], s.X()[0]);
}

TEST(FileLayer, FilterClassFromFrequencies)
{
    const struct {
        float cutOff, preFilter;
        int filterClass;
    } cases[] = {
        {100, 0, 60}, {110, 0, 1001}, {90, 0, 1001}, {90.5f, 0, 60}, {300, 0, 180}, {280, 0, 1001},
        {1000, 0, 600}, {1020, 0, 1001}, {1650, 0, 1000}, {1700, 0, 1001}, {0, 1650, 1000}, {0, 0, 1001},
        {100, 1650, 60},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KVFilterClassFromFrequency(c.cutOff, c.preFilter), c.filterClass) << c.cutOff << " " << c.preFilter;

    TempDir dir;
    for (const auto& c : {cases[0], cases[1], cases[10]}) {
        RvfImage img = RvfImage::Minimal(3, "Y");
        img.Real(512 + 286, 0.0001f);
        img.Real(512 + 298, c.cutOff);
        img.Real(512 + 294, c.preFilter);
        WriteAll(dir.Path("fc.rvf"), img.bytes());
        KVSignal s;
        ASSERT_TRUE(Load(s, dir.Path("fc.rvf")));
        EXPECT_EQ(s.FilterClass(), c.filterClass);
    }
}

TEST(FileLayer, LoadingTwiceGivesTheSameSignal)
{
    TempDir dir;
    ASSERT_TRUE(Store(FullSignal(50, 0.001f), dir.Path("t.rvf")));
    KVSignal s;
    ASSERT_TRUE(Load(s, dir.Path("t.rvf")));
    s.SetHicInterval(99); // a field the file does not hold: reset by the next load
    ASSERT_TRUE(Load(s, dir.Path("t.rvf")));
    KVSignal fresh;
    ASSERT_TRUE(Load(fresh, dir.Path("t.rvf")));
    EXPECT_EQ(s.HicInterval(), 36);
    ASSERT_EQ(s.PointCount(), fresh.PointCount());
    EXPECT_TRUE(std::equal(s.Y(), s.Y() + s.PointCount(), fresh.Y()));
    EXPECT_EQ(s.TestTitle(), fresh.TestTitle());
}

TEST(FileLayer, StoreNumberConversions)
{
    TempDir dir;
    KVSignal s = FullSignal(4, 0.001f);
    s.SetImpactAngle(-0.99f);
    s.SetTestNumber("abc");
    s.SetModelYear(49);
    ASSERT_TRUE(Store(s, dir.Path("n.rvf")));
    KVSignal in;
    ASSERT_TRUE(Load(in, dir.Path("n.rvf")));
    EXPECT_EQ(in.ImpactAngle(), 0.0f);
    EXPECT_EQ(in.TestNumber(), "0"); // the text is no number: the integer stays 0
    EXPECT_EQ(in.ModelYear(), 2049);
}

TEST(FileLayer, StoreFailures)
{
    TempDir dir;
    KVSignal none;
    KVFileRvf empty(dir.Path("none.rvf"));
    EXPECT_FALSE(empty.Store(none));
    EXPECT_EQ(ErrorLines(empty), Lines{"CRVFFile::RVF_Write | Equal array indices, NFP = NLP"});
    EXPECT_FALSE(empty.IsOpen());
    EXPECT_TRUE(dir.Entries().empty());

    KVSignal crossed = MakeSignal(5, 0.0f, 1.0f, Wave);
    crossed.SetNfp(4);
    crossed.SetNlp(1);
    KVFileRvf c(dir.Path("c.rvf"));
    EXPECT_FALSE(c.Store(crossed));
    EXPECT_EQ(ErrorLines(c), Lines{"CRVFFile::RVF_Write | Crossed array indices, NFP > NLP"});

    KVSignal nan = MakeSignal(5, 0.0f, 1.0f, Wave);
    nan.Y()[3] = std::nanf("");
    WriteAll(dir.Path("old.rvf"), Bytes{1, 2, 3});
    KVFileRvf n(dir.Path("old.rvf"));
    EXPECT_FALSE(n.Store(nan));
    EXPECT_EQ(ErrorLines(n), Lines{"CRVFFile::floatWrite | Not a Number"});
    EXPECT_EQ(ReadAll(dir.Path("old.rvf")), (Bytes{1, 2, 3}));

    KVFileRvf open(dir.Path("o.rvf"));
    ASSERT_TRUE(open.Open(dir.Path("o.rvf")));
    EXPECT_TRUE(open.IsOpen());
    EXPECT_FALSE(open.Store(MakeSignal(3, 0.0f, 1.0f, Wave)));
    KVSignal s;
    EXPECT_FALSE(open.Load(s));
    EXPECT_EQ(ErrorLines(open), (Lines{"KVFileRvf::Store | File already open.", "KVFileRvf::Load | File already open"}));
    EXPECT_TRUE(open.Close());

    KVFileRvf unknown(dir.Path("u.rvf"));
    unknown.SetFloatFormatName("CRAY");
    EXPECT_FALSE(unknown.Store(MakeSignal(3, 0.0f, 1.0f, Wave)));
    EXPECT_EQ(ErrorLines(unknown), Lines{"CRVFFile::RVF_Write | Couldn't set byte order of float format"});

    EXPECT_FALSE(SaveSignalAsRvf(none, dir.Path("s.rvf")));
    EXPECT_TRUE(SaveSignalAsRvf(MakeSignal(3, 0.0f, 1.0f, Wave), dir.Path("s.rvf")));
    EXPECT_EQ(dir.Entries(), (Lines{"old.rvf", "s.rvf"}));
}

TEST(FileLayer, StoreRefusesIndicesBeyondTheArrays)
{
    TempDir dir;
    KVSignal s = MakeSignal(3, 0.0f, 1.0f, Wave);
    s.SetNlp(9); // claims ten points: never read past the arrays or invent samples
    KVFileRvf over(dir.Path("z.rvf"));
    EXPECT_FALSE(over.Store(s));
    EXPECT_EQ(ErrorLines(over), Lines{"KVFileRvf::Store | Point indices claim more points than the signal holds"});
    EXPECT_FALSE(over.IsOpen());
    EXPECT_TRUE(dir.Entries().empty());
    KVSignal in;

    s.SetNlp(1); // fewer than the arrays hold: the first two points
    ASSERT_TRUE(Store(s, dir.Path("two.rvf")));
    ASSERT_TRUE(Load(in, dir.Path("two.rvf")));
    EXPECT_EQ(in.PointCount(), 2u);
}

TEST(FileLayer, LoadFailuresAreTakenOverFromTheReader)
{
    TempDir dir;
    KVSignal s = MakeSignal(2, 0.0f, 1.0f, Wave);
    KVFileRvf missing(dir.Path("no.rvf"));
    EXPECT_FALSE(missing.Load(s));
    EXPECT_EQ(ErrorLines(missing),
              Lines{"CRVFFile::RVF_Read | Couldn't open file: " + dir.Path("no.rvf") + " is not found."});
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_TRUE(s.HasData()); // a failed read leaves the signal alone
    EXPECT_EQ(s.PointCount(), 2u);

    RvfImage odd = RvfImage::Minimal(5, "X-Y");
    odd.Text(16, "XY ");
    odd.Text(512 + 16, "XY ");
    WriteAll(dir.Path("odd.rvf"), odd.bytes());
    KVFileRvf layout(dir.Path("odd.rvf"));
    EXPECT_FALSE(layout.Load(s));
    EXPECT_EQ(ErrorLines(layout),
              Lines{"KVFileRvf::Load | Unknown data layout \"XY\" in " + dir.Path("odd.rvf") + ", expected X-Y or Y"});
}

TEST(ReadSignalFile, TriesRvfThenTextAndReportsTheLikelyKind)
{
    TempDir dir;
    KVSignal s;
    KVErrorList errors;
    ASSERT_TRUE(Store(FullSignal(5, 0.001f), dir.Path("a.rvf")));
    EXPECT_STREQ(KVReadSignalFile(dir.Path("a.rvf"), s, errors), "RVF-1992 File");
    EXPECT_EQ(errors.ErrorCount(), 0);

    WriteText(dir.Path("t.txt"), "time value\n0 1\n1 3\n");
    EXPECT_STREQ(KVReadSignalFile(dir.Path("t.txt"), s, errors), "ASCII File");
    EXPECT_EQ(errors.ErrorCount(), 0);
    EXPECT_EQ(s.PointCount(), 2u);

    // A damaged RVF-1992 file: the RVF reader's complaint, not the text reader's.
    Bytes broken = ReadAll(dir.Path("a.rvf"));
    broken.resize(1000);
    WriteAll(dir.Path("b.rvf"), broken);
    EXPECT_EQ(KVReadSignalFile(dir.Path("b.rvf"), s, errors), nullptr);
    EXPECT_EQ(ErrorLines(errors),
              Lines{"CRVFFile::RVF_Read | " + dir.Path("b.rvf") + " is not a valid RVF-1992 Signal File."});

    // A bad text file: the text reader's complaint.
    errors.ClearErrors();
    WriteText(dir.Path("bad.txt"), "0 1\nx\n");
    EXPECT_EQ(KVReadSignalFile(dir.Path("bad.txt"), s, errors), nullptr);
    ASSERT_EQ(errors.ErrorCount(), 2);
    EXPECT_EQ(errors.ErrorMessage(0), "Not Valid ASCII File Format in Line 2 of " + dir.Path("bad.txt") + ".");
}

TEST(FileLayer, LoadConversionsFromAHandMadeFile)
{
    TempDir dir;
    RvfImage img = RvfImage::Minimal(4, "X-Y", RvfImage::Sun, true);
    const size_t r = img.CurveOffset();
    img.Int(49, -42);
    img.Int(173, 15);
    img.Real(290, -3.75f); // vehicle quantity: truncated toward zero
    img.Int(524, 8);       // second vehicle: travels in the file object only
    img.Real(r + 286, 0.5f);
    img.Int(r + 278, 10);
    img.Int(r + 282, 13);
    WriteAll(dir.Path("h.rvf"), img.bytes());
    KVSignal s;
    ASSERT_TRUE(Load(s, dir.Path("h.rvf")));
    EXPECT_EQ(s.TestNumber(), "-42");
    EXPECT_EQ(s.ImpactAngle(), 15.0f);
    EXPECT_EQ(s.VehicleValue(), -3);
    EXPECT_EQ(s.VehicleNumber(), 0);
    EXPECT_EQ(s.Del(), 0.0f);   // "X-Y": no step, whatever the file says
    EXPECT_EQ(s.T0(), 5.0f);    // DEL x NFP all the same
    EXPECT_EQ(s.PointCount(), 4u);
    EXPECT_EQ(s.XMax(), 0.0f);  // the X array holds zeros
    EXPECT_EQ(s.FilterClass(), 1001);
}

TEST(FileLayer, FilesAroundTheFirstReadLoadWholeAndShortOnesAreRefused)
{
    // The header and the first data records come in one read, whose length
    // also finds the end of a file shorter than it (257 records here).
    TempDir dir;
    const std::string path = dir.Path("s.rvf");
    for (const size_t records : {1u, 256u, 257u, 258u}) {
        for (const size_t less : {0u, 3u}) {
            const size_t n = records * 125 - less;
            KVSignal out = FullSignal(n, 0.0001f);
            out.Y()[n - 1] = 1e6f; // the largest value in the last record
            out.UpdateExtremes();
            ASSERT_TRUE(Store(out, path));
            const Bytes bytes = ReadAll(path);
            ASSERT_EQ(bytes.size(), 1024 + records * 512);
            KVSignal in;
            ASSERT_TRUE(Load(in, path));
            ASSERT_EQ(in.PointCount(), n);
            EXPECT_EQ(in.Y()[n - 1], 1e6f);
            KVHeader header;
            size_t points = 0;
            ASSERT_TRUE(KVFileRvf(path).LoadHeader(header, points)) << records;
            EXPECT_EQ(points, n);
            EXPECT_EQ(header.YMax, 1e6f);
            for (const size_t cut : {1u, 512u}) {
                WriteAll(path, Bytes(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut)));
                EXPECT_FALSE(KVFileRvf(path).LoadHeader(header, points)) << records << " " << cut;
                EXPECT_FALSE(KVFileRvf(path).Load(in)) << records << " " << cut;
            }
        }
    }
}

TEST(FileLayer, LongRecordsCrossManyPiecesExactlyAndAFailedStoreKeepsTheFile)
{
    // Data records move in pieces of 256: values, extremes and the last
    // partial record must come out the same across piece boundaries.
    TempDir dir;
    const size_t n = 40001; // 321 records per array
    for (const char* format : {"SUN", "VAX"}) {
        for (const float del : {0.0001f, 99999.0f}) {
            KVSignal out = FullSignal(n, 0.0001f);
            out.SetDel(del);
            out.Y()[n - 1] = 1e6f; // the largest value in the last, partial record
            out.Y()[20000] = -1e6f;
            out.UpdateExtremes();
            const std::string path = dir.Path("long.rvf");
            ASSERT_TRUE(Store(out, path, format));
            EXPECT_EQ(ReadAll(path).size(), 1024u + 321u * 512u * (del == 99999.0f ? 2u : 1u));
            KVSignal in;
            ASSERT_TRUE(Load(in, path));
            ASSERT_EQ(in.PointCount(), n);
            for (size_t i = 0; i < n; ++i)
                ASSERT_EQ(in.Y()[i], out.Y()[i]) << format << " " << i;
            EXPECT_EQ(in.X()[n - 1], out.X()[n - 1]);
            EXPECT_EQ(in.YMax(), 1e6f);
            EXPECT_EQ(in.YMin(), -1e6f);
            EXPECT_EQ(in.XMax(), out.X()[n - 1]);
            // The header alone, scanned without keeping the arrays, is the
            // load's, whatever the header held before (fields the file lacks too).
            KVHeader header = out.Header();
            header.Side.testLines = KVSideRecord::Lines{{"NAME", "VALUE"}};
            size_t points = 0;
            ASSERT_TRUE(KVFileRvf(path).LoadHeader(header, points));
            EXPECT_EQ(points, n);
            EXPECT_EQ(HeaderDifferences(header, in.Header()), Lines{}) << format << " " << del;
        }
    }
    // A NaN far into the data is found after many records went to the
    // temporary file: the existing file stays byte for byte as it was.
    const std::string path = dir.Path("long.rvf");
    const Bytes before = ReadAll(path);
    KVSignal bad = FullSignal(n, 0.0001f);
    bad.Y()[39000] = std::nanf("");
    KVFileRvf file(path);
    EXPECT_FALSE(file.Store(bad));
    EXPECT_EQ(ErrorLines(file), Lines{"CRVFFile::floatWrite | Not a Number"});
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"long.rvf"});
    // A NaN in a late record fails the header scan with the load's message.
    ASSERT_TRUE(Store(FullSignal(n, 0.0001f), dir.Path("nan.rvf")));
    Bytes nan = ReadAll(dir.Path("nan.rvf"));
    const Bytes bits = FloatBytes(std::nanf(""));
    std::copy(bits.begin(), bits.end(), nan.end() - 612);
    WriteAll(dir.Path("nan.rvf"), nan);
    KVHeader header;
    size_t points = 0;
    KVErrorList errors;
    EXPECT_EQ(KVReadSignalHeader(dir.Path("nan.rvf"), header, points, errors), nullptr);
    EXPECT_EQ(ErrorLines(errors), Lines{"CRVFFile::floatRead | Not a Number"});
}

// An extreme of zero is the first zero of the file, +0 or -0 as stored, in
// the header read alone as in the whole read.
TEST(FileLayer, AZeroExtremeKeepsTheSignOfTheFirstZero)
{
    TempDir dir;
    const std::string path = dir.Path("zero.rvf");
    for (const char* format : {"", "SUN", "VAX"}) {
        for (const float first : {-0.0f, 0.0f}) {
            for (const float side : {-1.0f, 1.0f}) { // zero as the maximum, then as the minimum
                SCOPED_TRACE(std::string(format) + (std::signbit(first) ? " -0 " : " +0 ") + std::to_string(side));
                // 320 records: two pieces of the reader.
                KVSignal out = FullSignal(40000, 0.0001f);
                for (size_t i = 0; i < 40000; ++i)
                    out.Y()[i] = side * float(1 + i % 7);
                // In the third record, the first zero in the last lane of a
                // vector, the other in the first lane of the next one; one
                // more zero in the second piece.
                out.Y()[337] = first;
                out.Y()[338] = -first;
                out.Y()[39000] = -first;
                out.UpdateExtremes();
                ASSERT_TRUE(Store(out, path, format));
                KVSignal in;
                ASSERT_TRUE(Load(in, path));
                const float zero = in.Y()[337];
                ASSERT_EQ(zero, 0.0f);
                KVHeader header;
                size_t points = 0;
                ASSERT_TRUE(KVFileRvf(path).LoadHeader(header, points));
                const float loaded = side < 0 ? in.YMax() : in.YMin();
                const float scanned = side < 0 ? header.YMax : header.YMin;
                EXPECT_EQ(std::signbit(loaded), std::signbit(zero));
                EXPECT_EQ(std::signbit(scanned), std::signbit(zero));
                EXPECT_EQ(loaded, 0.0f);
                EXPECT_EQ(scanned, 0.0f);
            }
        }
    }
}

#if !defined(ONDREL_NO_MEMORY_LIMIT)
namespace {

// Loads path with 8 MiB of address space to spare; prints the messages.
int LoadShortOfMemory(const std::string& path)
{
    LimitAddressSpace(size_t(8) << 20);
    KVSignal s;
    KVFileRvf file(path);
    const bool ok = file.Load(s);
    for (const std::string& line : ErrorLines(file))
        std::fprintf(stderr, "%s\n", line.c_str());
    return ok ? 0 : 1;
}

} // namespace

// Regression: a load that ran short of memory said "Couldn't set sequence length".
TEST(FileLayer, ALoadShortOfMemorySaysSoNamingTheFile)
{
    TempDir dir;
    const std::string path = dir.Path("long.rvf");
    ASSERT_TRUE(SaveSignalAsRvf(MakeSignal(4000000, 0.0f, 1e-6f, [](size_t i) { return float(i % 100); }), path));
    EXPECT_EXIT(std::_Exit(LoadShortOfMemory(path)), ::testing::ExitedWithCode(1),
                "Not enough memory to read .*long.rvf\\.");
}
#endif
