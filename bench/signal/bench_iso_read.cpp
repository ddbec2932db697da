// Reading a 1,000,000-sample ISO-MME channel through KVFileIsoMme against a
// plain strtod loop over the same bytes (the lines split by hand, each value
// converted with strtod and stored as float). Both passes read the file from
// disk each time. Prints the medians of several runs, wall and processor time,
// and their ratio.
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVFileIsoMme.h"
#include "KVSignal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kPoints = 1000000;

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct Times {
    double wall, cpu;
};

template <class Fn>
Times Time(Fn&& fn)
{
    const auto w0 = Clock::now();
    const double c0 = CpuSeconds();
    fn();
    return {std::chrono::duration<double>(Clock::now() - w0).count(), CpuSeconds() - c0};
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The peer: the whole file read, the header skipped (lines with a colon),
// then every line converted with strtod.
double StrtodLoop(const std::string& path, size_t& count)
{
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> y;
    y.reserve(kPoints);
    const char* p = text.c_str();
    while (*p) {
        const char* end = std::strchr(p, '\n');
        if (!end)
            end = p + std::strlen(p);
        if (!std::memchr(p, ':', static_cast<size_t>(end - p)))
            y.push_back(static_cast<float>(std::strtod(p, nullptr)));
        p = *end ? end + 1 : end;
    }
    count = y.size();
    return y[count / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "bench_iso_read";
    std::filesystem::remove_all(dir);
    KVSignal s;
    s.Allocate(kPoints);
    for (size_t i = 0; i < kPoints; ++i)
        s.SetPoint(static_cast<float>(i) * 1e-5f, std::sin(static_cast<float>(i) * 0.001f) * 50.0f, i);
    s.SetXUnits("SECONDS");
    s.SetDel(1e-5f);
    s.SetYUnits("G'S");
    s.SetHasData(true);
    KVErrorList errors;
    if (!IsoMmeWriteTest({&s}, (dir / "B1").string(), errors)) {
        std::fprintf(stderr, "cannot write the channel: %s\n", errors.ErrorMessage(0).c_str());
        return 1;
    }
    const std::string path = (dir / "B1" / "Channel" / "B1.001").string();

    std::vector<double> oursWall, oursCpu, peerWall, peerCpu;
    double check = 0.0;
    for (int r = 0; r < runs; ++r) {
        KVSignal read;
        const Times ours = Time([&] {
            KVFileIsoMme file(path);
            if (!file.Load(read) || read.PointCount() != kPoints)
                std::exit(1);
            check += read.Y()[kPoints / 2];
        });
        size_t count = 0;
        const Times peer = Time([&] { check += StrtodLoop(path, count); });
        if (count != kPoints)
            return 1;
        oursWall.push_back(ours.wall);
        oursCpu.push_back(ours.cpu);
        peerWall.push_back(peer.wall);
        peerCpu.push_back(peer.cpu);
    }
    std::printf("ISO-MME channel of %zu samples (%ju bytes), median of %d runs\n", kPoints,
                static_cast<uintmax_t>(std::filesystem::file_size(path)), runs);
    std::printf("  KVFileIsoMme::Load   wall %8.1f ms  cpu %8.1f ms\n", Median(oursWall) * 1e3, Median(oursCpu) * 1e3);
    std::printf("  strtod loop (peer)   wall %8.1f ms  cpu %8.1f ms\n", Median(peerWall) * 1e3, Median(peerCpu) * 1e3);
    std::printf("  ratio peer / ours    wall %8.2f     cpu %8.2f   (above 1: ours is faster)\n",
                Median(peerWall) / Median(oursWall), Median(peerCpu) / Median(oursCpu));
    std::printf("  (checksum %g)\n", check);
    std::filesystem::remove_all(dir);
    return 0;
}
