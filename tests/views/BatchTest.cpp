// Before any Qt header: its "signals" keyword would clash with a parameter name.
#include "IsoMmeWriter.h"
#include "OperateCommands.h"

#include "CGraph.h"
#include "CPlotView.h"
#include "CProgressDlg.h"
#include "SaveAllPlots.h"
#include "ViewTestSupport.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSvgRenderer>
#include <QTimer>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class BatchTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("out"));
        m_out = Path("out") + "/";
        m_alpha = WriteRvf("alpha.rvf", Pulse(600));
        m_beta = WriteRvf("beta.rvf", Pulse(900, -1.5f));
        m_doc->List().SetNames({m_alpha, m_beta});
    }
    QString m_out;
    QString m_alpha;
    QString m_beta;
};

TEST_F(BatchTest, SavesNumberedPicturesOfTheChosenSize)
{
    CPlotView view(m_doc.get());
    const CBatchResult r = view.SaveAllPlots(m_out, QSize(640, 480), false);
    EXPECT_EQ(r.done, 2);
    EXPECT_TRUE(r.failures.isEmpty());
    EXPECT_FALSE(r.cancelled);
    for (const char* name : {"alpha.rvf_000.jpg", "beta.rvf_001.jpg"}) {
        QImageReader reader(m_out + name);
        EXPECT_EQ(reader.size(), QSize(640, 480)) << name;
    }
    EXPECT_EQ(QDir(m_out).entryList(QDir::Files).size(), 2);
    // Nothing went wrong, so no dialog; nothing was loaded before, nothing after.
    EXPECT_TRUE(m_ui.errorLists.empty());
    EXPECT_TRUE(m_ui.messages.isEmpty());
    EXPECT_TRUE(m_doc->Signals().empty());
    EXPECT_FALSE(view.HasPlot());
    EXPECT_EQ(view.Progress(), nullptr);
}

// Regression: after the batch the document held the list's last file, so that
// Copy Data and the operations acted on it, and a filtered signal was lost.
TEST_F(BatchTest, LeavesTheLoadedSignalsAndThePlotAsTheyWere)
{
    Load({m_alpha});
    OperateCommands::FilterClass(*m_doc, 60);
    ASSERT_TRUE(m_doc->Signals().at(0).modified);
    const std::vector<float> filtered(m_doc->Signals()[0].signal.Y(), m_doc->Signals()[0].signal.Y() + 600);
    const QString title = m_doc->Texts().title;
    CPlotView view(m_doc.get());
    EXPECT_EQ(view.SaveAllPlots(m_out, QSize(320, 240), false).done, 2);
    ASSERT_EQ(m_doc->Signals().size(), 1u);
    const CSignalEntry& kept = m_doc->Signals()[0];
    EXPECT_EQ(kept.name, m_alpha);
    EXPECT_TRUE(kept.modified);
    EXPECT_EQ(std::vector<float>(kept.signal.Y(), kept.signal.Y() + 600), filtered);
    EXPECT_EQ(m_doc->Texts().title, title);
    EXPECT_EQ(m_doc->Loaded().MaxPoints(), 600);
    // The plot shows the kept signal again, not the last picture's file.
    ASSERT_TRUE(view.HasPlot());
    EXPECT_EQ(view.Graph()->CurveCount(), 1);
    EXPECT_EQ(view.Graph()->DrawnPointCount(0), 600);
}

TEST_F(BatchTest, FilesWithoutPicturesStillTakeTheirIndex)
{
    const QString single = WriteText("single.txt", "0.0 1.5\n");
    const QString junk = WriteText("junk.rvf", "RVF-1992 but nothing that can be read");
    m_doc->List().SetNames({m_alpha, single, junk, m_beta});
    CPlotView view(m_doc.get());
    const CBatchResult r = view.SaveAllPlots(m_out, QSize(10000, 5000), true);
    EXPECT_EQ(r.done, 2);
    EXPECT_EQ(r.skipped, 1);
    EXPECT_EQ(QDir(m_out).entryList(QDir::Files), (QStringList{"alpha.rvf_000.svg", "beta.rvf_003.svg"}));
    EXPECT_TRUE(QSvgRenderer(m_out + "beta.rvf_003.svg").isValid());
    // Regression: an unreadable file was pictured with the previous file's data.
    ASSERT_EQ(m_ui.errorLists.size(), 1u);
    ASSERT_EQ(m_ui.errorLists[0].size(), 1);
    EXPECT_TRUE(m_ui.errorLists[0][0].startsWith(junk + " - not loaded, no picture made: "));
    // Regression: each bad file stopped the batch at a message box of its own.
    EXPECT_TRUE(m_ui.messages.isEmpty());
}

TEST_F(BatchTest, FailedPicturesAreListedAtTheEnd)
{
    CPlotView view(m_doc.get());
    // Regression: pictures that could not be written were not reported.
    const CBatchResult r = view.SaveAllPlots(Path("gone") + "/", QSize(320, 240), false);
    EXPECT_EQ(r.done, 0);
    ASSERT_EQ(m_ui.errorLists.size(), 1u);
    ASSERT_EQ(m_ui.errorLists[0].size(), 2);
    EXPECT_TRUE(m_ui.errorLists[0][0].startsWith(Path("gone") + "/alpha.rvf_000.jpg - "));
    EXPECT_TRUE(m_ui.errorLists[0][1].startsWith(Path("gone") + "/beta.rvf_001.jpg - "));
}

TEST_F(BatchTest, CancelStopsAfterTheCurrentFile)
{
    const QString gamma = WriteRvf("gamma.rvf", Pulse(700));
    m_doc->List().SetNames(m_doc->FileList() + QStringList{gamma});
    CPlotView view(m_doc.get());
    bool sawProgress = false;
    QTimer::singleShot(0, &view, [&] {
        sawProgress = view.Progress() != nullptr;
        if (view.Progress())
            view.Progress()->Cancel();
    });
    const CBatchResult r = view.SaveAllPlots(m_out, QSize(320, 240), false);
    EXPECT_TRUE(sawProgress);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(QDir(m_out).entryList(QDir::Files), QStringList{"alpha.rvf_000.jpg"});
    EXPECT_EQ(m_ui.messages, QStringList{"Printing Cancelled"});
    EXPECT_EQ(view.Progress(), nullptr);
}

TEST_F(BatchTest, EmptyListDoesNothing)
{
    m_doc->List().SetNames({});
    CPlotView view(m_doc.get());
    const CBatchResult r = view.SaveAllPlots(m_out, QSize(320, 240), false);
    EXPECT_EQ(r.done, 0);
    EXPECT_TRUE(m_ui.messages.isEmpty());
    EXPECT_TRUE(QDir(m_out).entryList(QDir::Files).isEmpty());
}

TEST_F(BatchTest, CommandLineMakesTheSamePicturesAsTheMenu)
{
    CPlotView view(m_doc.get());
    view.SetShortHeader(false);
    view.SaveAllPlots(m_out, QSize(640, 480), false);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("cli"));
    const QString cli = Path("cli");
    EXPECT_EQ(RunSaveAllPlots({"--save-all-plots", "jpg", cli, "--size", "640x480", "--multi-line-title", m_alpha,
                               m_beta}),
              0);
    for (const char* name : {"alpha.rvf_000.jpg", "beta.rvf_001.jpg"}) {
        const QByteArray fromCli = ReadAll(cli + "/" + name);
        EXPECT_FALSE(fromCli.isEmpty()) << name;
        EXPECT_EQ(fromCli, ReadAll(m_out + name)) << name;
    }
}

TEST_F(BatchTest, CommandLineSvgKeepsTheTitleBlockAsText)
{
    EXPECT_EQ(RunSaveAllPlots({"--save-all-plots", "svg", m_out, "--multi-line-title", m_alpha}), 0);
    const QByteArray svg = ReadAll(m_out + "alpha.rvf_000.svg");
    EXPECT_TRUE(QSvgRenderer(svg).isValid());
    EXPECT_TRUE(svg.contains("width=\"100mm\" height=\"50mm\""));
    EXPECT_TRUE(svg.contains("DRIVER HEAD ACCELERATION"));
    EXPECT_TRUE(svg.contains(m_alpha.toUtf8()));
    // A file that does not load makes the run fail, the others are still saved.
    EXPECT_EQ(RunSaveAllPlots({"--save-all-plots", "svg", m_out, Path("absent.rvf"), m_beta}), 1);
    EXPECT_TRUE(QFile::exists(m_out + "beta.rvf_001.svg"));
    EXPECT_FALSE(QFile::exists(m_out + "absent.rvf_000.svg"));
}

TEST_F(BatchTest, CommandLineTakesATestAsItsChannels)
{
    const KVSignal first = Pulse(600), second = Pulse(900, -1.5f);
    KVErrorList errors;
    ASSERT_TRUE(IsoMmeWriteTest({&first, &second}, QFile::encodeName(Path("T3")).toStdString(), errors));
    EXPECT_EQ(RunSaveAllPlots({"--save-all-plots", "svg", m_out, Path("T3/T3.mme")}), 0);
    EXPECT_EQ(QDir(m_out).entryList(QDir::Files), (QStringList{"T3.001_000.svg", "T3.002_001.svg"}));
    // A test that does not open is a failure, not an empty success.
    QFile broken(Path("broken.zip"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not an archive");
    broken.close();
    EXPECT_EQ(RunSaveAllPlots({"--save-all-plots", "svg", m_out, Path("broken.zip")}), 1);
}

TEST(SaveAllPlotsArgs, ReadsOptionsAndRefusesWrongOnes)
{
    EnsureApplication();
    const QString tmp = QDir::tempPath();
    CSaveAllPlotsOptions o;
    QString error;
    ASSERT_TRUE(ParseSaveAllPlotsArgs({"--save-all-plots", "JPG", tmp, "a.rvf", "b.rvf"}, o, error))
        << error.toStdString();
    EXPECT_FALSE(o.svg);
    EXPECT_EQ(o.directory, tmp + "/");
    EXPECT_EQ(o.size, QSize(320, 240));
    EXPECT_FALSE(o.multiLineTitle);
    EXPECT_EQ(o.lineStyle, 0);
    EXPECT_EQ(o.files, (QStringList{"a.rvf", "b.rvf"}));

    ASSERT_TRUE(ParseSaveAllPlotsArgs({"--line-style", "2", "--save-all-plots", "svg", tmp + "/", "--size",
                                       "10000x7500", "--", "-odd.rvf"},
                                      o, error));
    EXPECT_TRUE(o.svg);
    EXPECT_EQ(o.directory, tmp + "/");
    EXPECT_EQ(o.size, QSize(10000, 7500));
    EXPECT_EQ(o.lineStyle, 2);
    EXPECT_EQ(o.files, QStringList{"-odd.rvf"});

    const std::vector<std::pair<QStringList, QString>> wrong = {
        {{"--save-all-plots", "wmf", tmp, "a"}, "The picture kind must be jpg or svg, not wmf"},
        {{"--save-all-plots", "jpg", tmp + "/no/such", "a"}, "The directory " + tmp + "/no/such/ does not exist"},
        {{"--save-all-plots", "jpg", tmp}, "No signal files given"},
        {{"--save-all-plots", "jpg"}, "--save-all-plots needs the picture kind (jpg or svg) and a directory"},
        {{"--save-all-plots", "jpg", tmp, "--size", "2001x480", "a"}, "Pixel Size must be between 32 and 2000"},
        {{"--save-all-plots", "jpg", tmp, "--size", "100x480", "a"},
         "Aspect Ratio (width/height) must be between .333 and 10.0"},
        {{"--save-all-plots", "jpg", tmp, "--size", "640*480", "a"}, "The size 640*480 is not of the form WIDTHxHEIGHT"},
        {{"--save-all-plots", "svg", tmp, "--size", "50x50", "a"}, "Svg sizes must be between 100 and 100000 (1/100 mm)"},
        {{"--save-all-plots", "jpg", tmp, "--line-style", "4", "a"}, "The line style must be 0, 1, 2 or 3, not 4"},
        {{"--save-all-plots", "jpg", tmp, "--line-style"}, "--line-style needs a value"},
        {{"--save-all-plots", "jpg", tmp, "--colour", "a"}, "Unknown option --colour"},
        {{"a.rvf"}, "--save-all-plots is missing"},
    };
    for (const auto& [args, message] : wrong) {
        EXPECT_FALSE(ParseSaveAllPlotsArgs(args, o, error)) << args.join(' ').toStdString();
        EXPECT_EQ(error, message);
    }
    EXPECT_EQ(RunSaveAllPlots({"--save-all-plots", "jpg"}), 2);
    EXPECT_TRUE(IsSaveAllPlotsCommand({"x", "--save-all-plots"}));
    EXPECT_FALSE(IsSaveAllPlotsCommand({"--datafile", "a.rvf"}));
}
