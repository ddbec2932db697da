// Signal files end to end, as a user runs them: `kalvio cfc 60 IN -o OUT` on
// "Y" files of 1e5, 1e6 and 1e7 samples beside the same job in Python with
// numpy and scipy (cfc_peer.py) and beside `cp` of the file; `kalvio info`
// beside a plain read(2) of the file's bytes, on one large file and on 1,000
// files of 20,000 points. Every figure is a whole process (start included),
// measured several times in one run: median, fastest and slowest wall time,
// the median processor time (user + system, less disturbed by a busy
// machine) and the peak resident memory.
//
// bench_signal_files [--quick]      (--quick: 1e5 and 1e6 only)
// bench_signal_files --read FILE... (the read(2) peer, run as a process)
// bench_signal_files --write N FILE (writes the benchmark's file of N samples, for profiling)
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Sample {
    double wall = 0, cpu = 0;
    double rssMiB = 0;
    bool ok = false;
};

// Runs argv with its output discarded; wall time, processor time and peak
// memory of that process alone.
Sample RunProcess(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    const auto t1 = std::chrono::steady_clock::now();
    Sample s;
    s.wall = std::chrono::duration<double>(t1 - t0).count();
    s.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    s.rssMiB = double(usage.ru_maxrss) / 1024.0;
    s.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return s;
}

struct Figures {
    double median = 0, low = 0, high = 0, cpu = 0, rss = 0;
    bool ok = true;
};

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// Runs every command of a round in turn, rounds times, so that all of them
// meet the machine in the same state; one Figures per command.
std::vector<Figures> Measure(const std::vector<std::vector<std::string>>& commands, int rounds)
{
    std::vector<std::vector<Sample>> samples(commands.size());
    for (int r = 0; r < rounds; ++r)
        for (size_t c = 0; c < commands.size(); ++c)
            samples[c].push_back(RunProcess(commands[c]));
    std::vector<Figures> out;
    for (const auto& runs : samples) {
        Figures f;
        std::vector<double> wall, cpu, rss;
        for (const Sample& s : runs) {
            f.ok = f.ok && s.ok;
            wall.push_back(s.wall);
            cpu.push_back(s.cpu);
            rss.push_back(s.rssMiB);
        }
        f.median = Median(wall);
        f.low = *std::min_element(wall.begin(), wall.end());
        f.high = *std::max_element(wall.begin(), wall.end());
        f.cpu = Median(cpu);
        f.rss = Median(rss);
        out.push_back(f);
    }
    return out;
}

void Print(const char* what, const Figures& f)
{
    std::printf("  %-28s wall %8.1f ms [%7.1f .. %7.1f]  cpu %8.1f ms  peak %7.1f MiB%s\n", what, f.median * 1e3,
                f.low * 1e3, f.high * 1e3, f.cpu * 1e3, f.rss, f.ok ? "" : "  (FAILED)");
}

// A "Y" file of n samples at 10 kHz in this machine's float format.
bool WriteSignal(const std::string& path, size_t n)
{
    KVSignal s;
    if (!s.Allocate(n))
        return false;
    for (size_t i = 0; i < n; ++i)
        s.SetPoint(KVGridTime(static_cast<long long>(i), 0.0001f), 20.0f * std::sin(float(i) * 0.003f)
                                                                       + 3.0f * std::sin(float(i) * 0.41f), i);
    s.SetNfp(0);
    s.SetNlp(static_cast<int>(n) - 1);
    s.SetDel(0.0001f);
    s.SetXUnits("SECONDS");
    s.SetYUnits("G'S");
    s.SetHasData(true);
    return SaveSignalAsRvf(s, path);
}

// The read(2) peer: every file's bytes into a buffer of its size.
int ReadFiles(int argc, char** argv)
{
    unsigned sum = 0;
    for (int i = 2; i < argc; ++i) {
        const int fd = ::open(argv[i], O_RDONLY);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0)
            return 1;
        std::unique_ptr<char[]> buf(new char[static_cast<size_t>(st.st_size) + 1]);
        size_t got = 0;
        while (got < static_cast<size_t>(st.st_size)) {
            const ssize_t r = ::read(fd, buf.get() + got, static_cast<size_t>(st.st_size) - got);
            if (r <= 0)
                return 1;
            got += static_cast<size_t>(r);
        }
        sum += static_cast<unsigned char>(buf[got / 2]);
        ::close(fd);
    }
    return sum == 12345678u ? 2 : 0; // uses the bytes; never true
}

std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--read") == 0)
        return ReadFiles(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0)
        return WriteSignal(argv[3], std::strtoul(argv[2], nullptr, 10)) ? 0 : 1;
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const std::string self = fs::canonical("/proc/self/exe").string();
    const std::string kalvio = KALVIO_EXE;
    const std::string peer = KALVIO_CFC_PEER;

    const fs::path dir = fs::temp_directory_path() / ("bench_signal_files_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::FILE* load = std::fopen("/proc/loadavg", "r");
    char loadText[128] = "?";
    if (load) {
        if (!std::fgets(loadText, sizeof loadText, load))
            loadText[0] = '\0';
        std::fclose(load);
    }
    std::printf("load average at start: %s", loadText);
    std::printf("each figure: a whole process; median wall time [fastest .. slowest], median processor\n"
                "time, median peak resident memory\n\n");

    std::vector<size_t> sizes = {100000, 1000000};
    if (!quick)
        sizes.push_back(10000000);
    int status = 0;
    for (const size_t n : sizes) {
        const std::string in = (dir / "in.rvf").string();
        const std::string out = (dir / "out.rvf").string();
        if (!WriteSignal(in, n)) {
            std::fprintf(stderr, "cannot write %s\n", in.c_str());
            return 1;
        }
        const double arraysMiB = 2.0 * double(n) * sizeof(float) / (1024.0 * 1024.0);
        const int rounds = n >= 10000000 ? 5 : 7;
        std::printf("%zu samples: file %.1f MB, X and Y arrays %.1f MiB, %d rounds\n", n,
                    double(fs::file_size(in)) / 1e6, arraysMiB, rounds);
        const std::vector<Figures> f = Measure({{kalvio, "cfc", "60", in, "-o", out},
                                                {Python(), peer, in, (dir / "peer.rvf").string()},
                                                {"cp", in, (dir / "copy.rvf").string()},
                                                {kalvio, "info", in},
                                                {self, "--read", in}},
                                               rounds);
        Print("kalvio cfc 60 (ours)", f[0]);
        Print("python numpy+scipy (peer)", f[1]);
        Print("cp", f[2]);
        Print("kalvio info (ours)", f[3]);
        Print("read(2) of the bytes (peer)", f[4]);
        std::printf("  cfc: peer / ours %.2f (goal >= 5), ours / cp %.2f (goal <= 5); processor time peer / ours %.2f\n",
                    f[1].median / f[0].median, f[0].median / f[2].median, f[1].cpu / f[0].cpu);
        std::printf("  cfc peak memory / X and Y arrays %.2f (goal <= 1.5)\n", f[0].rss / arraysMiB);
        std::printf("  info / read(2) %.2f wall, %.2f processor (goal <= 1.3)\n\n", f[3].median / f[4].median,
                    f[3].cpu / f[4].cpu);
        for (const Figures& g : f)
            status |= g.ok ? 0 : 1;
    }

    // Many small files: one process for all of them.
    std::vector<std::string> names;
    const std::string first = (dir / "s0.rvf").string();
    if (!WriteSignal(first, 20000))
        return 1;
    for (int i = 0; i < 1000; ++i) {
        names.push_back((dir / ("s" + std::to_string(i) + ".rvf")).string());
        if (i > 0)
            fs::copy_file(first, names.back(), fs::copy_options::overwrite_existing);
    }
    std::vector<std::string> info = {kalvio, "info"};
    std::vector<std::string> read = {self, "--read"};
    info.insert(info.end(), names.begin(), names.end());
    read.insert(read.end(), names.begin(), names.end());
    const std::vector<Figures> g = Measure({info, read}, 11);
    std::printf("1,000 files of 20,000 points, one process each way, 11 rounds\n");
    Print("kalvio info (ours)", g[0]);
    Print("read(2) of the bytes (peer)", g[1]);
    std::printf("  info / read(2) %.2f wall, %.2f processor (goal <= 1.3)\n", g[0].median / g[1].median,
                g[0].cpu / g[1].cpu);
    fs::remove_all(dir);
    return status;
}
