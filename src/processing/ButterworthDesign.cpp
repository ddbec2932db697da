// General Butterworth low-pass from pass and stop requirements: cascaded
// bilinear-transformed sections of order 1 to 4.
#include "Kalvio.h"

#include <array>
#include <cmath>
#include <vector>

namespace Kalvio {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kMaxOrder = 4;

// Coefficients of one section in powers of z^-1: y[i] = (sum b x - sum a y) / a[0].
struct Section {
    int q = 0;
    std::array<double, kMaxOrder + 1> b{};
    std::array<double, kMaxOrder + 1> a{};
};

// (1 - z)^k (1 + z)^(q - k) as coefficients of z^0 .. z^q.
std::array<double, kMaxOrder + 1> BinomialProduct(int k, int q)
{
    std::array<double, kMaxOrder + 1> p{};
    p[0] = 1.0;
    for (int f = 0; f < q; ++f) {
        const double sign = f < k ? -1.0 : 1.0;
        for (int j = f + 1; j > 0; --j)
            p[j] += sign * p[j - 1];
    }
    return p;
}

Section MakeSection(int q, double c)
{
    // Normalised Butterworth polynomials, lowest power first.
    static const double poly[kMaxOrder + 1][kMaxOrder + 1] = {
        {1, 0, 0, 0, 0},
        {1, 1, 0, 0, 0},
        {1, std::sqrt(2.0), 1, 0, 0},
        {1, 2, 2, 1, 0},
        {1, 2.6131259, 3.4142136, 2.6131259, 1},
    };
    Section s;
    s.q = q;
    s.b = BinomialProduct(0, q);
    double ck = 1.0;
    for (int k = 0; k <= q; ++k) {
        const auto term = BinomialProduct(k, q);
        for (int j = 0; j <= q; ++j)
            s.a[j] += poly[q][k] * ck * term[j];
        ck *= c;
    }
    return s;
}

// One pass of a section of order Q over x[0..n-1], forward or backward. The
// first Q samples of the pass are kept and seed both histories. The order is
// a template argument so that the inner loops unroll.
template <int Q, bool Forward>
void RunOrder(const Section& s, float* x, std::size_t n)
{
    if (n <= static_cast<std::size_t>(Q))
        return;
    auto at = [x, n](std::size_t i) -> float& { return Forward ? x[i] : x[n - 1 - i]; };
    double in[Q + 1];
    double out[Q + 1];
    for (int j = 1; j <= Q; ++j)
        in[j] = out[j] = double(at(static_cast<std::size_t>(Q - j)));
    const double inv = 1.0 / s.a[0];
    double b[Q + 1];
    double a[Q + 1];
    for (int j = 0; j <= Q; ++j) {
        b[j] = s.b[j] * inv;
        a[j] = s.a[j] * inv;
    }
    for (std::size_t i = static_cast<std::size_t>(Q); i < n; ++i) {
        in[0] = double(at(i));
        double acc = 0.0;
        for (int j = 0; j <= Q; ++j)
            acc += b[j] * in[j];
        for (int j = 1; j <= Q; ++j)
            acc -= a[j] * out[j];
        at(i) = static_cast<float>(acc);
        for (int j = Q; j > 0; --j) {
            in[j] = in[j - 1];
            out[j] = out[j - 1];
        }
        out[1] = acc;
    }
}

template <bool Forward>
void Run(const Section& s, float* x, std::size_t n)
{
    switch (s.q) {
    case 1: RunOrder<1, Forward>(s, x, n); break;
    case 2: RunOrder<2, Forward>(s, x, n); break;
    case 3: RunOrder<3, Forward>(s, x, n); break;
    default: RunOrder<4, Forward>(s, x, n); break;
    }
}

// Orders of the sections that compose order N.
std::vector<int> SectionOrders(int N)
{
    static const std::vector<int> table[13] = {
        {}, {1}, {2}, {3}, {4}, {3, 2}, {3, 3}, {4, 3}, {4, 4}, {3, 3, 3}, {4, 3, 3}, {4, 4, 3}, {4, 4, 4},
    };
    if (N <= 12)
        return table[N];
    const int fours = (N - 13) / 4 + 1;
    std::vector<int> orders(static_cast<std::size_t>(fours), 4);
    const auto& rest = table[N - 4 * fours];
    orders.insert(orders.end(), rest.begin(), rest.end());
    return orders;
}

} // namespace

bool ButterworthDesign(float* x, float dt, std::size_t n, double pass, double attenuationDb, int mode,
                       double stop)
{
    const double raw = std::trunc(0.5 - attenuationDb / (20.0 * std::log10(stop / pass)));
    if (!(raw >= 0.0))
        return false;
    // Beyond this the order is no longer a filter anyone designs on purpose;
    // it would only spend time.
    if (raw > 64.0)
        return false;
    int N = static_cast<int>(raw);
    if (mode == 3)
        N = (N + 1) / 2;
    if (!x || n == 0)
        return true;
    const double c = std::cos(kPi * pass * dt) / std::sin(kPi * pass * dt);
    for (int q : SectionOrders(N)) {
        const Section s = MakeSection(q, c);
        if (mode == 1 || mode == 3)
            Run<true>(s, x, n);
        if (mode == 2 || mode == 3)
            Run<false>(s, x, n);
    }
    return true;
}

} // namespace Kalvio
