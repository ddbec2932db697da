// The test report read back as a reader and pdftotext see it: every number
// of the assessment, a page per region, curves where the plots are, the
// reasons of what is missing, and nothing written when it fails.
#include "AssessReport.h"
#include "DemoData.h"
#include "KVErrorList.h"
#include "ProtocolFiles.h"
#include "ReportCommand.h"
#include "ReportPage.h"
#include "ReportParts.h"
#include "SupportFiles.h"
#include "SupportWidgets.h"
#include "TestReport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        DemoDataSet written;
        KVErrorList errors;
        ASSERT_TRUE(WriteDemoIsoTests(dir.Path(), written, errors));
        test = dir.Path("iso-mme/2231");
    }

    Assess::Assessment Assessed(const std::string& protocol, const std::string& path)
    {
        Assess::Protocol p;
        std::string error;
        EXPECT_TRUE(Assess::FindProtocol(Assess::ProtocolDirs(ONDREL_PROTOCOLS_SOURCE_DIR), protocol, p, error));
        Assess::TestSource source;
        KVErrorList errors;
        EXPECT_TRUE(source.Open({path}, errors));
        Assess::Assessment a;
        EXPECT_TRUE(Assess::AssessTest(source, p, {}, a, error)) << error;
        return a;
    }

    TempDir dir;
    std::string test;
};

} // namespace

TEST_F(ReportTest, TheTextHoldsEveryValueAndResultAndAPagePerRegion)
{
    for (const char* protocol : {"fmvss208", "euro-ncap-frontal-fw-2023", "un-r94", "us-ncap-frontal"}) {
        const std::string pdf = dir.Path(std::string(protocol) + ".pdf");
        ASSERT_EQ(Report::RunReportCommand({test, "--protocol", protocol, "--protocol-dir", ONDREL_PROTOCOLS_SOURCE_DIR,
                                            "-o", pdf}),
                  0);
        const std::string text = Output("pdftotext -raw '" + pdf + "' -");
        const Assess::Assessment a = Assessed(protocol, test);
        size_t regions = 0;
        for (const Assess::OccupantResult& o : a.occupants)
            for (const Assess::RegionResult& r : o.regions) {
                ++regions;
                for (const Assess::CriterionResult& c : r.criteria) {
                    EXPECT_NE(text.find(Assess::CriterionTitle(c)), std::string::npos) << protocol << " " << c.criterion;
                    EXPECT_NE(text.find(Assess::CriterionValueText(c)), std::string::npos) << c.criterion;
                    if (c.score) {
                        EXPECT_NE(text.find(Assess::Fixed(*c.score, 2) + " of "), std::string::npos) << c.criterion;
                    }
                    // A risk protocol's criteria show their risk (they read "monitored").
                    if (c.risk) {
                        EXPECT_NE(text.find("risk " + Assess::Fixed(*c.risk * 100, 2) + " %"), std::string::npos)
                            << c.criterion;
                    }
                }
            }
        // The occupant's own modifiers too (the summary left them out, and its total did not add up).
        for (const Assess::OccupantResult& o : a.occupants)
            for (const Assess::CriterionResult& c : o.modifiers)
                EXPECT_NE(text.find(Assess::CriterionTitle(c) + " " + Assess::CriterionValueText(c) + " "
                                    + Assess::ModifierText(c)),
                          std::string::npos)
                    << protocol << " " << c.criterion;
        // Cover, summary, one page or more per region, the channel check.
        const std::string pages = Output("pdfinfo '" + pdf + "' | grep Pages");
        EXPECT_GE(std::stoi(pages.substr(pages.find(':') + 1)), static_cast<int>(regions) + 3) << protocol;
        EXPECT_EQ(text.find("neck_tension"), std::string::npos) << protocol; // titles, not the JSON keys
        EXPECT_NE(text.find("SLED 47 KM/H"), std::string::npos);                  // the cover
        EXPECT_NE(text.find("Test 2231 | " + std::string(protocol)), std::string::npos); // the footer
        EXPECT_NE(text.find("warning dropout"), std::string::npos);              // the channel check
        EXPECT_NE(Output("pdffonts '" + pdf + "'").find(" yes "), std::string::npos); // fonts embedded
    }
}

TEST_F(ReportTest, RegionPagesCarryCurvesAndLetterPagesAreLetterSized)
{
    const std::string pdf = dir.Path("letter.pdf");
    ASSERT_EQ(Report::RunReportCommand({test, "--protocol", "fmvss208", "--protocol-dir", ONDREL_PROTOCOLS_SOURCE_DIR,
                                        "--page", "letter", "-o", pdf}),
              0);
    EXPECT_NE(Output("pdfinfo '" + pdf + "'").find("612 x 792 pts (letter)"), std::string::npos);
    // Page 3 is the head: the plot below its heading is drawn, not blank.
    Output("pdftoppm -r 50 -f 3 -l 3 -png '" + pdf + "' '" + dir.Path("page") + "'");
    QImage page(QString::fromStdString(dir.Path("page-3.png")));
    ASSERT_FALSE(page.isNull());
    int coloured = 0;
    for (int y = page.height() / 10; y < page.height() / 2; ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c(page.pixel(x, y));
            coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60;
        }
    EXPECT_GT(coloured, 300); // curves in their colours
}

TEST_F(ReportTest, MissingChannelsAreNaWithTheirReasonAndFailuresWriteNothing)
{
    // Without the head channels the report still comes out, saying why.
    for (const auto& e : std::filesystem::directory_iterator(test + "/Channel")) {
        std::ifstream in(e.path());
        const std::string all((std::istreambuf_iterator<char>(in)), {});
        if (e.path().extension() != ".chn" && all.find("11HEAD0000H3AC") != std::string::npos)
            std::filesystem::remove(e.path());
    }
    const std::string pdf = dir.Path("missing.pdf");
    ASSERT_EQ(Report::RunReportCommand({test, "--protocol", "fmvss208", "--protocol-dir", ONDREL_PROTOCOLS_SOURCE_DIR,
                                        "-o", pdf}),
              0);
    const std::string text = Output("pdftotext '" + pdf + "' -");
    EXPECT_NE(text.find("n/a"), std::string::npos);
    EXPECT_NE(text.find("HIC15: n/a: no channel ?1HEAD0000??ACX?"), std::string::npos);
    EXPECT_NE(text.find("incomplete"), std::string::npos);

    // A test that cannot be read, or a folder as the output: no file, exit 1.
    EXPECT_EQ(Report::RunReportCommand({dir.Path("nothing.mme"), "--protocol", "fmvss208", "-o", dir.Path("x.pdf")}), 1);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("x.pdf")));
    std::filesystem::create_directory(dir.Path("folder.pdf"));
    EXPECT_EQ(Report::RunReportCommand({test, "--protocol", "fmvss208", "-o", dir.Path("folder.pdf")}), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("folder.pdf")));
    EXPECT_EQ(Report::RunReportCommand({test, "-o", dir.Path("y.pdf")}), 2); // no protocol
}

// Fault: a criterion the engine marked doubtful (a channel check warning on a
// channel it uses) read "monitored" in the report's summary.
TEST(ReportSummary, ADoubtfulCriterionReadsDoubtfulAsInTheTextReport)
{
    Assess::CriterionResult c;
    c.criterion = "neck_tension";
    c.value = 1.2;
    c.hpl = 1.7;
    c.lpl = 2.62;
    c.status = Assess::Status::Doubtful;
    for (const bool scored : {true, false})
        EXPECT_EQ(Report::Detail::ResultCell(c, scored).text.toStdString(), "doubtful") << scored;
}

// Fault: a table that ran onto the next page went on without its header, and
// a word wider than its cell was broken inside ("ACCEL ERATION").
TEST(ReportPage, ATableOnANewPageRepeatsItsHeaderAndAWideWordStaysWhole)
{
    EnsureApplication();
    TempDir dir;
    const std::string path = dir.Path("table.pdf");
    {
        QPdfWriter writer(QString::fromStdString(path));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        Report::CReportPage page(writer, "footer");
        page.NewPage();
        page.Row({120, 60}, {{"criterion"}, {"quantity"}}, true);
        for (int i = 0; i < 80; ++i)
            page.Row({120, 60}, {{QStringLiteral("row %1").arg(i)}, {"ACCELERATION"}});
    }
    const std::string second = Output("pdftotext -f 2 -l 2 " + path + " -");
    EXPECT_NE(second.find("criterion"), std::string::npos) << second;
    EXPECT_NE(second.find("quantity"), std::string::npos) << second;
    EXPECT_NE(Output("pdftotext -l 1 " + path + " -").find("ACCELERATION"), std::string::npos);
}

// Regression: -o naming one of the test's own channel files replaced it with
// the PDF; a --protocol-dir that is no folder was ignored.
TEST_F(ReportTest, AnOutputThatIsAnInputOrAMissingProtocolFolderIsRefused)
{
    for (const std::string& input : {test + "/Channel/2231.001", test + "/2231.mme"}) {
        const std::string before = ReadText(input);
        EXPECT_EQ(Report::RunReportCommand({test, "--protocol", "fmvss208", "--protocol-dir",
                                            ONDREL_PROTOCOLS_SOURCE_DIR, "-o", input}),
                  2)
            << input;
        EXPECT_EQ(ReadText(input), before) << input;
    }
    EXPECT_EQ(Report::RunReportCommand({test, "--protocol", "fmvss208", "--protocol-dir", dir.Path("none"), "-o",
                                        dir.Path("r.pdf")}),
              2);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("r.pdf")));
}

// Regression: a row with a name of 10,000 characters was taller than a page,
// so it and the rows after it were drawn below the page and their findings lost.
TEST(ReportPage, ARowLongerThanAPageIsCutAndTheRowsAfterItAreShown)
{
    EnsureApplication();
    TempDir dir;
    const std::string pdf = dir.Path("rows.pdf");
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setResolution(72);
        Report::CReportPage page(writer, "footer");
        page.NewPage();
        for (int k = 0; k < 3; ++k)
            page.Row({105, 45, 300}, {{QString(10000, QChar('n'))}, {"warning"}, {QStringLiteral("dropout %1").arg(k)}});
    }
    const std::string text = Output("pdftotext '" + pdf + "' -");
    for (int k = 0; k < 3; ++k)
        EXPECT_NE(text.find("dropout " + std::to_string(k)), std::string::npos) << k;
    EXPECT_LE(std::stoi(Output("pdfinfo '" + pdf + "' | sed -n 's/^Pages: *//p'")), 3);
}

// Fault: the channel check said "1 has warnings" and "1 of 2 channels fail".
TEST(ReportQuality, TheChannelCheckSentenceCountsInWords)
{
    using Report::Detail::ChannelCheckSentence;
    const struct {
        size_t channels, failed, warned;
        const char* sentence;
    } cases[] = {
        {200, 0, 1, "Of 200 channels, 1 channel has warnings; the other 199 passed."},
        {2, 1, 1, "Of 2 channels, 1 channel fails the channel check and 1 channel has warnings."},
        {5, 2, 0, "Of 5 channels, 2 channels fail the channel check; the other 3 passed."},
        {1, 0, 1, "Of 1 channel, 1 channel has warnings."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChannelCheckSentence(c.channels, c.failed, c.warned).toStdString(), c.sentence);
}

// Fault: summary rows differed in height, a criterion title that wrapped
// making its row twice as tall as the one above.
TEST(ReportPage, OneLineRowsAllHaveOneHeight)
{
    EnsureApplication();
    TempDir dir;
    QPdfWriter writer(QString::fromStdString(dir.Path("rows.pdf")));
    writer.setResolution(72);
    Report::CReportPage page(writer, "footer");
    page.NewPage();
    page.OneLineRows();
    std::vector<double> heights;
    for (const QString& title : {QStringLiteral("HIC15"), QStringLiteral("Upper tibia index (left), lateral"),
                                 QStringLiteral("Neck shear")}) {
        const double before = page.Position();
        page.Row({145, 28, 80}, {{title}, {"kN"}, {"1.90 / 3.10"}});
        heights.push_back(page.Position() - before);
    }
    EXPECT_EQ(heights[0], heights[1]);
    EXPECT_EQ(heights[0], heights[2]);
}

namespace {

// The colours of a page of pdf rendered at 40 dpi.
std::set<QRgb> PageColours(const std::string& pdf, int page, const std::string& prefix)
{
    const std::string n = std::to_string(page);
    Output("pdftoppm -r 40 -singlefile -f " + n + " -l " + n + " -png '" + pdf + "' '" + prefix + "'");
    const QImage image(QString::fromStdString(prefix + ".png"));
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y) & 0xffffff);
    return colours;
}

QRgb RgbOf(const Assess::Rgb& c) { return qRgb(c.r, c.g, c.b) & 0xffffff; }

} // namespace

// Faults a reader would see but the text alone does not show: a band or a
// verdict in another's colour, the band scheme's total showing the plain
// score, ", capped" dropped, the cover's speed or its last test object wrong.
TEST_F(ReportTest, CellsTotalsAndCoverShowWhatTheAssessmentSays)
{
    // Each band has a colour of its own: a band drawn in another's is lost in the cells.
    std::set<QRgb> bandColours;
    for (Assess::Band b : {Assess::Band::Good, Assess::Band::Adequate, Assess::Band::Marginal, Assess::Band::Weak,
                           Assess::Band::Poor})
        bandColours.insert(RgbOf(Assess::BandRgb(b)));
    EXPECT_EQ(bandColours.size(), 5u);
    DemoDataSet written;
    KVErrorList errors;
    ASSERT_TRUE(WriteDemoAssessTests(dir.Path(), written, errors));
    const std::string mpdbTest = dir.Path("iso-mme/3301");
    const std::string dirs = ONDREL_PROTOCOLS_SOURCE_DIR;
    struct Case {
        std::string test, protocol;
    };
    for (const Case& k : {Case{test, "fmvss208"}, Case{test, "euro-ncap-frontal-fw-2023"},
                          Case{mpdbTest, "euro-ncap-mpdb-2023"}}) {
        const std::string pdf = dir.Path(k.protocol + ".pdf");
        ASSERT_EQ(Report::RunReportCommand({k.test, "--protocol", k.protocol, "--protocol-dir", dirs, "-o", pdf}), 0);
        std::string text = Output("pdftotext -raw '" + pdf + "' -");
        std::replace(text.begin(), text.end(), '\n', ' ');
        const Assess::Assessment a = Assessed(k.protocol, k.test);
        const bool scored = a.protocol.scoring == Assess::Scoring::SlidingScale;
        // The summary's first page: the first occupant's cells in their colours.
        const std::set<QRgb> colours = PageColours(pdf, 2, dir.Path(k.protocol + "-2"));
        const Assess::OccupantResult& o = a.occupants.front();
        for (const Assess::RegionResult& r : o.regions)
            for (const Assess::CriterionResult& c : r.criteria) {
                if (c.band) {
                    EXPECT_TRUE(colours.count(RgbOf(Assess::BandRgb(*c.band)))) << k.protocol << " " << c.criterion;
                }
                if (c.pass) {
                    EXPECT_TRUE(colours.count(RgbOf(*c.pass ? Assess::kPassRgb : Assess::kFailRgb))) << c.criterion;
                }
            }
        if (o.verdict == "pass") {
            EXPECT_FALSE(colours.count(RgbOf(Assess::kFailRgb))) << k.protocol;
        }
        for (const Assess::OccupantResult& each : a.occupants) {
            if (scored && each.bandScore) {
                EXPECT_NE(text.find("(2026: " + Assess::Fixed(*each.bandScore, 2) + ")"), std::string::npos)
                    << k.protocol;
            }
            for (const Assess::RegionResult& r : each.regions)
                for (const Assess::CriterionResult& c : r.criteria)
                    if (c.capped) {
                        EXPECT_NE(text.find(Assess::Fixed(*c.score, 2) + " of " + Assess::Fixed(*c.maxScore, 0) + ", "
                                            + Assess::BandName(*c.band) + ", capped"),
                                  std::string::npos)
                            << c.criterion;
                    }
        }
    }
    // The cover: every test object with its speed in m/s and km/h.
    std::string cover = Output("pdftotext -raw -l 1 '" + dir.Path("euro-ncap-mpdb-2023.pdf") + "' -");
    EXPECT_NE(cover.find("Test object 1 (no name), 13.89 m/s (50.0 km/h)"), std::string::npos) << cover;
}
