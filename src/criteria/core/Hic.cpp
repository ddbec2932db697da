#include "Hic.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace Criteria {

namespace {

// The trapezoidal integral of a from sample 0 to each sample.
std::vector<double> Cumulative(const std::vector<double>& a, double dt)
{
    std::vector<double> cum(a.size(), 0.0);
    for (size_t i = 1; i < a.size(); ++i)
        cum[i] = cum[i - 1] + 0.5 * dt * (a[i - 1] + a[i]);
    return cum;
}

// (t2 - t1) * mean^2.5 of the pair (i, i + d), or a negative value when the
// mean is not positive; mean^2.5 as mean^2 * sqrt(mean): exact, and far
// cheaper than pow.
inline double PairHic(const std::vector<double>& cum, size_t i, size_t d, double dt)
{
    const double span = double(d) * dt;
    const double mean = (cum[i + d] - cum[i]) / span;
    return mean > 0 ? span * mean * mean * std::sqrt(mean) : -1.0;
}

// Whether (value, i, j) beats best: higher, or as high and earlier, so that
// the result is the one the search over every pair in order finds.
inline bool Beats(double value, size_t i, size_t j, const HicResult& best)
{
    return !best.found || value > best.value
           || (value == best.value && (i < best.i1 || (i == best.i1 && j < best.i2)));
}

// Every pair within steps samples, in order: for inputs with gaps (NaN),
// which the bounds below cannot hold.
HicResult SearchAll(const std::vector<double>& cum, double dt, size_t steps)
{
    HicResult best;
    const size_t n = cum.size();
    for (size_t i = 0; i + 1 < n; ++i)
        for (size_t d = 1; d <= steps && i + d < n; ++d)
            if (const double h = PairHic(cum, i, d, dt); h >= 0 && Beats(h, i, i + d, best))
                best = {true, h, i, i + d};
    return best;
}

// The exact search over blocks of starts and ends. For starts in block I and
// ends in block J the integral is at most max(cum over J) - min(cum over I)
// and the span at least the distance between the blocks; the mean is also at
// most the largest sample between them. A first pass takes one pair of each
// block pair whose bound beats the best so far, which leaves the best close
// to the maximum; the second searches the block pairs whose bound still
// beats it, pair by pair as the plain search does, so value and window are
// the plain search's to the last bit.
HicResult SearchPruned(const std::vector<double>& a, const std::vector<double>& cum, double dt, size_t steps)
{
    const size_t n = cum.size();
    // Blocks of about a 64th of the window: bounds tight enough to leave a
    // few block pairs near the maximum, few enough to bound cheaply.
    const size_t block = std::clamp<size_t>(steps / 64, 8, 4096);
    const size_t blocks = (n + block - 1) / block;
    std::vector<double> cumMin(blocks), cumMax(blocks), aMax(blocks);
    for (size_t b = 0; b < blocks; ++b) {
        const auto from = long(b * block), to = long(std::min(n, b * block + block));
        cumMin[b] = *std::min_element(cum.begin() + from, cum.begin() + to);
        cumMax[b] = *std::max_element(cum.begin() + from, cum.begin() + to);
        aMax[b] = *std::max_element(a.begin() + from, a.begin() + to);
    }
    // Per start block, the bound of every window from it: the longest span
    // times the largest sample within reach. Quiet stretches of a long
    // record cost one comparison a block.
    const size_t reach = steps / block + 2;
    std::vector<double> rowBound(blocks);
    {
        std::deque<size_t> window; // blocks of falling maxima
        for (size_t bi = blocks, next = blocks; bi-- > 0;) {
            for (; next > bi; --next) {
                while (!window.empty() && aMax[window.back()] <= aMax[next - 1])
                    window.pop_back();
                window.push_back(next - 1);
            }
            while (window.front() > bi + reach)
                window.pop_front();
            const double peak = aMax[window.front()], span = double(steps) * dt;
            rowBound[bi] = peak > 0 ? span * peak * peak * std::sqrt(peak) * (1 + 1e-9) : -1.0;
        }
    }
    HicResult best;
    // Calls visit(bi, bj) for every block pair whose bound beats the best.
    // The first pass starts at the block of the highest bound, so that the
    // quiet blocks meet a best already high.
    const size_t top = size_t(std::max_element(rowBound.begin(), rowBound.end()) - rowBound.begin());
    const auto eachHopeful = [&](auto&& visit) {
        for (size_t k = 0; k < blocks; ++k) {
            const size_t bi = (top + k) % blocks;
            if (rowBound[bi] < 0 || (best.found && rowBound[bi] < best.value))
                continue;
            double peak = 0;
            for (size_t bj = bi; bj < blocks; ++bj) {
                const size_t gap = bj > bi ? (bj - bi - 1) * block + 1 : 1; // the nearest start and end
                if (gap > steps)
                    break;
                peak = std::max(peak, std::max(aMax[bi], aMax[bj]));
                const double rise = cumMax[bj] - cumMin[bi];
                if (!(rise > 0) || !(peak > 0))
                    continue;
                const double spanMin = double(gap) * dt;
                const double spanMax = double(std::min(steps, (bj - bi + 1) * block)) * dt;
                const double byRise = rise * rise * std::sqrt(rise) / (spanMin * std::sqrt(spanMin));
                const double byPeak = spanMax * peak * peak * std::sqrt(peak);
                // The slack covers the rounding of the values against their bound.
                if (!best.found || std::min(byRise, byPeak) * (1 + 1e-9) >= best.value)
                    visit(bi * block, std::min(n, bi * block + block), bj * block, std::min(n, bj * block + block));
            }
        }
    };
    const auto consider = [&](size_t i, size_t j) {
        if (const double h = PairHic(cum, i, j - i, dt); h >= 0 && Beats(h, i, j, best))
            best = {true, h, i, j};
    };
    eachHopeful([&](size_t i0, size_t i1, size_t j0, size_t j1) {
        const size_t i = (i0 + i1) / 2, j = std::min((j0 + j1) / 2, i + steps);
        if (j > i && j < j1)
            consider(i, j);
    });
    eachHopeful([&](size_t i0, size_t i1, size_t j0, size_t j1) {
        for (size_t i = i0; i < i1; ++i)
            for (size_t j = std::max(j0, i + 1), to = std::min(j1, i + steps + 1); j < to; ++j)
                consider(i, j);
    });
    return best;
}

} // namespace

std::vector<HicResult> ComputeHic(const std::vector<double>& a, double dt, const std::vector<double>& windows)
{
    std::vector<HicResult> best(windows.size());
    const size_t n = a.size();
    if (n < 2 || !(dt > 0))
        return best;
    const std::vector<double> cum = Cumulative(a, dt);
    const bool finite = std::all_of(a.begin(), a.end(), [](double v) { return std::isfinite(v); });
    for (size_t k = 0; k < windows.size(); ++k) {
        // The window limit in samples; a little slack so that 0.015 / 0.0001 counts as 150.
        const size_t steps = static_cast<size_t>(std::max(0.0, std::floor(windows[k] / dt + 1e-6)));
        if (steps == 0)
            continue;
        best[k] = finite ? SearchPruned(a, cum, dt, std::min(steps, n - 1)) : SearchAll(cum, dt, std::min(steps, n - 1));
    }
    return best;
}

} // namespace Criteria
