#pragma once
// Viscous criterion V*C from a chest deflection.
#include "Peak.h"

#include <cstddef>
#include <vector>

namespace Criteria {

struct VcResult {
    std::vector<double> history; // m/s; the two samples at each end hold 0
    PeakResult peak;             // not found with fewer than five samples
};

// VC = scale * V * D / depth with the five-point rate
// V = [8 (D(t+dt) - D(t-dt)) - (D(t+2dt) - D(t-2dt))] / (12 dt); D and depth
// in mm, dt in s, V and VC in m/s. The rate needs two samples on each side, so
// the end samples have no VC.
VcResult ComputeVc(const std::vector<double>& deflection, double dt, double scale, double depth);

} // namespace Criteria
