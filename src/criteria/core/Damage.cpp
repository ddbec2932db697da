#include "Damage.h"

#include <algorithm>
#include <cmath>

namespace Criteria {

namespace {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<Vec3, 3>;

Mat3 Stiffness(const DamageModel& m)
{
    return {{{m.kxx + m.kxy + m.kxz, -m.kxy, -m.kxz},
             {-m.kxy, m.kxy + m.kyy + m.kyz, -m.kyz},
             {-m.kxz, -m.kyz, m.kxz + m.kyz + m.kzz}}};
}

// State derivative: delta' = v, v' = u - (a1 K) v - K delta (unit masses).
void Derivative(const Mat3& k, double a1, const Vec3& d, const Vec3& v, const Vec3& u, Vec3& dd, Vec3& dv)
{
    for (int r = 0; r < 3; ++r) {
        double kd = 0, kv = 0;
        for (int c = 0; c < 3; ++c) {
            kd += k[r][c] * d[c];
            kv += k[r][c] * v[c];
        }
        dd[r] = v[r];
        dv[r] = u[r] - a1 * kv - kd;
    }
}

} // namespace

DamageResult ComputeDamage(const std::vector<double>& ax, const std::vector<double>& ay,
                           const std::vector<double>& az, double dt, const DamageModel& model)
{
    DamageResult r;
    const size_t n = std::min({ax.size(), ay.size(), az.size()});
    if (n < 2 || !(dt > 0))
        return r;
    const Mat3 k = Stiffness(model);
    constexpr int kSub = 4;
    const double h = dt / kSub;
    Vec3 d{0, 0, 0}, v{0, 0, 0};
    r.found = true;
    r.history.assign(n, 0.0);
    for (size_t i = 0; i + 1 < n; ++i) {
        const Vec3 u0{ax[i], ay[i], az[i]};
        const Vec3 u1{ax[i + 1], ay[i + 1], az[i + 1]};
        auto input = [&](double f) {
            return Vec3{u0[0] + f * (u1[0] - u0[0]), u0[1] + f * (u1[1] - u0[1]), u0[2] + f * (u1[2] - u0[2])};
        };
        for (int s = 0; s < kSub; ++s) {
            const double f0 = double(s) / kSub;
            const double fm = (s + 0.5) / kSub;
            const double f1 = double(s + 1) / kSub;
            Vec3 k1d, k1v, k2d, k2v, k3d, k3v, k4d, k4v, td, tv;
            Derivative(k, model.a1, d, v, input(f0), k1d, k1v);
            for (int j = 0; j < 3; ++j) {
                td[j] = d[j] + 0.5 * h * k1d[j];
                tv[j] = v[j] + 0.5 * h * k1v[j];
            }
            Derivative(k, model.a1, td, tv, input(fm), k2d, k2v);
            for (int j = 0; j < 3; ++j) {
                td[j] = d[j] + 0.5 * h * k2d[j];
                tv[j] = v[j] + 0.5 * h * k2v[j];
            }
            Derivative(k, model.a1, td, tv, input(fm), k3d, k3v);
            for (int j = 0; j < 3; ++j) {
                td[j] = d[j] + h * k3d[j];
                tv[j] = v[j] + h * k3v[j];
            }
            Derivative(k, model.a1, td, tv, input(f1), k4d, k4v);
            for (int j = 0; j < 3; ++j) {
                d[j] += h / 6 * (k1d[j] + 2 * k2d[j] + 2 * k3d[j] + k4d[j]);
                v[j] += h / 6 * (k1v[j] + 2 * k2v[j] + 2 * k3v[j] + k4v[j]);
            }
        }
        const double value = model.beta * std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        r.history[i + 1] = value;
        if (value > r.value) {
            r.value = value;
            r.at = i + 1;
        }
    }
    return r;
}

} // namespace Criteria
