// The solver's ASCII files against the binout they come from: written here
// in the published layouts from the channels of the shared sample (or of a
// binout written here for the restraints), read back, and compared to the
// digits they print; rows that do not fit.
#include "SimAsciiText.h"
#include "Simulation.h"
#include "SupportBinout.h"
#include "SupportFiles.h"
#include "SupportSignals.h"

#include "KVSignal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

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

// A binout of the restraints and discrete elements: 3 states; values of
// many magnitudes, negative ones beside each other, one beyond 1e-99.
struct RestraintBranch {
    const char* path;
    std::vector<std::pair<const char*, std::vector<double>>> ids; // metadata arrays
    std::vector<const char*> variables;
};

const RestraintBranch kRestraints[] = {
    {"sbtout",
     {{"belt_ids", {1, 2}}, {"slipring_ids", {5}}, {"retractor_ids", {1}}},
     {"belt_force", "belt_length", "ring_slip", "retractor_pull_out", "retractor_force"}},
    {"jntforc/joints",
     {{"ids", {10, 20}}},
     {"x_force", "y_force", "z_force", "x_moment", "y_moment", "z_moment", "resultant_force", "resultant_moment"}},
    {"deforc", {{"ids", {7}}}, {"x_force", "y_force", "z_force", "resultant_force", "displacement"}},
    {"abstat",
     {{"ids", {1, 2}}},
     {"volume", "pressure", "internal_energy", "dm_dt_in", "dm_dt_out", "total_mass", "gas_temp", "density",
      "surface_area", "reaction"}},
};

double RestraintValue(size_t var, size_t id, int state)
{
    if (var == 2 && id == 0 && state == 1)
        return -7.6672e-110;
    return (state % 2 ? -1.0 : 1.0) * 0.7314159 * double(id + 1 + state) * std::pow(10.0, double(var) - 3.0);
}

std::string RestraintBinout(const TempDir& dir)
{
    BinoutWriter w;
    for (const RestraintBranch& b : kRestraints) {
        w.Cd(std::string("/") + b.path + "/metadata");
        w.Text("title", "restraints");
        for (const auto& [name, ids] : b.ids)
            w.Values(name, 4, ids);
        if (b.path == std::string("deforc")) {
            w.Values("legend_ids", 4, {7});
            w.Text("legend", "Load limiter" + std::string(68, ' '));
        }
    }
    for (int s = 0; s < 3; ++s) {
        for (const RestraintBranch& b : kRestraints) {
            char folder[64];
            std::snprintf(folder, sizeof folder, "/%s/d%06d", b.path, s + 1);
            w.Cd(folder);
            w.Values("time", 10, {1.25e-3 * s});
            for (size_t v = 0; v < b.variables.size(); ++v) {
                const std::string var = b.variables[v];
                size_t n = b.ids[0].second.size();
                for (const auto& [name, ids] : b.ids)
                    if (var.rfind(std::string(name).substr(0, std::string(name).find('_')), 0) == 0
                        || (var.rfind("ring_", 0) == 0 && name == std::string("slipring_ids")))
                        n = ids.size();
                std::vector<double> values;
                for (size_t k = 0; k < n; ++k)
                    values.push_back(RestraintValue(v, k, s));
                w.Values(var, 10, values);
            }
        }
        w.EndPart();
    }
    WriteAll(dir.Path("binout"), w.Bytes());
    return dir.Path("binout");
}

std::string Label(const std::string& text) { return " " + text + std::string(30 - text.size(), '.') + "  "; }

// The four files in the layouts the reader documents, from the binout's channels.
std::map<std::string, std::string> RestraintFiles(const Loaded& b)
{
    auto v = [&](const std::string& name, size_t k, int decimals) {
        return Fortran(Named(b, name).Y()[k], 12, decimals);
    };
    std::map<std::string, std::string> files;
    const std::string head = " restraints\n ls-dyna smp d R12     date 01/01/2022\n";
    files["sbtout"] = head + "\n s e a t b e l t   o u t p u t\n";
    files["jntforc"] = head + "\n j o i n t   f o r c e   r e s u l t a n t s\n";
    files["deforc"] = head + "{BEGIN LEGEND}\n Entity #        Title\n        7     Load limiter\n{END LEGEND}\n" +
                      "\n d i s c r e t e   e l e m e n t   f o r c e s\n";
    files["abstat"] = head + "\n a i r b a g   s t a t i s t i c s\n";
    const KVSignal& time = Named(b, "deforc/7/x_force");
    for (size_t k = 0; k < time.PointCount(); ++k) {
        const std::string t = "\n" + Label("time") + Fortran(time.X()[k], 12, 5) + "\n";
        char id[32];
        std::string& sbt = files["sbtout"];
        sbt += t;
        for (int belt : {1, 2}) {
            std::snprintf(id, sizeof id, "%8d", belt);
            const std::string pre = "sbtout/" + std::to_string(belt) + "/";
            sbt += std::string(" seat belt number=") + id + "   force=" + v(pre + "belt_force", k, 5) + "   length=" +
                   v(pre + "belt_length", k, 5) + "\n";
        }
        sbt += " slip ring number=       5   slip=" + v("sbtout/5/ring_slip", k, 5) + "\n";
        sbt += " retractor number=       1   pull-out=" + v("sbtout/1/retractor_pull_out", k, 5) + "   force=" +
               v("sbtout/1/retractor_force", k, 5) + "\n";
        std::string& jnt = files["jntforc"];
        jnt += t;
        for (int joint : {10, 20}) {
            std::snprintf(id, sizeof id, "%9d", joint);
            jnt += Label("joint ID") + id + "\n";
            for (const char* var : kRestraints[1].variables) {
                std::string label = var;
                for (char& c : label)
                    c = c == '_' ? (label.rfind("resultant", 0) == 0 ? ' ' : '-') : c;
                jnt += Label(label) + v("jntforc/joints/" + std::to_string(joint) + "/" + var, k, 5) + "\n";
            }
        }
        files["deforc"] += t + " spring/damper number     x-force     y-force     z-force   resultant displacement\n" +
                           "        7";
        for (const char* var : kRestraints[2].variables)
            files["deforc"] += v(std::string("deforc/7/") + var, k, 5);
        files["deforc"] += "\n";
        files["abstat"] += t + "  airbag #   volume    pressure    energy ...\n";
        for (int bag : {1, 2}) {
            std::snprintf(id, sizeof id, "%9d", bag);
            files["abstat"] += id;
            for (const char* var : kRestraints[3].variables)
                files["abstat"] += v("abstat/" + std::to_string(bag) + "/" + var, k, 4);
            files["abstat"] += "\n";
        }
    }
    return files;
}

TEST(SimulationAscii, RestraintFilesAgreeWithTheirBinout)
{
    TempDir dir;
    const Loaded b = LoadAll(RestraintBinout(dir));
    ASSERT_TRUE(b.sim);
    // One known value per kind, straight from the binout.
    EXPECT_EQ(YOf(Named(b, "sbtout/2/belt_length")), (std::vector<float>{float(0.7314159e-2 * 2), float(-0.7314159e-2 * 3), float(0.7314159e-2 * 4)}));
    EXPECT_EQ(Named(b, "sbtout/5/ring_slip").Y()[2], float(0.7314159e-1 * 3));
    EXPECT_EQ(Named(b, "jntforc/joints/20/z_moment").Y()[0], float(0.7314159e2 * 2));
    EXPECT_EQ(b.sim->Channels()[b.sim->Find("deforc/7/displacement")].title, "Load limiter");
    const std::map<std::string, std::string> files = RestraintFiles(b);
    const std::map<std::string, size_t> channels = {{"sbtout", 7}, {"jntforc", 16}, {"deforc", 5}, {"abstat", 20}};
    for (const auto& [kind, text] : files) {
        WriteText(dir.Path(kind + ".txt"), text); // found by its banner, not its name
        const Loaded a = LoadAll(dir.Path(kind + ".txt"));
        ASSERT_TRUE(a.sim) << kind;
        EXPECT_EQ(a.sim->Kind(), kind);
        EXPECT_EQ(a.sim->Channels().size(), channels.at(kind)) << kind;
        for (size_t i = 0; i < a.sim->Channels().size(); ++i) {
            const SimChannelInfo& c = a.sim->Channels()[i];
            ExpectPrinted(a.channels[i], Named(b, c.name), kind == "abstat" ? 4 : 5, 5, c.name);
        }
    }
    EXPECT_EQ(Named(b, "deforc/7/x_force").Y()[1], float(-0.7314159e-3 * 2));
}

TEST(SimulationAscii, RestraintRowsThatDoNotFitAreRefusedWithTheirLine)
{
    const std::string time = " time...........................   1.00000E-03\n";
    const std::string value = " 1.00000E+00";
    std::string deforcRow = "        7";
    for (int k = 0; k < 5; ++k)
        deforcRow += value;
    struct Case {
        const char* banner;
        std::string body;
        const char* message;
    };
    const Case cases[] = {
        {"d i s c r e t e   e l e m e n t   f o r c e s", time + deforcRow.substr(1), "f:5: deforc row of 68 characters does not fit its 5 columns (69 characters)"},
        {"d i s c r e t e   e l e m e n t   f o r c e s", time + deforcRow.substr(0, 45) + "  1.0000X+00" + value,
         "f:5: column 4 of the deforc row is no number"},
        {"d i s c r e t e   e l e m e n t   f o r c e s", deforcRow + "\n" + time, "f:4: deforc row before the first time"},
        {"d i s c r e t e   e l e m e n t   f o r c e s", " time...........................  none\n", "f:4: the time is no number"},
        {"s e a t b e l t   o u t p u t", time + " seat belt number=       1   force=" + value + "   length= 1.0000E+00",
         "f:5: a seat belt line without a number of 12 characters after \"length=\""},
        {"s e a t b e l t   o u t p u t", time + " retractor number=     one   pull-out=" + value,
         "f:5: a retractor line without its number"},
        {"j o i n t   f o r c e   r e s u l t a n t s", time + Label("x-force") + value,
         "f:5: a joint's x-force before its joint ID"},
        {"a i r b a g   s t a t i s t i c s", time + "      1.5" + std::string(120, ' '), "f:5: abstat row without its id"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteText(dir.Path("f"), " t\n ls-dyna\n " + std::string(c.banner) + "\n" + c.body + "\n");
        KVErrorList errors;
        EXPECT_FALSE(Simulation::Open(dir.Path("f"), errors)) << c.body;
        ASSERT_EQ(errors.ErrorCount(), 1) << c.body;
        EXPECT_NE(errors.ErrorMessage(0).find(c.message), std::string::npos) << errors.ErrorMessage(0);
    }
}

} // namespace
