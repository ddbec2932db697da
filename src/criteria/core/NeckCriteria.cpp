#include "NeckCriteria.h"

#include <algorithm>
#include <cmath>

namespace Criteria {

PeakResult PeakTension(const std::vector<double>& fz)
{
    PeakResult peak;
    for (size_t i = 0; i < fz.size(); ++i)
        if (fz[i] > 0)
            peak.Offer(fz[i], i);
    return peak;
}

PeakResult PeakCompression(const std::vector<double>& fz)
{
    PeakResult peak;
    for (size_t i = 0; i < fz.size(); ++i)
        if (fz[i] < 0)
            peak.Offer(-fz[i], i);
    return peak;
}

PeakResult PeakExtension(const std::vector<double>& fx, const std::vector<double>& my, double offset)
{
    PeakResult peak;
    const size_t n = std::min(fx.size(), my.size());
    for (size_t i = 0; i < n; ++i) {
        const double moc = my[i] - offset * fx[i];
        if (moc < 0)
            peak.Offer(-moc, i);
    }
    return peak;
}

NijResult ComputeNij(const std::vector<double>& fx, const std::vector<double>& my,
                     const std::vector<double>& fz, const NijIntercepts& c)
{
    NijResult r;
    const size_t n = std::min({fx.size(), my.size(), fz.size()});
    r.history.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const double moc = my[i] - kCondyleOffset * fx[i];
        const bool tension = fz[i] >= 0;
        const bool flexion = moc >= 0;
        const NijCase k = tension ? (flexion ? TensionFlexion : TensionExtension)
                                  : (flexion ? CompressionFlexion : CompressionExtension);
        const double v = std::fabs(fz[i]) / (tension ? c.tension : c.compression)
                         + std::fabs(moc) / (flexion ? c.flexion : c.extension);
        r.history[i] = v;
        r.cases[k].Offer(v, i);
        if (!r.overall.found || v > r.overall.value)
            r.overallCase = k;
        r.overall.Offer(v, i);
    }
    return r;
}

} // namespace Criteria
