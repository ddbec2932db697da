#include "DemoWaveform.h"

#include <cmath>
#include <numbers>

double DemoTermValue(const DemoTerm& term, double t)
{
    const double s = t - term.start;
    switch (term.kind) {
    case DemoTerm::HalfSine:
        if (s < 0 || s > term.span)
            return 0;
        return term.amp * std::sin(std::numbers::pi * s / term.span);
    case DemoTerm::Ring:
        if (s < 0)
            return 0;
        return term.amp * std::exp(-s / term.decay) * std::sin(2 * std::numbers::pi * term.span * s);
    case DemoTerm::Ramp:
        // Smooth step from 0 to amp over span: a permanent set, e.g. a crushed structure.
        if (s < 0)
            return 0;
        if (s > term.span)
            return term.amp;
        return term.amp * 0.5 * (1 - std::cos(std::numbers::pi * s / term.span));
    case DemoTerm::None:
        break;
    }
    return 0;
}

double DemoNoise::Uniform()
{
    m_state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = m_state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    // 53 random bits, shifted off zero so the logarithm below stays finite.
    return (double(z >> 11) + 0.5) / 9007199254740992.0;
}

double DemoNoise::Normal()
{
    if (m_haveSpare) {
        m_haveSpare = false;
        return m_spare;
    }
    const double r = std::sqrt(-2 * std::log(Uniform()));
    const double phi = 2 * std::numbers::pi * Uniform();
    m_spare = r * std::sin(phi);
    m_haveSpare = true;
    return r * std::cos(phi);
}

std::vector<double> DemoBandNoise(std::uint64_t seed, std::size_t n, double sigma, double dt,
                                  double cutOff)
{
    DemoNoise noise(seed);
    std::vector<double> out(n);
    if (cutOff <= 0) {
        for (double& v : out)
            v = sigma * noise.Normal();
        return out;
    }
    const double alpha = 1 - std::exp(-2 * std::numbers::pi * cutOff * dt);
    // A one-pole low-pass keeps alpha / (2 - alpha) of white noise's variance.
    const double gain = sigma * std::sqrt((2 - alpha) / alpha);
    double state = 0;
    for (double& v : out) {
        state += alpha * (noise.Normal() - state);
        v = gain * state;
    }
    return out;
}
