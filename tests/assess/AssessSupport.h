#pragma once
// What the assessment's tests share: synthetic ISO-MME tests made of
// half-sine pulses, the shipped protocols, and finding a criterion.
#include "Assessment.h"

#include <functional>
#include <string>
#include <vector>

class TempDir;

namespace AssessSupport {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStart = 0.020; // s: where the pulses begin

// A half-sine of amplitude and duration (s) starting at kStart.
double HalfSine(double t, double amplitude, double duration);
// Small deterministic noise, about +-1e-3.
double Noise(double t, size_t seed);

// One channel of a synthetic test: the code, the record's unit and its curve.
struct SynthChannel {
    std::string code;
    std::string units;
    std::function<double(double)> f;
    double scale = 1; // of the noise added, 0 for none
};

// Writes the channels as the ISO-MME test <dir>/<number>, 10 kHz from -10 to
// 150 ms; returns the path of its .mme file.
std::string WriteTest(const TempDir& dir, const std::string& number, const std::vector<SynthChannel>& channels);
// The shipped protocol id.
Assess::Protocol Shipped(const std::string& id);
// test (a path) assessed under p.
Assess::Assessment AssessAt(const std::string& test, const Assess::Protocol& p, Assess::AssessOptions options = {});
// The criterion or modifier name of the occupant, or null.
const Assess::CriterionResult* Find(const Assess::Assessment& a, const std::string& name, size_t occupant = 0);
// HIC of a half-sine of amplitude a (g) and duration d (s) for windows up to w.
double HalfSineHic(double a, double d, double w);

} // namespace AssessSupport
