#include "CriteriaUnits.h"

#include "KVTimeUnits.h"

#include <initializer_list>
#include <vector>

namespace Criteria {

namespace {

struct UnitRow {
    const char* name;
    double factor;
};

constexpr double kG = 9.80665;
constexpr double kPound = 4.4482216152605;
constexpr double kDegree = 3.14159265358979323846 / 180;

// The header units each quantity accepts, with the factor to its criterion unit.
const std::vector<UnitRow>& Rows(Quantity q)
{
    static const std::vector<UnitRow> acceleration = {
        {"G'S", 1}, {"G", 1}, {"GS", 1}, {"METERS/SEC**2", 1 / kG}, {"M/S**2", 1 / kG},
        {"M/S^2", 1 / kG}, {"M/S2", 1 / kG}, {"FEET/SEC**2", 0.3048 / kG}};
    static const std::vector<UnitRow> force = {
        {"NEWTONS", 1}, {"NEWTON", 1}, {"N", 1}, {"KILONEWTONS", 1000}, {"KN", 1000},
        {"POUNDS", kPound}, {"LBF", kPound}, {"LBS", kPound}};
    static const std::vector<UnitRow> moment = {
        {"NEWTON-METERS", 1}, {"NEWTON-METRES", 1}, {"NM", 1}, {"N-M", 1}, {"N.M", 1},
        {"N M", 1}, {"POUND-FEET", kPound * 0.3048}, {"FOOT-POUNDS", kPound * 0.3048},
        {"INCH-POUNDS", kPound * 0.0254}, {"POUND-INCHES", kPound * 0.0254}};
    static const std::vector<UnitRow> deflection = {
        {"MILLIMETERS", 1}, {"MILLIMETRES", 1}, {"MM", 1}, {"CENTIMETERS", 10}, {"CM", 10},
        {"METERS", 1000}, {"METRES", 1000}, {"M", 1000}, {"INCHES", 25.4}, {"IN", 25.4},
        {"FEET", 304.8}};
    static const std::vector<UnitRow> angularVelocity = {
        {"RADIANS/SEC", 1}, {"RADIANS/SECOND", 1}, {"RAD/SEC", 1}, {"RAD/S", 1},
        {"DEGREES/SEC", kDegree}, {"DEGREES/SECOND", kDegree}, {"DEG/SEC", kDegree}, {"DEG/S", kDegree}};
    static const std::vector<UnitRow> angle = {
        {"RADIANS", 1}, {"RADIAN", 1}, {"RAD", 1}, {"DEGREES", kDegree}, {"DEGREE", kDegree}, {"DEG", kDegree}};
    static const std::vector<UnitRow> angularAcceleration = {
        {"RADIANS/SEC**2", 1}, {"RAD/(S*S)", 1}, {"RAD/S**2", 1}, {"RAD/S^2", 1}, {"RAD/S2", 1},
        {"DEGREES/SEC**2", kDegree}, {"DEG/(S*S)", kDegree}, {"DEG/S**2", kDegree}, {"DEG/S^2", kDegree}};
    switch (q) {
    case Quantity::Acceleration:
        return acceleration;
    case Quantity::Force:
        return force;
    case Quantity::Moment:
        return moment;
    case Quantity::Deflection:
        return deflection;
    case Quantity::AngularVelocity:
        break;
    case Quantity::Angle:
        return angle;
    case Quantity::AngularAcceleration:
        return angularAcceleration;
    }
    return angularVelocity;
}

bool Lookup(const std::string& units, const std::vector<UnitRow>& rows, double& factor)
{
    const std::string u = NormalisedUnits(units);
    for (const UnitRow& r : rows) {
        if (u == r.name) {
            factor = r.factor;
            return true;
        }
    }
    return false;
}

} // namespace

std::string NormalisedUnits(const std::string& units) { return KVUnitKey(units); }

bool UnitFactor(const std::string& units, Quantity q, double& factor)
{
    return Lookup(units, Rows(q), factor);
}

std::string AcceptedUnits(Quantity q)
{
    std::string list;
    for (const UnitRow& r : Rows(q))
        list += (list.empty() ? "" : ", ") + std::string(r.name);
    return list;
}

bool TimeFactor(const std::string& units, double& factor)
{
    const std::optional<KVTimeScale> unit = KVTimeScaleOf(units);
    if (unit)
        factor = unit->seconds;
    return unit.has_value();
}

const char* UnitName(Quantity q)
{
    switch (q) {
    case Quantity::Acceleration:
        return "g";
    case Quantity::Force:
        return "N";
    case Quantity::Moment:
        return "N m";
    case Quantity::Deflection:
        return "mm";
    case Quantity::AngularVelocity:
        return "rad/s";
    case Quantity::Angle:
        return "rad";
    case Quantity::AngularAcceleration:
        return "rad/s^2";
    }
    return "";
}

const char* QuantityName(Quantity q)
{
    switch (q) {
    case Quantity::Acceleration:
        return "acceleration";
    case Quantity::Force:
        return "force";
    case Quantity::Moment:
        return "moment";
    case Quantity::Deflection:
        return "deflection";
    case Quantity::AngularVelocity:
        return "angular velocity";
    case Quantity::Angle:
        return "angle";
    case Quantity::AngularAcceleration:
        return "angular acceleration";
    }
    return "";
}

} // namespace Criteria
