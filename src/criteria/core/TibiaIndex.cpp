#include "TibiaIndex.h"

#include <algorithm>
#include <cmath>

namespace Criteria {

TibiaResult ComputeTibiaIndex(const std::vector<double>& mx, const std::vector<double>& my,
                              const std::vector<double>& fz, const TibiaConstants& c)
{
    TibiaResult r;
    const size_t n = std::min({mx.size(), my.size(), fz.size()});
    r.history.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const double ti = std::fabs(std::hypot(mx[i], my[i]) / c.moment) + std::fabs(fz[i] / c.force);
        r.history[i] = ti;
        r.peak.Offer(ti, i);
    }
    return r;
}

} // namespace Criteria
