#include "SupportFiles.h"

#include "KVSignal.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    // Memory-backed when the machine has it: thousands of small files are
    // written, read and removed, and a disk file system with discard on
    // removal makes that slow.
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base = std::filesystem::is_directory(shm, ec) && ::access("/dev/shm", W_OK) == 0
        ? shm
        : std::filesystem::temp_directory_path();
    m_dir = base / ("ondrel_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::vector<std::string> TempDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(m_dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

CurrentTempDir::CurrentTempDir() : m_old(std::filesystem::current_path())
{
    std::filesystem::current_path(Path());
}

CurrentTempDir::~CurrentTempDir()
{
    std::error_code ec;
    std::filesystem::current_path(m_old, ec);
}

Bytes ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void WriteAll(const std::string& path, const Bytes& bytes)
{
    // A new file rather than a truncated one: ext4 flushes a file rewritten
    // after truncation on close.
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const std::string& path, const std::string& text)
{
    WriteAll(path, Bytes(text.begin(), text.end()));
}

void LimitAddressSpace(size_t extra)
{
    // Freed arrays kept for reuse would serve beyond the limit.
    KVReleaseKeptSamples();
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    statm >> pages;
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = pages * static_cast<size_t>(::sysconf(_SC_PAGESIZE)) + extra;
    ::setrlimit(RLIMIT_AS, &limit);
}
