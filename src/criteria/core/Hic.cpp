#include "Hic.h"

#include <algorithm>
#include <cmath>

namespace Criteria {

std::vector<HicResult> ComputeHic(const std::vector<double>& a, double dt, const std::vector<double>& windows)
{
    std::vector<HicResult> best(windows.size());
    const size_t n = a.size();
    if (n < 2 || !(dt > 0))
        return best;
    // The window limits in samples; a little slack so that 0.015 / 0.0001 counts as 150.
    std::vector<size_t> steps(windows.size());
    size_t widest = 0;
    for (size_t k = 0; k < windows.size(); ++k) {
        steps[k] = static_cast<size_t>(std::max(0.0, std::floor(windows[k] / dt + 1e-6)));
        widest = std::max(widest, steps[k]);
    }
    std::vector<double> cum(n, 0.0);
    for (size_t i = 1; i < n; ++i)
        cum[i] = cum[i - 1] + 0.5 * dt * (a[i - 1] + a[i]);
    std::vector<double> span(widest + 1), inverse(widest + 1);
    for (size_t d = 1; d <= widest; ++d) {
        span[d] = double(d) * dt;
        inverse[d] = 1.0 / span[d];
    }
    for (size_t i = 0; i + 1 < n; ++i) {
        const size_t last = std::min(n - 1, i + widest);
        for (size_t j = i + 1; j <= last; ++j) {
            const size_t d = j - i;
            const double mean = (cum[j] - cum[i]) * inverse[d];
            if (mean <= 0)
                continue;
            // mean^2.5 as mean^2 * sqrt(mean): exact, and far cheaper than pow.
            const double hic = span[d] * mean * mean * std::sqrt(mean);
            for (size_t k = 0; k < steps.size(); ++k) {
                if (d <= steps[k] && (!best[k].found || hic > best[k].value))
                    best[k] = {true, hic, i, j};
            }
        }
    }
    return best;
}

} // namespace Criteria
