#include "Clip3ms.h"

#include <cmath>
#include <deque>

namespace Criteria {

ClipResult ComputeClip(const std::vector<double>& a, double dt, double duration)
{
    ClipResult best;
    if (!(dt > 0) || !(duration > 0))
        return best;
    const size_t steps = std::max<size_t>(1, static_cast<size_t>(std::llround(duration / dt)));
    if (a.size() < steps + 1)
        return best;
    // Indices of a rising run of values: the front is the minimum of the window.
    std::deque<size_t> rising;
    for (size_t j = 0; j < a.size(); ++j) {
        while (!rising.empty() && a[rising.back()] >= a[j])
            rising.pop_back();
        rising.push_back(j);
        if (j < steps)
            continue;
        const size_t i = j - steps;
        while (rising.front() < i)
            rising.pop_front();
        const double low = a[rising.front()];
        if (!best.found || low > best.value)
            best = {true, low, i, j};
    }
    return best;
}

} // namespace Criteria
