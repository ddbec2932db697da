#pragma once
#include "TfIndexStore.h"

#include <cstddef>
#include <vector>

// Point-by-point sums of the curves of one corridor. Each index keeps the
// first value seen there and sums the deviations from it in double: with
// curves far from zero the plain sum of squares cancels badly in 32-bit
// floats and can even give a negative variance.
class CorridorSums {
public:
    // Starts over with the samples y[k] at point indices first + k.
    void Start(long long first, const float* y, size_t n);
    // Adds one curve; true when some index it covers ends up with fewer
    // curves than curvesBefore (the short-span warning).
    bool Add(long long first, const float* y, size_t n, int curvesBefore);

    int Count(long long i) const;

    // Statistics over the indices [lo, hi] (lo <= hi).
    struct Result {
        std::vector<float> mean;
        std::vector<float> sigma;
        double cumulativeVariance = 0.0;
        long long points = 0;         // indices of the span
        long long variancePoints = 0; // indices with two curves or more
        long long emptyPoints = 0;    // indices no curve covers
    };
    // Sample standard deviation; an index with one curve has sigma 0 and no
    // share in the variances, an index without a curve has mean and sigma 0.
    Result Compute(long long lo, long long hi) const;

private:
    void Widen(long long lo, long long hi);

    Toolsif::IndexStore m_store;
    std::vector<float> m_first;
    std::vector<double> m_sum;   // sum of (y - first)
    std::vector<double> m_sumSq; // sum of (y - first)^2
    std::vector<int> m_count;
};
