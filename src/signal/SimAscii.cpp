// The solver's ASCII time-history files read as channels named as the
// binout names them. Rows are split by column, never by white space:
// negative numbers run together and an exponent may lose its letter.
#include "KVErrorList.h"
#include "KVFileBytes.h"
#include "KVPrintableName.h"
#include "SimAsciiReader.h"
#include "SimAsciiText.h"
#include "Simulation.h"

#include <cmath>
#include <cstdlib>
#include <unordered_map>

const SimAsciiKindRow kSimAsciiKinds[] = {
    {"nodout", "n o d a l   p r i n t   o u t"},
    {"glstat", "g l o b a l   s t a t i s t i c s"},
    {"rcforc", "r e s u l t a n t   i n t e r f a c e   f o r c e s"},
    {"secforc", "c r o s s   s e c t i o n   f o r c e s"},
    {"matsum", "m a t e r i a l   e n e r g i e s"},
    {"sbtout", "s e a t b e l t   o u t p u t"},
    {"jntforc", "j o i n t   f o r c e   r e s u l t a n t s"},
    {"deforc", "d i s c r e t e   e l e m e n t   f o r c e s"},
    {"abstat", "a i r b a g   s t a t i s t i c s"},
};
const size_t kSimAsciiKindCount = sizeof kSimAsciiKinds / sizeof kSimAsciiKinds[0];

const char* const kNodoutTranslational[12] = {
    "x_displacement", "y_displacement", "z_displacement", "x_velocity",   "y_velocity",   "z_velocity",
    "x_acceleration", "y_acceleration", "z_acceleration", "x_coordinate", "y_coordinate", "z_coordinate"};
const char* const kNodoutRotational[9] = {"rx_displacement", "ry_displacement", "rz_displacement",
                                          "rx_velocity",     "ry_velocity",     "rz_velocity",
                                          "rx_acceleration", "ry_acceleration", "rz_acceleration"};

bool SimFortranNumber(std::string_view f, double& out)
{
    size_t i = 0, n = f.size();
    while (i < n && f[i] == ' ')
        ++i;
    while (n > i && f[n - 1] == ' ')
        --n;
    if (i == n)
        return false;
    bool negative = false;
    if (f[i] == '-' || f[i] == '+')
        negative = f[i++] == '-';
    uint64_t mantissa = 0;
    int scale = 0, digits = 0, dropped = 0;
    bool point = false, anyDigit = false;
    for (; i < n; ++i) {
        const char c = f[i];
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (digits < 19) {
                mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
                if (point)
                    --scale;
                if (mantissa)
                    ++digits;
            } else if (!point) {
                ++dropped; // beyond 19 digits: only the magnitude counts
            }
        } else {
            break;
        }
    }
    if (!anyDigit)
        return false;
    int exponent = 0;
    if (i < n) {
        const char c = f[i];
        if (c == 'E' || c == 'e' || c == 'D' || c == 'd')
            ++i;
        else if (c != '-' && c != '+')
            return false;
        bool negExp = false;
        if (i < n && (f[i] == '-' || f[i] == '+'))
            negExp = f[i++] == '-';
        if (i == n)
            return false;
        for (; i < n; ++i) {
            if (f[i] < '0' || f[i] > '9' || exponent > 9999)
                return false;
            exponent = exponent * 10 + (f[i] - '0');
        }
        if (negExp)
            exponent = -exponent;
    }
    const int e = exponent + scale + dropped;
    static const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double v;
    if (mantissa < (uint64_t(1) << 53) && e >= -22 && e <= 22) {
        // Both exact in a double: one correctly rounded operation.
        v = e < 0 ? double(mantissa) / kPow10[-e] : double(mantissa) * kPow10[e];
    } else {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%llue%d", static_cast<unsigned long long>(mantissa), e);
        v = std::strtod(buf, nullptr);
    }
    if (!std::isfinite(v))
        return false;
    out = negative ? -v : v;
    return true;
}

std::string SimAsciiKind(const std::string& head, const std::string& path)
{
    for (size_t k = 0; k < kSimAsciiKindCount; ++k)
        if (head.find(kSimAsciiKinds[k].banner) != std::string::npos)
            return kSimAsciiKinds[k].kind;
    // The solver's own file names say the kind as well; a binary file of
    // such a name is not taken.
    const std::string name = path.substr(path.find_last_of('/') + 1);
    for (size_t k = 0; k < kSimAsciiKindCount; ++k)
        if (name == kSimAsciiKinds[k].kind && head.find('\0') == std::string::npos)
            return name;
    return {};
}

const char* const kSimAsciiScope = "Simulation";

std::string_view SimTrimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool SimAsciiSimulation::ReadChannel(size_t i, std::vector<double>& t, std::vector<double>& y, KVErrorList&) const
{
    const Points& p = m_points[i];
    t.resize(p.state.size());
    y.assign(p.value.begin(), p.value.end());
    for (size_t k = 0; k < t.size(); ++k)
        t[k] = m_times[p.state[k]];
    return true;
}

bool SimAsciiSimulation::Fail(size_t line, const std::string& problem, KVErrorList& errors)
{
    errors.AddError(m_name + ":" + std::to_string(line) + ": " + problem, kSimAsciiScope);
    return false;
}

size_t SimAsciiSimulation::Channel(const std::string& id, const std::string& variable)
{
    const std::string name = m_folder + "/" + (id.empty() ? "" : id + "/") + variable;
    auto [it, added] = m_index.try_emplace(name, m_channels.size());
    if (added) {
        std::string idNumber = id.substr(0, id.find('-'));
        const auto legend = m_legend.find(idNumber);
        m_channels.push_back({name, m_folder, id, variable, legend != m_legend.end() ? legend->second : m_title, 0});
        m_points.emplace_back();
    }
    return it->second;
}

void SimAsciiSimulation::ReadLegend(SimLines lines)
{
    std::string_view line;
    bool inside = false;
    while (lines.Next(line)) {
        const std::string_view t = SimTrimmed(line);
        if (t == "{BEGIN LEGEND}") {
            inside = true;
        } else if (t == "{END LEGEND}") {
            return;
        } else if (inside && line.size() > 9) {
            double id = 0;
            if (SimFortranNumber(line.substr(0, 9), id)) {
                char buf[32];
                std::snprintf(buf, sizeof buf, "%.0f", id);
                m_legend[buf] = std::string(SimTrimmed(line.substr(9)));
            }
        } else if (!inside && lines.number > 8) {
            return; // a legend comes right after the banner, or not at all
        }
    }
}

bool SimAsciiSimulation::Load(const std::string& path, const std::string& kind, KVErrorList& errors)
{
    m_files = {path};
    m_kind = kind;
    m_folder = kind == "jntforc" ? "jntforc/joints" : kind;
    m_name = KVPrintableName(path);
    KVFileBytes file;
    if (file.Read(path) != KVFileBytes::Ok) {
        errors.AddError(file.Describe(m_name), kSimAsciiScope);
        return false;
    }
    SimLines lines{std::string_view(reinterpret_cast<const char*>(file.Data()), file.Size())};
    std::string_view first;
    if (lines.Next(first))
        m_title = std::string(SimTrimmed(first));
    ReadLegend(lines);
    bool ok = kind == "nodout"   ? ReadNodout(lines, errors)
              : kind == "glstat" ? ReadGlstat(lines, errors)
              : kind == "rcforc" ? ReadRcforc(lines, errors)
              : kind == "secforc" || kind == "matsum" ? ReadKeyed(lines, errors)
                                 : ReadRestraint(lines, errors);
    if (!ok)
        return false;
    for (size_t i = 0; i < m_channels.size(); ++i)
        m_channels[i].states = m_points[i].value.size();
    if (!m_times.empty()) {
        m_firstTime = m_times.front();
        m_lastTime = m_times.back();
    }
    if (m_channels.empty())
        return Fail(lines.number, "no state of " + kind + " values in the file", errors);
    return true;
}

// The ids of a state's rows are read once per file, not per state.
bool SimAsciiSimulation::ReadNodout(SimLines& lines, KVErrorList& errors)
{
    std::string_view line;
    const char* const* names = nullptr;
    size_t columns = 0;
    double blockTime = 0;
    std::unordered_map<long long, size_t> first; // id -> channel of its first variable, per block kind
    std::unordered_map<long long, size_t> firstRot;
    size_t firstState = 0; // where the first state's rows begin
    while (lines.Next(line)) {
        if (line.rfind(kNodoutStateLine, 0) == 0) {
            const size_t at = line.find("( at time");
            const size_t close = line.find(')', at == std::string_view::npos ? 0 : at);
            if (at == std::string_view::npos || close == std::string_view::npos
                || !SimFortranNumber(line.substr(at + 9, close - at - 9), blockTime))
                return Fail(lines.number, "a nodout state line without its time", errors);
            std::string_view heading;
            while (lines.Next(heading) && SimTrimmed(heading).empty()) {
            }
            if (SimTrimmed(heading).empty())
                return Fail(lines.number, "a nodout state without its heading", errors);
            const bool rotational = heading.find("rot") != std::string_view::npos;
            names = rotational ? kNodoutRotational : kNodoutTranslational;
            columns = rotational ? 9 : 12;
            if (m_times.empty() || blockTime != m_times.back() || !rotational) {
                m_times.push_back(blockTime);
                if (m_times.size() == 1)
                    firstState = lines.pos;
                else if (m_times.size() == 2 && lines.pos > firstState)
                    ReserveStates(1 + (lines.text.size() - firstState) / (lines.pos - firstState) * 21 / 20);
            }
            continue;
        }
        const std::string_view t = SimTrimmed(line);
        if (t.empty() || !names)
            continue;
        const size_t width = 9 + 13 + 12 * (columns - 1);
        std::string_view row = line;
        while (row.size() > width && row.back() == ' ')
            row.remove_suffix(1);
        if (row.size() != width)
            return Fail(lines.number,
                        "a nodout row of " + std::to_string(row.size()) + " characters does not fit its " +
                            std::to_string(columns) + " columns (" + std::to_string(width) + " characters)",
                        errors);
        double id = 0;
        if (!SimFortranNumber(row.substr(0, 9), id) || id != std::floor(id))
            return Fail(lines.number, "a nodout row without its node id", errors);
        auto& index = columns == 9 ? firstRot : first;
        const long long key = static_cast<long long>(id);
        auto it = index.find(key);
        if (it == index.end()) {
            const std::string idText = std::to_string(key);
            const size_t c0 = Channel(idText, names[0]);
            for (size_t k = 1; k < columns; ++k)
                Channel(idText, names[k]); // made in a row: channel c0 + k
            it = index.emplace(key, c0).first;
        }
        for (size_t k = 0; k < columns; ++k) {
            const size_t start = k == 0 ? 9 : 22 + 12 * (k - 1);
            double v = 0;
            if (!SimFortranNumber(row.substr(start, k == 0 ? 13 : 12), v))
                return Fail(lines.number, "column " + std::to_string(k + 1) + " of a nodout row is no number: \"" +
                                              std::string(row.substr(start, k == 0 ? 13 : 12)) + "\"",
                            errors);
            Add(it->second + k, v);
        }
    }
    return true;
}

bool SimAsciiSimulation::ReadGlstat(SimLines& lines, KVErrorList& errors)
{
    // Labels whose variable is not the label's words joined by "_".
    static const std::pair<const char*, const char*> kNames[] = {
        {"total energy / initial energy", "energy_ratio"},
        {"energy ratio w/o eroded energy", "energy_ratio_wo_eroded"},
        {"spring and damper energy", "spring_and_damper_energy"},
    };
    std::string_view line;
    while (lines.Next(line)) {
        const size_t dots = line.find(".."); // a long label keeps two dots
        if (dots == std::string_view::npos)
            continue;
        const std::string_view label = SimTrimmed(line.substr(0, dots));
        size_t end = line.find_first_not_of('.', dots);
        if (end == std::string_view::npos)
            continue;
        double v = 0;
        if (!SimFortranNumber(line.substr(end), v))
            continue; // a label without a number ("cpu time per zone cycle")
        std::string name;
        for (const auto& [text, var] : kNames)
            if (label == text)
                name = var;
        if (name.empty())
            for (const char c : label)
                name += c == ' ' ? '_' : c;
        if (name == "time") {
            m_times.push_back(v);
            continue;
        }
        if (m_times.empty())
            return Fail(lines.number, "a glstat value before the first time", errors);
        Add(Channel("", name), v);
    }
    return true;
}

bool SimAsciiSimulation::ReadRcforc(SimLines& lines, KVErrorList& errors)
{
    static const std::pair<const char*, const char*> kKeys[] = {
        {"x", "x_force"},   {"y", "y_force"},   {"z", "z_force"},   {"mass", "mass"},
        {"mx", "x_moment"}, {"my", "y_moment"}, {"mz", "z_moment"},
    };
    std::string_view line;
    while (lines.Next(line)) {
        const std::string_view side = SimTrimmed(line.substr(0, std::min<size_t>(8, line.size())));
        if (side != "master" && side != "slave")
            continue;
        double id = 0, time = 0;
        const size_t keyAt = line.find("time", 19);
        if (line.size() < 19 || !SimFortranNumber(line.substr(8, 11), id) || keyAt == std::string_view::npos
            || !SimFortranNumber(line.substr(keyAt + 4, 12), time))
            return Fail(lines.number, "an rcforc line without its id and time", errors);
        if (m_times.empty() || time != m_times.back())
            m_times.push_back(time);
        const std::string idText = std::to_string(static_cast<long long>(id)) + "-" + std::string(side);
        size_t p = keyAt + 16;
        while (p < line.size()) {
            while (p < line.size() && line[p] == ' ')
                ++p;
            const size_t k0 = p;
            while (p < line.size() && line[p] >= 'a' && line[p] <= 'z')
                ++p;
            if (p == k0)
                break;
            const std::string_view key = line.substr(k0, p - k0);
            double v = 0;
            if (p + 12 > line.size() + 0 || !SimFortranNumber(line.substr(p, 12), v))
                return Fail(lines.number, "the rcforc value after \"" + std::string(key) + "\" is no number",
                            errors);
            p += 12;
            for (const auto& [text, var] : kKeys)
                if (key == text)
                    Add(Channel(idText, var), v);
        }
    }
    return true;
}

namespace {

// The keyed values of secforc and matsum: "KEY=" and 12 characters, on a
// line that holds the marker (the two "magnitude=" of secforc differ so).
struct KeyedValue {
    const char* kind;
    const char* marker;
    const char* key;
    const char* variable;
};

const KeyedValue kKeyed[] = {
    {"secforc", "x-force=", "x-force=", "x_force"},
    {"secforc", "x-force=", "y-force=", "y_force"},
    {"secforc", "x-force=", "z-force=", "z_force"},
    {"secforc", "x-force=", "magnitude=", "total_force"},
    {"secforc", "x-moment=", "x-moment=", "x_moment"},
    {"secforc", "x-moment=", "y-moment=", "y_moment"},
    {"secforc", "x-moment=", "z-moment=", "z_moment"},
    {"secforc", "x-moment=", "magnitude=", "total_moment"},
    {"secforc", "x-centroid=", "x-centroid=", "x_centroid"},
    {"secforc", "x-centroid=", "y-centroid=", "y_centroid"},
    {"secforc", "x-centroid=", "z-centroid=", "z_centroid"},
    {"secforc", "x-centroid=", "area=", "area"},
    {"matsum", "mat.#=", "inten=", "internal_energy"},
    {"matsum", "mat.#=", "kinen=", "kinetic_energy"},
    {"matsum", "mat.#=", "eroded_ie=", "eroded_internal_energy"},
    {"matsum", "mat.#=", "eroded_ke=", "eroded_kinetic_energy"},
    {"matsum", "x-mom=", "x-mom=", "x_momentum"},
    {"matsum", "x-mom=", "y-mom=", "y_momentum"},
    {"matsum", "x-mom=", "z-mom=", "z_momentum"},
    {"matsum", "x-rbv=", "x-rbv=", "x_rbvelocity"},
    {"matsum", "x-rbv=", "y-rbv=", "y_rbvelocity"},
    {"matsum", "x-rbv=", "z-rbv=", "z_rbvelocity"},
    {"matsum", "hgeng=", "hgeng=", "hourglass_energy"},
};

} // namespace

bool SimAsciiSimulation::ReadKeyed(SimLines& lines, KVErrorList& errors)
{
    const bool secforc = m_kind == "secforc";
    std::string_view line;
    std::string id;
    while (lines.Next(line)) {
        double number = 0;
        // Where a state or an id begins: secforc's "%12d%15.5E" before its
        // forces, matsum's " time =" and "mat.#=".
        if (secforc && line.find("x-force=") != std::string_view::npos) {
            double time = 0;
            if (line.size() < 27 || !SimFortranNumber(line.substr(0, 12), number)
                || !SimFortranNumber(line.substr(12, 15), time))
                return Fail(lines.number, "a secforc line without its section id and time", errors);
            id = std::to_string(static_cast<long long>(number));
            if (m_times.empty() || time != m_times.back())
                m_times.push_back(time);
        } else if (!secforc && SimTrimmed(line).rfind("time =", 0) == 0) {
            if (!SimFortranNumber(SimTrimmed(line).substr(6), number))
                return Fail(lines.number, "a matsum time that is no number", errors);
            m_times.push_back(number);
            id.clear();
            continue;
        } else if (!secforc && line.find("mat.#=") != std::string_view::npos) {
            const size_t at = line.find("mat.#=") + 6;
            if (!SimFortranNumber(line.substr(at, 5), number))
                return Fail(lines.number, "a matsum part line without its part number", errors);
            id = std::to_string(static_cast<long long>(number));
        }
        for (const KeyedValue& k : kKeyed) {
            if (m_kind != k.kind || line.find(k.marker) == std::string_view::npos)
                continue;
            const size_t at = line.find(k.key);
            if (at == std::string_view::npos)
                continue;
            const size_t from = at + std::string_view(k.key).size();
            double v = 0;
            if (id.empty() || m_times.empty() || !SimFortranNumber(line.substr(from, 12), v))
                return Fail(lines.number, "no number after \"" + std::string(k.key) + "\"", errors);
            Add(Channel(id, k.variable), v);
        }
    }
    return true;
}

std::unique_ptr<Simulation> SimOpenAscii(const std::string& path, KVErrorList& errors)
{
    KVFileBytes file;
    std::string head(4096, '\0');
    if (file.Open(path) != KVFileBytes::Ok)
        return nullptr;
    head.resize(std::min<size_t>(head.size(), file.Size()));
    if (!file.ReadNext(reinterpret_cast<uint8_t*>(head.data()), head.size()))
        return nullptr;
    file.Close();
    const std::string kind = SimAsciiKind(head, path);
    if (kind.empty())
        return nullptr;
    auto s = std::make_unique<SimAsciiSimulation>();
    if (!s->Load(path, kind, errors))
        return nullptr;
    return s;
}
