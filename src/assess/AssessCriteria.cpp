#include "AssessCriteria.h"

#include "Clip3ms.h"
#include "Damage.h"
#include "Dummies.h"
#include "Hic.h"
#include "NeckCriteria.h"
#include "Olc.h"
#include "PeakLoads.h"
#include "ThorChest.h"
#include "TibiaIndex.h"
#include "ViscousCriterion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Assess {

namespace {

using Q = Criteria::Quantity;
const std::vector<Q> kAcc3 = {Q::Acceleration, Q::Acceleration, Q::Acceleration};
const std::vector<const char*> kXyz = {"X", "Y", "Z"};

// Times on the sample grid of a criterion's first channel: its first time
// comes from a 32-bit float (0.0752 rather than 0.07519999925).
struct Grid {
    explicit Grid(const Criteria::Channel& g) : ch(g), first(std::round(g.t0 / g.dt))
    {
        onGrid = std::fabs(g.t0 / g.dt - first) < 1e-3;
    }
    double At(size_t i) const { return onGrid ? (first + double(i)) * ch.dt : ch.TimeAt(i); }
    double Start() const { return onGrid ? first * ch.dt : ch.t0; }

    const Criteria::Channel& ch;
    double first;
    bool onGrid = false;
};

const std::vector<double>& Y(const ChannelSets& sets, size_t k)
{
    return sets[0][k].y;
}

// out from a peak found at a sample, its value times scale.
void TakePeak(const ChannelSets& sets, const Criteria::PeakResult& r, double scale, Computed& out)
{
    out.ok = r.found;
    out.value = r.found ? r.value * scale : 0;
    if (r.found)
        out.t1 = out.t2 = Grid(sets[0][0]).At(r.at);
}

double Peak(const std::vector<double>& v)
{
    double m = 0;
    for (double x : v)
        m = std::max(m, x);
    return m;
}

void Hic(const CriterionRow& row, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    const std::vector<double> a = Criteria::ResultantOf(sets[0]);
    out.peakResultant = Peak(a);
    const auto hic = Criteria::ComputeHic(a, sets[0][0].dt, {row.minSpan});
    out.ok = true; // no window of positive mean: HIC is 0
    out.value = hic[0].found ? hic[0].value : 0;
    if (hic[0].found) {
        const Grid grid(sets[0][0]);
        out.t1 = grid.At(hic[0].i1);
        out.t2 = grid.At(hic[0].i2);
    }
}

void Clip3ms(const CriterionRow&, const ChannelSets& sets, const ComputeContext& ctx, Computed& out)
{
    const std::vector<double> a = Criteria::ResultantOf(sets[0]);
    out.peakResultant = Peak(a);
    const Grid grid(sets[0][0]);
    if (ctx.cumulative3ms) {
        const Criteria::CumulativeClipResult clip = Criteria::ComputeCumulativeClip(a, sets[0][0].dt, 0.003);
        out.ok = clip.found;
        out.value = clip.value;
        if (clip.found && !clip.runs.empty()) {
            out.t1 = grid.At(clip.runs.front().first);
            out.t2 = grid.At(clip.runs.back().second);
        }
        if (clip.runs.size() > 1)
            out.notes.push_back("3 ms cumulative: " + std::to_string(clip.runs.size())
                                + " intervals at or above the value add up to 3 ms");
        return;
    }
    const Criteria::ClipResult clip = Criteria::ComputeClip(a, sets[0][0].dt, 0.003);
    out.ok = clip.found;
    out.value = clip.value;
    if (clip.found) {
        out.t1 = grid.At(clip.i1);
        out.t2 = grid.At(clip.i2);
    }
}

void Damage(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    const Criteria::DamageResult d = Criteria::ComputeDamage(Y(sets, 0), Y(sets, 1), Y(sets, 2), sets[0][0].dt);
    out.ok = d.found;
    out.value = d.value;
    if (d.found)
        out.t1 = out.t2 = Grid(sets[0][0]).At(d.at);
}

// An axial force in kN with its history for an exceedance curve: sign 1 for
// tension, -1 for compression, 0 for the magnitude (shear). Never in that
// direction: the peak is 0.
void AxialForce(const ChannelSets& sets, int sign, const Criteria::PeakResult& r, Computed& out)
{
    const std::vector<double>& f = Y(sets, 0);
    out.history.resize(f.size());
    for (size_t i = 0; i < f.size(); ++i)
        out.history[i] = (sign == 0 ? std::fabs(f[i]) : sign * f[i]) / 1000;
    TakePeak(sets, r, 0.001, out);
    if (!r.found) {
        out.ok = true;
        out.value = 0;
    }
}

void NeckTension(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    AxialForce(sets, 1, Criteria::PeakTension(Y(sets, 0)), out);
}

void NeckCompression(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    AxialForce(sets, -1, Criteria::PeakCompression(Y(sets, 0)), out);
}

void NeckShear(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    AxialForce(sets, 0, Criteria::PeakMagnitude(Y(sets, 0)), out);
}

void Femur(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    AxialForce(sets, -1, Criteria::PeakAxialCompression(Y(sets, 0)), out);
}

void NeckExtension(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    TakePeak(sets, Criteria::PeakExtension(Y(sets, 0), Y(sets, 1)), 1, out);
    out.ok = true;
}

void Nij(const CriterionRow&, const ChannelSets& sets, const ComputeContext& ctx, Computed& out)
{
    if (!ctx.dummy || !ctx.dummy->nij) {
        out.problem = "no Nij intercepts for this dummy";
        return;
    }
    TakePeak(sets, Criteria::ComputeNij(Y(sets, 0), Y(sets, 1), Y(sets, 2), *ctx.dummy->nij).overall, 1, out);
}

void PeakDeflection(const CriterionRow& row, const ChannelSets& sets, const ComputeContext& ctx, Computed& out)
{
    if (!row.compressive || !ctx.compressionPositive) {
        TakePeak(sets, Criteria::PeakMagnitude(Y(sets, 0)), 1, out);
        return;
    }
    // Turned so that compression is positive: the largest compression, 0 for none.
    TakePeak(sets, Criteria::PeakTension(Y(sets, 0)), 1, out);
    out.ok = true;
}

void Vc(const CriterionRow&, const ChannelSets& sets, const ComputeContext& ctx, Computed& out)
{
    if (!ctx.dummy || !ctx.dummy->vc) {
        out.problem = "no viscous criterion constants for this dummy (its scaling factor and deformation constant)";
        return;
    }
    TakePeak(sets, Criteria::ComputeVc(Y(sets, 0), sets[0][0].dt, ctx.dummy->vc->scale, ctx.dummy->vc->depth).peak, 1, out);
}

void ThorChest(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    std::vector<Criteria::IrTracc> rods;
    for (const auto& set : sets)
        rods.push_back({&set[0].y, &set[1].y, &set[2].y});
    TakePeak(sets, Criteria::ComputeThorChest(rods, true).peak, 1, out);
}

void RibCompression(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    std::vector<std::vector<double>> ribs;
    for (const auto& set : sets)
        ribs.push_back(set[0].y);
    TakePeak(sets, Criteria::PeakRibCompression(ribs).peak, 1, out);
}

void PeakForce(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    TakePeak(sets, Criteria::PeakMagnitude(Y(sets, 0)), 0.001, out);
}

void Acetabulum(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    TakePeak(sets, Criteria::PeakResultant(Y(sets, 0), Y(sets, 1), Y(sets, 2)), 0.001, out);
}

void TibiaIndex(const CriterionRow&, const ChannelSets& sets, const ComputeContext& ctx, Computed& out)
{
    if (!ctx.dummy || !ctx.dummy->tibia) {
        out.problem = "no tibia index constants for this dummy";
        return;
    }
    TakePeak(sets, Criteria::ComputeTibiaIndex(Y(sets, 0), Y(sets, 1), Y(sets, 2), *ctx.dummy->tibia).peak, 1, out);
}

void TibiaCompression(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    TakePeak(sets, Criteria::PeakAxialCompression(Y(sets, 0)), 0.001, out);
    out.ok = true;
}

// The rate of a deflection (compression positive) by the five-point
// difference the viscous criterion uses, m/s; its largest value.
void DeflectionRate(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    const std::vector<double>& d = Y(sets, 0);
    const double dt = sets[0][0].dt;
    Criteria::PeakResult peak;
    for (size_t i = 2; i + 2 < d.size(); ++i) {
        const double v = (8 * (d[i + 1] - d[i - 1]) - (d[i + 2] - d[i - 2])) / (12 * dt) / 1000;
        if (!peak.found || v > peak.value)
            peak.Offer(v, i);
    }
    TakePeak(sets, peak, 1, out);
}

// The peak of the sum of a set's forces (the abdomen's three, the pelvis's
// acetabulum and iliac wing), kN.
void ForceSum(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    std::vector<double> sum(Y(sets, 0).size(), 0.0);
    for (const Criteria::Channel& ch : sets[0])
        for (size_t i = 0; i < sum.size() && i < ch.y.size(); ++i)
            sum[i] += ch.y[i];
    TakePeak(sets, Criteria::PeakMagnitude(sum), 0.001, out);
}

void ResultantPeak(const CriterionRow&, const ChannelSets& sets, const ComputeContext&, Computed& out)
{
    TakePeak(sets, Criteria::PeakResultant(Y(sets, 0), Y(sets, 1), Y(sets, 2)), 1, out);
}

void Olc(const CriterionRow&, const ChannelSets& sets, const ComputeContext& ctx, Computed& out)
{
    const Criteria::Channel& g = sets[0][0];
    const double v = ctx.v0 > 0 ? ctx.v0 : g.initialVelocity;
    if (!(v > 0)) {
        out.problem = "no initial velocity (neither an input nor the header gives one)";
        return;
    }
    const Criteria::OlcResult r = Criteria::ComputeOlc(g.y, g.dt, v);
    if (!r.found) {
        out.problem = r.problem;
        return;
    }
    const double start = Grid(g).Start();
    out.ok = true;
    out.value = r.value;
    out.t1 = start + r.t1;
    out.t2 = start + r.t2;
}

// Which way a deflection moves under compression, by where it is measured
// (code characters 3-6, 7-8 and 15), as the dummies' sign conventions give
// it: the sternum of a frontal dummy moves back (-X); a rib or the abdomen
// of a side dummy moves toward the dummy's centre (+Y on the left, -Y on
// the right).
struct CompressionRow {
    const char* main;
    const char* side; // "" for any
    char direction;
    int sign;
    const char* toward;
};
constexpr CompressionRow kCompression[] = {
    {"CHST", "", 'X', -1, "-X"},  {"TRRI", "LE", 'Y', 1, "+Y"}, {"TRRI", "RI", 'Y', -1, "-Y"},
    {"ABRI", "LE", 'Y', 1, "+Y"}, {"ABRI", "RI", 'Y', -1, "-Y"}, {"CHST", "LE", 'Y', 1, "+Y"},
    {"CHST", "RI", 'Y', -1, "-Y"}, {"ABDO", "LE", 'Y', 1, "+Y"}, {"ABDO", "RI", 'Y', -1, "-Y"},
};

// A deflection held the wrong way round by less than this (mm) is noise.
constexpr double kInvertedAbove = 1.0;

} // namespace

bool OrientForCompression(Criteria::Channel& ch, std::string& inverted)
{
    inverted.clear();
    const std::string& code = ch.code;
    if (code.size() != 16)
        return false;
    const CompressionRow* row = nullptr;
    for (const CompressionRow& r : kCompression)
        if (code.compare(2, 4, r.main) == 0 && code[14] == r.direction && (!*r.side || code.compare(6, 2, r.side) == 0)) {
            row = &r;
            break;
        }
    if (!row)
        return false;
    double compressed = 0, opened = 0;
    for (double& y : ch.y) {
        y *= row->sign;
        compressed = std::max(compressed, y);
        opened = std::max(opened, -y);
    }
    if (opened > compressed && opened > kInvertedAbove) {
        char text[64];
        std::snprintf(text, sizeof text, "%.1f mm", -row->sign * opened);
        inverted = code + ": its largest excursion (" + text + ") lies on the non-compressive side (it compresses toward "
                   + row->toward + "); is the channel's sign inverted?";
    }
    return true;
}

const std::vector<CriterionRow>& CriterionRows()
{
    static const std::vector<CriterionRow> rows = {
        {"hic15", "HIC15", "", kAcc3, kXyz, SetRule::Worst, 0.015, false, Hic},
        {"hic36", "HIC36", "", kAcc3, kXyz, SetRule::Worst, 0.036, false, Hic},
        {"head_a3ms", "head 3 ms", "g", kAcc3, kXyz, SetRule::Worst, 0.003, false, Clip3ms},
        {"damage", "DAMAGE", "", {Q::AngularAcceleration, Q::AngularAcceleration, Q::AngularAcceleration},
         kXyz, SetRule::Worst, 0, false, Damage},
        {"neck_tension", "neck tension", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, true, NeckTension},
        {"neck_compression", "neck compression", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, true,
         NeckCompression},
        {"neck_shear", "neck shear", "kN", {Q::Force}, {"Fx"}, SetRule::Worst, 0, true, NeckShear},
        {"neck_extension", "neck extension", "Nm", {Q::Force, Q::Moment}, {"Fx", "My"}, SetRule::Worst, 0, false,
         NeckExtension},
        {"nij", "Nij", "", {Q::Force, Q::Moment, Q::Force}, {"Fx", "My", "Fz"}, SetRule::Worst, 0, false, Nij},
        {"chest_a3ms", "chest 3 ms", "g", kAcc3, kXyz, SetRule::Worst, 0.003, false, Clip3ms},
        {"chest_deflection", "chest deflection", "mm", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false,
         PeakDeflection, true},
        {"chest_vc", "chest VC", "m/s", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false, Vc, true},
        {"abdomen_vc", "abdomen VC", "m/s", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false, Vc, true},
        {"thor_chest_deflection", "chest deflection (4 points)", "mm", {Q::Deflection, Q::Angle, Q::Angle},
         {"L", "ay", "az"}, SetRule::All, 0, false, ThorChest},
        {"chest_lateral_compression", "chest lateral compression", "mm", {Q::Deflection}, {"D"}, SetRule::All, 0,
         false, RibCompression, true},
        {"abdomen_lateral_compression", "abdomen lateral compression", "mm", {Q::Deflection}, {"D"}, SetRule::All, 0,
         false, RibCompression, true},
        {"shoulder_lateral_force", "shoulder lateral force", "kN", {Q::Force}, {"Fy"}, SetRule::Worst, 0, false,
         PeakForce},
        {"shoulder_belt_force", "shoulder belt force", "kN", {Q::Force}, {"F"}, SetRule::Worst, 0, false, PeakForce},
        {"pubic_symphysis", "pubic symphysis force", "kN", {Q::Force}, {"Fy"}, SetRule::Worst, 0, false, PeakForce},
        {"acetabulum_left", "acetabulum left", "kN", {Q::Force, Q::Force, Q::Force}, kXyz, SetRule::Worst, 0, false,
         Acetabulum},
        {"acetabulum_right", "acetabulum right", "kN", {Q::Force, Q::Force, Q::Force}, kXyz, SetRule::Worst, 0,
         false, Acetabulum},
        {"femur_left", "femur left", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, true, Femur},
        {"femur_right", "femur right", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, true, Femur},
        {"knee_slider_left", "knee slider left", "mm", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false,
         PeakDeflection},
        {"knee_slider_right", "knee slider right", "mm", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false,
         PeakDeflection},
        {"tibia_index_left", "tibia index left", "", {Q::Moment, Q::Moment, Q::Force}, {"Mx", "My", "Fz"},
         SetRule::Worst, 0, false, TibiaIndex},
        {"tibia_index_right", "tibia index right", "", {Q::Moment, Q::Moment, Q::Force}, {"Mx", "My", "Fz"},
         SetRule::Worst, 0, false, TibiaIndex},
        {"tibia_compression_left", "tibia compression left", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, false,
         TibiaCompression},
        {"tibia_compression_right", "tibia compression right", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, false,
         TibiaCompression},
        {"olc", "OLC", "g", {Q::Acceleration}, {"ax"}, SetRule::Worst, 0, false, Olc},
        {"chest_deflection_rate", "chest deflection rate", "m/s", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false,
         DeflectionRate, true},
        {"abdomen_force", "abdomen force", "kN", {Q::Force, Q::Force, Q::Force}, {"front F", "middle F", "rear F"},
         SetRule::Worst, 0, false, ForceSum},
        {"pelvis_force", "pelvis force (acetabulum and iliac)", "kN", {Q::Force, Q::Force}, {"acetabulum F", "iliac F"},
         SetRule::Worst, 0, false, ForceSum},
        {"foot_acceleration_left", "foot acceleration left", "g", kAcc3, kXyz, SetRule::Worst, 0, false, ResultantPeak},
        {"foot_acceleration_right", "foot acceleration right", "g", kAcc3, kXyz, SetRule::Worst, 0, false,
         ResultantPeak},
    };
    return rows;
}

const CriterionRow* FindCriterionRow(const std::string& name)
{
    for (const CriterionRow& r : CriterionRows())
        if (name == r.name)
            return &r;
    return nullptr;
}

Computed ComputeCriterion(const CriterionRow& row, const ChannelSets& sets, const ComputeContext& ctx)
{
    Computed c;
    c.dt = sets[0][0].dt;
    row.compute(row, sets, ctx, c);
    if (!c.ok && c.problem.empty())
        c.problem = "too few samples for " + std::string(row.title);
    return c;
}

} // namespace Assess
