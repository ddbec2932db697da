// Simulation results as channels: the shared public binout samples with
// their known values, runs written by our own container writer (split,
// big-endian, a variable starting part-way), every kind of damaged
// container, the units, and the ASCII files against the binout they come
// from.
#include "SimAsciiText.h"
#include "Simulation.h"
#include "SupportBinout.h"
#include "SupportFiles.h"
#include "SupportSignals.h"

#include "KVSignal.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const std::string kPouch = std::string(ONDREL_CAE_DATA_DIR) + "/pouch-impact.binout";
const std::string kSph = std::string(ONDREL_CAE_DATA_DIR) + "/sph-r12.binout";

std::unique_ptr<Simulation> OpenOk(const std::string& path)
{
    KVErrorList errors;
    auto sim = Simulation::Open(path, errors);
    EXPECT_TRUE(sim) << testing::PrintToString(ErrorLines(errors));
    return sim;
}

KVSignal Load(const Simulation& sim, const std::string& name, const SimUnits* units = nullptr)
{
    KVSignal s;
    KVErrorList errors;
    const size_t i = sim.Find(name);
    EXPECT_LT(i, sim.Channels().size()) << name;
    if (i < sim.Channels().size()) {
        EXPECT_TRUE(sim.LoadChannel(i, units, s, errors)) << testing::PrintToString(ErrorLines(errors));
    }
    return s;
}

TEST(SimulationSample, PouchImpactKnownValues)
{
    auto sim = OpenOk(kPouch);
    ASSERT_TRUE(sim);
    const KVSignal y = Load(*sim, "nodout/84340382/y_displacement");
    ASSERT_EQ(y.PointCount(), 601u);
    EXPECT_EQ(y.X()[0], 0.0f);
    EXPECT_EQ(y.X()[600], static_cast<float>(59.999637429078575));
    EXPECT_EQ(y.Y()[0], 0.0f);
    EXPECT_EQ(y.Y()[1], static_cast<float>(4.992227768525481e-4));
    EXPECT_EQ(y.Y()[600], static_cast<float>(121.14822387695312));
    EXPECT_EQ(y.XUnits(), "MODEL UNITS");
    EXPECT_EQ(y.YUnits(), "MODEL UNITS");
    EXPECT_EQ(y.TestTitle(), "History_node_1");
    EXPECT_EQ(Load(*sim, "nodout/84340382/cycle").Y()[0], 1.0f);
    // The run's last time is rcforc's, stored as a 4-byte real.
    EXPECT_EQ(sim->LastTime(), double(static_cast<float>(59.999637429078575)));

    // Eight contact sides, 0 the slave and 1 the master, titled by legend.
    const size_t i = sim->Find("rcforc/100000-slave/x_force");
    ASSERT_LT(i, sim->Channels().size());
    EXPECT_EQ(sim->Channels()[i].title, "Cell_Bearing_cont");
    EXPECT_EQ(sim->Channels()[sim->Find("rcforc/100002-master/z_force")].title, "Cell_Impaktor_cont");
    EXPECT_EQ(Load(*sim, "rcforc/100011-master/x_force").PointCount(), 601u);
}

// Channels read together share each state's array: every one must still get
// its own id's values, in the order asked, a channel asked twice included.
TEST(SimulationSample, ChannelsReadTogetherAsEachAlone)
{
    auto sim = OpenOk(kPouch);
    ASSERT_TRUE(sim);
    const char* names[] = {"rcforc/100003-master/x_force", "nodout/84340382/y_displacement",
                           "rcforc/100000-slave/x_force", "rcforc/100003-master/x_force", "rcforc/100011-slave/y_force"};
    std::vector<size_t> which;
    for (const char* n : names)
        which.push_back(sim->Find(n));
    std::vector<KVSignal> together;
    KVErrorList errors;
    ASSERT_TRUE(sim->LoadChannels(which, nullptr, together, errors));
    ASSERT_EQ(together.size(), which.size());
    for (size_t k = 0; k < which.size(); ++k) {
        const KVSignal alone = Load(*sim, names[k]);
        EXPECT_EQ(XOf(together[k]), XOf(alone)) << names[k];
        EXPECT_EQ(YOf(together[k]), YOf(alone)) << names[k];
        EXPECT_EQ(together[k].CurveText(), names[k]);
    }
    EXPECT_NE(YOf(together[0]), YOf(together[2]));
}

TEST(SimulationSample, UnitsScaleTimeAndValues)
{
    auto sim = OpenOk(kPouch);
    ASSERT_TRUE(sim);
    SimUnits units;
    std::string why;
    ASSERT_TRUE(SimParseUnits("mm-ms-kg-kN", units, why)) << why;
    const KVSignal y = Load(*sim, "nodout/84340382/y_displacement", &units);
    EXPECT_EQ(y.XUnits(), "SECONDS");
    EXPECT_EQ(y.YUnits(), "MILLIMETERS");
    EXPECT_FLOAT_EQ(y.X()[600], 0.059999637f);
    EXPECT_EQ(y.Y()[600], static_cast<float>(121.14822387695312));
    const KVSignal f = Load(*sim, "rcforc/100000-slave/x_force", &units);
    EXPECT_EQ(f.YUnits(), "NEWTONS");
    const KVSignal a = Load(*sim, "nodout/84340382/x_acceleration", &units);
    EXPECT_EQ(a.YUnits(), "G'S");
}

TEST(SimulationSample, GlobalFilesAndSubtrees)
{
    auto sim = OpenOk(kSph);
    ASSERT_TRUE(sim);
    const KVSignal ke = Load(*sim, "glstat/kinetic_energy");
    EXPECT_EQ(ke.PointCount(), 88u);
    EXPECT_LT(sim->Find("matsum/1/internal_energy"), sim->Channels().size());
    EXPECT_LT(sim->Find("rwforc/forces/1/normal_force"), sim->Channels().size());
    // rcforc has metadata but no state: no channel.
    for (const SimChannelInfo& c : sim->Channels())
        EXPECT_NE(c.file, "rcforc") << c.name;
}

TEST(SimUnits, ConsistentSetsAndTheirScales)
{
    struct Case {
        const char* text;
        SimQuantity q;
        double scale;
    };
    const Case cases[] = {
        {"mm-ms-kg-kN", SimQuantity::Time, 1e-3},
        {"mm-ms-kg-kN", SimQuantity::Acceleration, 1000 / 9.80665},
        {"mm-ms-kg-kN", SimQuantity::Force, 1000},
        {"mm-ms-kg-kN", SimQuantity::Energy, 1},
        {"mm-ms-kg-kN", SimQuantity::Velocity, 1},
        {"mm-s-t-N", SimQuantity::Acceleration, 1e-3 / 9.80665},
        {"mm-s-t-N", SimQuantity::Moment, 1e-3},
        {"m-s-kg-N", SimQuantity::Length, 1000},
        {"in-s-slinch-lbf", SimQuantity::Force, 4.4482216152605},
    };
    for (const Case& c : cases) {
        SimUnits u;
        std::string why;
        ASSERT_TRUE(SimParseUnits(c.text, u, why)) << c.text << ": " << why;
        EXPECT_NEAR(SimScale(c.q, u), c.scale, 1e-9 * c.scale) << c.text;
    }
    for (const char* bad : {"mm-ms-kg-N", "mm-ms-lb-kN", "mm-ms-kg", "", "mm-ms-kg-kN-x"}) {
        SimUnits u;
        std::string why;
        EXPECT_FALSE(SimParseUnits(bad, u, why)) << bad;
        EXPECT_FALSE(why.empty()) << bad;
    }
    EXPECT_EQ(SimQuantityOf("rx_velocity"), SimQuantity::AngularVelocity);
    EXPECT_EQ(SimQuantityOf("x_velocity"), SimQuantity::Velocity);
    EXPECT_EQ(SimQuantityOf("x_momentum"), SimQuantity::Momentum);
    EXPECT_EQ(SimQuantityOf("kinetic_energy"), SimQuantity::Energy);
    EXPECT_EQ(SimQuantityOf("cycle"), SimQuantity::None);
}

TEST(SimFortranNumber, FixedWidthFields)
{
    struct Case {
        const char* field;
        double value;
    };
    const Case good[] = {
        {"-7.66720-110", -7.6672e-110}, {" 1.23456E+02", 123.456},  {"-5.49632E-09", -5.49632e-9},
        {"  1.0D+03", 1000.0},          {"-0.00000E+00", 0.0},      {"   84340382", 84340382.0},
        {"1.5+300", 1.5e300},           {" 2.50000E-01 ", 0.25},
    };
    for (const Case& c : good) {
        double v = 0;
        EXPECT_TRUE(SimFortranNumber(c.field, v)) << c.field;
        EXPECT_DOUBLE_EQ(v, c.value) << c.field;
    }
    for (const char* bad : {"", "    ", "1.2.3", "abc", "1.0E", "1.0E+", "-", "1.0 2.0", "1.0E+03x", "9.9E+999"}) {
        double v = 0;
        EXPECT_FALSE(SimFortranNumber(bad, v)) << bad;
    }
}

// A run of three states written by our container writer, split as a solver
// splits it: state 1 in binout0000, state 2 in binout0001, state 3 in the
// continuation binout0000%001; "x_force" first appears in state 2.
void WriteSplitRun(const TempDir& dir, bool bigEndian)
{
    const double times[] = {0.0, 0.5, 1.0};
    for (int s = 0; s < 3; ++s) {
        BinoutWriter w(bigEndian);
        if (s == 0) {
            w.Cd("/nodout/metadata");
            w.Values("ids", 4, {7, 9});
            w.Text("title", "split run");
            w.Values("legend_ids", 4, {9});
            w.Text("legend", std::string("node nine") + std::string(71, ' '));
        }
        char folder[32];
        std::snprintf(folder, sizeof folder, "/nodout/d%06d", s + 1);
        w.Cd(folder);
        w.Values("time", 10, {times[s]});
        w.Values("x_displacement", 9, {10.0 * s, 20.0 * s});
        if (s > 0)
            w.Values("x_force", 10, {1.0 * s, -1.0 * s});
        w.EndPart();
        const char* names[] = {"binout0000", "binout0001", "binout0000%001"};
        WriteAll(dir.Path(names[s]), w.Bytes());
    }
    WriteText(dir.Path("binout0000.txt"), "not part of the run");
}

TEST(SimulationBinout, SplitRunReadsAsOneAndLateVariablesStartThere)
{
    for (bool big : {false, true}) {
        TempDir dir;
        WriteSplitRun(dir, big);
        auto sim = OpenOk(dir.Path("binout0001"));
        ASSERT_TRUE(sim);
        EXPECT_EQ(sim->Files().size(), 3u);
        const KVSignal d = Load(*sim, "nodout/9/x_displacement");
        EXPECT_EQ(XOf(d), (std::vector<float>{0.0f, 0.5f, 1.0f}));
        EXPECT_EQ(YOf(d), (std::vector<float>{0.0f, 20.0f, 40.0f}));
        const KVSignal f = Load(*sim, "nodout/7/x_force");
        EXPECT_EQ(XOf(f), (std::vector<float>{0.5f, 1.0f}));
        EXPECT_EQ(YOf(f), (std::vector<float>{1.0f, 2.0f}));
        EXPECT_EQ(sim->Channels()[sim->Find("nodout/9/x_force")].title, "node nine");
        EXPECT_EQ(sim->Channels()[sim->Find("nodout/7/x_force")].title, "split run");
    }
}

// One state of one node; parts and records at known places for damaging.
BinoutWriter OneState()
{
    BinoutWriter w;
    w.Cd("/nodout/metadata");
    w.Values("ids", 4, {1});
    w.Cd("../d000001");
    w.Values("time", 9, {0.0});
    w.Values("x_force", 9, {1.0});
    w.EndPart();
    w.Cd("/nodout/d000002");
    w.Values("time", 9, {1.0});
    w.Values("x_force", 9, {2.0});
    w.EndPart();
    return w;
}

void Put64(Bytes& b, uint64_t at, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(SimulationBinout, DamagedContainersAreRefusedWithAReason)
{
    const BinoutWriter w = OneState();
    const Bytes good = w.Bytes();
    const uint64_t part2 = w.parts[1];
    const uint64_t forceRecord = w.variableRecords.at("/nodout/d000002/x_force");
    uint64_t part1Length = 0;
    for (int i = 7; i >= 0; --i)
        part1Length = part1Length << 8 | good[w.parts[0] + static_cast<size_t>(i)];
    const uint64_t endOfPart1 = w.parts[0] + part1Length - 8; // the ENDSYMBOLTABLE's offset field
    // The VARIABLE record: length, command, name, type id, offset, count.
    const uint64_t typeAt = forceRecord + 9 + 7, offsetAt = typeAt + 1, countAt = offsetAt + 8;
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        const char* message;
    };
    const Case cases[] = {
        {"truncated in the last table part", [&](Bytes& b) { b.resize(part2 + 20); }, "is truncated"},
        {"truncated to its header", [&](Bytes& b) { b.resize(8); }, "no symbol table offset"},
        {"a table part pointing at itself", [&](Bytes& b) { Put64(b, endOfPart1, w.parts[0]); }, "points back"},
        {"a table part outside the file", [&](Bytes& b) { Put64(b, endOfPart1, b.size() + 100); }, "beyond"},
        {"a count beyond the file", [&](Bytes& b) { Put64(b, countAt, uint64_t(1) << 60); }, "lies beyond"},
        {"an offset beyond the file", [&](Bytes& b) { Put64(b, offsetAt, b.size() - 2); }, "lies beyond"},
        {"an unknown type id", [&](Bytes& b) { b[typeAt] = 11; }, "unknown type id 11"},
        {"a record longer than its part", [&](Bytes& b) { Put64(b, forceRecord, 1 << 20); }, "does not fit"},
        {"a record shorter than its head", [&](Bytes& b) { Put64(b, forceRecord, 3); }, "does not fit"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        Bytes b = good;
        c.damage(b);
        WriteAll(dir.Path("run.binout"), b);
        KVErrorList errors;
        EXPECT_FALSE(Simulation::Open(dir.Path("run.binout"), errors)) << c.what;
        ASSERT_EQ(errors.ErrorCount(), 1) << c.what;
        EXPECT_NE(errors.ErrorMessage(0).find(c.message), std::string::npos) << c.what << ": " << errors.ErrorMessage(0);
    }
}

TEST(SimulationBinout, DataThatIsNotWhereTheTableSaysAndTimeGoingBackwards)
{
    BinoutWriter w = OneState();
    Bytes b = w.Bytes();
    TempDir dir;
    // The second state's data record named as if it held an 8-byte real.
    const uint64_t offsetAt = w.variableRecords.at("/nodout/d000002/x_force") + 9 + 7 + 1;
    Put64(b, offsetAt, w.variableRecords.at("/nodout/d000001/time") - 0); // a table record, not data
    WriteAll(dir.Path("a"), b);
    KVErrorList errors;
    auto sim = Simulation::Open(dir.Path("a"), errors);
    ASSERT_TRUE(sim);
    KVSignal s;
    EXPECT_FALSE(sim->LoadChannel(sim->Find("nodout/1/x_force"), nullptr, s, errors));
    EXPECT_NE(errors.ErrorMessage(0).find("that is not there"), std::string::npos) << errors.ErrorMessage(0);

    // Time going backwards: state 2 at -1.
    BinoutWriter back;
    back.Cd("/glstat/d000001");
    back.Values("time", 9, {0.0});
    back.Values("kinetic_energy", 9, {1.0});
    back.Cd("../d000002");
    back.Values("time", 9, {-1.0});
    back.Values("kinetic_energy", 9, {2.0});
    back.EndPart();
    WriteAll(dir.Path("b"), back.Bytes());
    KVErrorList e2;
    auto sim2 = Simulation::Open(dir.Path("b"), e2);
    ASSERT_TRUE(sim2);
    EXPECT_FALSE(sim2->LoadChannel(sim2->Find("glstat/kinetic_energy"), nullptr, s, e2));
    EXPECT_NE(e2.ErrorMessage(0).find("time goes backwards at state 2"), std::string::npos) << e2.ErrorMessage(0);
}

TEST(SimulationBinout, NotASimulation)
{
    TempDir dir;
    WriteText(dir.Path("x.txt"), "time,value\n0,1\n");
    KVErrorList errors;
    EXPECT_FALSE(Simulation::Open(dir.Path("x.txt"), errors));
    EXPECT_NE(errors.ErrorMessage(0).find("is no simulation"), std::string::npos);
    EXPECT_FALSE(SimIsSimulationPath(dir.Path("x.txt")));
    EXPECT_TRUE(SimIsSimulationPath(kPouch));
}

} // namespace
