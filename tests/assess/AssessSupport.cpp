#include "AssessSupport.h"

#include "IsoMmeVocabulary.h"
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "ProtocolFiles.h"
#include "SupportFiles.h"
#include "SupportSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

using namespace Assess;

namespace AssessSupport {

double HalfSine(double t, double amplitude, double duration)
{
    const double u = t - kStart;
    return u > 0 && u < duration ? amplitude * std::sin(kPi * u / duration) : 0.0;
}

// Small deterministic noise for the channels that carry no pulse, so that
// none is dead flat (the check would fail it); a pulse channel stays clean
// (noise around a clean pulse would look like a channel that stopped).
double Noise(double t, size_t seed)
{
    // A hash of the sample number: white, never holding a value for long.
    uint32_t x = uint32_t(std::lround(t * 1e4) + 100000) * 2654435761u ^ uint32_t(seed) * 40503u;
    x ^= x >> 13;
    x *= 0x5bd1e995u;
    x ^= x >> 15;
    return (double(x) / 4294967296.0 - 0.5) * 2e-3;
}

// Writes the channels as the ISO-MME test <dir>/<number>, 10 kHz from -10 to
// 150 ms; returns the path of its .mme file.
std::string WriteTest(const TempDir& dir, const std::string& number, const std::vector<SynthChannel>& channels)
{
    std::vector<KVSignal> signals;
    size_t seed = 0;
    for (const SynthChannel& c : channels) {
        const auto f = c.f;
        const size_t s = ++seed;
        const double scale = c.scale;
        KVSignal sig = UniformSignal(-100, 1500, 1e-4f, [&](double t) { return f(t) + scale * Noise(t, s); });
        sig.SetYUnits(c.units);
        const auto filter = IsoFilterOfLetter(c.code[15]);
        sig.SetFilterClass(filter->filterClass);
        sig.SetCutOffFrequency(filter->cutOff);
        sig.Header().Side.channelLines = {{"Channel code", c.code}};
        signals.push_back(std::move(sig));
    }
    std::vector<const KVSignal*> pointers;
    for (const KVSignal& s : signals)
        pointers.push_back(&s);
    KVErrorList errors;
    const std::string folder = dir.Path(number);
    EXPECT_TRUE(IsoMmeWriteTest(pointers, folder, errors)) << (errors.Errors().empty() ? "" : errors.Errors()[0].Message());
    return folder + "/" + number + ".mme";
}

Protocol Shipped(const std::string& id)
{
    Protocol p;
    std::string error;
    EXPECT_TRUE(FindProtocol({ONDREL_PROTOCOLS_SOURCE_DIR}, id, p, error)) << error;
    return p;
}

Assessment AssessAt(const std::string& test, const Protocol& p, AssessOptions options)
{
    TestSource source;
    KVErrorList errors;
    EXPECT_TRUE(source.Open({test}, errors));
    Assessment a;
    std::string error;
    EXPECT_TRUE(AssessTest(source, p, options, a, error)) << error;
    return a;
}

const CriterionResult* Find(const Assessment& a, const std::string& name, size_t occupant)
{
    if (occupant >= a.occupants.size())
        return nullptr;
    for (const RegionResult& r : a.occupants[occupant].regions) {
        if (const CriterionResult* c = FindNamed(r.criteria, name))
            return c;
        if (const CriterionResult* c = FindNamed(r.modifiers, name))
            return c;
    }
    return nullptr;
}

// HIC of a half-sine of amplitude a (g) and duration d (s) for windows up to
// w: the best window is centred on the peak, HIC(x) = (2d/pi) a^2.5
// sin(x)^2.5 x^-1.5 with x = pi L / (2d), searched finely over L <= min(w, d).
double HalfSineHic(double a, double d, double w)
{
    double best = 0;
    for (int i = 1; i <= 200000; ++i) {
        const double x = i / 200000.0 * kPi / 2;
        if (2 * d * x / kPi <= w)
            best = std::max(best, 2 * d / kPi * std::pow(a, 2.5) * std::pow(std::sin(x), 2.5) * std::pow(x, -1.5));
    }
    return best;
}

} // namespace AssessSupport
