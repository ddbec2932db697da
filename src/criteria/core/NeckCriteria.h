#pragma once
// Upper neck criteria: peak axial forces and Nij.
#include "Dummies.h"
#include "Peak.h"

#include <array>
#include <cstddef>
#include <vector>

namespace Criteria {

// Peak tension (largest positive Fz) and peak compression (largest negative
// Fz, as a magnitude); not found when Fz never has that sign.
PeakResult PeakTension(const std::vector<double>& fz);
PeakResult PeakCompression(const std::vector<double>& fz);

// Peak extension: the largest -MOCy with MOCy = My - offset * Fx, the moment
// about the occipital condyle (N m; offset in m, kCondyleOffset for the
// Hybrid III); not found when MOCy is never negative. Inputs aligned.
PeakResult PeakExtension(const std::vector<double>& fx, const std::vector<double>& my,
                         double offset = kCondyleOffset);

// The four load cases of Nij.
enum NijCase { TensionFlexion, TensionExtension, CompressionFlexion, CompressionExtension };
inline constexpr const char* kNijCaseNames[4] = {"NTF", "NTE", "NCF", "NCE"};

struct NijResult {
    std::vector<double> history;      // Nij of the case that applies at each sample
    std::array<PeakResult, 4> cases;  // largest Nij of each case
    PeakResult overall;
    NijCase overallCase = TensionFlexion;
};

// Nij = |Fz| / Fzc + |MOCy| / Myc with MOCy = My - 0.01778 m * Fx; Fz >= 0 is
// tension and MOCy >= 0 flexion. Inputs in N and N m, aligned.
NijResult ComputeNij(const std::vector<double>& fx, const std::vector<double>& my,
                     const std::vector<double>& fz, const NijIntercepts& intercepts);

} // namespace Criteria
