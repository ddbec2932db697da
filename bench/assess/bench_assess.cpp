// kalvio assess end to end (reading included) on a 200-channel ISO-MME test of
// 100,000 samples per channel (10 s at 10 kHz, raw, so every used channel is
// filtered), under un-r94 (46 channels at positions 1 and 3), beside a
// numpy/scipy implementation of the same criteria (assess_peer.py) in one run.
// Goals: under 0.5 s, at least 20 times faster than the peer, peak memory at
// most 1.5 times the samples of the channels used.
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "BenchRun.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kChannels = 200;
constexpr int kSamples = 100000;
constexpr int kFirst = -500; // samples before time zero
constexpr float kStep = 1e-4f;
constexpr int kUsed = 46;    // the channels un-r94 takes at positions 1 and 3

struct Pulse {
    double amplitude, start, duration;
};

// The occupant channels the protocol picks, with their pulses.
std::vector<std::pair<std::string, Pulse>> OccupantChannels(char position)
{
    const std::string p(1, position);
    std::vector<std::pair<std::string, Pulse>> c = {
        {"HEAD0000H3ACX0", {55, 0.03, 0.03}},     {"HEAD0000H3ACY0", {8, 0.03, 0.03}},
        {"HEAD0000H3ACZ0", {12, 0.035, 0.02}},    {"NECKUP00H3FOX0", {600, 0.03, 0.03}},
        {"NECKUP00H3FOZ0", {1900, 0.03, 0.045}},  {"NECKUP00H3MOY0", {-20, 0.03, 0.03}},
        {"CHST0000H3DSX0", {-35, 0.03, 0.05}},    {"FEMRLE00H3FOZ0", {-3500, 0.025, 0.03}},
        {"FEMRRI00H3FOZ0", {-3200, 0.025, 0.03}}, {"KNSLLE00H3DSX0", {4, 0.03, 0.02}},
        {"KNSLRI00H3DSX0", {3, 0.03, 0.02}},
    };
    for (const char* side : {"LE", "RI"})
        for (const char* level : {"UP", "LO"}) {
            c.push_back({std::string("TIBI") + side + level + "H3MOX0", {30, 0.03, 0.03}});
            c.push_back({std::string("TIBI") + side + level + "H3MOY0", {60, 0.03, 0.03}});
            c.push_back({std::string("TIBI") + side + level + "H3FOZ0", {-2500, 0.03, 0.03}});
        }
    for (auto& [code, pulse] : c)
        code = "1" + p + code;
    return c;
}

void MakeChannel(KVSignal& s, const std::string& code, const Pulse& pulse, std::uint64_t seed, const char* units)
{
    s.Allocate(kSamples);
    std::uint64_t state = seed * 2654435761u + 1;
    for (int k = 0; k < kSamples; ++k) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double t = double(kFirst + k) * kStep;
        const double u = t - pulse.start;
        double v = u > 0 && u < pulse.duration ? pulse.amplitude * std::sin(std::numbers::pi * u / pulse.duration) : 0;
        v += 0.002 * (std::fabs(pulse.amplitude) + 1) * (double(state >> 11) / 9007199254740992.0 - 0.5);
        s.SetPoint(KVGridTime(kFirst + k, kStep), float(v), size_t(k));
    }
    s.SetNfp(kFirst);
    s.SetNlp(kFirst + kSamples - 1);
    s.SetDel(kStep);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetYUnits(units);
    s.SetFilterClass(1001);
    s.SetCutOffFrequency(0);
    s.SetHasData(true);
    s.UpdateExtremes();
    s.Header().Side.channelLines = {{"Channel code", code}};
}

const char* UnitsOf(const std::string& code)
{
    const std::string dim = code.substr(12, 2);
    return dim == "AC" ? "G'S" : dim == "FO" ? "NEWTONS" : dim == "MO" ? "NEWTON-METERS" : "MILLIMETERS";
}

bool WriteTest(const fs::path& folder)
{
    std::vector<std::pair<std::string, Pulse>> all = OccupantChannels('1');
    for (auto& c : OccupantChannels('3'))
        all.push_back(c);
    for (int k = 0; all.size() < size_t(kChannels); ++k) {
        char code[32];
        std::snprintf(code, sizeof code, "10SEAT%02d0000AC%c0", (k / 3) % 100, "XYZ"[k % 3]);
        all.push_back({code, {20, 0.02, 0.08}});
    }
    std::vector<KVSignal> signals(all.size());
    std::vector<const KVSignal*> pointers;
    for (size_t i = 0; i < all.size(); ++i) {
        MakeChannel(signals[i], all[i].first, all[i].second, i + 1, UnitsOf(all[i].first));
        pointers.push_back(&signals[i]);
    }
    KVErrorList errors;
    if (!IsoMmeWriteTest(pointers, folder.string(), errors)) {
        for (const KVException& e : errors.Errors())
            std::fprintf(stderr, "%s\n", e.Message().c_str());
        return false;
    }
    return true;
}

// The numbers of the criterion in the JSON text, for position pos, as written.
double JsonValue(const std::string& json, const std::string& criterion, int occurrence)
{
    size_t at = 0;
    for (int k = 0; k <= occurrence; ++k) {
        at = json.find("\"criterion\": \"" + criterion + "\"", at + 1);
        if (at == std::string::npos)
            return NAN;
    }
    const size_t v = json.find("\"value\": ", at);
    return v == std::string::npos ? NAN : std::strtod(json.c_str() + v + 9, nullptr);
}

const char* Python()
{
    return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

} // namespace

// bench_assess [DIR]: the test is written to DIR/BENCH200 and kept (made once).
int main(int argc, char** argv)
{
    const bool keep = argc > 1;
    const fs::path dir = keep ? fs::path(argv[1]) : fs::temp_directory_path() / ("bench_assess_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path test = dir / "BENCH200";
    if (!fs::exists(test / "BENCH200.mme")) {
        std::printf("writing the test (%d channels of %d samples)...\n", kChannels, kSamples);
        std::fflush(stdout);
        if (!WriteTest(test))
            return 1;
    }
    RunResult ours;
    ours.wall = 1e9;
    for (int r = 0; r < 3; ++r) {
        RunResult one = Run({KALVIO_EXE, "assess", test.string(), "--protocol", "un-r94", "--json"});
        if (one.wall < ours.wall)
            ours = one;
    }
    const RunResult peer = Run({Python(), KALVIO_ASSESS_PEER, test.string(), "1"});
    if (!keep)
        fs::remove_all(dir);

    const double usedMb = double(kUsed) * kSamples * sizeof(float) / 1e6;
    std::printf("assessing a %d-channel ISO-MME test, %d samples per channel (raw, 10 kHz), under un-r94:\n"
                "%d channels used at positions 1 and 3; reading, filtering and every criterion included\n",
                kChannels, kSamples, kUsed);
    std::printf("  %-34s %8.3f s wall, %.3f s processor time (best of 3; goal < 0.5 s)\n", "kalvio assess --json",
                ours.wall, ours.cpu);
    std::printf("  %-34s %8.1f MB peak resident; the used channels' samples are %.1f MB as 32-bit floats (%.2fx; goal "
                "<= 1.5x)\n",
                "", double(ours.maxRssKb) / 1e3, usedMb, double(ours.maxRssKb) / 1e3 / usedMb);
    const size_t sec = peer.out.find("seconds ");
    if (sec == std::string::npos) {
        std::printf("  %-34s not available (python3 with numpy and scipy is needed):\n%s\n", "numpy/scipy peer",
                    peer.out.c_str());
        return 0;
    }
    const double theirs = std::strtod(peer.out.c_str() + sec + 8, nullptr);
    std::printf("  %-34s %8.3f s processor time (reading included)\n", "numpy/scipy peer (same criteria)", theirs);
    std::printf("  pyisomme, the public Python peer, cannot be installed here (PyPI is not reachable), so the peer is\n"
                "  numpy/scipy code of the same criteria (bench/assess/assess_peer.py)\n");
    std::printf("  ours is %.1fx faster in processor time (goal >= 20x)\n", theirs / ours.cpu);
    // The same numbers from both, as a check that the two compute the same.
    std::printf("  %-26s %14s %14s\n", "position 1", "kalvio", "peer");
    std::istringstream lines(peer.out);
    std::string line;
    std::map<std::string, int> seen;
    while (std::getline(lines, line)) {
        std::istringstream w(line);
        std::string pos, name;
        double value = 0;
        if (!(w >> pos >> name >> value) || pos != "1")
            continue;
        std::printf("  %-26s %14.6g %14.6g\n", name.c_str(), JsonValue(ours.out, name, seen[name]++), value);
    }
    return 0;
}
