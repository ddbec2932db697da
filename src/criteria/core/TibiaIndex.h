#pragma once
// Tibia index from the moments and the axial force of a tibia load cell.
#include "Dummies.h"
#include "Peak.h"

#include <cstddef>
#include <vector>

namespace Criteria {

struct TibiaResult {
    std::vector<double> history;
    PeakResult peak;
};

// TI = |sqrt(Mx^2 + My^2) / Mc| + |Fz / Fc| at every sample; N m and N, aligned.
TibiaResult ComputeTibiaIndex(const std::vector<double>& mx, const std::vector<double>& my,
                              const std::vector<double>& fz, const TibiaConstants& c);

} // namespace Criteria
