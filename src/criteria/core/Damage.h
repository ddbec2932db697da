#pragma once
// DAMAGE: the brain strain model of three coupled masses on springs and
// dampers, driven by the head's angular accelerations about X, Y and Z.
#include <array>
#include <cstddef>
#include <vector>

namespace Criteria {

// The published model: unit masses (kg), stiffnesses in N/m, damping
// proportional to stiffness (c = a1 k) and the scale from the largest
// displacement (m) to DAMAGE.
struct DamageModel {
    double kxx = 32142, kyy = 23493, kzz = 16935;
    double kxy = 0, kyz = 0, kxz = 1636.3;
    double a1 = 5.9148e-3; // s
    double beta = 2.9903;  // 1/m
};

struct DamageResult {
    bool found = false;           // false with fewer than two samples or dt <= 0
    double value = 0;             // beta * largest |delta(t)|, no unit
    size_t at = 0;                // the sample where |delta| is largest
    std::vector<double> history;  // beta * |delta| at every sample
};

// ax, ay, az: angular accelerations in rad/s^2 on the step dt (s), aligned;
// the model starts at rest and the input is linear between samples
// (fourth-order Runge-Kutta, four sub-steps per sample).
DamageResult ComputeDamage(const std::vector<double>& ax, const std::vector<double>& ay,
                           const std::vector<double>& az, double dt, const DamageModel& model = {});

} // namespace Criteria
