#include "DemoData.h"

#include "DemoChannels.h"
#include "KVErrorList.h"
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const char* const kScope = "kalvio demo";

// Channels of the injury programs' hitlist: head, neck, chest, tibia.
const char* const kInjurySelection[] = {"head_x",  "head_y",   "head_z",    "neck_fx",
                                        "neck_my", "neck_fz",  "chest_dx",  "ltibia_mx",
                                        "ltibia_my", "ltibia_fz"};

std::string RvfName(const DemoChannel& c)
{
    return std::string(DemoTests()[static_cast<std::size_t>(c.test)].prefix) + "_" + c.name + ".rvf";
}

// A spreadsheet-style export: title lines, then time in milliseconds (the unit
// a header-less text file is taken in) and the value, split by sep.
bool WriteAsciiExport(const fs::path& path, const std::vector<std::string>& titles, const float* x,
                      const std::vector<float>& y, char sep, KVErrorList& errors)
{
    std::ofstream out(path, std::ios::trunc);
    for (const std::string& t : titles)
        out << t << '\n';
    char line[64];
    for (std::size_t i = 0; i < y.size(); ++i) {
        std::snprintf(line, sizeof line, "%.1f%c%.6g\n", double(x[i]) * 1000.0, sep, double(y[i]));
        out << line;
    }
    out.close();
    if (!out) {
        errors.AddError("Couldn't write " + path.string(), kScope);
        return false;
    }
    return true;
}

// Velocity in km/h from an acceleration in G'S and its initial velocity:
// the trapezoidal integral anchored at time zero.
std::vector<float> VelocityOf(const KVSignal& accel)
{
    const std::size_t n = accel.PointCount();
    const std::size_t zero = static_cast<std::size_t>(-accel.Nfp());
    const double f = 9.80665 * 3.6;
    std::vector<double> v(n);
    v[zero] = accel.InitialVelocity();
    for (std::size_t i = zero + 1; i < n; ++i)
        v[i] = v[i - 1] + 0.5 * f * (accel.X()[i] - accel.X()[i - 1]) * (accel.Y()[i] + accel.Y()[i - 1]);
    for (std::size_t i = zero; i-- > 0;)
        v[i] = v[i + 1] - 0.5 * f * (accel.X()[i + 1] - accel.X()[i]) * (accel.Y()[i] + accel.Y()[i + 1]);
    return std::vector<float>(v.begin(), v.end());
}

std::size_t ChannelIndex(const char* test, const char* name)
{
    const auto& all = DemoChannels();
    for (std::size_t i = 0; i < all.size(); ++i)
        if (std::string(DemoTests()[static_cast<std::size_t>(all[i].test)].prefix) == test
            && std::string(all[i].name) == name)
            return i;
    return all.size();
}

bool WriteAsciiFiles(const fs::path& dir, DemoDataSet& written, KVErrorList& errors)
{
    KVSignal sled;
    BuildDemoSignal(ChannelIndex("occ2231", "sled_x"), sled);
    const std::vector<float> sledY(sled.Y(), sled.Y() + sled.PointCount());
    const fs::path sledPath = dir / "occ2231_sled_pulse.txt";
    if (!WriteAsciiExport(sledPath, {"Sled test SB-2231, sled carriage acceleration X", "Time (ms)\tAcceleration (g)"},
                          sled.X(), sledY, '\t', errors))
        return false;

    KVSignal tunnel;
    BuildDemoSignal(ChannelIndex("veh4127", "tunnel_x"), tunnel);
    const fs::path velPath = dir / "veh4127_tunnel_vx.txt";
    if (!WriteAsciiExport(velPath, {"Vehicle test ZL-4127, tunnel velocity X from the CFC 60 acceleration",
                                    "Time [ms],Velocity [km/h]"},
                          tunnel.X(), VelocityOf(tunnel), ',', errors))
        return false;
    written.asciiFiles = {sledPath.string(), velPath.string()};
    return true;
}

bool WriteHitlist(const fs::path& dir, DemoDataSet& written, KVErrorList& errors)
{
    const fs::path path = dir / "occ2231_injury.hit";
    std::ofstream out(path, std::ios::trunc);
    written.hitlistEntries.clear();
    for (const char* name : kInjurySelection) {
        const std::size_t i = ChannelIndex("occ2231", name);
        const std::string entry = (dir / RvfName(DemoChannels()[i])).string();
        out << entry << '\n';
        written.hitlistEntries.push_back(entry);
    }
    out.close();
    if (!out) {
        errors.AddError("Couldn't write " + path.string(), kScope);
        return false;
    }
    written.hitlist = path.string();
    return true;
}

} // namespace

const char* DemoFloatFormat(std::size_t i)
{
    static const char* const formats[] = {"IEEE", "SUN", "VAX"};
    return formats[i % 3];
}

bool DemoKeepsXArray(std::size_t i)
{
    return i % 4 == 3;
}

bool WriteDemoDataSet(const std::string& dirName, DemoDataSet& written, KVErrorList& errors)
{
    std::error_code ec;
    // Absolute, so that the hitlist names its files from any working directory.
    const fs::path dir = fs::absolute(dirName, ec).lexically_normal();
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        errors.AddError("Couldn't make the directory " + dirName + (ec ? ": " + ec.message() : ""), kScope);
        return false;
    }
    written = DemoDataSet{};
    const auto& channels = DemoChannels();
    for (std::size_t i = 0; i < channels.size(); ++i) {
        KVSignal signal;
        BuildDemoSignal(i, signal);
        // A zero step is how a file with its own X array reads back; storing
        // it so keeps the X array.
        if (DemoKeepsXArray(i))
            signal.SetDel(0.0f);
        const std::string path = (dir / RvfName(channels[i])).string();
        KVFileRvf file(path);
        file.SetFloatFormatName(DemoFloatFormat(i));
        if (!file.Store(signal)) {
            errors.AppendErrors(file);
            return false;
        }
        written.rvfFiles.push_back(path);
    }
    return WriteAsciiFiles(dir, written, errors) && WriteHitlist(dir, written, errors)
           && WriteDemoIsoTests(dir.string(), written, errors) && WriteDemoAssessTests(dir.string(), written, errors);
}
