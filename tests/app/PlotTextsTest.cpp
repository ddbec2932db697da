// Titles, subtitles, legend labels and the shared X axis of loaded signals.
#include "AppTestSupport.h"
#include "PlotTexts.h"
#include "TimeAxis.h"

namespace {

KVSignal WithXUnits(const char* units, size_t n = 4, float del = 0.001f)
{
    KVSignal s = Ramp(n, del);
    s.SetXUnits(units);
    return s;
}

} // namespace

TEST(PlotTexts, TitleLeavesOutBlankParts)
{
    KVSignal s = Ramp(3);
    // A text file: every test field blank.
    EXPECT_EQ(SignalTitle("veh4127_tunnel_vx.txt", s), "veh4127_tunnel_vx.txt");
    s.SetAxis("X");
    s.SetSensorLocation("DRIVER ");
    EXPECT_EQ(SignalTitle("a.rvf", s), "a.rvf, X axis, occ DRIVER");
    s.SetTestReference("REF1  ");
    s.SetSensorAttachment("HEAD");
    EXPECT_EQ(SignalTitle("a.rvf", s), "a.rvf (REF1), HEAD,X axis, occ DRIVER");
    s.SetAxis("  ");
    EXPECT_EQ(SignalTitle("", s), " (REF1), HEAD, occ DRIVER");
    EXPECT_EQ(SignalTitle(QString(300, 'n'), s).size(), 254);
}

TEST(PlotTexts, SubTitleTimesHaveThePrecisionOfTheSampleSpacing)
{
    // 0.1 ms steps: the peak at 0.0123 s must not read "0.0".
    KVSignal s = MakeSignal(200, 0.0001f, [](size_t i) { return i == 123 ? 9.5f : (i == 7 ? -7.08f : 0.0f); });
    EXPECT_EQ(PeakSubTitle(s), "Ymin -7.080 @ 0.0007, Ymax 9.500 @ 0.0123");
    // Coarse steps keep one decimal; 0.25 ms steps need four.
    EXPECT_EQ(XDecimals(Ramp(3, 2.0f), 0), 1);
    EXPECT_EQ(XDecimals(Ramp(3, 0.00025f), 2), 4);
    // One point: the header step decides, or one decimal without one.
    KVSignal one = Ramp(1, 0.001f);
    EXPECT_EQ(XDecimals(one, 0), 3);
    one.SetDel(KV_NO_VALUE);
    EXPECT_EQ(XDecimals(one, 0), 1);
    EXPECT_TRUE(PeakSubTitle(KVSignal()).isEmpty());
}

TEST(PlotTexts, LabelsKeepWhatTellsTheNamesApart)
{
    // Short file names stay whole; folders go.
    EXPECT_EQ(DistinguishingLabels({"/d/a.rvf", "b.rvf", ""}), (QStringList{"a.rvf", "b.rvf", ""}));
    // The last 16 characters used to cut the test number: extensions go first.
    EXPECT_EQ(DistinguishingLabels({"occ2231_head_avy.rvf", "veh4127_head_avy.rvf"}),
              (QStringList{"occ2231_head_avy", "veh4127_head_avy"}));
    // Then the words all share.
    EXPECT_EQ(DistinguishingLabels({"occ2231_neck_upper_fx.rvf", "occ2231_neck_upper_fy.rvf"}, 10),
              (QStringList{"fx", "fy"}));
    // The same file name in two folders: the folders tell them apart.
    EXPECT_EQ(DistinguishingLabels({"/data/test_one/head_x.rvf", "/data/test_two/head_x.rvf"}, 12),
              (QStringList{"one", "two"}));
    // Nothing in common: shortened in the middle, start and end kept.
    const QStringList cut = DistinguishingLabels({"occ2231_lfemur_fz.rvf", "veh4127_tunnel_vx.txt"}, 12);
    EXPECT_EQ(cut, (QStringList{QString("occ22") + QChar(0x2026) + "mur_fz", QString("veh41") + QChar(0x2026) + "nel_vx"}));
    // Names that differ only in their extension keep it.
    EXPECT_EQ(DistinguishingLabels({"occ2231_sled_pulse.rvf", "occ2231_sled_pulse.txt"}, 12),
              (QStringList{"rvf", "txt"}));
}

TEST(TimeAxis, UnitsInSecondsAndTheSharedAxis)
{
    EXPECT_EQ(SecondsPerUnit(" seconds "), 1.0);
    EXPECT_EQ(SecondsPerUnit("MILLISECONDS"), 1e-3);
    EXPECT_EQ(SecondsPerUnit("ms"), 1e-3);
    EXPECT_EQ(SecondsPerUnit("USEC"), 1e-6);
    EXPECT_FALSE(SecondsPerUnit("MILLIMETERS").has_value());
    EXPECT_FALSE(SecondsPerUnit("M").has_value());

    const KVSignal sec = WithXUnits("SECONDS");
    const KVSignal ms = WithXUnits("MILLISECONDS");
    const KVSignal mm = WithXUnits("MILLIMETERS");
    CSharedXAxis same = SharedXAxis({&ms, &ms});
    EXPECT_EQ(same.kind, CSharedXAxis::EKind::Same);
    EXPECT_EQ(same.label, "TIME MILLISECONDS");

    CSharedXAxis converted = SharedXAxis({&sec, &ms, &sec});
    EXPECT_EQ(converted.kind, CSharedXAxis::EKind::Converted);
    EXPECT_EQ(converted.scale, (std::vector<double>{1.0, 1e-3, 1.0}));
    EXPECT_EQ(converted.label, "TIME SECONDS (converted from MILLISECONDS)");

    CSharedXAxis mixed = SharedXAxis({&sec, &mm});
    EXPECT_EQ(mixed.kind, CSharedXAxis::EKind::Mixed);
    EXPECT_EQ(mixed.scale, (std::vector<double>{1.0, 1.0}));
    EXPECT_EQ(mixed.label, "Mixed Units");
}

TEST(TimeAxis, SpanRunsFromTheSmallestToTheLargestX)
{
    // Data from -0.05 s to 0.25 s: the span is 0.30 s, not XMax.
    const KVSignal s = MakeSignal(3001, 0.0001f, [](size_t) { return 0.0f; }, -0.05f);
    EXPECT_NEAR(XSpan(s), 0.30f, 1e-6f);
    EXPECT_EQ(XSpan(Ramp(1)), 0.0f);
}

TEST(PlotTexts, NoticeNamesWhatCannotBeDrawn)
{
    EXPECT_EQ(PlotNotice({}, {}), "No signal loaded");
    EXPECT_EQ(PlotNotice({"a.rvf", "b.rvf", "Sum"}, {0, 500, 1}), "a.rvf: no points\nSum: 1 point");
    EXPECT_TRUE(PlotNotice({"a.rvf"}, {2}).isEmpty());
}
