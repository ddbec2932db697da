#include "SimUnits.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

struct UnitName {
    const char* name;
    double factor; // to metre, second, kilogram or newton
};

// The unit names of each place of the set, one table each.
const UnitName kLengths[] = {{"m", 1}, {"mm", 1e-3}, {"cm", 1e-2}, {"in", 0.0254}, {"ft", 0.3048}};
const UnitName kTimes[] = {{"s", 1}, {"ms", 1e-3}, {"us", 1e-6}};
const UnitName kMasses[] = {{"kg", 1},          {"g", 1e-3},           {"t", 1e3},
                            {"lbm", 0.45359237}, {"slinch", 175.126836}, {"slug", 14.5939029}};
const UnitName kForces[] = {{"n", 1}, {"kn", 1e3}, {"mn", 1e-3}, {"lbf", 4.4482216152605}};

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

template <size_t N>
bool Find(const UnitName (&table)[N], std::string_view name, double& factor)
{
    const std::string lower = Lower(name);
    for (const UnitName& u : table) {
        if (lower == Lower(u.name)) {
            factor = u.factor;
            return true;
        }
    }
    return false;
}

enum class Match { Exact, Suffix, Contains };

struct QuantityRule {
    const char* text;
    Match match;
    bool rotational; // only for rx_, ry_, rz_ names
    SimQuantity quantity;
};

// First rule that fits wins: the rotational ones before their translational
// namesakes, "energy" before the "velocity" of "kinetic_energy"-like names.
const QuantityRule kQuantities[] = {
    {"time", Match::Exact, false, SimQuantity::Time},
    {"time_step", Match::Exact, false, SimQuantity::Time},
    {"_displacement", Match::Suffix, true, SimQuantity::Angle},
    {"_velocity", Match::Suffix, true, SimQuantity::AngularVelocity},
    {"_acceleration", Match::Suffix, true, SimQuantity::AngularAcceleration},
    {"energy", Match::Contains, false, SimQuantity::Energy},
    {"work", Match::Contains, false, SimQuantity::Energy},
    {"force", Match::Contains, false, SimQuantity::Force},
    {"moment", Match::Suffix, false, SimQuantity::Moment},
    {"momentum", Match::Suffix, false, SimQuantity::Momentum},
    {"displacement", Match::Contains, false, SimQuantity::Length},
    {"coordinate", Match::Suffix, false, SimQuantity::Length},
    {"centroid", Match::Suffix, false, SimQuantity::Length},
    {"length", Match::Suffix, false, SimQuantity::Length},
    {"pull_out", Match::Suffix, false, SimQuantity::Length},
    {"slip", Match::Suffix, false, SimQuantity::Length},
    {"reaction", Match::Exact, false, SimQuantity::Force},
    {"dm_dt", Match::Contains, false, SimQuantity::MassFlow},
    {"volume", Match::Suffix, false, SimQuantity::Volume},
    {"density", Match::Suffix, false, SimQuantity::Density},
    {"velocity", Match::Suffix, false, SimQuantity::Velocity},
    {"acceleration", Match::Suffix, false, SimQuantity::Acceleration},
    {"area", Match::Suffix, false, SimQuantity::Area},
    {"mass", Match::Suffix, false, SimQuantity::Mass},
    {"pressure", Match::Suffix, false, SimQuantity::Pressure},
};

bool IsRotational(std::string_view v)
{
    return v.size() > 3 && v[0] == 'r' && (v[1] == 'x' || v[1] == 'y' || v[1] == 'z') && v[2] == '_';
}

bool Fits(const QuantityRule& r, std::string_view v)
{
    const std::string_view t = r.text;
    switch (r.match) {
    case Match::Exact:
        return v == t;
    case Match::Suffix:
        return v.size() >= t.size() && v.substr(v.size() - t.size()) == t;
    case Match::Contains:
        return v.find(t) != std::string_view::npos;
    }
    return false;
}

struct QuantityUnit {
    SimQuantity quantity;
    const char* unit;
    const char* dimension;
};

const QuantityUnit kUnitWords[] = {
    {SimQuantity::None, "NONE", " "},
    {SimQuantity::Time, "SECONDS", "TIME"},
    {SimQuantity::Length, "MILLIMETERS", "DISPLACEMENT"},
    {SimQuantity::Area, "MILLIMETERS**2", "AREA"},
    {SimQuantity::Velocity, "METERS/SEC", "VELOCITY"},
    {SimQuantity::Acceleration, "G'S", "ACCELERATION"},
    {SimQuantity::Angle, "RADIANS", "ANGLE"},
    {SimQuantity::AngularVelocity, "RADIANS/SEC", "ANGULAR VELOCITY"},
    {SimQuantity::AngularAcceleration, "RADIANS/SEC**2", "ANGULAR ACCELERATION"},
    {SimQuantity::Force, "NEWTONS", "FORCE"},
    {SimQuantity::Moment, "NEWTON-METERS", "MOMENT"},
    {SimQuantity::Energy, "JOULES", "ENERGY"},
    {SimQuantity::Mass, "KILOGRAMS", "MASS"},
    {SimQuantity::Momentum, "NEWTON-SECONDS", "MOMENTUM"},
    {SimQuantity::Pressure, "PASCALS", "PRESSURE"},
    {SimQuantity::Volume, "MILLIMETERS**3", "VOLUME"},
    {SimQuantity::Density, "KG/M**3", "DENSITY"},
    {SimQuantity::MassFlow, "KG/SEC", "MASS FLOW"},
};

const QuantityUnit& UnitOf(SimQuantity q)
{
    for (const QuantityUnit& u : kUnitWords)
        if (u.quantity == q)
            return u;
    return kUnitWords[0];
}

constexpr double kStandardGravity = 9.80665;

} // namespace

bool SimParseUnits(std::string_view text, SimUnits& units, std::string& why)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '-') {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (parts.size() != 4) {
        why = "units \"" + std::string(text) + "\" are not LENGTH-TIME-MASS-FORCE (such as mm-ms-kg-kN)";
        return false;
    }
    SimUnits u;
    const char* places[] = {"length", "time", "mass", "force"};
    const bool known[] = {Find(kLengths, parts[0], u.metre), Find(kTimes, parts[1], u.second),
                          Find(kMasses, parts[2], u.kilogram), Find(kForces, parts[3], u.newton)};
    for (int k = 0; k < 4; ++k) {
        if (!known[k]) {
            why = "unknown " + std::string(places[k]) + " unit \"" + std::string(parts[k]) + "\" in units \"" +
                  std::string(text) + "\"";
            return false;
        }
    }
    const double derived = u.kilogram * u.metre / (u.second * u.second);
    if (std::fabs(derived - u.newton) > 1e-6 * u.newton) {
        char numbers[96];
        std::snprintf(numbers, sizeof numbers, "%.6g N, the force unit %.6g N", derived, u.newton);
        why = "units \"" + std::string(text) + "\" are not a consistent set: mass x length / time^2 is " + numbers;
        return false;
    }
    u.text = std::string(text);
    units = u;
    return true;
}

SimQuantity SimQuantityOf(std::string_view variable)
{
    const bool rotational = IsRotational(variable);
    for (const QuantityRule& r : kQuantities) {
        if (r.rotational && !rotational)
            continue;
        if (Fits(r, variable))
            return r.quantity;
    }
    return SimQuantity::None;
}

double SimScale(SimQuantity q, const SimUnits& u)
{
    switch (q) {
    case SimQuantity::None:
    case SimQuantity::Angle:
        return 1.0;
    case SimQuantity::Time:
        return u.second;
    case SimQuantity::Length:
        return u.metre * 1e3;
    case SimQuantity::Area:
        return u.metre * u.metre * 1e6;
    case SimQuantity::Velocity:
        return u.metre / u.second;
    case SimQuantity::Acceleration:
        return u.metre / (u.second * u.second) / kStandardGravity;
    case SimQuantity::AngularVelocity:
        return 1.0 / u.second;
    case SimQuantity::AngularAcceleration:
        return 1.0 / (u.second * u.second);
    case SimQuantity::Force:
        return u.newton;
    case SimQuantity::Moment:
    case SimQuantity::Energy:
        return u.newton * u.metre;
    case SimQuantity::Mass:
        return u.kilogram;
    case SimQuantity::Momentum:
        return u.kilogram * u.metre / u.second;
    case SimQuantity::Pressure:
        return u.newton / (u.metre * u.metre);
    case SimQuantity::Volume:
        return u.metre * u.metre * u.metre * 1e9;
    case SimQuantity::Density:
        return u.kilogram / (u.metre * u.metre * u.metre);
    case SimQuantity::MassFlow:
        return u.kilogram / u.second;
    }
    return 1.0;
}

const char* SimUnitWord(SimQuantity q) { return UnitOf(q).unit; }

const char* SimDimensionWord(SimQuantity q) { return UnitOf(q).dimension; }
