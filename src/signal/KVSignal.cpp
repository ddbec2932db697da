#include "KVSignal.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <new>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

int KVCurrentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

KVSignal::KVSignal() { Reset(); }

KVSignal::~KVSignal() = default;

KVSignal::KVSignal(const KVSignal& other) : KVErrorList(other)
{
    if (other.m_hasData) {
        m_h = other.m_h;
        CopyArrays(other);
        m_hasData = true;
    }
}

KVSignal& KVSignal::operator=(const KVSignal& other)
{
    if (&other == this)
        return *this;
    if (other.m_hasData) {
        m_h = other.m_h;
        CopyArrays(other);
        m_hasData = true;
    } else {
        m_hasData = false;
    }
    AssignErrors(other);
    return *this;
}

KVSignal::KVSignal(KVSignal&& other) noexcept
    : KVErrorList(std::move(other)), m_h(std::move(other.m_h)), m_x(std::move(other.m_x)),
      m_y(std::move(other.m_y)), m_count(other.m_count), m_hasData(other.m_hasData)
{
    other.m_count = 0;
    other.m_hasData = false;
}

KVSignal& KVSignal::operator=(KVSignal&& other) noexcept
{
    if (&other == this)
        return *this;
    KVErrorList::operator=(std::move(other));
    m_h = std::move(other.m_h);
    m_x = std::move(other.m_x);
    m_y = std::move(other.m_y);
    m_count = other.m_count;
    m_hasData = other.m_hasData;
    other.m_count = 0;
    other.m_hasData = false;
    return *this;
}

void KVSignal::Reset() { m_h = KVHeader{}; }

void KVSignal::CopyHeaderAndData(const KVSignal& other)
{
    if (&other == this)
        return;
    m_h = other.m_h;
    CopyArrays(other);
}

void KVSignal::CopyArrays(const KVSignal& other)
{
    FreeData();
    if (other.m_count == 0 || !Allocate(other.m_count))
        return;
    std::copy_n(other.m_x.data(), m_count, m_x.data());
    std::copy_n(other.m_y.data(), m_count, m_y.data());
}

bool KVSignal::Allocate(size_t n)
{
    if (n == 0 || n > m_x.max_size()) {
        FreeData();
        return false;
    }
    if (m_x.capacity() < n || m_y.capacity() < n)
        FreeData(); // growing would copy values that are about to be overwritten
    // A count read from a file may exceed memory: that is a failed
    // allocation to report, not an exception to throw at the caller.
    try {
        m_x.resize(n);
        m_y.resize(n);
    } catch (const std::bad_alloc&) {
        FreeData();
        return false;
    }
    m_count = n;
    return true;
}

void KVSignal::FreeData()
{
    std::vector<float>().swap(m_x);
    std::vector<float>().swap(m_y);
    m_count = 0;
}

bool KVSignal::AdoptArrays(std::vector<float>&& x, std::vector<float>&& y)
{
    if (x.empty() || x.size() != y.size())
        return false;
    m_count = x.size();
    m_x = std::move(x);
    m_y = std::move(y);
    return true;
}

void KVSignal::ShrinkTo(size_t n)
{
    if (n == 0) {
        FreeData();
        return;
    }
    if (n < m_count)
        m_count = n;
}

namespace {

// The extremes that the scan "if (v > hi) hi = v; else if (v < lo) lo = v"
// from v[0] finds, computed in independent lanes so that long signals do not
// wait on one comparison after the other. The order of the comparisons does
// not change the value found; equal values differ only as +0 and -0, and the
// scan keeps the first of them it meets, and so does this.
void ScanExtremes(const float* v, size_t n, float& lo, float& hi)
{
    hi = lo = v[0];
    size_t i = 0;
#if defined(__SSE2__)
    // maxps(a, b) is a > b ? a : b and minps(a, b) is a < b ? a : b, the
    // scan's own comparisons; four registers of each keep them independent.
    __m128 h[4], l[4];
    for (size_t k = 0; k < 4; ++k)
        h[k] = l[k] = _mm_set1_ps(v[0]);
    for (; i + 16 <= n; i += 16) {
        for (size_t k = 0; k < 4; ++k) {
            const __m128 x = _mm_loadu_ps(v + i + 4 * k);
            h[k] = _mm_max_ps(x, h[k]);
            l[k] = _mm_min_ps(x, l[k]);
        }
    }
    for (size_t k = 0; k < 4; ++k) {
        float hs[4], ls[4];
        _mm_storeu_ps(hs, h[k]);
        _mm_storeu_ps(ls, l[k]);
        for (size_t j = 0; j < 4; ++j) {
            hi = hs[j] > hi ? hs[j] : hi;
            lo = ls[j] < lo ? ls[j] : lo;
        }
    }
#endif
    for (; i < n; ++i) {
        hi = v[i] > hi ? v[i] : hi;
        lo = v[i] < lo ? v[i] : lo;
    }
    if (hi == 0.0f)
        hi = *std::find(v, v + n, 0.0f);
    if (lo == 0.0f)
        lo = *std::find(v, v + n, 0.0f);
}

} // namespace

void KVSignal::UpdateExtremes()
{
    if (m_count == 0)
        return;
    ScanExtremes(m_x.data(), m_count, m_h.XMin, m_h.XMax);
    ScanExtremes(m_y.data(), m_count, m_h.YMin, m_h.YMax);
}

void KVSignal::UpdateTimeStep()
{
    if (m_count < 2)
        return;
    m_h.Del = m_x[1] - m_x[0];
    for (size_t i = 2; i < m_count; ++i) {
        const float d = m_x[i] - m_x[i - 1];
        if (std::fabs(d - m_h.Del) > std::fabs(0.01f * d))
            m_h.Del = KV_NO_VALUE;
    }
}
