#include "KVSignal.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <ctime>
#include <new>
#include <mutex>
#include <sys/mman.h>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

int KVCurrentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

bool KVTimeNear(float x, double t, double del)
{
    return std::fabs(double(x) - t) <= 0.01 * std::fabs(del) + (std::fabs(double(x)) + std::fabs(t)) * FLT_EPSILON;
}

namespace {

// Blocks from this size on are placed on large-page boundaries.
constexpr size_t kLargePage = size_t(2) << 20;

// The last large blocks freed, kept for the next request of the same size:
// the system clears every fresh page, and reading a record of 10 million
// points into fresh arrays spent half its time there (kalvio.read of such
// a file 27.9 ms with fresh arrays each time, 20.6 ms reusing them). Two
// blocks, so that the arrays X and Y of one signal both find one.
struct KeptBlocks {
    std::mutex lock;
    struct Block {
        void* p = nullptr;
        size_t bytes = 0;
    };
    Block blocks[2];
};

KeptBlocks& Kept()
{
    // Never destroyed: arrays may be freed while statics are destroyed.
    static KeptBlocks* kept = new KeptBlocks;
    return *kept;
}

void FreeLarge(void* p) noexcept { ::operator delete(p, std::align_val_t(kLargePage)); }

// alloc(), or when memory runs short, alloc() once more after the kept blocks
// are given back: memory that only they hold must not fail a request.
template <class Alloc>
void* WithKeptGivenBack(Alloc alloc)
{
    try {
        return alloc();
    } catch (const std::bad_alloc&) {
        KVReleaseKeptSamples();
        return alloc();
    }
}

} // namespace

void* KVAllocateSamples(size_t bytes)
{
    if (bytes < 2 * kLargePage)
        return WithKeptGivenBack([bytes] { return ::operator new(bytes); });
    {
        KeptBlocks& kept = Kept();
        const std::lock_guard<std::mutex> hold(kept.lock);
        for (KeptBlocks::Block& b : kept.blocks)
            if (b.p && b.bytes == bytes)
                return std::exchange(b, {}).p;
    }
    void* p = WithKeptGivenBack([bytes] { return ::operator new(bytes, std::align_val_t(kLargePage)); });
#if defined(MADV_HUGEPAGE)
    // Advice only: where large pages are not to be had, small ones serve.
    (void)::madvise(p, bytes / kLargePage * kLargePage, MADV_HUGEPAGE);
#endif
    return p;
}

void KVFreeSamples(void* p, size_t bytes) noexcept
{
    if (bytes < 2 * kLargePage) {
        ::operator delete(p);
        return;
    }
    // Kept in place of the older of the two; the one it replaces is freed.
    KeptBlocks::Block drop{p, bytes};
    {
        KeptBlocks& kept = Kept();
        const std::lock_guard<std::mutex> hold(kept.lock);
        drop = std::exchange(kept.blocks[1], kept.blocks[0]);
        kept.blocks[0] = {p, bytes};
    }
    if (drop.p)
        FreeLarge(drop.p);
}

void KVReleaseKeptSamples() noexcept
{
    KeptBlocks::Block drop[2];
    {
        KeptBlocks& kept = Kept();
        const std::lock_guard<std::mutex> hold(kept.lock);
        drop[0] = std::exchange(kept.blocks[0], {});
        drop[1] = std::exchange(kept.blocks[1], {});
    }
    for (const KeptBlocks::Block& b : drop)
        if (b.p)
            FreeLarge(b.p);
}

std::string KVSignalName(const KVHeader& h)
{
    if (!h.SourceName.empty())
        return h.SourceName;
    return "the signal of test " + h.TestNumber + " curve " + std::to_string(h.CurveNumber);
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
    std::copy_n(other.m_x->data(), m_count, m_x->data());
    std::copy_n(other.m_y->data(), m_count, m_y->data());
}

void KVSignal::ShareArraysOf(const KVSignal& other)
{
    if (&other == this)
        return;
    if (other.m_hasData) {
        m_h = other.m_h;
        m_x = other.m_x;
        m_y = other.m_y;
        m_count = other.m_count;
        m_hasData = true;
    } else {
        m_hasData = false;
    }
    AssignErrors(other);
}

void KVSignal::OwnCopy(std::shared_ptr<KVSamples>& a)
{
    a = std::make_shared<KVSamples>(a->begin(), a->begin() + static_cast<std::ptrdiff_t>(m_count));
}

void KVSignal::Unshare()
{
    Own(m_x);
    Own(m_y);
}

float* KVSignal::YToOverwrite()
{
    if (m_count == 0)
        return nullptr;
    if (m_y.use_count() > 1) {
        auto fresh = std::make_shared<KVSamples>();
        fresh->resize(m_count);
        m_y = std::move(fresh);
    }
    return m_y->data();
}

namespace {

// a with room for n values: its own memory when that is large enough and
// not shared, else fresh memory (growing would copy values that are about
// to be overwritten).
void Fit(std::shared_ptr<KVSamples>& a, size_t n)
{
    if (!a || a.use_count() > 1 || a->capacity() < n) {
        a.reset();
        a = std::make_shared<KVSamples>();
    }
    a->resize(n);
}

} // namespace

bool KVSignal::Allocate(size_t n)
{
    if (n == 0 || n > KVSamples().max_size()) {
        FreeData();
        return false;
    }
    // A count read from a file may exceed memory: that is a failed
    // allocation to report, not an exception to throw at the caller.
    try {
        Fit(m_x, n);
        Fit(m_y, n);
    } catch (const std::bad_alloc&) {
        FreeData();
        return false;
    }
    m_count = n;
    return true;
}

void KVSignal::FreeData()
{
    m_x.reset();
    m_y.reset();
    m_count = 0;
}

bool KVSignal::AdoptArrays(KVSamples&& x, KVSamples&& y)
{
    if (x.empty() || x.size() != y.size())
        return false;
    m_count = x.size();
    m_x = std::make_shared<KVSamples>(std::move(x));
    m_y = std::make_shared<KVSamples>(std::move(y));
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

void KVSignal::UpdateExtremes()
{
    if (m_count == 0)
        return;
    KVScanExtremes(m_x->data(), m_count, m_h.XMin, m_h.XMax);
    KVScanExtremes(m_y->data(), m_count, m_h.YMin, m_h.YMax);
}

void KVSignal::UpdateTimeStep()
{
    if (m_count < 2)
        return;
    const float* x = std::as_const(*this).X();
    const float first = x[1] - x[0];
    // Each stored time carries up to half a unit in the last place of its
    // size; a step between two of them, and the first step itself, carry the
    // rounding of both ends (taken twice here, to be safe). In a long record
    // that exceeds a hundredth of the step, and an evenly sampled record must
    // not count as uneven for it.
    const double firstRounding = (std::fabs(double(x[0])) + std::fabs(double(x[1]))) * FLT_EPSILON;
    for (size_t i = 2; i < m_count; ++i) {
        const float d = x[i] - x[i - 1];
        const double rounding = (std::fabs(double(x[i])) + std::fabs(double(x[i - 1]))) * FLT_EPSILON + firstRounding;
        if (double(std::fabs(d - first)) > double(std::fabs(0.01f * d)) + rounding) {
            m_h.Del = KV_NO_VALUE;
            return;
        }
    }
    // The first step carries the rounding of two times far from zero when the
    // record starts late; the mean step over the span spreads the rounding of
    // its ends over all steps. The clearly closer of the two is the step.
    const double span = double(m_count - 1);
    const double meanRounding = (std::fabs(double(x[0])) + std::fabs(double(x[m_count - 1]))) * FLT_EPSILON / span;
    if (firstRounding > 4.0 * meanRounding)
        m_h.Del = static_cast<float>((double(x[m_count - 1]) - double(x[0])) / span);
    else
        m_h.Del = first;
}

bool KVSignal::IsOnOwnGrid() const
{
    const float del = m_h.Del;
    if (!(del > 0.0f) || del == KV_NO_VALUE || !std::isfinite(del))
        return false;
    const long long nfp = m_h.Nfp;
    const float* x = X();
    // In blocks, so that the test of each block runs without a branch per
    // point. A time that equals its grid time exactly is near it; where the
    // indices fit an int (whose conversion to float rounds as a long long's
    // does) that test runs four points a lane, and only a block with another
    // time is tested in full.
    constexpr size_t kBlock = 4096;
    for (size_t b = 0; b < m_count; b += kBlock) {
        const size_t end = std::min(m_count, b + kBlock);
        const long long k0 = nfp + static_cast<long long>(b);
        const long long k1 = nfp + static_cast<long long>(end);
        if (k0 >= INT_MIN && k1 <= INT_MAX) {
            const int base = static_cast<int>(k0);
            bool equal = true;
            size_t i = b;
#if defined(__SSE2__)
            const __m128 step = _mm_set1_ps(del);
            __m128i k = _mm_setr_epi32(base, base + 1, base + 2, base + 3);
            __m128 same = _mm_castsi128_ps(_mm_set1_epi32(-1));
            for (; i + 4 <= end; i += 4) {
                same = _mm_and_ps(same, _mm_cmpeq_ps(_mm_loadu_ps(x + i), _mm_mul_ps(_mm_cvtepi32_ps(k), step)));
                k = _mm_add_epi32(k, _mm_set1_epi32(4));
            }
            equal = _mm_movemask_ps(same) == 0xF;
#endif
            for (; i < end; ++i)
                equal &= x[i] == static_cast<float>(base + static_cast<int>(i - b)) * del;
            if (equal)
                continue;
        }
        bool near = true;
        for (size_t i = b; i < end; ++i)
            near &= KVTimeNear(x[i], KVGridTime(nfp + static_cast<long long>(i), del), del);
        if (!near)
            return false;
    }
    return true;
}
