#include "CriteriaUnits.h"

#include <cctype>
#include <initializer_list>

namespace Criteria {

namespace {

struct UnitRow {
    const char* name;
    double factor;
};

constexpr double kG = 9.80665;
constexpr double kPound = 4.4482216152605;

bool Lookup(const std::string& units, std::initializer_list<UnitRow> rows, double& factor)
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

std::string NormalisedUnits(const std::string& units)
{
    size_t b = 0;
    size_t e = units.size();
    while (b < e && std::isspace(static_cast<unsigned char>(units[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(units[e - 1])))
        --e;
    std::string u = units.substr(b, e - b);
    for (char& c : u)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool UnitFactor(const std::string& units, Quantity q, double& factor)
{
    switch (q) {
    case Quantity::Acceleration:
        return Lookup(units,
                      {{"G'S", 1}, {"G", 1}, {"GS", 1}, {"METERS/SEC**2", 1 / kG}, {"M/S**2", 1 / kG},
                       {"M/S^2", 1 / kG}, {"M/S2", 1 / kG}, {"FEET/SEC**2", 0.3048 / kG}},
                      factor);
    case Quantity::Force:
        return Lookup(units,
                      {{"NEWTONS", 1}, {"NEWTON", 1}, {"N", 1}, {"KILONEWTONS", 1000}, {"KN", 1000},
                       {"POUNDS", kPound}, {"LBF", kPound}, {"LBS", kPound}},
                      factor);
    case Quantity::Moment:
        return Lookup(units,
                      {{"NEWTON-METERS", 1}, {"NEWTON-METRES", 1}, {"NM", 1}, {"N-M", 1}, {"N.M", 1},
                       {"N M", 1}, {"POUND-FEET", kPound * 0.3048}, {"FOOT-POUNDS", kPound * 0.3048},
                       {"INCH-POUNDS", kPound * 0.0254}, {"POUND-INCHES", kPound * 0.0254}},
                      factor);
    case Quantity::Deflection:
        return Lookup(units,
                      {{"MILLIMETERS", 1}, {"MILLIMETRES", 1}, {"MM", 1}, {"CENTIMETERS", 10}, {"CM", 10},
                       {"METERS", 1000}, {"METRES", 1000}, {"M", 1000}, {"INCHES", 25.4}, {"IN", 25.4},
                       {"FEET", 304.8}},
                      factor);
    }
    return false;
}

bool TimeFactor(const std::string& units, double& factor)
{
    return Lookup(units,
                  {{"SECONDS", 1}, {"SECOND", 1}, {"SEC", 1}, {"S", 1}, {"MILLISECONDS", 1e-3},
                   {"MSEC", 1e-3}, {"MS", 1e-3}, {"MICROSECONDS", 1e-6}},
                  factor);
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
    }
    return "";
}

} // namespace Criteria
