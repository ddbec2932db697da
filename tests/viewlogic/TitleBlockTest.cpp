#include "SupportQt.h"
#include "SupportSignals.h"
#include "TitleBlock.h"

#include <gtest/gtest.h>

namespace {

// Y peaks at index 21 (X = 0.0525 s with the step 0.0025 s).
KVSignal VehicleSignal()
{
    KVSignal s = MakeSignal(40, 0.0f, 0.0025f, [](size_t i) { return i == 21 ? 95.5f : -1.0f * float(i % 3); });
    s.SetTestSource("VEHICLE DB     ");
    s.SetTestReference("V1234");
    s.SetClosingSpeed(56.3f);
    s.SetTestConfig("FRONTAL");
    s.SetCurveText("HEAD ACCELERATION X");
    s.SetModelYear(1998);
    s.SetVehicleMake("ZEPHA");
    s.SetVehicleModel("ORBIT GT");
    s.SetVehicleNumber(1);
    s.SetSensorLocation("01");
    s.SetOccupantType("H3");
    s.SetOccupantSize("50");
    s.SetHic(512.25f);
    s.SetClip3ms(48.0f);
    s.SetSensorAttachment("HEAD CG      ");
    s.SetAxis("XG");
    s.SetStatus("COMPUTED   ");
    s.SetCutOffFrequency(1650.0f);
    s.SetXUnits("SECONDS");
    return s;
}

} // namespace

TEST(TitleBlock, VehicleTestGivesEveryLineLetterForLetter)
{
    const QStringList lines = TitleBlockLines(VehicleSignal(), QStringLiteral("/data/v1234.rvf"));
    ASSERT_EQ(lines.size(), 9);
    EXPECT_EQ(lines[0], "|/data/v1234.rvf|\t");
    EXPECT_EQ(lines[1], "VEHICLE DB V1234,  56.3 kph, FRO||\t");
    EXPECT_EQ(lines[2], "HEAD ACCELERATION X||\t");
    EXPECT_EQ(lines[3], "1998 ZEPHA ORBIT GT||\t");
    EXPECT_EQ(lines[4], "Vehicle Number: 1||\t");
    EXPECT_EQ(lines[5], "Location: 01, Type H3, Size 50|HIC 512.2, Clip  48.0|\t");
    EXPECT_EQ(lines[6], "SenAtt HEAD CG, Axis XG||\t");
    // The minimum -2 occurs first at index 2 (X = 5 ms).
    EXPECT_EQ(lines[7], "Status: COMPUTED||Min      -2.00 at   5.0 ms\t");
    EXPECT_EQ(lines[8], "Cutoff   1650 hz||Max      95.50 at  52.5 ms\t");
    EXPECT_EQ(TitleBlockText(lines), lines.join(""));
}

TEST(TitleBlock, ModelYearIsZeroPaddedToFourDigits)
{
    KVSignal s = VehicleSignal();
    s.SetModelYear(998);
    EXPECT_EQ(TitleBlockLines(s, "f")[3], "0998 ZEPHA ORBIT GT||\t");
}

TEST(TitleBlock, OtherTestSourcesShowACentredBlankInLinesFourAndFive)
{
    KVSignal s = VehicleSignal();
    s.SetTestSource("USER DATA");
    const QStringList lines = TitleBlockLines(s, "f");
    EXPECT_EQ(lines[3], "| |\t");
    EXPECT_EQ(lines[4], "| |\t");
    EXPECT_EQ(lines[1], "USER DATA V1234,  56.3 kph, FRO||\t");
    // The compared prefix is case-sensitive and needs all of "VEHICLE DB".
    s.SetTestSource("VEHICLE D");
    EXPECT_EQ(TitleBlockLines(s, "f")[3], "| |\t");
    s.SetTestSource("vehicle db");
    EXPECT_EQ(TitleBlockLines(s, "f")[4], "| |\t");
}

TEST(TitleBlock, BiomechanicsOccupantLines)
{
    KVSignal s = VehicleSignal();
    s.SetTestSource("BIOMECHANICS DB");
    s.SetOccupantType("CD-H3-50TH");
    s.SetOccupantSex("MALE");
    s.SetOccupantWeight(77.25f);
    s.SetAis("3");
    s.SetRestraint1("THREE POINT BELT ");
    s.SetRestraint2("AIRBAG");
    QStringList lines = TitleBlockLines(s, "f");
    EXPECT_EQ(lines[3], "Type CD-H3-, Sex M,  Wt  77.2 kg, AIS: 3||\t");
    EXPECT_EQ(lines[4], "Restraints: THREE POINT BEL, AIRBAG||\t");
    EXPECT_EQ(lines[5], "Location: 01, Type CD-H3-, Size 50|HIC 512.2, Clip  48.0|\t");

    s.SetOccupantType("HYBRID III");
    lines = TitleBlockLines(s, "f");
    EXPECT_EQ(lines[3], "Type HYBRID III, Size 50, Sex MALE||\t");
    EXPECT_EQ(lines[4], "Restraints: THREE POINT BEL, AIRBAG||\t");
}

TEST(TitleBlock, LongLinesAreCutTo97CharactersAndClosed)
{
    KVSignal s = VehicleSignal();
    const std::string text(120, 'c');
    s.SetCurveText(text);
    QStringList lines = TitleBlockLines(s, "f");
    EXPECT_EQ(lines[2], QString(97, 'c') + "|\t");
    EXPECT_EQ(lines[2].size(), 99);

    // 97 characters and "||\t" make 100: one over, so cut as well.
    s.SetCurveText(std::string(97, 'd'));
    EXPECT_EQ(TitleBlockLines(s, "f")[2], QString(97, 'd') + "|\t");
    // 96 characters and "||\t" make 99: kept whole.
    s.SetCurveText(std::string(96, 'e'));
    EXPECT_EQ(TitleBlockLines(s, "f")[2], QString(96, 'e') + "||\t");

    // The file name line keeps 99 characters of the name, so may be 102 long.
    lines = TitleBlockLines(s, QString(150, 'n'));
    EXPECT_EQ(lines[0], "|" + QString(99, 'n') + "|\t");
    EXPECT_LE(TitleBlockText(lines).size(), 1024);
}

TEST(TitleBlock, ExtremesTakeTheFirstOfEqualValuesAndScaleSecondsOnly)
{
    // Equal maxima at 10 ms and 20 ms, equal minima at 30 ms and 40 ms.
    KVSignal s = MakeSignal(6, 0.0f, 0.01f, [](size_t i) {
        const float y[] = {0.0f, 7.0f, 7.0f, -3.0f, -3.0f, 1.0f};
        return y[i];
    });
    s.SetXUnits("SECONDS   ");
    TitleBlockExtremes e = FindTitleBlockExtremes(s);
    EXPECT_FLOAT_EQ(e.yMax, 7.0f);
    EXPECT_FLOAT_EQ(e.xAtMax, 10.0f);
    EXPECT_FLOAT_EQ(e.yMin, -3.0f);
    EXPECT_FLOAT_EQ(e.xAtMin, 30.0f);
    EXPECT_TRUE(TitleBlockLines(s, "f")[8].endsWith("Max       7.00 at  10.0 ms\t"));

    s.SetXUnits("MILLISECONDS");
    e = FindTitleBlockExtremes(s);
    EXPECT_FLOAT_EQ(e.xAtMax, 0.01f);
    EXPECT_TRUE(TitleBlockLines(s, "f")[8].endsWith("Max       7.00 at   0.0 ms\t"));

    const KVSignal empty;
    e = FindTitleBlockExtremes(empty);
    EXPECT_EQ(e.yMax, 0.0f);
    EXPECT_EQ(e.xAtMin, 0.0f);
}

TEST(TitleBlock, SplitsLinesAtTheFirstTwoBars)
{
    EXPECT_EQ(SplitTitleLine("left|centre|right\t"), (TitleBlockParts{"left", "centre", "right"}));
    EXPECT_EQ(SplitTitleLine("| |\t"), (TitleBlockParts{"", " ", ""}));
    EXPECT_EQ(SplitTitleLine("Status: X||Min 1\t"), (TitleBlockParts{"Status: X", "", "Min 1"}));
    EXPECT_EQ(SplitTitleLine("a|b|c|d"), (TitleBlockParts{"a", "b", "c|d"}));
    EXPECT_EQ(SplitTitleLine(QString(97, 'c') + "|\t"), (TitleBlockParts{QString(97, 'c'), "", ""}));
    EXPECT_EQ(SplitTitleLine("plain"), (TitleBlockParts{"plain", "", ""}));
}
