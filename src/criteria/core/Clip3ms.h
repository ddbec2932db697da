#pragma once
// The 3 ms clip: the level an acceleration stays at or above for 3 ms, either
// without a break (continuous) or in intervals that add up (cumulative).
#include <cstddef>
#include <utility>
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

struct CumulativeClipResult {
    bool found = false; // false when the signal is shorter than the duration
    double value = 0;
    // First and last sample of each run of samples at or above value.
    std::vector<std::pair<size_t, size_t>> runs;
};

// The largest level a stays at or above for duration (rounded to whole steps,
// at least one) in total, each run of samples at or above it counting from its
// first to its last sample. With one run it equals ComputeClip.
CumulativeClipResult ComputeCumulativeClip(const std::vector<double>& a, double dt, double duration);

} // namespace Criteria
