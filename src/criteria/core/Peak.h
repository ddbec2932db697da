#pragma once
#include <cstddef>

namespace Criteria {

// The largest value of a series and its sample; found stays false until a
// value is offered.
struct PeakResult {
    bool found = false;
    double value = 0;
    size_t at = 0;

    // Keeps the first of equal largest values.
    void Offer(double v, size_t i)
    {
        if (!found || v > value) {
            found = true;
            value = v;
            at = i;
        }
    }
};

} // namespace Criteria
