// The ASCII files of the restraints and the discrete elements, read as the
// binout names their values. Each state begins with a "time....  value"
// line; then, by kind:
//   sbtout   " seat belt number=%8d   force=%12.5E   length=%12.5E",
//            " slip ring number=%8d   slip=%12.5E",
//            " retractor number=%8d   pull-out=%12.5E   force=%12.5E";
//   jntforc  "label....  value" lines: "joint ID", then its forces and moments;
//   deforc   rows of "%9d" and 5 values of 12 characters (x, y, z and
//            resultant force, displacement);
//   abstat   rows of "%9d" and 10 values of 12 characters (volume, pressure,
//            internal energy, mass flow in and out, mass, gas temperature,
//            density, surface area, reaction).
// Lines of words between them (headings) are passed over.
#include "KVErrorList.h"
#include "SimAsciiReader.h"
#include "SimAsciiText.h"

#include <cmath>

namespace {

// "label....  value": the label and where its value begins; false for a
// line of another shape.
bool Labelled(std::string_view line, std::string_view& label, std::string_view& value)
{
    const size_t dots = line.find("..");
    if (dots == std::string_view::npos)
        return false;
    const size_t end = line.find_first_not_of('.', dots);
    label = SimTrimmed(line.substr(0, dots));
    value = end == std::string_view::npos ? std::string_view() : line.substr(end);
    return !label.empty();
}

std::string IdText(double id) { return std::to_string(static_cast<long long>(id)); }

bool WholeNumber(std::string_view field, double& id)
{
    return SimFortranNumber(field, id) && id == std::floor(id) && std::fabs(id) < 1e15;
}

// A row of sbtout: the marker, then its id in 8 characters and its values,
// each "KEY=" and 12 characters.
struct BeltRow {
    const char* marker;
    const char* what;
    struct Key {
        const char* key;
        const char* variable;
    } keys[2];
};

const BeltRow kBeltRows[] = {
    {"seat belt number=", "seat belt", {{"force=", "belt_force"}, {"length=", "belt_length"}}},
    {"slip ring number=", "slip ring", {{"slip=", "ring_slip"}, {nullptr, nullptr}}},
    {"retractor number=", "retractor", {{"pull-out=", "retractor_pull_out"}, {"force=", "retractor_force"}}},
};

// jntforc's labels and the binout's names of their values.
const std::pair<const char*, const char*> kJointLabels[] = {
    {"x-force", "x_force"},   {"y-force", "y_force"},   {"z-force", "z_force"},
    {"x-moment", "x_moment"}, {"y-moment", "y_moment"}, {"z-moment", "z_moment"},
    {"resultant force", "resultant_force"}, {"resultant moment", "resultant_moment"},
};

// The kinds of rows of an id and fixed-width values.
struct ColumnKind {
    const char* kind;
    const char* variables[10];
    size_t columns;
};

const ColumnKind kColumnKinds[] = {
    {"deforc", {"x_force", "y_force", "z_force", "resultant_force", "displacement"}, 5},
    {"abstat",
     {"volume", "pressure", "internal_energy", "dm_dt_in", "dm_dt_out", "total_mass", "gas_temp", "density",
      "surface_area", "reaction"},
     10},
};
constexpr size_t kIdWidth = 9;
constexpr size_t kValueWidth = 12;

} // namespace

int SimAsciiSimulation::StateTime(std::string_view line, size_t number, KVErrorList& errors)
{
    std::string_view label, value;
    if (!Labelled(line, label, value) || label != "time")
        return 0;
    double t = 0;
    if (!SimFortranNumber(value, t)) {
        Fail(number, "the time is no number: \"" + std::string(SimTrimmed(value)) + "\"", errors);
        return -1;
    }
    m_times.push_back(t);
    return 1;
}

bool SimAsciiSimulation::ReadRestraint(SimLines& lines, KVErrorList& errors)
{
    if (m_kind == "sbtout")
        return ReadSeatbelts(lines, errors);
    if (m_kind == "jntforc")
        return ReadJoints(lines, errors);
    return ReadColumns(lines, errors);
}

bool SimAsciiSimulation::ReadSeatbelts(SimLines& lines, KVErrorList& errors)
{
    std::string_view line;
    while (lines.Next(line)) {
        const int time = StateTime(line, lines.number, errors);
        if (time < 0)
            return false;
        if (time > 0)
            continue;
        for (const BeltRow& row : kBeltRows) {
            const size_t at = line.find(row.marker);
            if (at == std::string_view::npos)
                continue;
            const size_t idAt = at + std::string_view(row.marker).size();
            double id = 0;
            if (line.size() < idAt + 8 || !WholeNumber(line.substr(idAt, 8), id))
                return Fail(lines.number, std::string("a ") + row.what + " line without its number", errors);
            if (m_times.empty())
                return Fail(lines.number, std::string("a ") + row.what + " line before the first time", errors);
            const std::string_view rest = line.substr(idAt + 8);
            for (const BeltRow::Key& k : row.keys) {
                if (!k.key)
                    continue;
                const size_t keyAt = rest.find(k.key);
                const size_t from = keyAt + std::string_view(k.key).size();
                double v = 0;
                if (keyAt == std::string_view::npos || rest.size() < from + kValueWidth
                    || !SimFortranNumber(rest.substr(from, kValueWidth), v))
                    return Fail(lines.number,
                                std::string("a ") + row.what + " line without a number of 12 characters after \"" +
                                    k.key + "\"",
                                errors);
                Add(Channel(IdText(id), k.variable), v);
            }
            break;
        }
    }
    return true;
}

bool SimAsciiSimulation::ReadJoints(SimLines& lines, KVErrorList& errors)
{
    std::string_view line;
    std::string id;
    while (lines.Next(line)) {
        const int time = StateTime(line, lines.number, errors);
        if (time < 0)
            return false;
        if (time > 0) {
            id.clear();
            continue;
        }
        std::string_view label, value;
        if (!Labelled(line, label, value))
            continue;
        double v = 0;
        if (label == "joint ID") {
            if (!WholeNumber(value, v))
                return Fail(lines.number, "a joint ID that is no whole number", errors);
            if (m_times.empty())
                return Fail(lines.number, "a joint before the first time", errors);
            id = IdText(v);
            continue;
        }
        for (const auto& [text, variable] : kJointLabels) {
            if (label != text)
                continue;
            if (id.empty())
                return Fail(lines.number, "a joint's " + std::string(text) + " before its joint ID", errors);
            if (!SimFortranNumber(value, v))
                return Fail(lines.number, "the joint's " + std::string(text) + " is no number: \"" +
                                              std::string(SimTrimmed(value)) + "\"",
                            errors);
            Add(Channel(id, variable), v);
        }
    }
    return true;
}

bool SimAsciiSimulation::ReadColumns(SimLines& lines, KVErrorList& errors)
{
    const ColumnKind* kind = nullptr;
    for (const ColumnKind& k : kColumnKinds)
        if (m_kind == k.kind)
            kind = &k;
    if (!kind)
        return Fail(lines.number, "no reader for " + m_kind, errors);
    const size_t width = kIdWidth + kValueWidth * kind->columns;
    std::string_view line;
    bool legend = false;
    while (lines.Next(line)) {
        const int time = StateTime(line, lines.number, errors);
        if (time < 0)
            return false;
        if (time > 0)
            continue;
        const std::string_view t = SimTrimmed(line);
        if (t == "{BEGIN LEGEND}" || t == "{END LEGEND}")
            legend = t[1] == 'B';
        if (legend || t.empty() || t.front() == '{')
            continue;
        double id = 0;
        const std::string_view idField = line.substr(0, std::min(kIdWidth, line.size()));
        if (!SimFortranNumber(idField, id)) {
            if (idField.find_first_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ") != std::string_view::npos)
                continue; // a heading
            return Fail(lines.number, m_kind + " row without its id", errors);
        }
        std::string_view row = line;
        while (row.size() > width && row.back() == ' ')
            row.remove_suffix(1);
        if (row.size() != width)
            return Fail(lines.number,
                        m_kind + " row of " + std::to_string(row.size()) + " characters does not fit its " +
                            std::to_string(kind->columns) + " columns (" + std::to_string(width) + " characters)",
                        errors);
        if (id != std::floor(id))
            return Fail(lines.number, m_kind + " row without its id", errors);
        if (m_times.empty())
            return Fail(lines.number, m_kind + " row before the first time", errors);
        const std::string idText = IdText(id);
        for (size_t k = 0; k < kind->columns; ++k) {
            const std::string_view field = row.substr(kIdWidth + kValueWidth * k, kValueWidth);
            double v = 0;
            if (!SimFortranNumber(field, v))
                return Fail(lines.number, "column " + std::to_string(k + 1) + " of the " + m_kind + " row is no number: \"" + std::string(field) + "\"",
                            errors);
            Add(Channel(idText, kind->variables[k]), v);
        }
    }
    return true;
}
