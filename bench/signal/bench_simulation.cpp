// Reading simulations, beside their peers in the same run:
//  - one channel of a 1 GB binout written here (5,000 states of 10,000
//    nodes, 5 four-byte arrays per state) through Simulation, its time and
//    the growth of the peak resident memory; beside a plain numpy reader of
//    the container (binout_peer.py) fetching the same channel;
//  - every variable of 100 nodes of that binout (every 100th, then 100 in
//    a row), beside the same numpy reader;
//  - an ASCII nodout of 300 MB (translational and rotational blocks), every
//    channel, in MB/s, beside read(2) of its bytes.
// The files go into a folder under /tmp made for the run and removed at its
// end (--keep keeps it). --states N and --nodes N make a smaller binout,
// --nodout-mb N a smaller nodout.
#include "KVErrorList.h"
#include "KVSignal.h"
#include "Simulation.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// The value of /proc/self/status's field ("VmHWM:"), in kB.
long StatusKb(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// Resets the peak resident size to the current one (Linux 4.0 and later).
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// A binout written as a stream: each state's arrays, then the symbol table
// part that names them, chained from the part before. Field sizes: LENGTH
// and OFFSET 8 bytes, COMMAND and TYPEID 1 byte, little endian.
class StreamWriter {
public:
    explicit StreamWriter(const std::string& path)
        : m_fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644))
    {
        const uint8_t head[8] = {8, 8, 8, 1, 1, 1, 0, 0};
        Raw(head, 8);
        Num(17, 8);
        Num(7, 1);
        m_endPointer = m_at;
        Num(0, 8);
    }
    ~StreamWriter() { Close(); }
    bool Ok() const { return m_fd >= 0 && m_ok; }
    bool Close()
    {
        Flush();
        if (m_fd >= 0 && ::close(m_fd) != 0)
            m_ok = false;
        m_fd = -1;
        return m_ok;
    }
    // A DATA record of raw values of type (1 text, 3 int32, 9 float, 10 double).
    void Data(const std::string& folder, const std::string& name, int type, const void* values, uint64_t count)
    {
        const uint64_t size = type == 10 ? 8 : type == 1 ? 1 : 4;
        m_pending.push_back({folder, name, type, m_at, count});
        Num(11 + name.size() + count * size, 8);
        Num(3, 1);
        Num(static_cast<uint64_t>(type), 1);
        Num(name.size(), 1);
        Raw(name.data(), name.size());
        Raw(values, count * size);
    }
    // The table part of the arrays written since the last part.
    void EndPart()
    {
        const uint64_t begin = m_at;
        Patch(m_endPointer, begin);
        std::string part;
        auto put = [&part](uint64_t v, int n) {
            for (int i = 0; i < n; ++i)
                part += static_cast<char>(v >> (8 * i));
        };
        put(0, 8);
        put(5, 1);
        std::string folder;
        for (const Pending& p : m_pending) {
            if (p.folder != folder) {
                put(9 + p.folder.size(), 8);
                put(2, 1);
                part += p.folder;
                folder = p.folder;
            }
            put(9 + p.name.size() + 17, 8);
            put(4, 1);
            part += p.name;
            put(static_cast<uint64_t>(p.type), 1);
            put(p.offset, 8);
            put(p.count, 8);
        }
        m_pending.clear();
        put(17, 8);
        put(6, 1);
        m_endPointer = begin + part.size();
        put(0, 8);
        const uint64_t length = part.size();
        for (int i = 0; i < 8; ++i)
            part[static_cast<size_t>(i)] = static_cast<char>(length >> (8 * i));
        Raw(part.data(), part.size());
    }

private:
    struct Pending {
        std::string folder, name;
        int type;
        uint64_t offset, count;
    };
    void Num(uint64_t v, int n)
    {
        uint8_t b[8];
        for (int i = 0; i < n; ++i)
            b[i] = static_cast<uint8_t>(v >> (8 * i));
        Raw(b, static_cast<size_t>(n));
    }
    void Raw(const void* p, size_t n)
    {
        const char* c = static_cast<const char*>(p);
        m_buffer.insert(m_buffer.end(), c, c + n);
        m_at += n;
        if (m_buffer.size() > (8u << 20))
            Flush();
    }
    void Flush()
    {
        if (m_fd >= 0 && !m_buffer.empty()
            && ::write(m_fd, m_buffer.data(), m_buffer.size()) != static_cast<ssize_t>(m_buffer.size()))
            m_ok = false;
        m_buffer.clear();
    }
    // Sets the 8 bytes at `at` (written or still buffered).
    void Patch(uint64_t at, uint64_t v)
    {
        uint8_t b[8];
        for (int i = 0; i < 8; ++i)
            b[i] = static_cast<uint8_t>(v >> (8 * i));
        const uint64_t buffered = m_at - m_buffer.size();
        if (at >= buffered)
            std::memcpy(&m_buffer[at - buffered], b, 8);
        else if (::pwrite(m_fd, b, 8, static_cast<off_t>(at)) != 8)
            m_ok = false;
    }

    int m_fd;
    bool m_ok = true;
    uint64_t m_at = 0;
    uint64_t m_endPointer = 0;
    std::vector<char> m_buffer;
    std::vector<Pending> m_pending;
};

const char* const kVariables[] = {"x_displacement", "y_displacement", "z_displacement", "x_velocity",
                                  "x_acceleration"};

// Value of variable v of node k at state s: exact in a float, so that both
// readers can be checked against it.
float Value(int v, int k, int s) { return static_cast<float>((v + 1) * 1000 + k % 1000) + 0.25f * float(s % 4); }

bool WriteBinout(const std::string& path, int states, int nodes)
{
    StreamWriter w(path);
    std::vector<int32_t> ids(static_cast<size_t>(nodes));
    for (int k = 0; k < nodes; ++k)
        ids[static_cast<size_t>(k)] = 1000001 + k;
    w.Data("/nodout/metadata", "ids", 3, ids.data(), ids.size());
    const std::string title = "benchmark";
    w.Data("/nodout/metadata", "title", 1, title.data(), title.size());
    std::vector<float> values(static_cast<size_t>(nodes));
    for (int s = 0; s < states; ++s) {
        char folder[32];
        std::snprintf(folder, sizeof folder, "/nodout/d%06d", s + 1);
        const double t = 1e-5 * s;
        w.Data(folder, "time", 10, &t, 1);
        for (int v = 0; v < 5; ++v) {
            for (int k = 0; k < nodes; ++k)
                values[static_cast<size_t>(k)] = Value(v, k, s);
            w.Data(folder, kVariables[v], 9, values.data(), values.size());
        }
        w.EndPart();
    }
    return w.Close();
}

// nodout in its published layout: per state a translational and a
// rotational block; rows of "%9d", 13 characters, then 12 each.
bool WriteNodout(const std::string& path, size_t megabytes)
{
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        return false;
    std::fprintf(f, " benchmark\n ls-dyna\n");
    const int nodes = 1000;
    size_t written = 0;
    char row[256];
    for (int s = 0; written < megabytes * 1000000; ++s) {
        for (int block = 0; block < 2; ++block) {
            written += static_cast<size_t>(std::fprintf(
                f, "\n\n n o d a l   p r i n t   o u t   f o r   t i m e  s t e p%8d                              ( at time%14.7E )\n\n %s\n",
                s + 1, 1e-5 * s, block ? "nodal point  x-rot      y-rot" : "nodal point  x-disp     y-disp"));
            for (int k = 0; k < nodes; ++k) {
                int n = std::snprintf(row, sizeof row, "%9d", 1000001 + k);
                for (int c = 0; c < (block ? 9 : 12); ++c)
                    n += std::snprintf(row + n, sizeof row - size_t(n), c ? "%12.4E" : "%13.4E",
                                       (c % 2 ? -1.0 : 1.0) * (k + 1) * std::pow(10.0, c - 4) + s);
                row[n++] = '\n';
                written += std::fwrite(row, 1, size_t(n), f);
            }
        }
    }
    return std::fclose(f) == 0;
}

std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

// Runs the numpy peer; its seconds (as it prints them) or -1.
double Peer(const std::string& binout, const std::string& nodes, int stride)
{
    const std::string cmd = Python() + " " + BINOUT_PEER + " " + binout + " " + nodes + " " + std::to_string(stride);
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    char buf[256] = {0};
    const bool got = std::fgets(buf, sizeof buf, p) != nullptr;
    if (pclose(p) != 0 || !got)
        return -1;
    std::printf("    peer: %s", buf);
    return std::atof(buf);
}

double ReadBytes(const std::string& path)
{
    const auto t0 = Clock::now();
    const int fd = ::open(path.c_str(), O_RDONLY);
    std::vector<char> buf(size_t(fs::file_size(path)));
    size_t at = 0;
    for (ssize_t got; at < buf.size() && (got = ::read(fd, buf.data() + at, buf.size() - at)) > 0;)
        at += size_t(got);
    ::close(fd);
    return Since(t0);
}

} // namespace

int main(int argc, char** argv)
{
    int states = 5000, nodes = 10000;
    size_t nodoutMb = 300;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--states" && i + 1 < argc)
            states = std::max(2, std::atoi(argv[++i]));
        else if (a == "--nodes" && i + 1 < argc)
            nodes = std::max(100, std::atoi(argv[++i]));
        else if (a == "--nodout-mb" && i + 1 < argc)
            nodoutMb = size_t(std::max(1, std::atoi(argv[++i])));
        else if (a == "--keep")
            keep = true;
    }
    char folder[] = "/tmp/bench-simulation-XXXXXX";
    if (!mkdtemp(folder)) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string binout = std::string(folder) + "/binout";
    const std::string nodout = std::string(folder) + "/nodout";
    int status = 0;
    auto t0 = Clock::now();
    if (!WriteBinout(binout, states, nodes)) {
        std::fprintf(stderr, "could not write %s\n", binout.c_str());
        return 1;
    }
    std::printf("binout: %d states of %d nodes, %.0f MB, written in %.1f s\n", states, nodes,
                double(fs::file_size(binout)) / 1e6, Since(t0));

    // One channel: open (the symbol table and the list of channels), then load.
    {
        const long rss0 = StatusKb("VmRSS:");
        ResetPeak();
        t0 = Clock::now();
        KVErrorList errors;
        auto sim = Simulation::Open(binout, errors);
        const double open = Since(t0);
        const long rss1 = StatusKb("VmRSS:");
        const long openGrowth = StatusKb("VmHWM:") - rss0;
        ResetPeak();
        const auto t1 = Clock::now();
        const std::string name = "nodout/" + std::to_string(1000001 + nodes / 2) + "/y_displacement";
        KVSignal s;
        const size_t i = sim ? sim->Find(name) : 0;
        const bool ok = sim && sim->LoadChannel(i, nullptr, s, errors) && s.PointCount() == size_t(states)
                        && s.Y()[3] == Value(1, nodes / 2, 3);
        const double load = Since(t1);
        const long loadGrowth = StatusKb("VmHWM:") - rss1;
        std::printf("one channel of %d points:\n    ours: %.3f s (goal < 0.5 s)%s: open %.3f s (peak resident memory "
                    "+%ld kB for the table and %zu channels), load %.3f s (+%ld kB, %.0f bytes a point)\n",
                    states, open + load, ok ? "" : " WRONG VALUES", open, openGrowth,
                    sim ? sim->Channels().size() : size_t(0), load, loadGrowth, 1024.0 * double(loadGrowth) / states);
        status |= !ok;
        Peer(binout, std::to_string(nodes / 2), 0);
    }

    // Every variable of 100 nodes: spread over the run's nodes (every
    // 100th), and 100 in a row (as a dummy's nodes are listed together).
    for (const int stride : {nodes / 100, 1}) {
        t0 = Clock::now();
        KVErrorList errors;
        auto sim = Simulation::Open(binout, errors);
        std::vector<size_t> which;
        for (int n = 0; sim && n < 100; ++n)
            for (int v = 0; v < 5; ++v)
                which.push_back(sim->Find("nodout/" + std::to_string(1000001 + n * stride) + "/" + kVariables[v]));
        std::vector<KVSignal> signals;
        bool ok = sim && sim->LoadChannels(which, nullptr, signals, errors);
        size_t points = 0;
        for (size_t k = 0; ok && k < signals.size(); ++k) {
            ok = signals[k].Y()[1] == Value(int(k % 5), int(k / 5) * stride, 1);
            points += signals[k].PointCount();
        }
        const double ours = Since(t0);
        std::printf("every variable of 100 nodes, every %d%s (%zu points):\n    ours: %.3f s%s\n", stride,
                    stride == 1 ? "st" : "th", points, ours, ok ? "" : " WRONG VALUES");
        status |= !ok;
        const double peer = Peer(binout, "100", stride);
        if (peer > 0)
            std::printf("    peer / ours %.1f (goal >= 10)\n", peer / ours);
    }
    if (!keep)
        fs::remove(binout);

    // ASCII nodout.
    t0 = Clock::now();
    if (!WriteNodout(nodout, nodoutMb)) {
        std::fprintf(stderr, "could not write %s\n", nodout.c_str());
        return 1;
    }
    const double mb = double(fs::file_size(nodout)) / 1e6;
    std::printf("nodout: %.0f MB, written in %.1f s\n", mb, Since(t0));
    {
        const double bytes = ReadBytes(nodout);
        t0 = Clock::now();
        KVErrorList errors;
        auto sim = Simulation::Open(nodout, errors);
        const double ours = Since(t0);
        std::printf("    ours: %.3f s, %.0f MB/s (goal >= 200), %zu channels%s\n", ours, mb / ours,
                    sim ? sim->Channels().size() : size_t(0), sim ? "" : " FAILED");
        std::printf("    peer read(2) of the bytes: %.3f s, %.0f MB/s\n", bytes, mb / bytes);
        status |= !sim;
    }
    if (!keep)
        fs::remove_all(folder);
    else
        std::printf("kept %s\n", folder);
    return status;
}
