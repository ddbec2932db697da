#include "Clip3ms.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <functional>

namespace Criteria {

namespace {

// duration in whole steps of dt, at least one; 0 when either is not positive.
size_t StepsOf(double dt, double duration)
{
    if (!(dt > 0) || !(duration > 0))
        return 0;
    return std::max<size_t>(1, static_cast<size_t>(std::llround(duration / dt)));
}

} // namespace

ClipResult ComputeClip(const std::vector<double>& a, double dt, double duration)
{
    ClipResult best;
    const size_t steps = StepsOf(dt, duration);
    if (steps == 0 || a.size() < steps + 1)
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

CumulativeClipResult ComputeCumulativeClip(const std::vector<double>& a, double dt, double duration)
{
    CumulativeClipResult result;
    const size_t steps = StepsOf(dt, duration);
    if (steps == 0 || a.size() < steps + 1)
        return result;
    // A step counts at level L when both its samples are at or above L, so the
    // time at or above L is dt times the number of step minima >= L: the
    // level held for `steps` steps is the steps-th largest step minimum.
    std::vector<double> lows(a.size() - 1);
    for (size_t i = 0; i + 1 < a.size(); ++i)
        lows[i] = std::min(a[i], a[i + 1]);
    std::vector<double> order = lows;
    std::nth_element(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(steps - 1), order.end(),
                     std::greater<>());
    result.found = true;
    result.value = order[steps - 1];
    for (size_t i = 0; i < lows.size(); ++i) {
        if (lows[i] < result.value)
            continue;
        if (!result.runs.empty() && result.runs.back().second == i)
            result.runs.back().second = i + 1;
        else
            result.runs.push_back({i, i + 1});
    }
    return result;
}

} // namespace Criteria
