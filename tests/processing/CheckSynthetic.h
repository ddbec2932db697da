#pragma once
// Synthetic crash channels for tuning and testing the signal check: a
// half-sine pulse after a pre-event stretch, with seeded noise of a chosen
// kind, and the faults of a measuring chain put in on request.
#include "KVSignal.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace synth {

// splitmix64 and Box-Muller: the same numbers on every platform.
class Normal {
public:
    explicit Normal(std::uint64_t seed) : m_state(seed) {}
    double operator()()
    {
        const double u1 = Uniform();
        const double u2 = Uniform();
        return std::sqrt(-2 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
    }

private:
    double Uniform()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return (double(z >> 11) + 0.5) / 9007199254740992.0;
    }
    std::uint64_t m_state;
};

enum class Noise { None, White, Band, Quantised };

struct Pulse {
    double rate = 10000;   // Hz
    double width = 0.01;   // s
    double height = 60;    // signed peak
    double noise = 0.005;  // deviation as a share of |height|
    Noise kind = Noise::White;
    double pre = 0.02;     // s of record before time zero
    double post = 0.08;    // s of record after the pulse
    int cfc = 1000;
    std::uint64_t seed = 1;
};

// Samples of the pulse at (k - pre * rate) / rate; the noise kinds: white,
// band-limited by a one-pole low-pass at 100 Hz (a CFC 60 channel), or a
// 12-bit converter over twice the height with a third of a step of noise.
inline std::vector<double> PulseValues(const Pulse& p, std::vector<double>& t)
{
    const int nPre = int(std::lround(p.pre * p.rate));
    const int n = nPre + int(std::lround((p.width + p.post) * p.rate)) + 1;
    Normal normal(p.seed);
    const double sigma = p.noise * std::fabs(p.height);
    const double alpha = 1 - std::exp(-2 * std::numbers::pi * 100.0 / p.rate);
    const double bandGain = std::sqrt((2 - alpha) / alpha);
    const double lsb = 2 * std::fabs(p.height) / 4096;
    double state = 0;
    std::vector<double> y(static_cast<std::size_t>(n));
    t.resize(std::size_t(n));
    for (int k = 0; k < n; ++k) {
        const double tk = double(k - nPre) / p.rate;
        t[std::size_t(k)] = tk;
        double v = tk >= 0 && tk <= p.width ? p.height * std::sin(std::numbers::pi * tk / p.width) : 0.0;
        switch (p.kind) {
        case Noise::None:
            break;
        case Noise::White:
            v += sigma * normal();
            break;
        case Noise::Band:
            state += alpha * (normal() - state);
            v += sigma * bandGain * state;
            break;
        case Noise::Quantised:
            v = lsb * std::round((v + lsb / 3 * normal()) / lsb);
            break;
        }
        y[std::size_t(k)] = v;
    }
    return y;
}

// A stored channel: time in SECONDS, an accelerometer in G'S of class cfc.
inline KVSignal Channel(const std::vector<double>& t, const std::vector<double>& y, int cfc)
{
    KVSignal s;
    s.Allocate(t.size());
    for (std::size_t k = 0; k < t.size(); ++k)
        s.SetPoint(float(t[k]), float(y[k]), k);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetYType("ACCELERATION");
    s.SetYUnits("G'S");
    s.SetFilterClass(cfc);
    s.SetDel(float(t.size() > 1 ? t[1] - t[0] : 0));
    s.SetHasData(true);
    s.UpdateExtremes();
    return s;
}

// Index of time t (nearest sample).
inline std::size_t IndexOf(const std::vector<double>& t, double at)
{
    const double step = t[1] - t[0];
    return std::size_t(std::lround((at - t[0]) / step));
}

} // namespace synth
