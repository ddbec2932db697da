// Checking listed files from the desktop program: results are kept per file
// and reused while the file stays the same.
#include "AppTestSupport.h"
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

} // namespace
