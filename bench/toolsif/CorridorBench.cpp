// Runs corridor in batch over generated signal files and prints the time per
// input sample for several sizes, so that linear growth shows as a flat column.
#include "Corridor.h"
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool MakeFiles(const fs::path& dir, int files, int points)
{
    fs::create_directories(dir);
    KVSignal s;
    s.Allocate(static_cast<size_t>(points));
    s.SetNfp(0);
    s.SetNlp(points - 1);
    s.SetDel(0.0001f);
    s.SetYUnits("G");
    s.SetTestNumber("1");
    s.SetHasData(true);
    for (int f = 0; f < files; ++f) {
        for (int i = 0; i < points; ++i)
            s.SetPoint(static_cast<float>(i * 0.0001), 50.0f * std::sin(0.001f * i + 0.1f * f) + f, static_cast<size_t>(i));
        char name[32];
        std::snprintf(name, sizeof name, "run%d.rvf", f + 1);
        if (!KVFileRvf((dir / name).string()).Store(s))
            return false;
    }
    return true;
}

double RunOnce(const fs::path& dir, int files)
{
    std::istringstream in("N\n");
    std::ostringstream out;
    const std::string templ = (dir / ("run(1-" + std::to_string(files) + ").rvf")).string();
    const std::string outDir = "OUT=" + (dir / "out").string();
    fs::create_directories(dir / "out");
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = RunCorridor({templ, "BATCH", "OVERWRITE", outDir}, in, out, false);
    const auto t1 = std::chrono::steady_clock::now();
    if (rc != 0 || out.str().find(" files processed") == std::string::npos) {
        std::fprintf(stderr, "corridor failed:\n%s\n", out.str().c_str());
        return -1.0;
    }
    return std::chrono::duration<double, std::nano>(t1 - t0).count();
}

} // namespace

int main()
{
    const fs::path root = fs::temp_directory_path() / ("corridor_bench_" + std::to_string(::getpid()));
    const int points = 30000;
    const int sizes[] = {25, 50, 100};
    if (!MakeFiles(root, 100, points)) {
        std::fprintf(stderr, "could not write the input files\n");
        return 1;
    }
    std::printf("corridor BATCH, %d points per file (reading, summing, writing three files)\n", points);
    std::printf("%8s %14s %12s %16s\n", "files", "samples", "ms (best 3)", "ns per sample");
    int status = 0;
    for (int files : sizes) {
        double best = -1.0;
        for (int rep = 0; rep < 3; ++rep) {
            const double ns = RunOnce(root, files);
            if (ns < 0) {
                status = 1;
                break;
            }
            best = best < 0 ? ns : std::min(best, ns);
        }
        const double samples = double(files) * points;
        std::printf("%8d %14.0f %12.1f %16.2f\n", files, samples, best / 1e6, best / samples);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return status;
}
