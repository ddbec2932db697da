// Units, dimension and factor of a derivative or an integral, matched by
// case-sensitive prefixes of the unit texts.
#include "Kalvio.h"
#include "KalvioSupport.h"

namespace Kalvio {

namespace {

struct UnitRow {
    const char* prefix;
    std::size_t length;
    const char* units;
    const char* dimension;
    float factor;
};

const UnitRow kDerivativeOverSeconds[] = {
    {"METERS", 6, "KILOMETERS/HOUR", "VELOCITY", 3.6f},
    {"KILOMETERS/HOUR", 15, "G'S", "ACCELERATION", 0.02832545f},
    {"NEWTON-SECONDS", 14, "NEWTONS", "FORCE", 1.0f},
    {"NEWTON-METER-SECONDS", 20, "NEWTON-METERS", "MOMENT", 1.0f},
    {"DEGREES/SEC", 11, "DEGREES/SEC**2", "ANGULAR ACCELERATION", 1.0f},
    {"DEGREES", 7, "DEGREES/SEC", "ANGULAR VELOCITY", 1.0f},
    {"MILLIMETERS", 11, "KILOMETERS/HOUR", "VELOCITY", 0.0036f},
    {"CENTIMETERS", 11, "KILOMETERS/HOUR", "VELOCITY", 0.036f},
    {"FEET", 4, "MILES/HOUR", "VELOCITY", 0.68181818f},
    {"INCHES", 6, "MILES/HOUR", "VELOCITY", 0.056818182f},
    {"MILES/HOUR", 10, "G'S", "ACCELERATION", 0.045585603f},
    {"RADIANS/SEC", 11, "RADIANS/SEC**2", "ANGULAR ACCELERATION", 1.0f},
    {"RADIANS", 7, "RADIANS/SEC", "ANGULAR VELOCITY", 1.0f},
};

const UnitRow kIntegralOverSeconds[] = {
    {"KILOMETERS/HOUR", 15, "MILLIMETERS", "DISPLACEMENT", 277.77777f},
    {"METERS/SEC", 10, "MILLIMETERS", "DISPLACEMENT", 1000.0f},
    {"MILES/HOUR", 10, "INCHES", "DISPLACEMENT", 17.6f},
    {"FEET/SEC", 8, "INCHES", "DISPLACEMENT", 12.0f},
    {"INCHES/SEC", 10, "INCHES", "DISPLACEMENT", 1.0f},
    {"NEWTONS", 7, "NEWTON-SECONDS", "IMPULSE", 1.0f},
    {"POUNDS", 6, "POUND-SECONDS", "IMPULSE", 1.0f},
    {"NEWTON-METERS", 13, "NEWTON-METER-SECONDS", "ANGULAR IMPULSE", 1.0f},
    {"POUND-FEET", 10, "POUND-FOOT-SECONDS", "ANGULAR IMPULSE", 1.0f},
    {"DEGREES/SEC**", 13, "DEGREES/SEC", "ANGULAR VELOCITY", 1.0f},
    {"RADIANS/SEC**2", 14, "RADIANS/SEC", "ANGULAR VELOCITY", 1.0f},
    {"DEGREES/SEC", 11, "DEGREES", "ANGULAR DISPLACEMENT", 1.0f},
    {"RADIANS/SEC", 11, "RADIANS", "ANGULAR DISPLACEMENT", 1.0f},
};

// Work over a distance: X units, then the exact or prefix Y units.
struct WorkRow {
    const char* xPrefix;
    std::size_t xLength;
    const char* yWord;
    std::size_t yLength;
    float factor;
    const char* units;
};

const WorkRow kWorkRows[] = {
    {"METERS", 6, "NEWTONS", 7, 1.0f, "JOULES"},
    {"MILLIMETERS", 11, "NEWTONS", 7, 0.001f, "JOULES"},
    {"FEET", 4, "POUNDS", 7, 1.0f, "FOOT-POUNDS"},
    {"INCHES", 6, "POUNDS", 7, 0.083333336f, "FOOT-POUNDS"},
};

template <std::size_t N>
const UnitRow* FindRow(const std::string& yUnits, const UnitRow (&table)[N])
{
    for (const UnitRow& row : table)
        if (MatchesN(yUnits, row.prefix, row.length))
            return &row;
    return nullptr;
}

UnitRule FromRow(const UnitRow& row)
{
    UnitRule r;
    r.units = row.units;
    r.dimension = row.dimension;
    r.factor = row.factor;
    return r;
}

} // namespace

UnitRule DerivativeUnits(const std::string& xUnits, const std::string& yUnits)
{
    UnitRule r;
    if (StartsWith(xUnits, "SECONDS")) {
        if (const UnitRow* row = FindRow(yUnits, kDerivativeOverSeconds))
            return FromRow(*row);
        r.units = yUnits + " / SEC";
        return r;
    }
    if (MatchesN(yUnits, "JOULES", 6)) {
        r.units = "NEWTONS";
        r.dimension = "FORCE";
    } else if (MatchesN(yUnits, "FOOT-POUNDS", 11)) {
        r.units = "POUNDS";
        r.dimension = "FORCE";
    } else {
        r.units = yUnits + " / " + xUnits;
    }
    return r;
}

UnitRule IntegralUnits(const std::string& xUnits, const std::string& yUnits, const std::string& unitSystem,
                       float initialVelocity)
{
    UnitRule r;
    if (StartsWith(xUnits, "SECONDS")) {
        if (MatchesN(yUnits, "G'S", 3)) {
            const bool english = StartsWith(unitSystem, "ENG");
            r.units = english ? "MILES/HOUR" : "KILOMETERS/HOUR";
            r.dimension = "VELOCITY";
            r.factor = english ? 21.93675f : 35.30394f;
            r.startValue = initialVelocity;
            return r;
        }
        if (const UnitRow* row = FindRow(yUnits, kIntegralOverSeconds))
            return FromRow(*row);
        r.units = yUnits + " x SECONDS";
        r.dimension = "UNKNOWN x TIME";
        return r;
    }
    bool knownX = false;
    for (const WorkRow& row : kWorkRows) {
        if (!MatchesN(xUnits, row.xPrefix, row.xLength))
            continue;
        knownX = true;
        if (MatchesN(yUnits, row.yWord, row.yLength)) {
            r.units = row.units;
            r.dimension = "ENERGY";
            r.factor = row.factor;
            return r;
        }
    }
    if (!knownX)
        r.units = xUnits + " - " + yUnits;
    return r;
}

} // namespace Kalvio
