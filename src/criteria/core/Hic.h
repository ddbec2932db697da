#pragma once
// Head injury criterion over all sample pairs.
#include <cstddef>
#include <vector>

namespace Criteria {

struct HicResult {
    bool found = false; // false when no window has a positive mean
    double value = 0;
    size_t i1 = 0;      // samples that bound the deciding window
    size_t i2 = 0;
};

// For each maximum window length in windows (s): the largest
// (t2 - t1) * [integral of a from t1 to t2 / (t2 - t1)]^2.5 over sample pairs
// t1 < t2 with t2 - t1 <= window, the integral by the trapezoidal rule.
// Windows with a mean of zero or less do not count. Exact, with the window
// pairs that cannot win pruned: about n x window / 64 evaluations for a head
// pulse (0.3 s at 1 MHz within 36 ms: well under a second).
std::vector<HicResult> ComputeHic(const std::vector<double>& a, double dt, const std::vector<double>& windows);

} // namespace Criteria
