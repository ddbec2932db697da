#include "AssessCriteria.h"

namespace Assess {

namespace {
using Q = Criteria::Quantity;
const std::vector<Q> kAcc3 = {Q::Acceleration, Q::Acceleration, Q::Acceleration};
const std::vector<const char*> kXyz = {"X", "Y", "Z"};
} // namespace

const std::vector<CriterionRow>& CriterionRows()
{
    static const std::vector<CriterionRow> rows = {
        {"hic15", "HIC15", "", kAcc3, kXyz, SetRule::Worst, 0.015, false},
        {"hic36", "HIC36", "", kAcc3, kXyz, SetRule::Worst, 0.036, false},
        {"head_a3ms", "head 3 ms", "g", kAcc3, kXyz, SetRule::Worst, 0.003, false},
        {"damage", "DAMAGE", "", {Q::AngularAcceleration, Q::AngularAcceleration, Q::AngularAcceleration},
         kXyz, SetRule::Worst, 0, false},
        {"neck_tension", "neck tension", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, true},
        {"neck_compression", "neck compression", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, true},
        {"neck_shear", "neck shear", "kN", {Q::Force}, {"Fx"}, SetRule::Worst, 0, true},
        {"neck_extension", "neck extension", "Nm", {Q::Force, Q::Moment}, {"Fx", "My"}, SetRule::Worst, 0, false},
        {"nij", "Nij", "", {Q::Force, Q::Moment, Q::Force}, {"Fx", "My", "Fz"}, SetRule::Worst, 0, false},
        {"chest_a3ms", "chest 3 ms", "g", kAcc3, kXyz, SetRule::Worst, 0.003, false},
        {"chest_deflection", "chest deflection", "mm", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false},
        {"chest_vc", "chest VC", "m/s", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false},
        {"abdomen_vc", "abdomen VC", "m/s", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false},
        {"thor_chest_deflection", "chest deflection (4 points)", "mm", {Q::Deflection, Q::Angle, Q::Angle},
         {"L", "ay", "az"}, SetRule::All, 0, false},
        {"chest_lateral_compression", "chest lateral compression", "mm", {Q::Deflection}, {"D"}, SetRule::All, 0,
         false},
        {"abdomen_lateral_compression", "abdomen lateral compression", "mm", {Q::Deflection}, {"D"}, SetRule::All, 0,
         false},
        {"shoulder_lateral_force", "shoulder lateral force", "kN", {Q::Force}, {"Fy"}, SetRule::Worst, 0, false},
        {"shoulder_belt_force", "shoulder belt force", "kN", {Q::Force}, {"F"}, SetRule::Worst, 0, false},
        {"pubic_symphysis", "pubic symphysis force", "kN", {Q::Force}, {"Fy"}, SetRule::Worst, 0, false},
        {"acetabulum_left", "acetabulum left", "kN", {Q::Force, Q::Force, Q::Force}, kXyz, SetRule::Worst, 0, false},
        {"acetabulum_right", "acetabulum right", "kN", {Q::Force, Q::Force, Q::Force}, kXyz, SetRule::Worst, 0,
         false},
        {"femur_left", "femur left", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, true},
        {"femur_right", "femur right", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, true},
        {"knee_slider_left", "knee slider left", "mm", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false},
        {"knee_slider_right", "knee slider right", "mm", {Q::Deflection}, {"D"}, SetRule::Worst, 0, false},
        {"tibia_index_left", "tibia index left", "", {Q::Moment, Q::Moment, Q::Force}, {"Mx", "My", "Fz"},
         SetRule::Worst, 0, false},
        {"tibia_index_right", "tibia index right", "", {Q::Moment, Q::Moment, Q::Force}, {"Mx", "My", "Fz"},
         SetRule::Worst, 0, false},
        {"tibia_compression_left", "tibia compression left", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, false},
        {"tibia_compression_right", "tibia compression right", "kN", {Q::Force}, {"Fz"}, SetRule::Worst, 0, false},
        {"olc", "OLC", "g", {Q::Acceleration}, {"ax"}, SetRule::Worst, 0, false},
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

} // namespace Assess
