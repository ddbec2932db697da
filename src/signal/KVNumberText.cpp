#include "KVNumberText.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <type_traits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// from_chars takes a '-' but no '+': the start of the number proper.
const char* AfterPlus(const char* first, const char* last)
{
    if (first != last && *first == '+' && first + 1 != last && first[1] != '-' && first[1] != '+')
        return first + 1;
    return first;
}

template <typename T>
bool ParseWhole(std::string_view text, T& out)
{
    const char* last = text.data() + text.size();
    const char* first = AfterPlus(text.data(), last);
    T value{};
    const auto res = std::from_chars(first, last, value);
    if (first == last || res.ec != std::errc() || res.ptr != last)
        return false;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value))
            return false;
    }
    out = value;
    return true;
}

const char* SkipBlanks(std::string_view text)
{
    const char* p = text.data();
    const char* end = p + text.size();
    while (p != end && IsBlank(*p))
        ++p;
    return p;
}

} // namespace

bool KVParseNumber(std::string_view text, double& out) { return ParseWhole(text, out); }
bool KVParseNumber(std::string_view text, float& out) { return ParseWhole(text, out); }
bool KVParseNumber(std::string_view text, int& out) { return ParseWhole(text, out); }

double KVLeadingNumber(std::string_view text)
{
    const char* end = text.data() + text.size();
    const char* p = AfterPlus(SkipBlanks(text), end);
    double value = 0.0;
    if (std::from_chars(p, end, value).ec == std::errc::invalid_argument)
        return 0.0;
    return value;
}

int KVLeadingInteger(std::string_view text)
{
    const char* end = text.data() + text.size();
    const char* p = AfterPlus(SkipBlanks(text), end);
    long long value = 0;
    const auto res = std::from_chars(p, end, value);
    if (res.ec == std::errc::invalid_argument)
        return 0;
    if (res.ec == std::errc::result_out_of_range)
        return *p == '-' ? INT_MIN : INT_MAX;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}
