#pragma once
#include <string>

// Small text helpers of the tools library. Texts are plain std::string; the
// fixed-length, blank-padded convention of the console programs is handled by
// trimming where a length is asked for.
namespace Toolsif {

// ANY_CHARS: true when text holds any character of set.
bool AnyChars(const std::string& text, const std::string& set);
// L_TRIM: text with leading blanks removed.
std::string LTrim(const std::string& text);
// LEN_TRIM: length of text without trailing blanks.
size_t LenTrim(const std::string& text);
// Text without leading and trailing blanks (and a trailing carriage return).
std::string Trim(const std::string& text);
// STR_UPCASE: upper-case copy of text (ASCII letters only; other bytes kept).
std::string StrUpcase(const std::string& text);
// EQUAL_SP: true when |a - b| <= tolerance (an absolute tolerance).
bool EqualSp(float a, float b, float tolerance);

} // namespace Toolsif
