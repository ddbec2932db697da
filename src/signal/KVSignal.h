#pragma once
#include "KVErrorList.h"
#include "KVExtremes.h"
#include "KVSignalFields.h"
#include "KVSideRecord.h"

#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <vector>

// The current calendar year of the local time: the default model year.
int KVCurrentYear();

// Marker of "no value" for the extremes and of "no constant step" for Del.
inline constexpr float KV_NO_VALUE = 99999.0f;

// The time of grid index k with step del, formed as a "Y" file load forms it.
inline float KVGridTime(long long k, float del) { return static_cast<float>(k) * del; }
// Whether the stored time x stands for the time t on a grid of step del: within
// a hundredth of the step plus the float32 rounding that times of their size
// carry (near 100 s that rounding exceeds a hundredth of a 0.1 ms step).
bool KVTimeNear(float x, double t, double del);

// Memory for sample arrays: a large block is aligned to and advised for the
// system's large pages, so that filling an array of millions of points takes
// a few hundred page faults instead of tens of thousands. Throws
// std::bad_alloc like operator new.
// The last two large blocks freed are kept for the next request of the same
// size (no fresh pages to clear); KVReleaseKeptSamples gives them back, and
// so does a request that memory cannot serve otherwise before it fails.
void* KVAllocateSamples(size_t bytes);
void KVFreeSamples(void* p, size_t bytes) noexcept;
void KVReleaseKeptSamples() noexcept;

// An allocator whose vectors leave new elements uninitialised: samples are
// always written before they are read, and zero-filling arrays of millions
// of points only to overwrite them costs as much as reading the file.
template <class T>
struct KVNoInitAllocator : std::allocator<T> {
    template <class U>
    struct rebind {
        using other = KVNoInitAllocator<U>;
    };
    KVNoInitAllocator() = default;
    template <class U>
    KVNoInitAllocator(const KVNoInitAllocator<U>&) noexcept
    {
    }
    T* allocate(size_t n)
    {
        if (n > size_t(-1) / sizeof(T))
            throw std::bad_alloc();
        return static_cast<T*>(KVAllocateSamples(n * sizeof(T)));
    }
    void deallocate(T* p, size_t n) noexcept { KVFreeSamples(p, n * sizeof(T)); }
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... A>
    void construct(U* p, A&&... a)
    {
        ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
    }
};
using KVSamples = std::vector<float, KVNoInitAllocator<float>>;

// Header fields of one signal. Texts are bytes (Latin-1); reals are 32-bit as
// in the file.
struct KVHeader {
#define KV_TEXT_MEMBER(name, def) std::string name = def;
#define KV_REAL_MEMBER(name, def) float name = def;
#define KV_INT_MEMBER(name, def) int name = def;
    KV_SIGNAL_FIELDS(KV_TEXT_MEMBER, KV_REAL_MEMBER, KV_INT_MEMBER)
#undef KV_TEXT_MEMBER
#undef KV_REAL_MEMBER
#undef KV_INT_MEMBER
    // The file the signal was last loaded from, to name it in messages; empty
    // for a signal built in memory. Not a file field.
    std::string SourceName;
    // Foreign header lines without a field here; reset, copied and moved with the header.
    KVSideRecord Side;
};

// How messages name a signal: its file, else its test and curve numbers.
std::string KVSignalName(const KVHeader& h);

// One signal: the header and two parallel sample arrays X and Y.
class KVSignal : public KVErrorList {
public:
    KVSignal();
    ~KVSignal() override;
    // Copies header and arrays when other has data, else holds the defaults.
    KVSignal(const KVSignal& other);
    // Copies header and arrays when other has data, else only clears HasData.
    // The error list is replaced by other's in both cases.
    KVSignal& operator=(const KVSignal& other);
    KVSignal(KVSignal&& other) noexcept;
    KVSignal& operator=(KVSignal&& other) noexcept;

    // Sets every header field to its default; arrays and HasData stay.
    void Reset();
    // Copies all header fields and the arrays of other (a no-op on itself).
    void CopyHeaderAndData(const KVSignal& other);
    // As the copy assignment, but the arrays stay shared with other until
    // either signal writes them: X(), Y() or SetPoint of a signal that shares
    // them first give it its own copy. For results that keep their input's
    // times (a filtered copy), whose times then need not be copied.
    void ShareArraysOf(const KVSignal& other);
    // Y for writing every point anew: when shared, a fresh array of
    // PointCount() uninitialised values instead of a copy.
    float* YToOverwrite();

    // Replaces the arrays with n uninitialised points; false (and no arrays)
    // for 0 or when memory for n points cannot be had.
    bool Allocate(size_t n);
    void FreeData();
    // Takes over two arrays of equal, non-zero length as the samples (no
    // copy); false, and nothing changed, when their lengths do not fit.
    bool AdoptArrays(KVSamples&& x, KVSamples&& y);
    // X[i] = x, Y[i] = y; i must be below PointCount().
    void SetPoint(float x, float y, size_t i)
    {
        if (m_x.use_count() > 1 || m_y.use_count() > 1)
            Unshare();
        (*m_x)[i] = x;
        (*m_y)[i] = y;
    }
    // Keeps the first n points (n <= PointCount()); 0 frees the arrays.
    void ShrinkTo(size_t n);

    // Extremes of X and Y; keeps the previous values when there is no point.
    void UpdateExtremes();
    // Del from the X steps, 99999.0 when a step differs from the first by
    // more than 1 % (beyond the float32 rounding of the times themselves);
    // keeps the previous value with fewer than two points.
    void UpdateTimeStep();
    // Whether every X is the grid time (Nfp + i) x Del (KVTimeNear), so that
    // a "Y" file, which stores no X, gives them back.
    bool IsOnOwnGrid() const;

    size_t PointCount() const { return m_count; }
    bool NoData() const { return m_count == 0; }
    bool HasData() const { return m_hasData; }
    void SetHasData(bool b) { m_hasData = b; }
    // The sample arrays; null while the signal holds no points.
    float* X() { return m_count ? Own(m_x) : nullptr; }
    float* Y() { return m_count ? Own(m_y) : nullptr; }
    const float* X() const { return m_count ? m_x->data() : nullptr; }
    const float* Y() const { return m_count ? m_y->data() : nullptr; }

    const KVHeader& Header() const { return m_h; }
    KVHeader& Header() { return m_h; }

#define KV_TEXT_ACCESS(name, def)                                      \
    const std::string& name() const { return m_h.name; }               \
    void Set##name(const std::string& v) { m_h.name = v; }             \
    void Set##name(const char* v) { m_h.name = v ? v : ""; }
#define KV_REAL_ACCESS(name, def)                                      \
    float name() const { return m_h.name; }                            \
    void Set##name(float v) { m_h.name = v; }
#define KV_INT_ACCESS(name, def)                                       \
    int name() const { return m_h.name; }                              \
    void Set##name(int v) { m_h.name = v; }
    KV_SIGNAL_FIELDS(KV_TEXT_ACCESS, KV_REAL_ACCESS, KV_INT_ACCESS)
#undef KV_TEXT_ACCESS
#undef KV_REAL_ACCESS
#undef KV_INT_ACCESS

private:
    void CopyArrays(const KVSignal& other);
    // The data of a, first copied when another signal shares it.
    float* Own(std::shared_ptr<KVSamples>& a)
    {
        if (a.use_count() > 1)
            OwnCopy(a);
        return a->data();
    }
    void OwnCopy(std::shared_ptr<KVSamples>& a);
    void Unshare();

    KVHeader m_h;
    // Hold at least m_count values while m_count > 0, and may be shared with
    // other signals (ShareArraysOf). A new Allocate reuses their memory when
    // it is large enough and not shared, so that loading file after file
    // into one signal does not fetch fresh memory each time.
    std::shared_ptr<KVSamples> m_x;
    std::shared_ptr<KVSamples> m_y;
    size_t m_count = 0;
    bool m_hasData = false;
};
