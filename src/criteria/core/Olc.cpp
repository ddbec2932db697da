#include "Olc.h"

#include <algorithm>
#include <cmath>

namespace Criteria {

namespace {

constexpr double kG = 9.80665;

} // namespace

OlcResult ComputeOlc(const std::vector<double>& accel, double dt, double v0)
{
    OlcResult r;
    const size_t n = accel.size();
    if (n < 2 || !(dt > 0) || !(v0 > 0)) {
        r.problem = "the occupant load criterion needs two samples and a positive initial velocity";
        return r;
    }
    double change = 0;
    for (size_t i = 1; i < n; ++i)
        change += accel[i - 1] + accel[i];
    r.reversed = change > 0;
    const double sign = r.reversed ? -kG : kG;
    // v: the vehicle's velocity; s: how far a free occupant moves relative to it.
    std::vector<double> v(n, v0), s(n, 0.0);
    for (size_t i = 1; i < n; ++i) {
        v[i] = v[i - 1] + sign * 0.5 * dt * (accel[i - 1] + accel[i]);
        s[i] = s[i - 1] + 0.5 * dt * ((v0 - v[i - 1]) + (v0 - v[i]));
    }
    size_t i1 = 1;
    while (i1 < n && s[i1] < kOlcFreeFlight)
        ++i1;
    if (i1 == n) {
        r.problem = "the occupant does not move 65 mm relative to the vehicle before the record ends";
        return r;
    }
    const double f1 = (kOlcFreeFlight - s[i1 - 1]) / (s[i1] - s[i1 - 1]);
    const double t1 = (double(i1 - 1) + f1) * dt;
    // With the deceleration that gives the vehicle's velocity at t2, the
    // occupant has moved s(t2) - (v0 - v(t2)) (t2 - t1) / 2 relative to the
    // vehicle at t2; t2 is where that reaches the whole distance.
    double tPrev = t1;
    double vPrev = v[i1 - 1] + f1 * (v[i1] - v[i1 - 1]);
    double gapPrev = kOlcFreeFlight - kOlcTotal;
    for (size_t j = i1; j < n; ++j) {
        const double t = double(j) * dt;
        if (t <= t1)
            continue;
        const double gap = s[j] - (v0 - v[j]) * (t - t1) / 2 - kOlcTotal;
        if (gap >= 0) {
            const double f = -gapPrev / (gap - gapPrev);
            const double t2 = tPrev + f * (t - tPrev);
            const double v2 = vPrev + f * (v[j] - vPrev);
            const double deceleration = (v0 - v2) / (t2 - t1);
            r.found = true;
            r.value = deceleration / kG;
            r.t1 = t1;
            r.t2 = t2;
            for (size_t k = 0; k < n && double(k) * dt <= t2; ++k) {
                const double after = std::max(0.0, double(k) * dt - t1);
                r.history.push_back(1000 * (s[k] - deceleration * after * after / 2));
            }
            return r;
        }
        tPrev = t;
        vPrev = v[j];
        gapPrev = gap;
    }
    r.problem = "the occupant does not reach the vehicle's velocity within 300 mm before the record ends";
    return r;
}

} // namespace Criteria
