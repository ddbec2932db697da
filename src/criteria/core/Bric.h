#pragma once
// Brain injury criterion from three head angular velocities.
#include "Dummies.h"
#include "Peak.h"

#include <array>
#include <vector>

namespace Criteria {

struct BricResult {
    std::array<PeakResult, 3> peaks; // largest |angular velocity| about X, Y, Z (rad/s)
    double value = 0;
};

// BrIC = sqrt(sum over X, Y, Z of (peak |w| / critical w)^2); w in rad/s.
BricResult ComputeBric(const std::vector<double>& wx, const std::vector<double>& wy,
                       const std::vector<double>& wz, const BricCritical& critical);

} // namespace Criteria
