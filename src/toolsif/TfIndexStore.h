#pragma once
#include <cstddef>
#include <vector>

namespace Toolsif {

// The point indices in use [lo, hi] and the storage that holds them, which
// may reach beyond them. A range that is widened again and again gets spare
// room on the side it grows, so that arrays are copied only a logarithmic
// number of times and merging stays linear in the samples.
struct IndexStore {
    long long base = 0; // index of storage element 0
    size_t size = 0;    // storage elements
    long long lo = 0;
    long long hi = -1;  // lo > hi: nothing in use

    // Exactly the n indices from first, without spare room.
    static IndexStore Exactly(long long first, size_t n)
    {
        IndexStore s;
        s.base = s.lo = first;
        s.size = n;
        s.hi = first + static_cast<long long>(n) - 1;
        return s;
    }

    bool Empty() const { return hi < lo; }
    long long Count() const { return Empty() ? 0 : hi - lo + 1; }
    bool Stored(long long i) const { return i >= base && i - base < static_cast<long long>(size); }
    size_t Slot(long long i) const { return static_cast<size_t>(i - base); }

    // Puts [l, h] in use as well. True when the storage moved: callers then
    // move their arrays with Relayout(array, old, *this).
    bool Widen(long long l, long long h)
    {
        const long long newLo = Empty() ? l : (l < lo ? l : lo);
        const long long newHi = Empty() ? h : (h > hi ? h : hi);
        const bool fits = Stored(newLo) && Stored(newHi);
        const bool first = Empty();
        const long long slack = first ? 0 : (newHi - newLo + 1) / 2;
        lo = newLo;
        hi = newHi;
        if (fits)
            return false;
        const long long end = base + static_cast<long long>(size) - 1;
        const long long newBase = (first || newLo < base) ? newLo - slack : base;
        const long long newEnd = (first || newHi > end) ? newHi + slack : end;
        base = newBase;
        size = static_cast<size_t>(newEnd - newBase + 1);
        return true;
    }
};

// Moves the values of v from the storage of from to that of to; new slots are
// value-initialised.
template <typename T>
void Relayout(std::vector<T>& v, const IndexStore& from, const IndexStore& to)
{
    std::vector<T> moved(to.size, T{});
    for (size_t k = 0; k < v.size(); ++k) {
        const long long i = from.base + static_cast<long long>(k);
        if (to.Stored(i))
            moved[to.Slot(i)] = v[k];
    }
    v.swap(moved);
}

} // namespace Toolsif
