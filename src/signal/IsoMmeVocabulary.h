#pragma once
// The words of an ISO-MME test and their counterparts in the signal record:
// unit spellings, the parts of the 16-character channel code (dimension,
// direction, filter letter, main location, dummy type). One table each; the
// reader and the writer both look here.
#include <optional>
#include <string>
#include <string_view>

// A unit text as the record spells it ("G'S"), or nothing when the table
// does not know the ISO-MME spelling.
std::optional<std::string> IsoUnitToRecord(std::string_view isoUnit);
// The ISO-MME spelling of a record unit ("G'S" -> "g"), or nothing.
std::optional<std::string> IsoUnitFromRecord(std::string_view recordUnit);

// Dimension code (code characters 13-14) <-> the record's type word.
std::optional<std::string> IsoDimensionWord(std::string_view code);
std::optional<std::string> IsoDimensionCode(std::string_view word);

// Filter letter (code character 16): the channel class (60, 180, 600, 1000;
// 1001 for a class that is none of these, 1003 for FIR100), the corner in Hz
// (CFC x 5/3, 0 for raw data) and whether the data count as filtered.
struct IsoFilter {
    int filterClass = 1001;
    float cutOff = 0.0f;
    bool filtered = false;
};
std::optional<IsoFilter> IsoFilterOfLetter(char letter);
// The letter for a record's filter facts: the class letter when cut off at a
// channel class, 'P' for raw data behind an anti-alias filter, '0' for raw
// data without one, '1' for FIR100, 'S' for any other corner.
char IsoFilterLetter(int filterClass, float cutOff, float preFilter);

// Direction (code character 15) -> the record's axis: X, Y, Z, R; 1, 2, 3 are
// X, Y, Z with a sign convention of their own (signConvention set); 0 none.
std::optional<std::string> IsoAxisOfDirection(char direction, bool& signConvention);
// The direction character for a record axis, or nothing.
std::optional<char> IsoDirectionOfAxis(std::string_view axis);

// Main location (code characters 3-6), fine location 1 (7-8) and fine
// location 3 (11-12, where a belt's position stands: "B3" the upper diagonal
// belt) -> the record's two-letter sensor location ("FEMR"+"LE" -> "FL",
// "SEBE"+"B3" -> "SB"), and back.
std::optional<std::string> IsoLocationToRecord(std::string_view main, std::string_view fine1,
                                               std::string_view fine3 = {});
struct IsoLocation {
    std::string main;
    std::string fine1; // "??" when the side is not part of it
    std::string fine3; // "" when the location has none of its own
};
std::optional<IsoLocation> IsoLocationFromRecord(std::string_view location);

// Whether a main location is a part of a dummy's body (where characters
// 11-12 name the dummy).
bool IsoIsDummyLocation(std::string_view main);

// Dummy type (code characters 11-12) <-> the record's occupant type.
std::optional<std::string> IsoDummyToRecord(std::string_view code);
std::optional<std::string> IsoDummyFromRecord(std::string_view occupantType);

// Case-blind equality of ASCII texts (ISO-MME names are matched so).
bool IsoSameName(std::string_view a, std::string_view b);
