#include "AppTestSupport.h"
#include "ExportCommands.h"
#include "ExportTables.h"
#include "Kalvio.h"
#include "ListCommands.h"
#include "OndrelSettings.h"

namespace {

KVSignal Points(std::vector<std::pair<float, float>> xy, float del = KV_NO_VALUE)
{
    KVSignal s;
    s.Allocate(xy.size());
    for (size_t i = 0; i < xy.size(); ++i)
        s.SetPoint(xy[i].first, xy[i].second, i);
    s.SetDel(del);
    s.SetNlp(static_cast<int>(xy.size()) - 1);
    s.UpdateExtremes();
    s.SetHasData(true);
    return s;
}

} // namespace

TEST_F(AppTest, CopyDataTableWithAndWithoutHeaders)
{
    ExportCommands::CopyData(*doc);
    EXPECT_TRUE(ui.clipboard.isEmpty());
    doc->Loaded().Add({"a", Points({{0.0f, 1.5f}, {0.25f, -2.0f}})});
    doc->Loaded().Add({"b", Points({{1.0f, 1e6f}})});
    ExportCommands::CopyData(*doc);
    EXPECT_EQ(ui.clipboard, "a\t\tb\t\r\n"
                            "0.000000\t1.500000\t1.000000\t1000000.000000\r\n"
                            "0.250000\t-2.000000\t\t\r\n");
    COptionsValues options = doc->Options();
    options.columnHeaders = false;
    doc->SetOptions(options);
    ExportCommands::CopyData(*doc);
    EXPECT_TRUE(ui.clipboard.startsWith("0.000000\t1.500000\t"));
    EXPECT_TRUE(ui.messageBoxes.isEmpty());

    // Each X column keeps its signal's unit; when they differ the reader is told.
    KVSignal a = doc->Signals()[0].signal;
    KVSignal b = doc->Signals()[1].signal;
    a.SetXUnits("MILLISECONDS");
    b.SetXUnits("SECONDS");
    ListCommands::SelectionChanged(*doc, {}, false);
    doc->Loaded().Add({"a", a});
    doc->Loaded().Add({"b", b});
    ExportCommands::CopyData(*doc);
    EXPECT_TRUE(ui.clipboard.startsWith("0.000000\t1.500000\t"));
    ASSERT_EQ(ui.messageBoxes.size(), 1);
    EXPECT_TRUE(ui.messageBoxes[0].contains("(MILLISECONDS, SECONDS)")) << ui.messageBoxes[0].toStdString();
}

TEST(ExportTables, ShorterFirstSignalKeepsLaterColumnsInPlace)
{
    std::vector<CSignalEntry> entries;
    entries.emplace_back("s", Points({{0.0f, 1.0f}}));
    entries.emplace_back("l", Points({{0.0f, 2.0f}, {1.0f, 3.0f}}));
    entries.emplace_back("m", Points({{0.5f, 0.0000004f}, {1.5f, -0.0000006f}}));
    EXPECT_EQ(XYTable(entries, true, ETableStyle::SaveAscii),
              "s\t\tl\t\tm\t\t\r\n"
              "0.000000\t1.000000\t0.000000\t2.000000\t0.500000\t0.000000\r\n"
              "\t\t1.000000\t3.000000\t1.500000\t-0.000001\r\n");
    EXPECT_EQ(XYTable({}, true, ETableStyle::CopyData), "");
}

TEST_F(AppTest, SaveAsciiWritesTheFileAndRemembersItsDirectory)
{
    doc->Loaded().Add({"a b", Points({{0.0f, 1.0f}})});
    ExportCommands::SaveAscii(*doc); // Cancel
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Select File Name for ASCII data");
    EXPECT_EQ(ui.fileRequests[0].filters, QStringList{"Tab Delimited File (*.txt)"});
    EXPECT_EQ(ui.fileRequests[0].defaultSuffix, "txt");
    EXPECT_TRUE(ui.fileRequests[0].confirmOverwrite);
    EXPECT_FALSE(ui.fileRequests[0].appendBox);

    const QString out = PathOf("table.txt");
    ui.savePaths.push_back({out, false});
    ExportCommands::SaveAscii(*doc);
    EXPECT_EQ(ReadBytes(out), "a b\t\t\r\n0.000000\t1.000000\r\n");
    EXPECT_EQ(OndrelSettings::ReadString(OndrelSettings::kOutputDir), Dir());
    EXPECT_EQ(ui.waitDepth, 0);

    // Regression: an export that could not be written used to pass in silence.
    ui.savePaths.push_back({PathOf("missing/table.txt"), false});
    ExportCommands::SaveAscii(*doc);
    ASSERT_EQ(ui.messageBoxes.size(), 1);
    EXPECT_TRUE(ui.messageBoxes[0].startsWith(PathOf("missing/table.txt") + " was not saved: "));
}

TEST_F(AppTest, SaveRvfOffersOneDialogPerSignalWithItsDefaultName)
{
    KVSignal a = Ramp(4);
    a.SetCurveNumber(5);
    a.SetTestNumber("123");
    doc->Loaded().Add({"a", a});
    doc->Loaded().Add({"b", Ramp(3)});
    doc->Loaded().Add({"c", Ramp(6)});
    const QString first = PathOf("first.rvf");
    const QString third = PathOf("third.rvf");
    ui.savePaths = {{first, false}};
    ExportCommands::SaveRvf(*doc); // the second dialog is cancelled, which ends the answers
    ASSERT_EQ(ui.fileRequests.size(), 3u);
    EXPECT_EQ(ui.fileRequests[0].title, "RVF File #0, Save As");
    EXPECT_EQ(ui.fileRequests[1].title, "RVF File #1, Save As");
    EXPECT_EQ(ui.fileRequests[2].title, "RVF File #2, Save As");
    EXPECT_EQ(ui.fileRequests[0].filters, QStringList{"Rvf Data Files (*.*)"});
    EXPECT_EQ(ui.fileRequests[0].defaultSuffix, "rvf");
    std::string code;
    ASSERT_TRUE(Kalvio::FileNameCode(a, &code));
    EXPECT_EQ(ui.fileRequests[0].fileName.toStdString(), code);
    EXPECT_TRUE(ui.fileRequests[0].fileName.endsWith(".005"));

    KVSignal back;
    KVFileRvf reader(QFile::encodeName(first).toStdString());
    ASSERT_TRUE(reader.Load(back));
    EXPECT_EQ(back.PointCount(), 4u);
    EXPECT_FALSE(QFile::exists(third));
    EXPECT_EQ(OndrelSettings::ReadString(OndrelSettings::kOutputDir), Dir());
    EXPECT_FALSE(doc->Signals()[0].modified);
}

TEST_F(AppTest, SaveRvfReportsASignalThatCouldNotBeWritten)
{
    doc->Loaded().Add({"a", Ramp(4)});
    ui.savePaths = {{PathOf("none/x.rvf"), false}};
    ExportCommands::SaveRvf(*doc);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_TRUE(ui.errorDialogs[0][0].startsWith(PathOf("none/x.rvf") + " was not saved: "));

    // A one-point signal is refused before a name is asked for, in words.
    ListCommands::SelectionChanged(*doc, {}, false);
    doc->Loaded().Add({"one.rvf", Ramp(1)});
    ui.fileRequests.clear();
    ExportCommands::SaveRvf(*doc);
    EXPECT_TRUE(ui.fileRequests.empty());
    ASSERT_EQ(ui.errorDialogs.size(), 2u);
    EXPECT_EQ(ui.errorDialogs[1],
              QStringList{"one.rvf was not saved: a signal of fewer than two points cannot be stored"});
}

TEST(ExportTables, CommonTimeBaseWalk)
{
    const auto base = [](std::vector<float> dels) {
        std::vector<CSignalEntry> entries;
        for (float d : dels)
            entries.emplace_back("s", Points({{0.0f, 0.0f}}, d));
        return CommonTimeBase(entries);
    };
    EXPECT_EQ(base({0.001f}).count, 1);
    EXPECT_EQ(base({0.001f, 0.002f}).count, 1); // a larger later step changes nothing
    CTimeBase b = base({0.002f, 0.001f, 0.0f});
    EXPECT_FLOAT_EQ(b.step, 0.001f);
    EXPECT_EQ(b.count, 3);
    b = base({0.0f, 0.0005f});
    EXPECT_FLOAT_EQ(b.step, 0.0005f);
    EXPECT_EQ(b.count, 2);
}

TEST_F(AppTest, SaveImageExpressWithOneTimeBaseDropsBlanksFromNames)
{
    doc->Loaded().Add({"run 1.rvf", Points({{0.0f, 1.0f}, {0.001f, 2.0f}}, 0.001f)});
    doc->Loaded().Add({"run 2.rvf", Points({{0.0f, 5.0f}, {0.002f, 6.0f}, {0.004f, 7.0f}}, 0.002f)});
    const QString out = PathOf("ie.txt");
    ui.savePaths.push_back({out, false});
    ExportCommands::SaveImageExpress(*doc);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].title, "Select File Name for ImageExpress data");
    EXPECT_EQ(ui.fileRequests[0].filters, QStringList{"ImageExpress Data (*.txt)"});
    // The second signal keeps its own samples; past the first signal's end
    // the X column goes on with the common step and the first Y is empty.
    EXPECT_EQ(ReadBytes(out), "; Generated by Ondrel Save as ImageExpress\r\n"
                              "; run1.rvf\trun2.rvf\r\n"
                              "0.000000\t1.000000\t5.000000\r\n"
                              "0.001000\t2.000000\t6.000000\r\n"
                              "0.002000\t\t7.000000\r\n");
    EXPECT_FALSE(doc->Signals()[1].modified);
    EXPECT_TRUE(ui.resampleShown.empty());
}

TEST_F(AppTest, SaveImageExpressResamplesToTheSmallestStep)
{
    const auto slow = [](size_t i) { return float(i); };
    const auto fast = [](size_t i) { return 10.0f * float(i); };
    doc->Loaded().Add({"a", MakeSignal(5, 0.002f, slow)});
    doc->Loaded().Add({"b", MakeSignal(4, 0.001f, fast)});
    const QString out = PathOf("ie.txt");
    ui.savePaths.push_back({out, false});
    ExportCommands::SaveImageExpress(*doc);

    KVSignal a = MakeSignal(5, 0.002f, slow);
    KVSignal b = MakeSignal(4, 0.001f, fast);
    ASSERT_TRUE(Kalvio::Resample(a, 0.001f, nullptr));
    ASSERT_TRUE(Kalvio::Resample(b, 0.001f, nullptr));
    ASSERT_GT(a.PointCount(), b.PointCount());
    EXPECT_TRUE(doc->Signals()[0].modified);
    EXPECT_TRUE(doc->Signals()[1].modified);
    EXPECT_EQ(doc->Loaded().MaxPoints(), static_cast<int>(a.PointCount()));
    EXPECT_EQ(ui.title, "Directory - Modified");

    const QList<QByteArray> lines = ReadBytes(out).split('\n');
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(2 + a.PointCount() + 1));
    EXPECT_EQ(lines[1], "; a\tb\r");
    char row[200];
    std::snprintf(row, sizeof row, "%f\t%f\t%f\r", a.X()[1], a.Y()[1], b.Y()[1]);
    EXPECT_EQ(lines[3], row);
    EXPECT_EQ(lines[2], "0.000000\t0.000000\t0.000000\r");
    std::snprintf(row, sizeof row, "%f\t%f\t\r", a.X()[a.PointCount() - 1], a.Y()[a.PointCount() - 1]);
    EXPECT_EQ(lines[lines.size() - 2], row);
}

TEST_F(AppTest, SaveImageExpressAsksForAStepWhenNoneIsKnownAndCancelWritesNothing)
{
    doc->Loaded().Add({"a", Points({{0.0f, 1.0f}, {0.004f, 2.0f}}, 0.0f)});
    doc->Loaded().Add({"b", Points({{0.0f, 3.0f}, {0.004f, 4.0f}}, 0.0f)});
    const QString out = PathOf("ie.txt");
    ui.savePaths.push_back({out, false});
    ExportCommands::SaveImageExpress(*doc);
    ASSERT_EQ(ui.resampleShown.size(), 1u);
    EXPECT_FLOAT_EQ(ui.resampleShown[0].timeStep, 0.0f);
    EXPECT_EQ(ui.resampleShown[0].points, 2);
    EXPECT_FLOAT_EQ(ui.resampleShown[0].span, 0.004f);
    // Regression: a Cancel here used to leave a file holding only the two comment lines.
    EXPECT_FALSE(QFile::exists(out));

    ui.savePaths.push_back({out, false});
    ui.timeSteps.push_back(0.002f);
    ExportCommands::SaveImageExpress(*doc);
    EXPECT_EQ(ReadBytes(out), "; Generated by Ondrel Save as ImageExpress\r\n"
                              "; a\tb\r\n"
                              "0.000000\t1.000000\t3.000000\r\n"
                              "0.002000\t1.500000\t3.500000\r\n"
                              "0.004000\t2.000000\t4.000000\r\n"); // the end of the span is a grid time
}

TEST_F(AppTest, SaveImageExpressBringsOtherTimeUnitsToSeconds)
{
    // Regression: a text file in milliseconds beside signals in seconds was
    // resampled with a step in seconds, giving three million rows.
    KVSignal ms = MakeSignal(3, 1.0f, [](size_t i) { return float(i); });
    ms.SetXUnits("MILLISECONDS");
    doc->Loaded().Add({"a.rvf", MakeSignal(3, 0.001f, [](size_t i) { return 10.0f * float(i); })});
    doc->Loaded().Add({"b.txt", ms});
    const QString out = PathOf("ie.txt");
    ui.savePaths.push_back({out, false});
    ExportCommands::SaveImageExpress(*doc);
    EXPECT_EQ(doc->Signals()[1].signal.XUnits(), "SECONDS");
    EXPECT_TRUE(doc->Signals()[1].modified);
    EXPECT_FALSE(doc->Signals()[0].modified);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0], QStringList{"b.txt: Ondrel - X values converted from MILLISECONDS to SECONDS"});
    EXPECT_EQ(ReadBytes(out), "; Generated by Ondrel Save as ImageExpress\r\n"
                              "; a.rvf\tb.txt\r\n"
                              "0.000000\t0.000000\t0.000000\r\n"
                              "0.001000\t10.000000\t1.000000\r\n"
                              "0.002000\t20.000000\t2.000000\r\n");

    // X units that are not all times cannot share a column: nothing is written.
    KVSignal mm = MakeSignal(3, 1.0f, [](size_t) { return 0.0f; });
    mm.SetXUnits("MILLIMETERS");
    doc->Loaded().Add({"c.rvf", mm});
    const QString refused = PathOf("refused.txt");
    ui.savePaths.push_back({refused, false});
    ExportCommands::SaveImageExpress(*doc);
    EXPECT_FALSE(QFile::exists(refused));
    ASSERT_EQ(ui.messageBoxes.size(), 1);
    EXPECT_TRUE(ui.messageBoxes[0].contains("MILLIMETERS")) << ui.messageBoxes[0].toStdString();
}

TEST(ExportTables, FixedLikePrintf)
{
    for (double x : {0.0, -0.0, 1.0 / 3.0, -2.5e-7, 123456789.125, 1e20, 0.0000005, 2.0000005}) {
        std::string mine;
        AppendFixed(mine, x);
        char expected[512];
        std::snprintf(expected, sizeof expected, "%f", x);
        EXPECT_EQ(mine, expected) << x;
    }
}
