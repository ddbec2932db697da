// ISO-MME tests in the document: opened as the list of their channels, the
// loaded signals saved as one test, and the load messages naming their file.
#include "AppTestSupport.h"
#include "CheckCommands.h"
#include "EditCommands.h"
#include "ExportCommands.h"
#include "FileCommands.h"
#include "FileMessages.h"
#include "IsoMmeTest.h"
#include "Kalvio.h"
#include "ListCommands.h"
#include "OndrelSettings.h"
#include "OperateCommands.h"
#include "SignalCheckCache.h"
#include "ZipTestSupport.h"

#include <QDir>

namespace {

QByteArray ChannelFile(const char* code, const char* name, const char* samples)
{
    return QByteArray("Channel code                :") + code + "\r\nName of the channel         :" + name
           + "\r\nUnit                        :g\r\nTime of first sample        :-0.001\r\n"
             "Sampling interval           :0.001\r\nNumber of samples           :3\r\n"
           + samples;
}

} // namespace

class IsoMmeDocTest : public AppTest {
protected:
    // Test T7 with channels 001, 002 and 004 (001's code again); 003 is listed but missing.
    QString WriteTestFolder()
    {
        QDir(Dir()).mkpath("T7/Channel");
        WriteBytes("T7/T7.mme", "Data format edition number  :1.6\r\nTitle                       :Sled\r\n");
        WriteBytes("T7/Channel/T7.chn", "Number of channels          :4\r\n"
                                        "Name of channel 001         :S0SLED000000ACXD\r\n"
                                        "Name of channel 002         :11HEAD0000H3ACXA\r\n"
                                        "Name of channel 003         :11HEAD0000H3ACYA\r\n"
                                        "Name of channel 004         :S0SLED000000ACXD\r\n");
        WriteBytes("T7/Channel/T7.001", ChannelFile("S0SLED000000ACXD", "Sled X", "1.5\r\n2.5\r\n-4\r\n"));
        // Latin-1 in the channel's name: the list shows the character, not its byte.
        WriteBytes("T7/Channel/T7.002", ChannelFile("11HEAD0000H3ACXA", "Kopf \xB5 X", "0\r\n8\r\n16\r\n"));
        WriteBytes("T7/Channel/T7.004", ChannelFile("S0SLED000000ACXD", "Sled X again", "1\r\n2\r\n3\r\n"));
        return PathOf("T7/T7.mme");
    }

    // Test T9 of the channels (code, name), three samples each, as a hitlist.
    QString WriteChannels(const std::vector<std::pair<const char*, const char*>>& channels)
    {
        QDir(Dir()).mkpath("T9/Channel");
        WriteBytes("T9/T9.mme", "Data format edition number  :1.6\r\nTest number                 :T9\r\n");
        QByteArray list = "Number of channels          :" + QByteArray::number(int(channels.size())) + "\r\n";
        int k = 0;
        for (const auto& [code, name] : channels) {
            const QByteArray nnn = QByteArray::number(++k).rightJustified(3, '0');
            list += "Name of channel " + nnn + "         :" + code + "\r\n";
            WriteBytes("T9/Channel/T9." + nnn, ChannelFile(code, name, "3\r\n4\r\n12\r\n"));
        }
        WriteBytes("T9/Channel/T9.chn", list);
        return PathOf("T9/T9.mme");
    }
};

TEST_F(IsoMmeDocTest, OpenHitlistWithATestListsItsChannelsByCodeAndNameAndPlotsThem)
{
    ui.openPaths.push_back(WriteTestFolder());
    FileCommands::OpenHitlist(*doc);
    const QString first = PathOf("T7/Channel/T7.001"), second = PathOf("T7/Channel/T7.002"),
                  fourth = PathOf("T7/Channel/T7.004");
    ASSERT_EQ(doc->FileList(), (QStringList{first, second, fourth}));
    EXPECT_TRUE(doc->List().HitMode());
    EXPECT_EQ(ui.caption, "Browsing T7.mme");
    EXPECT_EQ(doc->List().ListText(first), "S0SLED000000ACXD  Sled X");
    EXPECT_EQ(doc->List().ListText(second), QString::fromUtf8("11HEAD0000H3ACXA  Kopf \u00B5 X"));
    EXPECT_EQ(doc->List().ListText(PathOf("other.rvf")), PathOf("other.rvf"));
    // The missing channel and the repeated code are reported, led by the test.
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    const QStringList& shown = ui.errorDialogs[0];
    ASSERT_EQ(shown.size(), 2) << shown.join('\n').toStdString();
    EXPECT_TRUE(shown[0].startsWith(PathOf("T7/T7.mme") + ": ")) << shown[0].toStdString();
    EXPECT_TRUE(shown.join('\n').contains("T7.003")) << shown.join('\n').toStdString();

    ListCommands::SelectionChanged(*doc, {first, second, fourth}, true);
    ASSERT_EQ(doc->Signals().size(), 3u);
    const KVSignal& sled = doc->Signals()[0].signal;
    ASSERT_EQ(sled.PointCount(), 3u);
    EXPECT_EQ(sled.X()[0], -0.001f);
    EXPECT_EQ(sled.Y()[2], -4.0f);
    // Legends by code; a code the test repeats would not tell the curves apart.
    EXPECT_EQ(doc->Texts().legend, (QStringList{"T7.001", "11HEAD0000H3ACXA", "T7.004"}));
    EXPECT_EQ(ui.errorDialogs.size(), 1u); // the channels load without a word
    // Check Signals names the channels by code and name too, not by a path.
    CheckCommands::CheckSignals(*doc, {second});
    ASSERT_EQ(ui.checkResults.size(), 1u);
    ASSERT_EQ(ui.checkResults[0].size(), 1u);
    EXPECT_EQ(ui.checkResults[0][0].name, second);
    EXPECT_EQ(ui.checkResults[0][0].shown, QString::fromUtf8("11HEAD0000H3ACXA  Kopf \u00B5 X"));
}

TEST_F(IsoMmeDocTest, CommandLineTakesATestFolderOrItsFileAndReportsWhatIsNoTest)
{
    WriteTestFolder();
    QDir(Dir()).mkpath("plain");
    WriteBytes("broken.zip", "not an archive");
    FileCommands::BrowseCommandLine(*doc, {PathOf("T7"), PathOf("plain"), PathOf("broken.zip")});
    EXPECT_EQ(doc->FileList().size(), 3);
    EXPECT_EQ(doc->FileList().value(0), PathOf("T7/Channel/T7.001"));
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    const QStringList& shown = ui.errorDialogs[0];
    ASSERT_EQ(shown.size(), 4) << shown.join('\n').toStdString();
    EXPECT_EQ(shown[2], "File, " + PathOf("plain") + ", does not Exist");
    EXPECT_TRUE(shown[3].startsWith(PathOf("broken.zip") + ": ")) << shown[3].toStdString();

    // Dropped on the list, a test adds its channels too.
    ListCommands::ClearList(*doc);
    ListCommands::AddNames(*doc, {PathOf("T7/T7.mme"), PathOf("other.rvf")});
    EXPECT_EQ(doc->FileList().size(), 4);
    EXPECT_EQ(doc->FileList().value(3), PathOf("other.rvf"));
    EXPECT_EQ(doc->List().ListText(doc->FileList().value(1)), QString::fromUtf8("11HEAD0000H3ACXA  Kopf \u00B5 X"));
}

TEST_F(IsoMmeDocTest, DataFileRequestWithATestAddsItsChannelsOnce)
{
    const QString mme = WriteTestFolder();
    // Regression: the request listed the .mme itself as one signal file.
    for (int k = 0; k < 2; ++k)
        EXPECT_TRUE(FileCommands::HandleRequest(*doc, "[DataFile(" + mme + ")]"));
    EXPECT_EQ(doc->FileList(),
              (QStringList{PathOf("T7/Channel/T7.001"), PathOf("T7/Channel/T7.002"), PathOf("T7/Channel/T7.004")}));
    EXPECT_TRUE(doc->List().HitMode());
}

TEST_F(IsoMmeDocTest, ChannelsOfAZipLoadAndTheirSavedHitlistOpensAgain)
{
    WriteTestFolder();
    Zip(QFile::encodeName(PathOf("T7")).toStdString(), QFile::encodeName(PathOf("v7.zip")).toStdString());
    ui.openPaths.push_back(PathOf("v7.zip"));
    FileCommands::OpenHitlist(*doc);
    const QStringList channels = doc->FileList();
    ASSERT_EQ(channels.size(), 3);
    EXPECT_EQ(channels[1], PathOf("v7.zip/T7/Channel/T7.002"));
    EXPECT_EQ(doc->List().ListText(channels[1]), QString::fromUtf8("11HEAD0000H3ACXA  Kopf \u00B5 X"));
    ListCommands::SelectionChanged(*doc, {channels[1]}, true);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_EQ(doc->Signals()[0].signal.Y()[2], 16.0f);

    // Regression: channels inside an archive were checked but never marked.
    CheckCommands::CheckSignals(*doc, {});
    ASSERT_NE(doc->CheckOf(channels[1]), nullptr);
    EXPECT_TRUE(doc->CheckOf(channels[1])->readable);
    EXPECT_EQ(CheckedFileVerdict(*doc->CheckOf(channels[1])), Kalvio::CheckVerdict::Fail); // three values: dead

    // Channels inside an archive are no plain files; a list of them opens all the same.
    ui.savePaths.push_back({PathOf("zip.hit")});
    ListCommands::SaveHitlist(*doc);
    ui.openPaths.push_back(PathOf("zip.hit"));
    ui.errorDialogs.clear();
    FileCommands::OpenHitlist(*doc);
    EXPECT_EQ(doc->FileList(), channels);
    EXPECT_TRUE(ui.errorDialogs.empty());
}

TEST_F(IsoMmeDocTest, LoadMessagesNameTheFileAndComeFromTheReaderItLooksLike)
{
    WriteBytes("bad.rvf", QByteArray("RVF-1992") + QByteArray(40, '\x01'));
    // Steps of 0.1 ms written in seconds, read as milliseconds: 0.1 us.
    WriteBytes("secs.txt", "0 1\n0.0001 2\n0.0002 3\n");
    BrowseDataDir();
    ListCommands::SelectionChanged(*doc, {"bad.rvf"}, true);
    ASSERT_EQ(ui.messageBoxes.size(), 1);
    EXPECT_TRUE(ui.messageBoxes[0].startsWith("bad.rvf: CRVFFile::RVF_Read - ")) << ui.messageBoxes[0].toStdString();

    ListCommands::SelectionChanged(*doc, {"secs.txt"}, true);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    ASSERT_EQ(ui.errorDialogs[0].size(), 1);
    const QString warning = ui.errorDialogs[0][0];
    EXPECT_TRUE(warning.startsWith("secs.txt: ")) << warning.toStdString();
    EXPECT_FALSE(warning.contains(PathOf("secs.txt"))) << warning.toStdString();
    EXPECT_TRUE(warning.endsWith("use Edit > Options, Time Unit of Text Files: Seconds")) << warning.toStdString();
    ASSERT_EQ(doc->Signals().size(), 1u);
}

TEST_F(IsoMmeDocTest, TextTimeUnitIsAnOptionStoredAndUsedByEveryLoad)
{
    EXPECT_EQ(OndrelSettings::ReadInt(OndrelSettings::kTextTimeUnit), 0);
    // A step that is plausible in either unit: no warning either way.
    WriteBytes("secs.txt", "0 1\n0.002 2\n0.004 3\n");
    BrowseDataDir();
    ListCommands::SelectionChanged(*doc, {"secs.txt"}, true);
    const std::string byDefault = doc->Signals().at(0).signal.XUnits();
    EXPECT_NE(byDefault, "SECONDS");

    COptionsValues seconds;
    seconds.textTimeSeconds = true;
    ui.options.push_back(seconds);
    EditCommands::Options(*doc);
    EXPECT_FALSE(ui.optionsShown.at(0).textTimeSeconds);
    EXPECT_EQ(OndrelSettings::ReadInt(OndrelSettings::kTextTimeUnit), 1);
    // Regression: a loaded text file kept the old unit's times until Reload.
    EXPECT_EQ(doc->Signals().at(0).signal.XUnits(), "SECONDS");
    OperateCommands::Reload(*doc);
    EXPECT_EQ(doc->Signals().at(0).signal.XUnits(), "SECONDS");
    EXPECT_TRUE(ui.errorDialogs.empty());
    MakeDoc();
    EXPECT_TRUE(doc->Options().textTimeSeconds);
}

TEST_F(IsoMmeDocTest, SaveIsoMmeWritesTheLoadedSignalsAsOneTestAndNeverReplacesOne)
{
    WriteRvf("a.rvf", Ramp(50));
    WriteRvf("b.rvf", MakeSignal(40, 0.0005f, [](size_t i) { return 0.25f * float(i); }));
    BrowseDataDir();
    ListCommands::SelectionChanged(*doc, {"a.rvf", "b.rvf"}, true);
    ui.savePaths.push_back({PathOf("out/T42")});
    ExportCommands::SaveIsoMme(*doc);
    EXPECT_TRUE(ui.errorDialogs.empty());
    EXPECT_FALSE(ui.fileRequests.back().confirmOverwrite);

    IsoMmeTest test;
    KVErrorList errors;
    ASSERT_TRUE(test.Open(QFile::encodeName(PathOf("out/T42")).toStdString(), errors));
    ASSERT_EQ(test.Channels().size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        KVSignal back;
        ASSERT_TRUE(test.LoadChannel(k, back, errors));
        const KVSignal& loaded = doc->Signals()[k].signal;
        ASSERT_EQ(back.PointCount(), loaded.PointCount()) << k;
        for (size_t i = 0; i < back.PointCount(); ++i)
            ASSERT_EQ(back.Y()[i], loaded.Y()[i]) << k << " " << i;
    }

    // A second save under the same name fails, says why, and leaves the test as it was.
    const QByteArray before = ReadBytes(PathOf("out/T42/Channel/T42.001"));
    ui.savePaths.push_back({PathOf("out/T42")});
    ExportCommands::SaveIsoMme(*doc);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0].value(0), PathOf("out/T42") + " was not saved:");
    EXPECT_TRUE(ui.errorDialogs[0].value(1).contains("already exists")) << ui.errorDialogs[0].join('\n').toStdString();
    EXPECT_EQ(ReadBytes(PathOf("out/T42/Channel/T42.001")), before);
    EXPECT_EQ(QDir(PathOf("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"T42"});
}

// Regression: CFC 1000 on a channel filtered at CFC 180 relabelled it as class 1000.
TEST_F(IsoMmeDocTest, AWiderFilterClassIsRefusedAndTheSameClassChangesNothing)
{
    ui.openPaths.push_back(WriteChannels({{"11CHST0000H3ACXC", "CHEST X"}}));
    FileCommands::OpenHitlist(*doc);
    ASSERT_TRUE(ListCommands::SelectionChanged(*doc, doc->FileList(), true));
    const std::vector<float> before(doc->Signals()[0].signal.Y(), doc->Signals()[0].signal.Y() + 3);
    OperateCommands::FilterClass(*doc, 1000);
    ASSERT_EQ(ui.errorDialogs.size(), 1u);
    EXPECT_EQ(ui.errorDialogs[0], QStringList{PathOf("T9/Channel/T9.001") + ": Kalvio::BWfilt - 11CHST0000H3ACXC is "
                                                                          "filtered at CFC 180; CFC 1000 cannot "
                                                                          "restore what is gone"});
    OperateCommands::FilterClass(*doc, 180);
    EXPECT_EQ(ui.errorDialogs.size(), 1u);
    const CSignalEntry& chest = doc->Signals()[0];
    EXPECT_FALSE(chest.modified);
    EXPECT_EQ(chest.signal.FilterClass(), 180);
    EXPECT_EQ(std::vector<float>(chest.signal.Y(), chest.signal.Y() + 3), before);
    EXPECT_EQ(ui.title, "HitList");
    // A narrower class changes the code's last letter, and the title follows it.
    EXPECT_TRUE(doc->Texts().title.contains("11CHST0000H3ACXC")) << doc->Texts().title.toStdString();
    OperateCommands::FilterClass(*doc, 60);
    EXPECT_TRUE(doc->Texts().title.contains("11CHST0000H3ACXD")) << doc->Texts().title.toStdString();
}

// Regression: the legend kept the code as listed after a filter changed it,
// and the channels of a test without a number (T7) lost their title.
TEST_F(IsoMmeDocTest, TheLegendFollowsTheCodeAndATestWithoutANumberIsTitledByItsName)
{
    ui.openPaths.push_back(WriteTestFolder());
    FileCommands::OpenHitlist(*doc);
    ASSERT_TRUE(ListCommands::SelectionChanged(*doc, doc->FileList(), true));
    EXPECT_EQ(doc->Texts().legend, (QStringList{"T7.001", "11HEAD0000H3ACXA", "T7.004"}));
    EXPECT_EQ(doc->Texts().title, "Test T7");
    OperateCommands::FilterClass(*doc, 60);
    EXPECT_EQ(doc->Texts().legend, (QStringList{"T7.001", "11HEAD0000H3ACXD", "T7.004"}));
}

// Regression: a resultant saved as a test carried the X channel's code
// (direction "?") and name, and its title showed the X code.
TEST_F(IsoMmeDocTest, ResultantSumAndAverageSayWhatTheyAreInASavedTest)
{
    ui.openPaths.push_back(WriteChannels({{"11HEAD0000H3ACXA", "HEAD CG ACCELERATION X"},
                                                 {"11HEAD0000H3ACYA", "HEAD CG ACCELERATION Y"},
                                                 {"11HEAD0000H3ACZA", "HEAD CG ACCELERATION Z"}}));
    FileCommands::OpenHitlist(*doc);
    ASSERT_TRUE(ListCommands::SelectionChanged(*doc, doc->FileList(), true));
    OperateCommands::Resultant(*doc);
    ASSERT_EQ(doc->Signals().size(), 1u);
    EXPECT_TRUE(doc->Texts().title.contains("11HEAD0000H3ACRA")) << doc->Texts().title.toStdString();
    EXPECT_FALSE(doc->Texts().title.contains("ACXA")) << doc->Texts().title.toStdString();
    ui.savePaths.push_back({PathOf("out/R1")});
    ExportCommands::SaveIsoMme(*doc);
    ASSERT_TRUE(ui.errorDialogs.empty()) << ui.errorDialogs[0].join('\n').toStdString();
    IsoMmeTest test;
    KVErrorList errors;
    ASSERT_TRUE(test.Open(QFile::encodeName(PathOf("out/R1")).toStdString(), errors));
    ASSERT_EQ(test.Channels().size(), 1u);
    EXPECT_EQ(test.Channels()[0].code, "11HEAD0000H3ACRA");
    EXPECT_EQ(test.Channels()[0].name, "HEAD CG ACCELERATION RESULTANT");
    KVSignal back;
    ASSERT_TRUE(test.LoadChannel(0, back, errors));
    EXPECT_FLOAT_EQ(back.Y()[2], 12.0f * std::sqrt(3.0f));

    ASSERT_TRUE(ListCommands::SelectionChanged(*doc, doc->FileList().mid(0, 2), true));
    OperateCommands::Sum(*doc);
    EXPECT_EQ(doc->Signals()[0].signal.CurveText(), "SUM OF HEAD CG ACCELERATION X + HEAD CG ACCELERATION Y");
    ASSERT_TRUE(ListCommands::SelectionChanged(*doc, doc->FileList(), true));
    OperateCommands::Average(*doc);
    EXPECT_EQ(doc->Signals()[0].signal.CurveText(), "AVERAGE OF 3 SIGNALS");
}

TEST(FileMessages, FileNamesInUtf8AndRecordTextsInLatin1BothReadAsWritten)
{
    // Regression: a path like "Müller/run1.rvf" in a message showed garbled.
    EXPECT_EQ(MessageText("M\xC3\xBCller/run1.rvf is not found."), QString::fromUtf8("M\u00FCller/run1.rvf is not found."));
    EXPECT_EQ(MessageText("Kraft \xB5 N"), QString::fromUtf8("Kraft \u00B5 N"));
    EXPECT_EQ(MessageText(""), QString());
}

// Regression: a copy of a test in another folder carries the same number, and
// the tree showed the channels of both as one test's.
TEST_F(IsoMmeDocTest, TwoListedTestsOfOneNumberAreToldApartByTheirFolders)
{
    WriteTestFolder();
    QDir(Dir()).mkpath("U8/Channel");
    for (const char* file : {"T7.mme", "Channel/T7.chn", "Channel/T7.001", "Channel/T7.002", "Channel/T7.004"})
        ASSERT_TRUE(QFile::copy(PathOf(QStringLiteral("T7/") + file), PathOf(QStringLiteral("U8/") + file)));
    FileCommands::BrowseCommandLine(*doc, {PathOf("T7"), PathOf("U8")});
    ASSERT_EQ(doc->FileList().size(), 6);
    EXPECT_EQ(doc->List().ListingOf(doc->FileList().value(0))->test, "T7");
    EXPECT_EQ(doc->List().ListingOf(doc->FileList().value(3))->test, "T7 (U8)");
}
