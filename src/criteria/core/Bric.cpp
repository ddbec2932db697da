#include "Bric.h"

#include <cmath>

namespace Criteria {

BricResult ComputeBric(const std::vector<double>& wx, const std::vector<double>& wy,
                       const std::vector<double>& wz, const BricCritical& critical)
{
    BricResult r;
    const std::vector<double>* axes[3] = {&wx, &wy, &wz};
    const double criticals[3] = {critical.x, critical.y, critical.z};
    double sum = 0;
    for (size_t k = 0; k < 3; ++k) {
        for (size_t i = 0; i < axes[k]->size(); ++i)
            r.peaks[k].Offer(std::fabs((*axes[k])[i]), i);
        const double ratio = r.peaks[k].value / criticals[k];
        sum += ratio * ratio;
    }
    r.value = std::sqrt(sum);
    return r;
}

} // namespace Criteria
