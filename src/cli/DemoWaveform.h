#pragma once
// Synthetic crash-test waveforms for the demo data set: pulses, ringing and
// seeded sensor noise. Deterministic on every platform (no std distributions,
// whose output is left to the standard library).
#include <cstdint>
#include <vector>

// One part of a channel's shape; t and the times here are in seconds.
struct DemoTerm {
    enum Kind { None, HalfSine, Ring, Ramp } kind = None;
    float amp = 0;   // peak value (HalfSine, Ring) or final value (Ramp)
    float start = 0; // s
    float span = 0;  // duration (HalfSine, Ramp) or frequency in Hz (Ring)
    float decay = 0; // time constant of Ring, s
};

// The value of one term at time t.
double DemoTermValue(const DemoTerm& term, double t);

// Small seeded generator: splitmix64 for uniforms, Box-Muller for normals.
class DemoNoise {
public:
    explicit DemoNoise(std::uint64_t seed) : m_state(seed) {}
    double Uniform();  // (0, 1)
    double Normal();   // mean 0, deviation 1

private:
    std::uint64_t m_state;
    bool m_haveSpare = false;
    double m_spare = 0;
};

// Gaussian noise of deviation sigma, band-limited to cutOff Hz by a one-pole
// low-pass (0: white) and rescaled so the deviation stays sigma.
std::vector<double> DemoBandNoise(std::uint64_t seed, std::size_t n, double sigma, double dt,
                                  double cutOff);
