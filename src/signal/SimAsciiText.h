#pragma once
// The pieces of the solver's ASCII time-history files that do not depend on
// their kind: Fortran fixed-width numbers and the banners that name a kind.
#include <string>
#include <string_view>

// A Fortran number filling a fixed-width field: blanks around it, an
// exponent with or without its letter ("-7.66720-110" is -7.6672e-110; E or
// D). False for anything else (an empty field, two numbers, a stray letter).
bool SimFortranNumber(std::string_view field, double& out);

// One ASCII kind: its name, the banner that announces it and the names of
// its values in the order a row holds them.
struct SimAsciiKindRow {
    const char* kind;   // "nodout"
    const char* banner; // a text of its head that only this kind has
};
extern const SimAsciiKindRow kSimAsciiKinds[];
extern const size_t kSimAsciiKindCount;

// The state line of nodout; the heading of its rotational block holds "rot".
inline constexpr std::string_view kNodoutStateLine =
    " n o d a l   p r i n t   o u t   f o r   t i m e  s t e p";
// nodout's translational and rotational variables, in the order of a row.
extern const char* const kNodoutTranslational[12];
extern const char* const kNodoutRotational[9];
