// dY/dX: a five-point-end rule on a uniform step, a Lagrange rule on X/Y data.
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace Kalvio {

namespace {

using Real = long double;

// Status of a three-point slope: how it was formed.
enum SlopeKind { kLagrange = 0, kBackward = 1, kForward = 2, kBlended = 3, kNoSlope = 4 };

struct Slope {
    Real value = 0;
    int status = kNoSlope;
};

struct Pt {
    Real x, y;
};

bool NearEqual5(Real a, Real b) { return NearEqual(double(a), double(b), 1e-5); }

// Slope at point `at` (0, 1 or 2) of three points.
Slope ThreePoint(const Pt& p0, const Pt& p1, const Pt& p2, int at)
{
    auto forward = [&] { return Slope{(p2.y - p1.y) / (p2.x - p1.x), kForward}; };
    auto backward = [&] { return Slope{(p1.y - p0.y) / (p1.x - p0.x), kBackward}; };
    // Three samples at one time form no slope; 0 is taken and the status
    // keeps the end rules from building on it.
    if (p0.x == p1.x && p1.x == p2.x)
        return Slope{0, kNoSlope};
    if (p0.x == p1.x)
        return forward();
    if (p1.x == p2.x)
        return backward();
    const Real d1 = p1.x - p0.x;
    const Real d2 = p2.x - p1.x;
    const Real r = std::fabs(d1) / (std::fabs(d1) + std::fabs(d2));
    if (r < 0.25L && NearEqual5(p1.x, p0.x))
        return forward();
    if (r > 0.75L && NearEqual5(p1.x, p2.x))
        return backward();
    const bool between = (p0.x < p1.x && p1.x < p2.x) || (p0.x > p1.x && p1.x > p2.x);
    if (between) {
        const Real p = at == 0 ? p0.x : at == 1 ? p1.x : p2.x;
        const Real v = p0.y * (2 * p - p1.x - p2.x) / ((p0.x - p1.x) * (p0.x - p2.x)) +
                       p1.y * (2 * p - p0.x - p2.x) / ((p1.x - p0.x) * (p1.x - p2.x)) +
                       p2.y * (2 * p - p0.x - p1.x) / ((p2.x - p0.x) * (p2.x - p1.x));
        const Real closer = std::fabs(d1) < std::fabs(d2) ? p0.x : p2.x;
        return Slope{v, NearEqual5(p1.x, closer) ? kBlended : kLagrange};
    }
    if (at == 1)
        return Slope{r * (p2.y - p1.y) / d2 + (1 - r) * (p1.y - p0.y) / d1, kBlended};
    return at == 0 ? backward() : forward();
}

// Slope at the first of four points, corrected by the trend of the next ones.
Real FourPoint(const Pt& p0, const Pt& p1, const Pt& p2, const Pt& p3)
{
    const Slope a = ThreePoint(p0, p1, p2, 0);
    const Slope b = ThreePoint(p0, p1, p2, 1);
    const Slope c = ThreePoint(p1, p2, p3, 1);
    if (b.status != kLagrange || c.status != kLagrange)
        return a.value;
    const Real e = b.value + (b.value - c.value) * (p1.x - p0.x) / (p2.x - p1.x);
    return (2 * e + a.value) / 3;
}

float Store(Real v, float factor)
{
    const Real scaled = v * factor;
    // NaN stays NaN; everything else is held to the float range.
    if (scaled > 1e38L)
        return 1e38f;
    if (scaled < -1e38L)
        return -1e38f;
    return static_cast<float>(scaled);
}

} // namespace

bool DerivUniform(const float* y, std::size_t n, double h, float factor, float* d)
{
    if (!y || !d || n < 2 || !(h > 0.0))
        return false;
    const Real G = Real(factor) / (2 * Real(h));
    // Two points have one slope; three take the three-point end formulas,
    // which are exact for a parabola as the four-point ones are for a cubic.
    if (n == 2) {
        d[0] = d[1] = static_cast<float>((Real(y[1]) - y[0]) * 2 * G);
        return true;
    }
    std::vector<Real> r(n);
    for (std::size_t i = 1; i + 1 < n; ++i)
        r[i] = (Real(y[i + 1]) - y[i - 1]) * G;
    if (n == 3) {
        r[0] = (4 * Real(y[1]) - 3 * Real(y[0]) - y[2]) * G;
        r[2] = (3 * Real(y[2]) - 4 * Real(y[1]) + y[0]) * G;
    } else {
        r[0] = (6 * Real(y[1]) + 3 * Real(y[2]) - 7 * Real(y[0]) - 2 * Real(y[3])) * G / 3;
        r[n - 1] = (7 * Real(y[n - 1]) - 6 * Real(y[n - 2]) - 3 * Real(y[n - 3]) + 2 * Real(y[n - 4])) * G / 3;
    }
    // An end value ten times its neighbour's size is an artefact of the end
    // formula (a step at the record's edge); the neighbour is kept instead.
    if (std::fabs(r[n - 1]) > 10 * std::fabs(r[n - 2]))
        r[n - 1] = r[n - 2];
    if (std::fabs(r[0]) > 10 * std::fabs(r[1]))
        r[0] = r[1];
    for (std::size_t i = 0; i < n; ++i)
        d[i] = static_cast<float>(r[i]);
    return true;
}

bool DerivXY(const float* x, const float* y, std::size_t n, float factor, float* d)
{
    if (!x || !y || !d || n < 3)
        return false;
    auto P = [x, y](std::size_t i) { return Pt{Real(x[i]), Real(y[i])}; };
    // Three points have no fourth for the end rules: the three-point rule
    // serves at the ends.
    if (n == 3) {
        d[0] = Store(ThreePoint(P(0), P(1), P(2), 0).value, factor);
        d[1] = Store(ThreePoint(P(0), P(1), P(2), 1).value, factor);
        d[2] = Store(ThreePoint(P(0), P(1), P(2), 2).value, factor);
        return true;
    }
    d[0] = Store(FourPoint(P(0), P(1), P(2), P(3)), factor);
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const Slope s = ThreePoint(P(i - 1), P(i), P(i + 1), 1);
        Real v = s.value;
        if (s.status == kBackward && i > 2) {
            v = FourPoint(P(i), P(i - 1), P(i - 2), P(i - 3));
        } else if (s.status == kForward && i + 4 <= n) {
            v = FourPoint(P(i), P(i + 1), P(i + 2), P(i + 3));
        } else if (s.status == kBlended && i > 2 && i + 4 <= n) {
            const Real B = FourPoint(P(i), P(i - 1), P(i - 2), P(i - 3));
            const Real A = FourPoint(P(i), P(i + 1), P(i + 2), P(i + 3));
            const Real back = std::fabs(Real(x[i]) - x[i - 1]);
            const Real ahead = std::fabs(Real(x[i + 1]) - x[i]);
            const Real w = back + ahead > 0 ? back / (ahead + back) : Real(0.5);
            v = (1 - w) * B + w * A;
        }
        d[i] = Store(v, factor);
    }
    d[n - 1] = Store(FourPoint(P(n - 1), P(n - 2), P(n - 3), P(n - 4)), factor);
    return true;
}

// derivY without the guard against memory failures and non-finite results.
static bool derivYUnguarded(KVSignal& signal, KVErrorList* errors)
{
    const std::size_t n = signal.PointCount();
    if (n < 2 || !signal.X() || !signal.Y()) {
        Report(errors, "derivY", "Too few data points to compute a derivative");
        return false;
    }
    const UnitRule rule = DerivativeUnits(signal.XUnits(), signal.YUnits());
    std::vector<float> d;
    try {
        d.resize(n);
    } catch (const std::bad_alloc&) {
        Report(errors, "derivY", "Not enough memory");
        return false;
    }
    std::size_t count = n;
    if (HasConstantStep(signal.Del())) {
        count = SpanCount(signal);
        if (!DerivUniform(signal.Y(), count, signal.Del(), rule.factor, d.data())) {
            Report(errors, "derivY", "Error Computing Y derivative");
            return false;
        }
    } else if (!DerivXY(signal.X(), signal.Y(), n, rule.factor, d.data())) {
        Report(errors, "derivY", "Error Computing an XY derivative");
        return false;
    }
    std::copy_n(d.data(), count, signal.Y());
    signal.SetYUnits(rule.units);
    signal.SetYType(rule.dimension);
    RefreshExtremes(signal);
    return true;
}

bool derivY(KVSignal& signal, KVErrorList* errors)
{
    return Guarded(signal, "derivY", errors, [&] { return derivYUnguarded(signal, errors); });
}

} // namespace Kalvio
