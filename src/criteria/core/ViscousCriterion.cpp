#include "ViscousCriterion.h"

namespace Criteria {

VcResult ComputeVc(const std::vector<double>& d, double dt, double scale, double depth)
{
    VcResult r;
    const size_t n = d.size();
    if (n < 5 || !(dt > 0) || !(depth > 0))
        return r;
    r.history.assign(n, 0.0);
    for (size_t i = 2; i + 2 < n; ++i) {
        const double rateMm = (8 * (d[i + 1] - d[i - 1]) - (d[i + 2] - d[i - 2])) / (12 * dt);
        const double vc = scale * (rateMm / 1000.0) * (d[i] / depth);
        r.history[i] = vc;
        r.peak.Offer(vc, i);
    }
    return r;
}

} // namespace Criteria
