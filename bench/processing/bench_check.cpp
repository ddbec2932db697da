// kalvio check against kalvio info on the same 1,000 files of 20,000 points:
// checking may take at most twice the time of loading. Prints both commands'
// wall and processor times (best of three runs), and inside one process the
// time to load a file and the time the rules add.
#include "KVErrorList.h"
#include "KVFileRvf.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "SignalCheck.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFiles = 1000;
constexpr int kPoints = 20000;

double ChildCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + 1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// Crash pulses of varied width and height with a little noise, 10 kHz.
void WriteFiles(const fs::path& dir, std::vector<std::string>& names)
{
    std::uint64_t state = 12345;
    auto uniform = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return double(state >> 11) / 9007199254740992.0;
    };
    for (int f = 0; f < kFiles; ++f) {
        KVSignal s;
        s.Allocate(kPoints);
        const double width = 0.01 + 0.1 * uniform();
        const double height = 10 + 90 * uniform();
        for (int k = 0; k < kPoints; ++k) {
            const double t = (k - 500) * 1e-4;
            const double pulse = t >= 0 && t <= width ? -height * std::sin(std::numbers::pi * t / width) : 0.0;
            s.SetPoint(float(t), float(pulse + 0.3 * (uniform() + uniform() + uniform() - 1.5)), std::size_t(k));
        }
        s.SetNfp(-500);
        s.SetNlp(kPoints - 501);
        s.SetDel(1e-4f);
        s.SetXUnits("SECONDS");
        s.SetYUnits("G'S");
        s.SetYType("ACCELERATION");
        s.SetHasData(true);
        s.UpdateExtremes();
        const std::string name = (dir / ("ch" + std::to_string(1000 + f) + ".rvf")).string();
        KVFileRvf file(name);
        if (!file.Store(s)) {
            std::fprintf(stderr, "could not write %s\n", name.c_str());
            std::exit(1);
        }
        names.push_back(name);
    }
}

struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

// Best of three runs of one command line.
Timing Run(const std::string& command)
{
    Timing best;
    for (int r = 0; r < 3; ++r) {
        const double cpu0 = ChildCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        const auto t1 = std::chrono::steady_clock::now();
        if (status == -1) {
            std::fprintf(stderr, "could not run %s\n", command.c_str());
            std::exit(1);
        }
        best.wall = std::min(best.wall, std::chrono::duration<double>(t1 - t0).count());
        best.cpu = std::min(best.cpu, ChildCpuSeconds() - cpu0);
    }
    return best;
}

} // namespace

// bench_check [DIR]: with DIR the files are written there and kept.
int main(int argc, char** argv)
{
    const bool keep = argc > 1;
    const fs::path dir = keep ? fs::path(argv[1]) : fs::temp_directory_path() / ("bench_check_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::vector<std::string> names;
    WriteFiles(dir, names);
    std::string list;
    for (const std::string& n : names)
        list += " '" + n + "'";

    const std::string exe = std::string("'") + KALVIO_EXE + "'";
    const Timing info = Run(exe + " info" + list + " >/dev/null");
    const Timing check = Run(exe + " check" + list + " >/dev/null");
    const Timing json = Run(exe + " check --json" + list + " >/dev/null");

    // Inside one process: loading alone, then the rules alone, per file.
    double load = 0, rules = 0;
    int findings = 0;
    for (const std::string& n : names) {
        KVSignal s;
        KVErrorList errors;
        const double c0 = CpuSeconds();
        KVReadSignalFile(n, s, errors);
        const double c1 = CpuSeconds();
        findings += int(Kalvio::CheckSignal(s).findings.size());
        rules += CpuSeconds() - c1;
        load += c1 - c0;
    }
    if (!keep)
        fs::remove_all(dir);

    std::printf("%d files of %d points (RVF-1992, 10 kHz pulses with noise); best of 3 runs\n", kFiles, kPoints);
    std::printf("%-28s %10s %10s\n", "", "wall s", "cpu s");
    std::printf("%-28s %10.3f %10.3f\n", "kalvio info (the peer)", info.wall, info.cpu);
    std::printf("%-28s %10.3f %10.3f\n", "kalvio check", check.wall, check.cpu);
    std::printf("%-28s %10.3f %10.3f\n", "kalvio check --json", json.wall, json.cpu);
    std::printf("check / info: %.2f wall, %.2f cpu (limit 2)\n", check.wall / info.wall, check.cpu / info.cpu);
    std::printf("in one process, per file: load %.1f us, rules %.1f us (cpu); %d findings on clean files\n",
                1e6 * load / kFiles, 1e6 * rules / kFiles, findings);
    return 0;
}
