#include "PeakLoads.h"

#include "NeckCriteria.h"

#include <algorithm>
#include <cmath>

namespace Criteria {

PeakResult PeakMagnitude(const std::vector<double>& v)
{
    PeakResult peak;
    for (size_t i = 0; i < v.size(); ++i)
        peak.Offer(std::fabs(v[i]), i);
    return peak;
}

PeakResult PeakResultant(const std::vector<double>& x, const std::vector<double>& y, const std::vector<double>& z)
{
    PeakResult peak;
    const size_t n = std::min({x.size(), y.size(), z.size()});
    for (size_t i = 0; i < n; ++i)
        peak.Offer(std::sqrt(x[i] * x[i] + y[i] * y[i] + z[i] * z[i]), i);
    return peak;
}

PeakResult PeakAxialCompression(const std::vector<double>& fz)
{
    return PeakCompression(fz);
}

RibPeak PeakRibCompression(const std::vector<std::vector<double>>& ribs)
{
    RibPeak r;
    for (size_t k = 0; k < ribs.size(); ++k) {
        for (size_t i = 0; i < ribs[k].size(); ++i) {
            if (!r.peak.found || ribs[k][i] > r.peak.value) {
                r.peak.Offer(ribs[k][i], i);
                r.rib = k;
            }
        }
    }
    return r;
}

} // namespace Criteria
