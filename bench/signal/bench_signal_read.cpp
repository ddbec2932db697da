// Loading RVF-1992 files through KVFileRvf against reading their bytes raw.
// Writes a set of X-Y files into a temporary folder, then times both passes
// over the same files in the same run and prints the times and their ratio.
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}

// Processor time of this thread (user and system), which other work on a
// busy machine disturbs less than the wall clock.
double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

KVSignal MakeSignal(size_t points)
{
    KVSignal s;
    s.Allocate(points);
    for (size_t i = 0; i < points; ++i)
        s.SetPoint(static_cast<float>(i) * 1e-4f, std::sin(static_cast<float>(i) * 0.01f) * 50.0f, i);
    s.SetNfp(0);
    s.SetNlp(static_cast<int>(points) - 1);
    s.SetDel(0.0f); // X-Y layout: both arrays stored
    s.SetHasData(true);
    return s;
}

// Loads every file; returns a checksum so that the work cannot be dropped.
double LoadAll(const std::vector<std::string>& names, size_t points, bool& ok)
{
    double sum = 0.0;
    KVSignal s;
    for (const std::string& name : names) {
        KVFileRvf file(name);
        if (!file.Load(s) || s.PointCount() != points) {
            ok = false;
            return sum;
        }
        sum += s.Y()[points / 2];
    }
    return sum;
}

double ReadAllRaw(const std::vector<std::string>& names, size_t& bytes, bool& ok)
{
    double sum = 0.0;
    bytes = 0;
    std::vector<unsigned char> buf;
    for (const std::string& name : names) {
        std::FILE* fp = std::fopen(name.c_str(), "rb");
        if (!fp) {
            ok = false;
            return sum;
        }
        std::fseek(fp, 0, SEEK_END);
        const long size = std::ftell(fp);
        std::fseek(fp, 0, SEEK_SET);
        buf.resize(static_cast<size_t>(size));
        if (std::fread(buf.data(), 1, buf.size(), fp) != buf.size())
            ok = false;
        std::fclose(fp);
        bytes += buf.size();
        sum += buf[buf.size() / 2];
    }
    return sum;
}

} // namespace

int main(int argc, char** argv)
{
    const size_t files = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000;
    const size_t points = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20000;
    const int rounds = 5;

    const std::filesystem::path dir = std::filesystem::temp_directory_path()
        / ("bench_signal_read_" + std::to_string(static_cast<long>(Clock::now().time_since_epoch().count())));
    std::filesystem::create_directories(dir);

    const KVSignal signal = MakeSignal(points);
    std::vector<std::string> names;
    const auto w0 = Clock::now();
    for (size_t i = 0; i < files; ++i) {
        names.push_back((dir / ("c" + std::to_string(i) + ".rvf")).string());
        KVFileRvf out(names.back());
        if (!out.Store(signal)) {
            std::fprintf(stderr, "store failed: %s\n", out.ErrorMessage(0).c_str());
            std::filesystem::remove_all(dir);
            return 1;
        }
    }
    const auto w1 = Clock::now();

    // Each pass runs several times and the best counts, so that both see the
    // files in the page cache alike.
    bool ok = true;
    double bestLoad = 1e30, bestRaw = 1e30, cpuLoad = 1e30, cpuRaw = 1e30, check = 0.0;
    size_t bytes = 0;
    for (int r = 0; r < rounds && ok; ++r) {
        const double c0 = CpuSeconds();
        const auto t0 = Clock::now();
        check += ReadAllRaw(names, bytes, ok);
        const double c1 = CpuSeconds();
        const auto t1 = Clock::now();
        check += LoadAll(names, points, ok);
        const double c2 = CpuSeconds();
        const auto t2 = Clock::now();
        bestRaw = std::min(bestRaw, Seconds(t0, t1));
        bestLoad = std::min(bestLoad, Seconds(t1, t2));
        cpuRaw = std::min(cpuRaw, c1 - c0);
        cpuLoad = std::min(cpuLoad, c2 - c1);
    }
    std::filesystem::remove_all(dir);
    if (!ok) {
        std::fprintf(stderr, "a file could not be read back\n");
        return 1;
    }
    std::printf("files: %zu of %zu X-Y points (%.1f MB in all), written in %.3f s\n", files, points,
                double(bytes) / 1e6, Seconds(w0, w1));
    std::printf("best of %d rounds        wall       cpu\n", rounds);
    std::printf("raw read (fopen/fread): %7.3f s %7.3f s\n", bestRaw, cpuRaw);
    std::printf("KVFileRvf::Load:        %7.3f s %7.3f s\n", bestLoad, cpuLoad);
    std::printf("ratio load/raw:         %7.2f   %7.2f   (target at most 3)\n", bestLoad / bestRaw, cpuLoad / cpuRaw);
    std::printf("(checksum %g)\n", check);
    return 0;
}
