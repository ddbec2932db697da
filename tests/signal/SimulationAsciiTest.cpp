// The solver's ASCII files against the binout they come from: written here
// in the published layouts from the channels of the shared sample, read
// back, and compared to the digits they print; rows that do not fit.
#include "SimAsciiText.h"
#include "Simulation.h"
#include "SupportFiles.h"
#include "SupportSignals.h"

#include "KVSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const std::string kPouch = std::string(ONDREL_CAE_DATA_DIR) + "/pouch-impact.binout";
const std::string kSph = std::string(ONDREL_CAE_DATA_DIR) + "/sph-r12.binout";

// v as Fortran writes it in width characters with decimals digits: a
// three-digit exponent loses its letter.
std::string Fortran(double v, int width, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*E", decimals, v);
    std::string s = buf;
    const size_t e = s.find('E');
    if (s.size() - e - 2 == 3)
        s.erase(e, 1);
    return std::string(static_cast<size_t>(std::max(0, width - static_cast<int>(s.size()))), ' ') + s;
}

struct Loaded {
    std::unique_ptr<Simulation> sim;
    std::vector<KVSignal> channels;
};

Loaded LoadAll(const std::string& path)
{
    Loaded out;
    KVErrorList errors;
    out.sim = Simulation::Open(path, errors);
    EXPECT_TRUE(out.sim) << testing::PrintToString(ErrorLines(errors));
    if (!out.sim)
        return out;
    for (size_t i = 0; i < out.sim->Channels().size(); ++i) {
        out.channels.emplace_back();
        EXPECT_TRUE(out.sim->LoadChannel(i, nullptr, out.channels.back(), errors));
    }
    return out;
}

const KVSignal& Named(const Loaded& l, const std::string& name)
{
    const size_t i = l.sim->Find(name);
    EXPECT_LT(i, l.channels.size()) << name;
    return l.channels.at(i);
}

// nodout in its published layout: "%9d" id, 13 characters, then 12 each.
std::string Nodout(const Loaded& b, const std::string& id, int decimals)
{
    const char* heading = " nodal point  x-disp     y-disp      z-disp      x-vel       y-vel       z-vel      x-accl"
                          "      y-accl      z-accl      x-coor      y-coor      z-coor\n";
    const char* rotHeading = " nodal point  x-rot      y-rot       z-rot       x-rot vel   y-rot vel   z-rot vel"
                             "   x-rot acc   y-rot acc   z-rot acc\n";
    std::string text = " Pouch_macro_37Ah\n ls-dyna mpp s R11.1.     date 08/12/2019\n{BEGIN LEGEND}\n"
                       " Entity #        Title\n" +
                       std::string(9 - id.size(), ' ') + id + "     History_node_1\n{END LEGEND}\n";
    const KVSignal& first = Named(b, "nodout/" + id + "/x_displacement");
    for (size_t k = 0; k < first.PointCount(); ++k) {
        char state[160];
        std::snprintf(state, sizeof state, "%s%8zu%30s( at time%14.7E )\n\n", std::string(kNodoutStateLine).c_str(),
                      k + 1, "", double(first.X()[k]));
        for (int block = 0; block < 2; ++block) {
            const char* const* names = block ? kNodoutRotational : kNodoutTranslational;
            const int columns = block ? 9 : 12;
            text += std::string("\n") + state + (block ? rotHeading : heading);
            text += std::string(9 - id.size(), ' ') + id;
            for (int c = 0; c < columns; ++c)
                text += Fortran(Named(b, "nodout/" + id + "/" + names[c]).Y()[k], c == 0 ? 13 : 12, decimals);
            text += "\n";
        }
    }
    return text;
}

// Whether x agrees with ref to the digits printed: half a unit of the last
// of decimals digits after the mantissa's point, and the float rounding of
// the value read back.
void ExpectNear(double x, double ref, int decimals, const std::string& what)
{
    const double unit = ref == 0 ? 0 : std::pow(10.0, std::floor(std::log10(std::fabs(ref))) - decimals);
    ASSERT_LE(std::fabs(x - ref), 0.5 * unit * 1.0001 + std::fabs(ref) * 1.2e-7) << what << ": " << x << " for " << ref;
}

void ExpectPrinted(const KVSignal& a, const KVSignal& b, int decimals, int timeDecimals, const std::string& what)
{
    ASSERT_EQ(a.PointCount(), b.PointCount()) << what;
    for (size_t k = 0; k < a.PointCount(); ++k) {
        ExpectNear(a.Y()[k], b.Y()[k], decimals, what);
        ExpectNear(a.X()[k], b.X()[k], timeDecimals, what + " (time)");
    }
}

TEST(SimulationAscii, NodoutAgreesWithItsBinoutToThePrintedDigits)
{
    const Loaded binout = LoadAll(kPouch);
    ASSERT_TRUE(binout.sim);
    for (int decimals : {4, 5}) {
        TempDir dir;
        WriteText(dir.Path("nodout"), Nodout(binout, "84340382", decimals));
        const Loaded ascii = LoadAll(dir.Path("nodout"));
        ASSERT_TRUE(ascii.sim);
        EXPECT_EQ(ascii.sim->Kind(), "nodout");
        EXPECT_EQ(ascii.sim->Channels().size(), 21u);
        for (size_t i = 0; i < ascii.sim->Channels().size(); ++i) {
            const SimChannelInfo& c = ascii.sim->Channels()[i];
            EXPECT_EQ(c.title, "History_node_1");
            ExpectPrinted(ascii.channels[i], Named(binout, c.name), decimals, 7, c.name);
        }
    }
}

TEST(SimulationAscii, GlstatAndMatsumAgreeWithTheirBinout)
{
    const Loaded b = LoadAll(kSph);
    ASSERT_TRUE(b.sim);
    const char* energies[] = {"kinetic_energy", "internal_energy", "total_energy", "energy_ratio", "external_work"};
    std::string glstat = " sph\n ls-dyna smp d R12     date 01/01/2022\n\n g l o b a l   s t a t i s t i c s\n";
    std::string matsum = " sph\n ls-dyna smp d R12     date 01/01/2022\n\n m a t e r i a l   e n e r g i e s\n";
    const KVSignal& t = Named(b, "glstat/kinetic_energy");
    const KVSignal& mt = Named(b, "matsum/1/internal_energy");
    for (size_t k = 0; k < t.PointCount(); ++k) {
        glstat += "\n dt of cycle      1 is controlled by solid      1 of part      1\n\n";
        glstat += " time...........................  " + Fortran(t.X()[k], 12, 5) + "\n";
        for (const char* e : energies) {
            std::string label = e == std::string("energy_ratio") ? "total energy / initial energy" : e;
            for (char& c : label)
                c = c == '_' ? ' ' : c;
            label += std::string(31 - label.size(), '.');
            glstat += " " + label + "  " + Fortran(Named(b, std::string("glstat/") + e).Y()[k], 12, 5) + "\n";
        }
        glstat += " cpu time per zone cycle........          nan nanoseconds\n";
        matsum += "\n time =" + Fortran(mt.X()[k], 13, 4) + "\n";
        for (const char* part : {"1", "101"}) {
            auto v = [&](const char* var) { return Fortran(Named(b, std::string("matsum/") + part + "/" + var).Y()[k], 12, 4); };
            matsum += std::string(" mat.#=") + std::string(5 - std::strlen(part), ' ') + part + "   inten=" + v("internal_energy") + "     kinen=" +
                      v("kinetic_energy") + "  eroded_ie=" + v("eroded_internal_energy") + " eroded_ke=" +
                      v("eroded_kinetic_energy") + "\n x-mom=" + v("x_momentum") + "   y-mom=" + v("y_momentum") +
                      "   z-mom=" + v("z_momentum") + "\n x-rbv=" + v("x_rbvelocity") + "   y-rbv=" +
                      v("y_rbvelocity") + "   z-rbv=" + v("z_rbvelocity") + "\n hgeng=" + v("hourglass_energy") + "\n";
        }
    }
    TempDir dir;
    WriteText(dir.Path("glstat"), glstat);
    WriteText(dir.Path("matsum"), matsum);
    const Loaded g = LoadAll(dir.Path("glstat"));
    const Loaded m = LoadAll(dir.Path("matsum"));
    ASSERT_TRUE(g.sim && m.sim);
    EXPECT_EQ(g.sim->Channels().size(), 5u);
    for (const char* e : energies)
        ExpectPrinted(Named(g, std::string("glstat/") + e), Named(b, std::string("glstat/") + e), 5, 5, e);
    EXPECT_EQ(m.sim->Channels().size(), 2u * 11u);
    for (size_t i = 0; i < m.sim->Channels().size(); ++i)
        ExpectPrinted(m.channels[i], Named(b, m.sim->Channels()[i].name), 4, 4, m.sim->Channels()[i].name);
}

TEST(SimulationAscii, RcforcAndSecforcLinesByColumn)
{
    // Values run together and an exponent without its letter.
    auto side = [](const char* which, double time, const char* x, const char* z, const char* mass) {
        char line[200];
        std::snprintf(line, sizeof line, "  %-6s%11d time%12.5E  x%s  y 0.00000E+00  z%s mass%s\n", which, 100000, time,
                      x, z, mass);
        return std::string(line);
    };
    const std::string rcforc = " model\n ls-dyna\n\n r e s u l t a n t   i n t e r f a c e   f o r c e s\n\n" +
                               side("slave", 0, "-5.49632E-09", " 1.00000E+00", " 0.00000E+00") +
                               side("master", 0, " 5.49632E-09", "-1.00000E+00", " 0.00000E+00") +
                               side("slave", 1e-3, "-7.66720-110", " 2.00000E+00", " 1.00000E+00") +
                               side("master", 1e-3, " 7.66720-110", "-2.00000E+00", " 1.00000E+00");
    char first[200];
    std::snprintf(first, sizeof first, "%12d%15.5E", 1, 0.0);
    const std::string secforc =
        " model\n ls-dyna\n\n c r o s s   s e c t i o n   f o r c e s\n\n" + std::string(first) +
        "  x-force= 1.0000E+00  y-force=-2.0000E+00  z-force= 0.0000E+00  magnitude= 2.2361E+00\n"
        "  global system  x-moment= 3.0000E+00  y-moment= 0.0000E+00  z-moment= 4.0000E+00  magnitude= 5.0000E+00\n"
        "  x-centroid= 1.0000E+01  y-centroid= 2.0000E+01  z-centroid= 3.0000E+01  area= 6.0000E+02\n";
    TempDir dir;
    WriteText(dir.Path("rcforc"), rcforc);
    WriteText(dir.Path("secforc"), secforc);
    const Loaded r = LoadAll(dir.Path("rcforc"));
    ASSERT_TRUE(r.sim);
    EXPECT_EQ(YOf(Named(r, "rcforc/100000-slave/x_force")), (std::vector<float>{-5.49632e-9f, static_cast<float>(-7.6672e-110)}));
    EXPECT_EQ(XOf(Named(r, "rcforc/100000-master/z_force")), (std::vector<float>{0.0f, 1e-3f}));
    EXPECT_EQ(YOf(Named(r, "rcforc/100000-master/z_force")), (std::vector<float>{-1.0f, -2.0f}));
    const Loaded s = LoadAll(dir.Path("secforc"));
    ASSERT_TRUE(s.sim);
    EXPECT_EQ(YOf(Named(s, "secforc/1/y_force")), std::vector<float>{-2.0f});
    EXPECT_EQ(YOf(Named(s, "secforc/1/total_force")), std::vector<float>{2.2361f});
    EXPECT_EQ(YOf(Named(s, "secforc/1/total_moment")), std::vector<float>{5.0f});
    EXPECT_EQ(YOf(Named(s, "secforc/1/area")), std::vector<float>{600.0f});
}

TEST(SimulationAscii, RowsThatDoNotFitAreRefusedWithTheirLine)
{
    const std::string head = " t\n ls-dyna\n\n" + std::string(kNodoutStateLine) +
                             "       1                              ( at time 0.0000000E+00 )\n"
                             " nodal point  x-disp     y-disp      z-disp\n";
    std::string values = "   0.0000E+00";
    for (int k = 0; k < 11; ++k)
        values += "  0.0000E+00";
    struct Case {
        std::string row;
        const char* message;
    };
    const Case cases[] = {
        {"        1" + values + "0", "nodout:6: a nodout row of 155 characters does not fit its 12 columns"},
        {"        1" + values.substr(0, values.size() - 12), "nodout:6: a nodout row of 142 characters"},
        {"        1" + values.substr(0, values.size() - 12) + "  0.0000X+00",
         "nodout:6: column 12 of a nodout row is no number"},
        {"      1.5" + values, "nodout:6: a nodout row without its node id"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteText(dir.Path("nodout"), head + c.row + "\n");
        KVErrorList errors;
        EXPECT_FALSE(Simulation::Open(dir.Path("nodout"), errors)) << c.row;
        ASSERT_EQ(errors.ErrorCount(), 1);
        EXPECT_NE(errors.ErrorMessage(0).find(c.message), std::string::npos) << errors.ErrorMessage(0);
    }
}

} // namespace
