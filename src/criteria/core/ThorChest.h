#pragma once
// THOR multi-point chest compression: the movement of each of the four
// IR-TRACC rib ends (upper and lower, left and right) in the spine's frame.
#include "Peak.h"

#include <cstddef>
#include <vector>

namespace Criteria {

// One IR-TRACC: its length L (mm, joint to rib end), the Y rotation at the
// spine joint and the Z rotation of the rod (rad), aligned. The rib end sits at
// x = L cos(ay) cos(az), y = L cos(ay) sin(az), z = -L sin(ay).
struct IrTracc {
    const std::vector<double>* length = nullptr;
    const std::vector<double>* angleY = nullptr;
    const std::vector<double>* angleZ = nullptr;
};

struct IrTraccResult {
    std::vector<double> resultant; // |p(t) - p(0)|, mm
    std::vector<double> x;         // x(0) - x(t): compression positive, mm
    PeakResult peakResultant;
    PeakResult peakX;
};

// The deflections of one IR-TRACC relative to its first sample (the chest at
// rest); empty when an input is missing.
IrTraccResult ComputeIrTracc(const IrTracc& rod);

struct ThorChestResult {
    IrTraccResult points[4]; // in the order given
    PeakResult peak;         // largest over the four, by resultant or by x
    size_t point = 0;        // which of the four decides
};

// The largest deflection over the points given (four for THOR): the
// resultant when useResultant, else the x compression.
ThorChestResult ComputeThorChest(const std::vector<IrTracc>& rods, bool useResultant = true);

} // namespace Criteria
