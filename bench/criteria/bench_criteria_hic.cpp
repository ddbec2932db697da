// HIC15 and HIC36 of a 300 ms record at 10 kHz, exact over every sample pair
// within 36 ms; the budget is 50 ms per evaluation. The same record at 100 kHz
// and 1 MHz (budget 1 s), each beside the plain search over every pair within
// the window, which the pruned one must equal. The 3 ms clip and Nij of the
// same length run alongside for scale.
#include "Clip3ms.h"
#include "Dummies.h"
#include "Hic.h"
#include "NeckCriteria.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kDt = 0.0001;

// A head pulse with ringing and a rebound, 300 ms from -50 ms at step dt.
std::vector<double> HeadResultant(double dt = kDt)
{
    std::vector<double> a(static_cast<size_t>(std::llround(0.3 / dt)) + 1);
    for (size_t i = 0; i < a.size(); ++i) {
        const double t = -0.05 + double(i) * dt;
        double v = 0.4 + 0.2 * std::sin(977.0 * t);
        if (t > 0.06 && t < 0.125)
            v += 45 * std::sin(std::numbers::pi * (t - 0.06) / 0.065);
        if (t > 0.09 && t < 0.112)
            v += 22 * std::sin(std::numbers::pi * (t - 0.09) / 0.022);
        a[i] = std::fabs(v);
    }
    return a;
}

void BM_Hic15And36(benchmark::State& state)
{
    const std::vector<double> a = HeadResultant();
    for (auto _ : state) {
        std::vector<Criteria::HicResult> r = Criteria::ComputeHic(a, kDt, {0.015, 0.036});
        benchmark::DoNotOptimize(r);
    }
    const std::vector<Criteria::HicResult> r = Criteria::ComputeHic(a, kDt, {0.015, 0.036});
    state.counters["HIC15"] = r[0].value;
    state.counters["HIC36"] = r[1].value;
    state.counters["budget_ms"] = 50;
}
BENCHMARK(BM_Hic15And36)->Unit(benchmark::kMillisecond);

// The plain search: every pair within the window, as the pruned one was before.
double AllPairsHic(const std::vector<double>& a, double dt, double window)
{
    std::vector<double> cum(a.size(), 0.0);
    for (size_t i = 1; i < a.size(); ++i)
        cum[i] = cum[i - 1] + 0.5 * dt * (a[i - 1] + a[i]);
    const size_t steps = static_cast<size_t>(std::floor(window / dt + 1e-6));
    double best = 0;
    for (size_t i = 0; i + 1 < a.size(); ++i)
        for (size_t j = i + 1; j < a.size() && j - i <= steps; ++j) {
            const double span = double(j - i) * dt, mean = (cum[j] - cum[i]) / span;
            if (mean > 0)
                best = std::max(best, span * mean * mean * std::sqrt(mean));
        }
    return best;
}

// Arg: samples per second. Pruned: HIC15 and HIC36; all pairs: HIC36 alone.
void BM_Hic36Pruned(benchmark::State& state)
{
    const double dt = 1.0 / double(state.range(0));
    const std::vector<double> a = HeadResultant(dt);
    for (auto _ : state)
        benchmark::DoNotOptimize(Criteria::ComputeHic(a, dt, {0.015, 0.036}));
    state.counters["HIC36"] = Criteria::ComputeHic(a, dt, {0.036})[0].value;
    state.counters["budget_ms"] = 1000;
}
BENCHMARK(BM_Hic36Pruned)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_Hic36AllPairs(benchmark::State& state)
{
    const double dt = 1.0 / double(state.range(0));
    const std::vector<double> a = HeadResultant(dt);
    double hic = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(hic = AllPairsHic(a, dt, 0.036));
    state.counters["HIC36"] = hic;
}
// 1 MHz takes about a minute a run; 100 kHz shows the growth.
BENCHMARK(BM_Hic36AllPairs)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Clip3ms(benchmark::State& state)
{
    const std::vector<double> a = HeadResultant();
    for (auto _ : state)
        benchmark::DoNotOptimize(Criteria::ComputeClip(a, kDt, 0.003));
}
BENCHMARK(BM_Clip3ms)->Unit(benchmark::kMicrosecond);

void BM_Nij(benchmark::State& state)
{
    const std::vector<double> a = HeadResultant();
    const Criteria::NijIntercepts c = *Criteria::FindDummy("h3-50m")->nij;
    for (auto _ : state)
        benchmark::DoNotOptimize(Criteria::ComputeNij(a, a, a, c));
}
BENCHMARK(BM_Nij)->Unit(benchmark::kMicrosecond);

// The same pulse in a 10 s record (100,000 samples), quiet elsewhere: the
// assessment of a long test evaluates HIC over the whole record.
void BM_Hic36LongRecord(benchmark::State& state)
{
    std::vector<double> a = HeadResultant();
    a.resize(100000);
    for (size_t i = 3001; i < a.size(); ++i)
        a[i] = std::fabs(0.4 + 0.2 * std::sin(977.0 * double(i) * kDt));
    for (auto _ : state)
        benchmark::DoNotOptimize(Criteria::ComputeHic(a, kDt, {0.036}));
    state.counters["HIC36"] = Criteria::ComputeHic(a, kDt, {0.036})[0].value;
}
BENCHMARK(BM_Hic36LongRecord)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
