// Runs the built kalvio binary on files made here and checks exit status,
// standard error and the stored results.
#include "KVFileRvf.h"
#include "KVReadSignalFile.h"
#include "TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct RunResult {
    int status;
    std::string out;
    std::vector<std::string> err;
};

class KalvioCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("kalvio_ops_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "out");
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    std::string Write(const std::string& name, const KVSignal& s) const
    {
        const std::string p = Path(name);
        EXPECT_TRUE(SaveSignalAsRvf(s, p));
        return p;
    }

    RunResult Kalvio(const std::string& args) const
    {
        const std::string out = Path("stdout.txt");
        const std::string err = Path("stderr.txt");
        const std::string cmd = std::string("'") + KALVIO_EXE + "' " + args + " >'" + out + "' 2>'" + err + "'";
        const int raw = std::system(cmd.c_str());
        RunResult r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream o(out);
        std::stringstream ss;
        ss << o.rdbuf();
        r.out = ss.str();
        std::ifstream e(err);
        for (std::string line; std::getline(e, line);)
            r.err.push_back(line);
        return r;
    }

    KVSignal Load(const std::string& p) const
    {
        KVSignal s;
        KVErrorList e;
        EXPECT_NE(KVReadSignalFile(p, s, e), nullptr) << p;
        return s;
    }

    fs::path dir;
};

KVSignal Ramp(float slope)
{
    KVSignal s = UniformSignal(-100, 900, 0.0001f, [slope](double t) { return 1.0 + slope * t; });
    s.SetYUnits("METERS");
    s.SetCutOffFrequency(1666.67f);
    return s;
}

} // namespace

TEST_F(KalvioCommands, SingleOperationsWithNegativeArguments)
{
    const std::string in = Write("ramp.rvf", Ramp(10));
    RunResult r = Kalvio("add-x -0.01 '" + in + "' -o '" + Path("out/shift.rvf") + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.empty());
    KVSignal s = Load(Path("out/shift.rvf"));
    EXPECT_EQ(s.Nfp(), -200);
    EXPECT_EQ(s.Nlp(), 800);
    EXPECT_NEAR(s.X()[0], -0.02f, 1e-6);

    r = Kalvio("scale-y -2 '" + in + "' --out-dir '" + Path("out") + "'");
    EXPECT_EQ(r.status, 0);
    KVSignal y = Load(Path("out/ramp.rvf"));
    EXPECT_NEAR(y.Y()[100], -2.0f, 1e-5);

    r = Kalvio("truncate -0.005 0.0495 '" + in + "' -o '" + Path("out/t.rvf") + "'");
    EXPECT_EQ(r.status, 0);
    KVSignal t = Load(Path("out/t.rvf"));
    EXPECT_EQ(t.Nfp(), -50);
    EXPECT_EQ(t.Nlp(), 494);
    EXPECT_EQ(t.Status(), "TRUNCATED"); // RVF text fields are stored in capitals
}

TEST_F(KalvioCommands, ChainRunsInOrder)
{
    const std::string in = Write("ramp.rvf", Ramp(10));
    RunResult r = Kalvio("derivative '" + in + "' --then scale-y 0.5 --then add-y 1 -o '" + Path("out/d.rvf") + "'");
    EXPECT_EQ(r.status, 0) << (r.err.empty() ? "" : r.err[0]);
    KVSignal d = Load(Path("out/d.rvf"));
    EXPECT_EQ(d.YUnits(), "KILOMETERS/HOUR");
    EXPECT_NEAR(d.Y()[0], 10 * 3.6 * 0.5 + 1, 5e-3);
    EXPECT_NEAR(d.Y()[1000], 10 * 3.6 * 0.5 + 1, 5e-3);
}

TEST_F(KalvioCommands, WarningsAreReportedButSucceed)
{
    KVSignal s = Ramp(10);
    s.SetPreFilterFrequency(800.0f);
    const std::string in = Write("pre.rvf", s);
    RunResult r = Kalvio("cfc 180 '" + in + "' -o '" + Path("out/f.rvf") + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, std::vector<std::string>{
                         in + ": Kalvio::BWfilt - WARNING - Filter causes overlap distortion with previous filtering"});
    EXPECT_EQ(Load(Path("out/f.rvf")).Status(), "DISTORTED");
}

TEST_F(KalvioCommands, FailureWritesNothingAndGoesOn)
{
    const std::string good = Write("good.rvf", Ramp(10));
    KVSignal bad = Ramp(10);
    bad.SetXUnits("MILLISECONDS");
    const std::string badIn = Write("bad.rvf", bad);
    RunResult r = Kalvio("filter 120 '" + badIn + "' '" + good + "' --out-dir '" + Path("out") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::vector<std::string>{badIn + ": Kalvio::BWfilt - Time must be in seconds"});
    EXPECT_FALSE(fs::exists(Path("out/bad.rvf")));
    EXPECT_EQ(Load(Path("out/good.rvf")).CutOffFrequency(), 120.0f);

    r = Kalvio("cfc 100 '" + good + "' -o '" + Path("out/x.rvf") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              std::vector<std::string>{good + ": Kalvio::BWfilt - Frequency Channel Class is not specified in SAE J211"});

    r = Kalvio("integrate '" + Path("missing.rvf") + "' -o '" + Path("out/m.rvf") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.empty());
}

TEST_F(KalvioCommands, BadUsage)
{
    const std::string in = Write("ramp.rvf", Ramp(10));
    EXPECT_EQ(Kalvio("truncate 0 '" + in + "' -o x.rvf").status, 2);
    EXPECT_EQ(Kalvio("cfc sixty '" + in + "' -o x.rvf").status, 2);
    EXPECT_EQ(Kalvio("resample nan '" + in + "' -o x.rvf").status, 2);
    EXPECT_EQ(Kalvio("bias '" + in + "'").status, 2);
    EXPECT_EQ(Kalvio("bias --keep-bias '" + in + "' -o x.rvf").status, 2);
    EXPECT_EQ(Kalvio("bias --then frobnicate '" + in + "' -o x.rvf").status, 2);
    EXPECT_EQ(Kalvio("resultant '" + in + "' -o x.rvf").status, 2);
    EXPECT_EQ(Kalvio("sum '" + in + "' --out-dir '" + Path("out") + "'").status, 2);
    EXPECT_EQ(Kalvio("name").status, 2);
    EXPECT_FALSE(fs::exists("x.rvf"));
    RunResult help = Kalvio("fir100 --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--keep-bias"), std::string::npos);
}

TEST_F(KalvioCommands, ResampleAllowLargeLiftsThePointLimit)
{
    // 1 s at a step of 99 ns asks for 10,101,010 points, beyond the limit of 10,000,000.
    const std::string in = Write("long.rvf", UniformSignal(0, 10, 0.1f, [](double t) { return t; }));
    const std::string out = Path("out/long.rvf");
    RunResult r = Kalvio("resample 9.9e-8 '" + in + "' -o '" + out + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(out));
    r = Kalvio("resample 9.9e-8 --allow-large '" + in + "' -o '" + out + "'");
    EXPECT_EQ(r.status, 0) << ::testing::PrintToString(r.err);
    ASSERT_TRUE(fs::exists(out));
    EXPECT_GT(fs::file_size(out), 1024u + 4u * 10000000u);
    EXPECT_EQ(Kalvio("bias --allow-large '" + in + "' -o '" + out + "'").status, 2);
}

TEST_F(KalvioCommands, Fir100KeepBias)
{
    const std::string in = Write("c.rvf", UniformSignal(-1000, 2000, 0.0001f, [](double) { return 2.0; }));
    RunResult r = Kalvio("fir100 --keep-bias '" + in + "' -o '" + Path("out/k.rvf") + "'");
    EXPECT_EQ(r.status, 0);
    KVSignal k = Load(Path("out/k.rvf"));
    EXPECT_NEAR(k.Y()[10], 2.0 * 0.99745112, 1e-5);
    EXPECT_EQ(k.Nfp(), -160);
    EXPECT_EQ(k.Status(), "FIR100 FILTERED");
}

TEST_F(KalvioCommands, CombiningCommands)
{
    KVSignal a = Ramp(0);
    KVSignal b = Ramp(0);
    for (size_t i = 0; i < a.PointCount(); ++i) {
        a.Y()[i] = 3;
        b.Y()[i] = 4;
    }
    const std::string pa = Write("a.rvf", a);
    const std::string pb = Write("b.rvf", b);
    RunResult r = Kalvio("resultant '" + pa + "' '" + pb + "' -o '" + Path("out/r.rvf") + "'");
    EXPECT_EQ(r.status, 0);
    KVSignal res = Load(Path("out/r.rvf"));
    EXPECT_EQ(res.Y()[5], 5.0f);
    EXPECT_EQ(res.Axis().substr(0, 2), "RS");

    r = Kalvio("average '" + pa + "' '" + pb + "' '" + pb + "' -o '" + Path("out/m.rvf") + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_NEAR(Load(Path("out/m.rvf")).Y()[5], 11.0 / 3, 1e-6);

    const std::string shifted = Write("s.rvf", UniformSignal(-99, 901, 0.0001f, [](double) { return 1.0; }));
    r = Kalvio("sum '" + pa + "' '" + shifted + "' -o '" + Path("out/s.rvf") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::vector<std::string>{"Kalvio::Sum - Inconsistent start Index (nfp)"});
    EXPECT_FALSE(fs::exists(Path("out/s.rvf")));
}

TEST_F(KalvioCommands, NamePrintsTheCodeOfEachFile)
{
    KVSignal s = Ramp(1);
    s.SetTestSource("VEHICLE");
    s.SetTestNumber("123");
    s.SetYType("ACCELERATION");
    s.SetStatus("FILTERED");
    s.SetCutOffFrequency(100.0f);
    s.SetCurveNumber(5);
    const std::string p = Write("n.rvf", s);
    RunResult r = Kalvio("name '" + p + "' '" + Path("nothing.rvf") + "' '" + p + "'");
    EXPECT_EQ(r.status, 1);
    // Regression: a failed input printed no line, so lines slipped against inputs.
    EXPECT_EQ(r.out, "V0123afd.005\n?failed?\nV0123afd.005\n");
}

TEST_F(KalvioCommands, EvenlySampledFilesStayExactAndFilterable)
{
    // A long "Y" record converts to a "Y" file of the same size.
    KVSignal longRecord = UniformSignal(0, 999999, 0.0001f, [](double t) { return std::sin(t); });
    const std::string in = Write("long.rvf", longRecord);
    RunResult r = Kalvio("convert '" + in + "' -o '" + Path("out/long.rvf") + "'");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(fs::file_size(Path("out/long.rvf")), fs::file_size(in));
    EXPECT_EQ(Load(Path("out/long.rvf")).Del(), 0.0001f);

    // An evenly spaced "X-Y" file filters, and whole-ratio resampling keeps its samples.
    KVSignal xy = Ramp(10);
    xy.SetDel(0.0f); // stored with its X array
    const std::string xyIn = Write("xy.rvf", xy);
    r = Kalvio("cfc 60 '" + xyIn + "' -o '" + Path("out/f.rvf") + "'");
    EXPECT_EQ(r.status, 0) << (r.err.empty() ? "" : r.err[0]);
    EXPECT_EQ(Load(Path("out/f.rvf")).Status(), "FILTERED");
    r = Kalvio("resample 0.0002 '" + xyIn + "' -o '" + Path("out/r.rvf") + "'");
    ASSERT_EQ(r.status, 0);
    const KVSignal res = Load(Path("out/r.rvf"));
    const KVSignal src = Load(xyIn);
    // Regression: the first sample, on the grid before time zero, was dropped (NFP -49).
    ASSERT_EQ(res.Nfp(), -50);
    for (size_t k = 0; k < res.PointCount(); ++k)
        ASSERT_EQ(res.Y()[k], src.Y()[(res.Nfp() + k) * 2 - src.Nfp()]) << k;
}

TEST_F(KalvioCommands, TextInputsInTheUnitTheUserStates)
{
    // 80 g half-sine of 20 ms at 10 kHz, time written in seconds.
    std::string text = "time;accel\n";
    for (int i = 0; i <= 300; ++i) {
        const double t = i * 0.0001;
        char line[64];
        std::snprintf(line, sizeof line, "%.4f;%.6f\n", t, t < 0.02 ? 80 * std::sin(M_PI * t / 0.02) : 0.0);
        text += line;
    }
    std::ofstream(Path("s.txt")) << text;
    const std::string in = Path("s.txt");

    // Taken as milliseconds: loaded with a warning that names the step and the switch.
    RunResult r = Kalvio("info '" + in + "'");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, std::vector<std::string>{
                         in + ": KVFileAscii::Load - " + in + ": WARNING - time step 0.0001 read as milliseconds is 1e-07 s, "
                         "below 1 us for measured data; if the time column is in seconds, use --time-unit s"});
    // Regression: class 1000 was taken as applied, and CFC 1000 succeeded unfiltered.
    r = Kalvio("cfc 1000 '" + in + "' -o '" + Path("out/ms.rvf") + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(Path("out/ms.rvf")));

    r = Kalvio("cfc 1000 --time-unit s '" + in + "' -o '" + Path("out/s.rvf") + "'");
    EXPECT_EQ(r.status, 0) << (r.err.empty() ? "" : r.err[0]);
    EXPECT_TRUE(r.err.empty());
    const KVSignal f = Load(Path("out/s.rvf"));
    EXPECT_EQ(f.XUnits(), "SECONDS");
    EXPECT_EQ(f.Status(), "FILTERED");
    EXPECT_FLOAT_EQ(f.Del(), 0.0001f);

    EXPECT_EQ(Kalvio("info --time-unit=minutes '" + in + "'").status, 2);
    EXPECT_NE(Kalvio("--help").out.find("--time-unit s|ms"), std::string::npos);
}

TEST_F(KalvioCommands, RateListsEveryComparisonAndNamesTheOneItRefuses)
{
    const std::string ref = Write("ref.rvf", RatingPulse(0.0, "G"));
    const std::string late = Write("late.rvf", RatingPulse(0.002, "G"));
    const std::string force = Write("force.rvf", RatingPulse(0.0, "N"));
    RunResult r = Kalvio("rate '" + ref + "' '" + late + "' '" + force + "'");
    EXPECT_EQ(r.status, 1);
    // 20 samples of 1001 late: phase 1 - (20 / 1001) / 0.2.
    EXPECT_EQ(r.out.rfind(late + ": rating 0.", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("  phase 0.900  magnitude 1.000  slope 1.000  shift 2 ms\n"), std::string::npos) << r.out;
    ASSERT_EQ(r.err.size(), 1u);
    EXPECT_NE(r.err[0].find(force + ": Kalvio::Rate - Cannot rate"), std::string::npos) << r.err[0];

    r = Kalvio("rate '" + ref + "' '" + late + "' --from 0.01 --to=0.09 --json");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"comparison\": \"" + late + "\",\n    \"rating\": 0.9"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"shift\": 2.0,\n    \"span\": [\n      0.01,\n      0.09\n    ],\n    \"resampled\": false"),
              std::string::npos) << r.out;
    EXPECT_EQ(Kalvio("rate '" + ref + "'").status, 2);
    EXPECT_EQ(Kalvio("rate '" + ref + "' '" + late + "' --from 0.05 --to 0.01").status, 2);
}
