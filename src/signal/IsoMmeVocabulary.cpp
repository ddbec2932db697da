#include "IsoMmeVocabulary.h"

#include <cctype>
#include <cmath>

namespace {

struct Pair {
    const char* iso;
    const char* record;
};

// ISO-MME unit spellings and the record's unit words. The first row of a
// record word is the spelling written; later rows are read-only aliases.
const Pair kUnits[] = {
    {"g", "G'S"},
    {"m/(s*s)", "METERS/SEC**2"},
    {"m/s", "METERS/SEC"},
    {"km/h", "KILOMETERS/HOUR"},
    {"mm", "MILLIMETERS"},
    {"cm", "CENTIMETERS"},
    {"m", "METERS"},
    {"um", "MICROMETERS"},
    {"\xB5m", "MICROMETERS"},
    {"N", "NEWTONS"},
    {"kN", "KILONEWTONS"},
    {"Nm", "NEWTON-METERS"},
    {"N*m", "NEWTON-METERS"},
    {"Ns", "NEWTON-SECONDS"},
    {"deg", "DEGREES"},
    {"\xB0", "DEGREES"},
    {"rad", "RADIANS"},
    {"deg/s", "DEGREES/SEC"},
    {"\xB0/s", "DEGREES/SEC"},
    {"rad/s", "RADIANS/SEC"},
    {"deg/(s*s)", "DEGREES/SEC**2"},
    {"rad/(s*s)", "RADIANS/SEC**2"},
    {"s", "SECONDS"},
    {"ms", "MILLISECONDS"},
    {"kg", "KILOGRAMS"},
    {"J", "JOULES"},
    {"Pa", "PASCALS"},
    {"kPa", "KILOPASCALS"},
    {"bar", "BAR"},
    {"V", "VOLTS"},
    {"K", "KELVIN"},
    {"1", "NONE"},
    {"-", "NONE"},
    // Spellings of other writers (units as a units library prints them).
    {"9.80665 m / s2", "G'S"},
    {"m / s2", "METERS/SEC**2"},
    {"m/s2", "METERS/SEC**2"},
    {"m/s^2", "METERS/SEC**2"},
    {"m N", "NEWTON-METERS"},
    {"N m", "NEWTON-METERS"},
    {"m / s", "METERS/SEC"},
    {"deg / s", "DEGREES/SEC"},
    {"rad / s", "RADIANS/SEC"},
    {"rad / s2", "RADIANS/SEC**2"},
    // A record's "G" (as text files and hand-made headers write it) is g;
    // an ISO-MME file's "G" is read as g.
    {"g", "G"},
    {"G", "G'S"},
};

const Pair kDimensions[] = {
    {"AC", "ACCELERATION"},  {"VE", "VELOCITY"},  {"DS", "DISPLACEMENT"},
    {"DC", "DISTANCE"},      {"FO", "FORCE"},     {"MO", "MOMENT"},
    {"AV", "ANGULAR VELOCITY"}, {"AA", "ANGULAR ACCELERATION"}, {"AN", "ANGLE"},
    {"PR", "PRESSURE"},      {"EN", "ENERGY"},    {"TI", "TIME"},
    {"VO", "VOLTAGE"},       {"EV", "EVENT"},     {"TE", "TEMPERATURE"},
    {"MA", "MASS"},
};

struct FilterRow {
    char letter;
    int filterClass;
    float cfc; // 0: no channel class
    bool filtered;
};

// E-H are the classes filtered to the older rules: the same classes to a reader.
const FilterRow kFilters[] = {
    {'A', 1000, 1000, true}, {'B', 600, 600, true},  {'C', 180, 180, true}, {'D', 60, 60, true},
    {'E', 1000, 1000, true}, {'F', 600, 600, true},  {'G', 180, 180, true}, {'H', 60, 60, true},
    {'L', 1001, 20, true},   {'1', 1003, 0, true},   {'0', 1001, 0, false}, {'P', 1001, 0, false},
    {'Q', 1001, 0, false},   {'S', 1001, 0, true},   {'V', 1001, 0, false}, {'X', 1001, 0, false},
    {'2', 1001, 0, true},    {'3', 1001, 0, true},
};

struct LocationRow {
    const char* main;
    const char* fine1; // "" when the side is no part of the location
    const char* record;
    bool dummy; // a part of a dummy's body
    const char* fine3 = ""; // a belt's position in fine location 3, "" for none
};

// Two-letter sensor locations of the record. Rows with a belt position or a
// side come first. The belt positions are ISO/TS 13499's (B3 the upper
// diagonal belt, B6 the lap belt's outboard part); UP and LO are an older
// spelling read as the same places.
const LocationRow kLocations[] = {
    {"SEBE", "", "SB", false, "B3"}, {"SEBE", "", "LB", false, "B6"},
    {"FEMR", "LE", "FL", true}, {"FEMR", "RI", "FR", true}, {"TIBI", "LE", "TL", true}, {"TIBI", "RI", "TR", true},
    {"SILB", "LE", "LS", false}, {"SILB", "RI", "RS", false}, {"SEBE", "UP", "SB", false}, {"SEBE", "LO", "LB", false},
    {"HEAD", "", "HD", true},   {"NECK", "", "NK", true},   {"CHST", "", "CH", true},   {"PELV", "", "PV", true},
    {"FEMR", "", "FM", true},   {"TIBI", "", "TB", true},   {"ABDO", "", "AB", true},   {"SHLD", "", "SH", true},
    {"THSP", "", "TS", true},   {"LUSP", "", "LU", true},   {"KNEE", "", "KN", true},   {"ANKL", "", "AN", true},
    {"FOOT", "", "FT", true},   {"SILB", "", "SI", false},   {"TUNN", "", "TU", false},   {"ENGN", "", "EN", false},
    {"DOOR", "", "DR", false},   {"STCO", "", "SC", false},   {"STWL", "", "SW", false},   {"SEAT", "", "ST", false},
    {"SEBE", "", "BE", false},   {"FBAR", "", "BR", false},   {"MBAR", "", "MB", false},   {"SLED", "", "SL", false},
    {"VEHC", "", "VH", false},   {"IMPA", "", "IM", false},   {"POLE", "", "PO", false},
};

const Pair kDummies[] = {
    {"H3", "H3 50M"},   {"HF", "H3 05F"},  {"HM", "H3 95M"},   {"E2", "ES-2"},     {"ER", "ES-2RE"},
    {"WS", "WSID 50M"}, {"WF", "WSID 05F"}, {"TH", "THOR 50M"}, {"BR", "BIORID"},   {"S2", "SID-IIS"},
    {"Y6", "H3 6YO"},   {"Y3", "H3 3YO"},  {"Q1", "Q1"},       {"Q3", "Q3"},       {"Q6", "Q6"},
    {"QA", "Q10"},      {"P3", "P3"},      {"P6", "P6"},
};

template <size_t N>
std::optional<std::string> Find(const Pair (&table)[N], std::string_view key, bool byIso)
{
    for (const Pair& p : table)
        if ((byIso ? p.iso : p.record) == key)
            return std::string(byIso ? p.record : p.iso);
    return std::nullopt;
}

std::string Trimmed(std::string_view s)
{
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos)
        return {};
    return std::string(s.substr(a, s.find_last_not_of(" \t") - a + 1));
}

} // namespace

bool IsoSameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<std::string> IsoUnitToRecord(std::string_view isoUnit) { return Find(kUnits, isoUnit, true); }

std::optional<std::string> IsoUnitFromRecord(std::string_view recordUnit)
{
    return Find(kUnits, Trimmed(recordUnit), false);
}

std::optional<std::string> IsoDimensionWord(std::string_view code) { return Find(kDimensions, code, true); }

std::optional<std::string> IsoDimensionCode(std::string_view word) { return Find(kDimensions, Trimmed(word), false); }

std::optional<IsoFilter> IsoFilterOfLetter(char letter)
{
    for (const FilterRow& r : kFilters) {
        if (r.letter != letter)
            continue;
        IsoFilter f;
        f.filterClass = r.filterClass;
        f.cutOff = r.letter == '1' ? 100.0f : r.cfc * 5.0f / 3.0f;
        f.filtered = r.filtered;
        return f;
    }
    return std::nullopt;
}

char IsoFilterLetter(int filterClass, float cutOff, float preFilter)
{
    if (filterClass == 1003)
        return '1';
    if (cutOff == 0.0f)
        return preFilter > 0.0f ? 'P' : '0';
    switch (filterClass) {
    case 60: return 'D';
    case 180: return 'C';
    case 600: return 'B';
    case 1000: return 'A';
    default: break;
    }
    return std::fabs(cutOff - 20.0f * 5.0f / 3.0f) < 0.5f ? 'L' : 'S';
}

std::optional<std::string> IsoAxisOfDirection(char direction, bool& signConvention)
{
    signConvention = false;
    switch (direction) {
    case 'X': case 'Y': case 'Z': case 'R':
        return std::string(1, direction);
    case '1': case '2': case '3':
        signConvention = true;
        return std::string(1, static_cast<char>('X' + (direction - '1')));
    case '0':
        return std::string(" ");
    default:
        return std::nullopt;
    }
}

std::optional<char> IsoDirectionOfAxis(std::string_view axis)
{
    const std::string a = Trimmed(axis);
    if (a.empty())
        return '0';
    if (a.size() == 1 && (a[0] == 'X' || a[0] == 'Y' || a[0] == 'Z' || a[0] == 'R'))
        return a[0];
    // The axis a computed resultant records.
    if (a == "RS")
        return 'R';
    return std::nullopt;
}

std::optional<std::string> IsoLocationToRecord(std::string_view main, std::string_view fine1, std::string_view fine3)
{
    for (const LocationRow& r : kLocations)
        if (main == r.main && (!*r.fine1 || fine1 == r.fine1) && (!*r.fine3 || fine3 == r.fine3))
            return std::string(r.record);
    return std::nullopt;
}

std::optional<IsoLocation> IsoLocationFromRecord(std::string_view location)
{
    const std::string l = Trimmed(location);
    for (const LocationRow& r : kLocations)
        if (l == r.record)
            return IsoLocation{r.main, *r.fine1 ? r.fine1 : "??", r.fine3};
    return std::nullopt;
}

bool IsoIsDummyLocation(std::string_view main)
{
    for (const LocationRow& r : kLocations)
        if (main == r.main)
            return r.dummy;
    return false;
}

std::optional<std::string> IsoDummyToRecord(std::string_view code) { return Find(kDummies, code, true); }

std::optional<std::string> IsoDummyFromRecord(std::string_view occupantType)
{
    return Find(kDummies, Trimmed(occupantType), false);
}
