#pragma once
// The 3 ms clip: the level an acceleration stays at or above for 3 ms.
#include <cstddef>
#include <vector>

namespace Criteria {

struct ClipResult {
    bool found = false; // false when the signal is shorter than the duration
    double value = 0;
    size_t i1 = 0;      // first and last sample of the deciding interval
    size_t i2 = 0;
};

// The largest minimum of a over all runs of samples that span duration
// (rounded to whole steps, at least one), with the first such run.
ClipResult ComputeClip(const std::vector<double>& a, double dt, double duration);

} // namespace Criteria
