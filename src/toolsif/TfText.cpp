#include "TfText.h"

#include <cmath>

namespace Toolsif {

bool AnyChars(const std::string& text, const std::string& set)
{
    return !set.empty() && text.find_first_of(set) != std::string::npos;
}

std::string LTrim(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

size_t LenTrim(const std::string& text)
{
    const size_t last = text.find_last_not_of(' ');
    return last == std::string::npos ? 0 : last + 1;
}

std::string Trim(const std::string& text)
{
    std::string s = text;
    if (!s.empty() && s.back() == '\r')
        s.pop_back();
    s.resize(LenTrim(s));
    return LTrim(s);
}

std::string StrUpcase(const std::string& text)
{
    std::string out = text;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool EqualSp(float a, float b, float tolerance)
{
    // NaN never compares equal, so a corrupt step is never taken as the same.
    return std::fabs(double(a) - double(b)) <= double(tolerance);
}

} // namespace Toolsif
