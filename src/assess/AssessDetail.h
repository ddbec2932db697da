#pragma once
// Small text helpers the assessment's own files share.
#include "KVErrorList.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace Assess::Detail {

// v to digits significant digits; s in ms to one decimal.
inline std::string Num(double v, int digits = 4)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return buf;
}

inline std::string Ms(double s)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", s * 1000);
    return buf;
}

// The messages of errors, joined by "; ".
inline std::string ErrorText(const KVErrorList& errors)
{
    std::string text;
    for (const KVException& e : errors.Errors())
        text += (text.empty() ? "" : "; ") + e.Message();
    return text;
}

// A snake_case name as words: "door_opened" -> "door opened".
inline std::string Spaced(std::string s)
{
    std::replace(s.begin(), s.end(), '_', ' ');
    return s;
}

} // namespace Assess::Detail
