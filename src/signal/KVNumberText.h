#pragma once
// Numbers written as text, read the same way by every part of the toolset:
// the decimal point is "." whatever the locale, and a leading '+' is taken.
#include <string_view>

// The whole of text as a number: an optional sign, then the number, nothing
// before or after it. False for anything else, for infinities and NaN, and
// for values outside the type's range; out is then unchanged.
bool KVParseNumber(std::string_view text, double& out);
bool KVParseNumber(std::string_view text, float& out);
bool KVParseNumber(std::string_view text, int& out);

// The float that the number at first stands for, to the bit as
// std::from_chars reads it, when the number is short and plain enough to be
// read exactly without it: an optional '-', digits, optionally '.' and
// digits, and an optional exponent, of at most 19 digits and a value of the
// normal float range. Returns where the number ends (the caller judges what
// follows), or nullptr with out unchanged: then from_chars decides.
const char* KVQuickFloat(const char* first, const char* last, float& out);

// The number text starts with, as the C library's atof reads it: leading
// blanks skipped, the longest number prefix taken, 0 when there is none.
double KVLeadingNumber(std::string_view text);
// The decimal integer text starts with, as strtol reads it, held at the int
// range instead of overflowing; 0 when there is none.
int KVLeadingInteger(std::string_view text);
