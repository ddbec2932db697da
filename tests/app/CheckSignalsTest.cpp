// Checking listed files from the desktop program: results are kept per file
// and reused while the file stays the same.
#include "AppTestSupport.h"
#include "CheckCommands.h"
#include "SignalCheckCache.h"

#include <cmath>

namespace {

// A 40 g half-sine of 20 ms after 20 ms of rest, 10 kHz, a little noise;
// cut at 30 g when clipped.
KVSignal Pulse(bool clipped, size_t n = 1000)
{
    return MakeSignal(n, 0.0001f, [clipped](size_t i) {
        const double t = double(i) * 0.0001 - 0.02;
        double v = t > 0 && t < 0.02 ? 40 * std::sin(3.14159265 * t / 0.02) : 0.0;
        v += 0.05 * std::sin(double(i) * 2.3) * std::cos(double(i) * 0.71);
        return float(clipped ? std::min(v, 30.0) : v);
    }, -0.02f);
}

class CheckSignals : public AppTest {};

TEST_F(CheckSignals, ResultsAreKeptWhileTheFileStaysTheSame)
{
    const QString clean = WriteRvf("clean.rvf", Pulse(false));
    const QString clipped = WriteRvf("clipped.rvf", Pulse(true));
    const QString notes = WriteBytes("notes.txt", "no signal here\n");
    CSignalCheckCache cache;
    EXPECT_FALSE(cache.VerdictOf(clean).has_value());

    std::vector<CCheckedFile> r = cache.Check({"clean.rvf", "clipped.rvf", "notes.txt"}, {clean, clipped, notes});
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(CheckVerdictText(r[0]), "ok");
    EXPECT_EQ(CheckVerdictText(r[1]), "fail");
    ASSERT_EQ(CheckFindingLines(r[1]).size(), 1);
    EXPECT_TRUE(CheckFindingLines(r[1])[0].startsWith("fail clipping: held at its maximum 30 G")) << CheckFindingLines(r[1])[0].toStdString();
    EXPECT_EQ(CheckVerdictText(r[2]), "unreadable");
    EXPECT_EQ(cache.VerdictOf(notes), Kalvio::CheckVerdict::Fail);
    EXPECT_EQ(cache.FilesRead(), 3);

    // Again: nothing read. A file rewritten (another size) is read again.
    cache.Check({"clean.rvf", "clipped.rvf"}, {clean, clipped});
    EXPECT_EQ(cache.FilesRead(), 0);
    WriteRvf("clean.rvf", Pulse(true, 1100));
    r = cache.Check({"clean.rvf", "clipped.rvf"}, {clean, clipped});
    EXPECT_EQ(cache.FilesRead(), 1);
    EXPECT_EQ(CheckVerdictText(r[0]), "fail");

    // The progress callback stops the check before the file it refuses.
    cache.Clear();
    r = cache.Check({"clean.rvf", "clipped.rvf"}, {clean, clipped}, [](int done, int) { return done < 1; });
    EXPECT_EQ(r.size(), 1u);
    EXPECT_FALSE(cache.VerdictOf(clipped).has_value());
}

TEST_F(CheckSignals, TextFilesAreCheckedInTheChosenTimeUnit)
{
    // The clipped pulse as a text file whose time column is in seconds.
    const KVSignal pulse = Pulse(true);
    QByteArray text;
    for (size_t i = 0; i < pulse.PointCount(); ++i)
        text += QByteArray::number(pulse.X()[i], 'f', 4) + " " + QByteArray::number(pulse.Y()[i]) + "\n";
    const QString clipped = WriteBytes("clipped.txt", text);
    CSignalCheckCache cache;
    KVTextOptions seconds;
    seconds.timeUnit = KVTimeUnit::Seconds;
    // Regression: the check read every text file in milliseconds, whatever the Options said.
    for (const auto& [options, unit] : {std::pair{KVTextOptions{}, " ms"}, std::pair{seconds, " s"}}) {
        const std::vector<CCheckedFile> r = cache.Check({"clipped.txt"}, {clipped}, {}, options);
        EXPECT_EQ(cache.FilesRead(), 1); // another unit: read again
        ASSERT_EQ(r.size(), 1u);
        ASSERT_EQ(r[0].result.findings.size(), 1u);
        const std::string& message = r[0].result.findings[0].message;
        EXPECT_TRUE(message.ends_with(std::string(unit) + ": the amplifier or recorder saturated")) << message;
    }
}

TEST_F(CheckSignals, CommandChecksTheListOrTheSelectionAndMarksFromTheResults)
{
    CheckCommands::CheckSignals(*doc, {});
    EXPECT_TRUE(ui.progressTitles.isEmpty()) << "nothing listed, nothing to check";
    EXPECT_TRUE(ui.checkResults.empty());

    WriteRvf("a_clean.rvf", Pulse(false));
    WriteRvf("b_clipped.rvf", Pulse(true));
    WriteBytes("c_notes.txt", "no signal here\n");
    BrowseDataDir();
    EXPECT_EQ(doc->CheckOf("b_clipped.rvf"), nullptr);
    hints.clear();
    CheckCommands::CheckSignals(*doc, {});
    EXPECT_EQ(ui.progressTitles, QStringList{"Checking Signals"});
    EXPECT_EQ(hints, std::vector<int>{HINT_CHECKS_CHANGED});
    ASSERT_EQ(ui.checkResults.size(), 1u);
    // The whole list is like a folder: the note is no signal file and left out.
    ASSERT_EQ(ui.checkResults[0].size(), 2u);
    EXPECT_EQ(ui.checkResults[0][0].name, "a_clean.rvf");
    EXPECT_EQ(ui.checkResults[0][1].name, "b_clipped.rvf");
    ASSERT_NE(doc->CheckOf("b_clipped.rvf"), nullptr);
    EXPECT_EQ(CheckedFileVerdict(*doc->CheckOf("b_clipped.rvf")), Kalvio::CheckVerdict::Fail);
    EXPECT_EQ(CheckedFileVerdict(*doc->CheckOf("a_clean.rvf")), Kalvio::CheckVerdict::Ok);

    // A selection is checked alone, and a selected note gets its result.
    CheckCommands::CheckSignals(*doc, {"c_notes.txt"});
    ASSERT_EQ(ui.checkResults.size(), 2u);
    ASSERT_EQ(ui.checkResults[1].size(), 1u);
    EXPECT_EQ(CheckVerdictText(ui.checkResults[1][0]), "unreadable");

    // A file changed since its check loses its mark until checked again.
    WriteRvf("b_clipped.rvf", Pulse(false, 1100));
    EXPECT_EQ(doc->CheckOf("b_clipped.rvf"), nullptr);
    CheckCommands::CheckSignals(*doc, {"b_clipped.rvf"});
    ASSERT_NE(doc->CheckOf("b_clipped.rvf"), nullptr);
    EXPECT_EQ(CheckedFileVerdict(*doc->CheckOf("b_clipped.rvf")), Kalvio::CheckVerdict::Ok);
}

TEST_F(CheckSignals, CancelShowsWhatWasCheckedBeforeIt)
{
    WriteRvf("a_clean.rvf", Pulse(false));
    WriteRvf("b_clipped.rvf", Pulse(true));
    BrowseDataDir();
    ui.cancelProgressAt = 1;
    CheckCommands::CheckSignals(*doc, {});
    ASSERT_EQ(ui.checkResults.size(), 1u);
    ASSERT_EQ(ui.checkResults[0].size(), 1u);
    EXPECT_EQ(ui.checkResults[0][0].name, "a_clean.rvf");
    EXPECT_EQ(doc->CheckOf("b_clipped.rvf"), nullptr);
}

} // namespace
