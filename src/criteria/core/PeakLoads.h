#pragma once
// Peak loads and deflections of the lower body and the side-impact ribs:
// knee slider, acetabulum, pubic symphysis, tibia compression, rib and
// abdomen lateral compression.
#include "Peak.h"

#include <cstddef>
#include <vector>

namespace Criteria {

// The largest |v| (knee slider displacement in mm, pubic symphysis force
// in N) and its sample; not found for an empty series.
PeakResult PeakMagnitude(const std::vector<double>& v);

// The largest resultant sqrt(x^2 + y^2 + z^2) of three aligned components
// (acetabulum force in N) and its sample.
PeakResult PeakResultant(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& z);

// Tibia (or femur) compression: the largest -Fz, N; not found when Fz is never negative.
PeakResult PeakAxialCompression(const std::vector<double>& fz);

struct RibPeak {
    PeakResult peak; // the largest compression of all ribs, mm
    size_t rib = 0;  // which rib decides
};

// Lateral compression of the chest or abdomen: the largest deflection (mm,
// compression positive as the rib transducers record it) over every rib given.
RibPeak PeakRibCompression(const std::vector<std::vector<double>>& ribs);

} // namespace Criteria
