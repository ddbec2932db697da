#include "ThorChest.h"

#include <algorithm>
#include <cmath>

namespace Criteria {

IrTraccResult ComputeIrTracc(const IrTracc& rod)
{
    IrTraccResult r;
    if (!rod.length || !rod.angleY || !rod.angleZ)
        return r;
    const std::vector<double>& l = *rod.length;
    const std::vector<double>& ay = *rod.angleY;
    const std::vector<double>& az = *rod.angleZ;
    const size_t n = std::min({l.size(), ay.size(), az.size()});
    if (n == 0)
        return r;
    auto at = [&](size_t i, double& x, double& y, double& z) {
        const double c = std::cos(ay[i]);
        x = l[i] * c * std::cos(az[i]);
        y = l[i] * c * std::sin(az[i]);
        z = -l[i] * std::sin(ay[i]);
    };
    double x0, y0, z0;
    at(0, x0, y0, z0);
    r.resultant.resize(n);
    r.x.resize(n);
    for (size_t i = 0; i < n; ++i) {
        double x, y, z;
        at(i, x, y, z);
        r.resultant[i] = std::sqrt((x - x0) * (x - x0) + (y - y0) * (y - y0) + (z - z0) * (z - z0));
        r.x[i] = x0 - x;
        r.peakResultant.Offer(r.resultant[i], i);
        r.peakX.Offer(r.x[i], i);
    }
    return r;
}

ThorChestResult ComputeThorChest(const std::vector<IrTracc>& rods, bool useResultant)
{
    ThorChestResult r;
    for (size_t k = 0; k < rods.size() && k < 4; ++k) {
        r.points[k] = ComputeIrTracc(rods[k]);
        const PeakResult& p = useResultant ? r.points[k].peakResultant : r.points[k].peakX;
        if (p.found && (!r.peak.found || p.value > r.peak.value)) {
            r.peak = p;
            r.point = k;
        }
    }
    return r;
}

} // namespace Criteria
