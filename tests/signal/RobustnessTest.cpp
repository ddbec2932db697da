// Truncated and randomly damaged files fed to the readers: they must return,
// record at least one error on failure, and give a consistent signal on success.
#include "CRVFFile.h"
#include "KVFileAscii.h"
#include "KVFileRvf.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "SignalTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sys/stat.h>

namespace {

float Ramp(size_t i) { return static_cast<float>(i % 37) - 18.0f; }

// Seeds: valid files in every format and layout, with and without record 2.
std::vector<Bytes> RvfSeeds(const TempDir& dir)
{
    std::vector<Bytes> seeds;
    int k = 0;
    for (const char* format : {"IEEE", "SUN", "VAX"}) {
        for (size_t n : {2u, 126u, 260u}) {
            for (bool yOnly : {false, true}) {
                CRVFFile f;
                f.FileId.FloatFormatName = format;
                f.FileId.DataType = yOnly ? "Y" : "X-Y";
                f.Curve.Nfp = -3;
                f.Curve.Nlp = static_cast<int>(n) - 4;
                f.Curve.Del = 0.5f;
                for (size_t i = 0; i < n; ++i) {
                    f.Y.push_back(Ramp(i));
                    if (!yOnly)
                        f.X.push_back(static_cast<float>(i));
                }
                if (k % 2 == 0)
                    f.Vehicle2.Number = 9;
                const std::string path = dir.Path("seed" + std::to_string(k++) + ".rvf");
                EXPECT_TRUE(f.RVF_Write(path));
                seeds.push_back(ReadAll(path));
            }
        }
    }
    return seeds;
}

std::vector<Bytes> TextSeeds()
{
    std::vector<std::string> texts = {
        "time accel\n0 1\n0.1 2\n0.2 3\n",
        "a\n\n1,2\n3;4\n5|6\n7\t8\n",
        "1e3 -2.5e-3\r\n2e3 4\r\n",
        std::string(1500, 'h') + "\n1 2\n",
        // An ISO-MME channel: its header lines decide the reader.
        "Channel code                :11HEAD0000H3ACXA\r\n"
        "Name of the channel         :Head X\r\n"
        "Unit                        :g\r\n"
        "Time of first sample        :-0.0002\r\n"
        "Sampling interval           :0.0001\r\n"
        "Number of samples           :5\r\n"
        "0.000000E+0\r\n1.250000E-1\r\nNOVALUE\r\n-3.500000E+0\r\n+2.5\r\n",
    };
    std::vector<Bytes> seeds;
    for (const std::string& t : texts)
        seeds.emplace_back(t.begin(), t.end());
    return seeds;
}

// One damaged variant of a seed.
Bytes Damage(const Bytes& seed, std::mt19937& rng, bool text)
{
    Bytes b = seed;
    std::uniform_int_distribution<int> kind(0, 5);
    auto pos = [&](size_t size) { return std::uniform_int_distribution<size_t>(0, size ? size - 1 : 0)(rng); };
    switch (kind(rng)) {
    case 0: // truncated anywhere, often at a record boundary
        b.resize(std::uniform_int_distribution<int>(0, 1)(rng) ? pos(b.size() + 1) : pos(b.size() / 512 + 1) * 512);
        break;
    case 1: // a few random bytes
        for (int k = std::uniform_int_distribution<int>(1, 8)(rng); k > 0 && !b.empty(); --k)
            b[pos(b.size())] = static_cast<uint8_t>(rng());
        break;
    case 2: // indices and step of the curve record replaced by random words
        for (size_t off : {512u + 278, 512u + 282, 1024u + 278, 1024u + 282, 512u + 286}) {
            if (off + 4 <= b.size() && (rng() & 1)) {
                const uint32_t w = rng() & 1 ? rng() : rng() % 600;
                for (size_t j = 0; j < 4; ++j)
                    b[off + j] = static_cast<uint8_t>(w >> (8 * j));
            }
        }
        break;
    case 3: // a label or layout text damaged
        for (size_t off : {16u, 26u, 512u, 1024u, 1536u, 2048u}) {
            const size_t at = off + rng() % 8;
            if (at < b.size() && (rng() & 1))
                b[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
        }
        break;
    case 4: // text: separators, NULs and letters sprinkled in; RVF: grown by garbage
        if (text) {
            const char junk[] = {',', ';', '|', '\t', ' ', '\0', '\n', '\r', 'e', '-', '.', 'x'};
            for (int k = std::uniform_int_distribution<int>(1, 6)(rng); k > 0; --k)
                b.insert(b.begin() + static_cast<long>(pos(b.size() + 1)), static_cast<uint8_t>(junk[rng() % 12]));
        } else {
            for (int k = 512; k > 0; --k)
                b.push_back(static_cast<uint8_t>(rng()));
        }
        break;
    default: // a run of random bytes
        if (!b.empty()) {
            const size_t at = pos(b.size());
            const size_t len = std::min<size_t>(b.size() - at, 1 + rng() % 64);
            for (size_t j = 0; j < len; ++j)
                b[at + j] = static_cast<uint8_t>(rng());
        }
        break;
    }
    return b;
}

void CheckRvf(const std::string& path, KVSignal& s, int& loaded)
{
    KVFileRvf file(path);
    const bool ok = file.Load(s);
    if (!ok) {
        ASSERT_GE(file.ErrorCount(), 1) << path;
        return;
    }
    ++loaded;
    ASSERT_EQ(file.ErrorCount(), 0);
    ASSERT_TRUE(s.HasData());
    ASSERT_EQ(static_cast<int64_t>(s.PointCount()), int64_t(s.Nlp()) - int64_t(s.Nfp()) + 1);
    ASSERT_NE(s.X(), nullptr);
    ASSERT_NE(s.Y(), nullptr);
}

void CheckAscii(const std::string& path, KVSignal& s, int& loaded)
{
    KVFileAscii file(path);
    const bool ok = file.Load(s);
    if (!ok) {
        ASSERT_GE(file.ErrorCount(), 1) << path;
        return;
    }
    ++loaded;
    ASSERT_TRUE(s.HasData());
    ASSERT_GE(s.PointCount(), 1u);
    ASSERT_EQ(s.Nfp(), 0);
    ASSERT_EQ(static_cast<size_t>(s.Nlp()) + 1, s.PointCount());
    ASSERT_NE(s.X(), nullptr);
    ASSERT_NE(s.Y(), nullptr);
}

} // namespace

TEST(Robustness, DamagedFilesNeverCrashEitherReader)
{
    TempDir dir;
    const std::vector<Bytes> rvf = RvfSeeds(dir);
    const std::vector<Bytes> text = TextSeeds();
    std::mt19937 rng(20240611);
    const std::string path = dir.Path("victim");
    int rvfLoaded = 0, asciiLoaded = 0, rvfOnRvf = 0, isoLoaded = 0;
    KVSignal s; // reused: a load into a signal that held data must stay consistent too
    for (int round = 0; round < 3000; ++round) {
        const bool isText = round % 4 == 3;
        const Bytes& seed = isText ? text[rng() % text.size()] : rvf[rng() % rvf.size()];
        WriteAll(path, Damage(seed, rng, isText));
        int before = rvfLoaded;
        CheckRvf(path, s, rvfLoaded);
        if (!isText)
            rvfOnRvf += rvfLoaded - before;
        CheckAscii(path, s, asciiLoaded);
        KVErrorList errors;
        const char* kind = KVReadSignalFile(path, s, errors);
        if (!kind) {
            ASSERT_GE(errors.ErrorCount(), 1) << "round " << round;
        } else if (std::string(kind) == "ISO-MME Channel") {
            ++isoLoaded;
            ASSERT_GE(s.PointCount(), 1u);
            ASSERT_NE(s.Y(), nullptr);
        }
        if (HasFatalFailure())
            FAIL() << "round " << round;
    }
    // The damage is mild often enough that both readers still load files.
    EXPECT_GT(rvfOnRvf, 100);
    EXPECT_GT(asciiLoaded, 50);
    EXPECT_GT(isoLoaded, 10);
}

TEST(Robustness, EveryTruncationOfAFile)
{
    TempDir dir;
    const Bytes whole = RvfSeeds(dir)[0]; // IEEE "X-Y", two points, record 2
    const std::string path = dir.Path("cut");
    KVSignal s;
    int loaded = 0;
    for (size_t size = 0; size <= whole.size(); size += 4) {
        WriteAll(path, Bytes(whole.begin(), whole.begin() + static_cast<long>(size)));
        CheckRvf(path, s, loaded);
        CheckAscii(path, s, loaded);
        if (HasFatalFailure())
            FAIL() << "size " << size;
    }
    EXPECT_EQ(loaded, 1); // only the whole file loads
}

TEST(Robustness, PipesAndFoldersAreRefusedWithoutWaiting)
{
    // Regression: the text reader threw on a folder, and both readers blocked
    // on a named pipe that nobody writes to.
    TempDir dir;
    const std::string pipe = dir.Path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const auto& [path, why] : {std::pair{pipe, std::string(" is not a regular file.")},
                                    std::pair{dir.Path(""), std::string(" is a directory.")}}) {
        KVSignal s;
        KVFileRvf rvf(path);
        EXPECT_FALSE(rvf.Load(s));
        EXPECT_EQ(ErrorLines(rvf),
                  std::vector<std::string>{"CRVFFile::RVF_Read | " + path + " is not a valid RVF-1992 Signal File."});
        KVFileAscii ascii(path);
        EXPECT_FALSE(ascii.Load(s));
        EXPECT_EQ(ErrorLines(ascii), std::vector<std::string>{"KVFileAscii::Load | " + path + why});
        EXPECT_EQ(ascii.PointCount(), 0u);
        KVErrorList errors;
        EXPECT_EQ(KVReadSignalFile(path, s, errors), nullptr);
        EXPECT_EQ(errors.ErrorCount(), 1);
    }
    // Devices read nothing or without end: the header read asks what they are.
    for (const std::string device : {"/dev/null", "/dev/zero"}) {
        KVFileRvf rvf(device);
        KVHeader header;
        size_t points = 0;
        EXPECT_FALSE(rvf.LoadHeader(header, points));
        EXPECT_EQ(ErrorLines(rvf),
                  std::vector<std::string>{"CRVFFile::RVF_Read | " + device + " is not a valid RVF-1992 Signal File."});
    }
}
