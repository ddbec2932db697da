// kalvio rate on two signals of 20,000 points (2 s at 10 kHz) end to end,
// beside a plain numpy implementation of the same rating (rating_peer.py) in
// one run. Goals: under 0.2 s, at least 50 times faster than the peer, and the
// same scores (the peer is a second implementation: a difference is a fault).
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kPoints = 20000;
constexpr const char* kScores[] = {"rating", "corridor", "phase", "magnitude", "slope"};

// A test pulse and its repeat: the comparison is 1.5 ms late, 7 % weaker,
// rings a little and has noise of its own.
std::vector<float> Curve(bool comparison)
{
    std::uint64_t state = comparison ? 777 : 12345;
    auto noise = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return double(state >> 11) / 9007199254740992.0 - 0.5;
    };
    std::vector<float> y(kPoints);
    for (int k = 0; k < kPoints; ++k) {
        const double t = k * 1e-4 - (comparison ? 0.0015 : 0.0);
        const double gain = comparison ? 0.93 : 1.0;
        double v = 0.0;
        if (t > 0.01 && t < 0.13)
            v = -gain * 40.0 * std::sin(std::numbers::pi * (t - 0.01) / 0.12);
        if (t > 0.05 && t < 0.09)
            v -= 15.0 * std::sin(std::numbers::pi * (t - 0.05) / 0.04);
        if (comparison && t > 0.01)
            v += 2.0 * std::exp(-(t - 0.01) / 0.05) * std::sin(2 * std::numbers::pi * 120.0 * t);
        y[k] = float(v + 0.4 * noise());
    }
    return y;
}

std::string WriteRvf(const fs::path& dir, const char* name, const std::vector<float>& y)
{
    KVSignal s;
    s.Allocate(y.size());
    for (std::size_t k = 0; k < y.size(); ++k)
        s.SetPoint(KVGridTime(static_cast<long long>(k), 1e-4f), y[k], k);
    s.SetNfp(0);
    s.SetNlp(kPoints - 1);
    s.SetDel(1e-4f);
    s.SetXUnits("SECONDS");
    s.SetYUnits("G'S");
    s.SetHasData(true);
    s.UpdateExtremes();
    const std::string path = (dir / name).string();
    if (!SaveSignalAsRvf(s, path)) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        std::exit(1);
    }
    return path;
}

std::string WriteF32(const fs::path& dir, const char* name, const std::vector<float>& y)
{
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(y.data()), std::streamsize(y.size() * 4));
    return path;
}

std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t got; (got = std::fread(buf, 1, sizeof buf, p)) > 0;)
            out.append(buf, got);
        pclose(p);
    }
    return out;
}

// The number after "key" (JSON: after "\"key\": "; the peer: after "key ").
double Field(const std::string& text, const std::string& key, bool json)
{
    const std::string tag = json ? "\"" + key + "\": " : key + " ";
    const std::size_t at = text.find(tag);
    return at == std::string::npos ? NAN : std::strtod(text.c_str() + at + tag.size(), nullptr);
}

double ChildCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

const char* Python()
{
    return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

} // namespace

// bench_rating [DIR]: with DIR the files are written there and kept.
int main(int argc, char** argv)
{
    const bool keep = argc > 1;
    const fs::path dir =
        keep ? fs::path(argv[1]) : fs::temp_directory_path() / ("bench_rating_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::vector<float> ref = Curve(false), comp = Curve(true);
    const std::string refRvf = WriteRvf(dir, "ref.rvf", ref), compRvf = WriteRvf(dir, "comp.rvf", comp);
    const std::string refF32 = WriteF32(dir, "ref.f32", ref), compF32 = WriteF32(dir, "comp.f32", comp);

    const std::string command = std::string("'") + KALVIO_EXE + "' rate --json '" + refRvf + "' '" + compRvf + "'";
    double ours = 1e9, oursCpu = 1e9;
    std::string json;
    for (int r = 0; r < 5; ++r) {
        const double cpu0 = ChildCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        json = Output(command);
        ours = std::min(ours, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        oursCpu = std::min(oursCpu, ChildCpuSeconds() - cpu0);
    }
    const std::string peer =
        Output(std::string(Python()) + " '" + KALVIO_RATING_PEER + "' '" + refF32 + "' '" + compF32 + "' 1 2>&1");
    if (!keep)
        fs::remove_all(dir);

    std::printf("2 signals of %d points (10 kHz), ISO/TS 18571 rating; ours: kalvio rate end to end, best of 5 runs\n",
                kPoints);
    const double theirs = Field(peer, "seconds", false);
    std::printf("  %-28s %10.3f s wall, %.3f s processor time (goal < 0.2 s)\n", "kalvio rate --json", ours, oursCpu);
    if (std::isnan(theirs)) {
        std::printf("  %-28s not available (python3 with numpy is needed: scripts/install-deps --bench)\n%s",
                    "numpy peer", peer.c_str());
        return 0;
    }
    std::printf("  %-28s %10.3f s  (processor time)\n", "numpy peer (rating_peer.py)", theirs);
    // Processor time against processor time: a busy machine stretches the
    // wall time of both, by how much depends on the moment.
    std::printf("  peer / ours: %.0fx in processor time (goal >= 50x)\n", theirs / oursCpu);
    double worst = 0.0;
    std::printf("  %-10s %22s %22s\n", "score", "ours", "numpy");
    for (const char* key : kScores) {
        const double a = Field(json, key, true), b = Field(peer, key, false);
        worst = std::max(worst, std::isnan(a - b) ? INFINITY : std::fabs(a - b));
        std::printf("  %-10s %22.17f %22.17f\n", key, a, b);
    }
    const double shiftOurs = Field(json, "shift", true), shiftPeer = Field(peer, "shift", false) * 0.1;
    std::printf("  %-10s %19.4f ms %19.4f ms\n", "shift", shiftOurs, shiftPeer);
    const bool same = worst <= 1e-9 && std::fabs(shiftOurs - shiftPeer) < 1e-6;
    std::printf("  largest score difference %.3g: %s\n", worst,
                same ? "the same" : "DIFFERENT (a fault in one of them)");
    return same ? 0 : 1;
}
