#include "CorridorSums.h"

#include <algorithm>
#include <cmath>

void CorridorSums::Start(long long first, const float* y, size_t n)
{
    m_store = Toolsif::IndexStore::Exactly(first, n);
    m_first.assign(y, y + n);
    m_sum.assign(n, 0.0);
    m_sumSq.assign(n, 0.0);
    m_count.assign(n, 1);
}

void CorridorSums::Widen(long long lo, long long hi)
{
    const Toolsif::IndexStore old = m_store;
    if (!m_store.Widen(lo, hi))
        return;
    Toolsif::Relayout(m_first, old, m_store);
    Toolsif::Relayout(m_sum, old, m_store);
    Toolsif::Relayout(m_sumSq, old, m_store);
    Toolsif::Relayout(m_count, old, m_store);
}

bool CorridorSums::Add(long long first, const float* y, size_t n, int curvesBefore)
{
    if (n == 0)
        return false;
    Widen(first, first + static_cast<long long>(n) - 1);
    const size_t offset = m_store.Slot(first);
    bool short_ = false;
    for (size_t k = 0; k < n; ++k) {
        const size_t j = offset + k;
        if (m_count[j] == 0) {
            m_first[j] = y[k];
        } else {
            const double d = double(y[k]) - double(m_first[j]);
            m_sum[j] += d;
            m_sumSq[j] += d * d;
        }
        ++m_count[j];
        short_ = short_ || m_count[j] < curvesBefore;
    }
    return short_;
}

int CorridorSums::Count(long long i) const
{
    return m_store.Stored(i) ? m_count[m_store.Slot(i)] : 0;
}

CorridorSums::Result CorridorSums::Compute(long long lo, long long hi) const
{
    Result r;
    r.points = hi - lo + 1;
    r.mean.assign(static_cast<size_t>(r.points), 0.0f);
    r.sigma.assign(static_cast<size_t>(r.points), 0.0f);
    for (long long i = lo; i <= hi; ++i) {
        const size_t k = static_cast<size_t>(i - lo);
        const int n = Count(i);
        if (n == 0) {
            ++r.emptyPoints;
            continue;
        }
        const size_t j = m_store.Slot(i);
        const double meanDev = m_sum[j] / n;
        r.mean[k] = static_cast<float>(double(m_first[j]) + meanDev);
        if (n < 2)
            continue;
        // Rounding can leave a tiny negative remainder where all curves agree.
        const double variance = std::max(0.0, (m_sumSq[j] - m_sum[j] * meanDev) / (n - 1));
        r.sigma[k] = static_cast<float>(std::sqrt(variance));
        r.cumulativeVariance += variance;
        ++r.variancePoints;
    }
    return r;
}
