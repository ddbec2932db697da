#include "CorridorSums.h"

#include <algorithm>
#include <cmath>

namespace {

template <typename T>
void GrowBoth(std::vector<T>& v, size_t front, size_t back)
{
    v.insert(v.begin(), front, T{});
    v.insert(v.end(), back, T{});
}

} // namespace

void CorridorSums::Start(long long first, const float* y, size_t n)
{
    m_base = first;
    m_first.assign(y, y + n);
    m_sum.assign(n, 0.0);
    m_sumSq.assign(n, 0.0);
    m_count.assign(n, 1);
}

void CorridorSums::Widen(long long lo, long long hi)
{
    if (m_count.empty()) {
        m_base = lo;
        const size_t n = static_cast<size_t>(hi - lo + 1);
        m_first.assign(n, 0.0f);
        m_sum.assign(n, 0.0);
        m_sumSq.assign(n, 0.0);
        m_count.assign(n, 0);
        return;
    }
    const long long oldHi = m_base + static_cast<long long>(m_count.size()) - 1;
    const size_t front = lo < m_base ? static_cast<size_t>(m_base - lo) : 0;
    const size_t back = hi > oldHi ? static_cast<size_t>(hi - oldHi) : 0;
    if (front == 0 && back == 0)
        return;
    GrowBoth(m_first, front, back);
    GrowBoth(m_sum, front, back);
    GrowBoth(m_sumSq, front, back);
    GrowBoth(m_count, front, back);
    m_base -= static_cast<long long>(front);
}

bool CorridorSums::Add(long long first, const float* y, size_t n, int curvesBefore)
{
    if (n == 0)
        return false;
    Widen(first, first + static_cast<long long>(n) - 1);
    const size_t offset = static_cast<size_t>(first - m_base);
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
    if (i < m_base || i - m_base >= static_cast<long long>(m_count.size()))
        return 0;
    return m_count[static_cast<size_t>(i - m_base)];
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
        const size_t j = static_cast<size_t>(i - m_base);
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
