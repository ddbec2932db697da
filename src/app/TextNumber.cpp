#include "TextNumber.h"

#include <charconv>
#include <string>

double TextToNumber(const QString& text)
{
    const std::string bytes = text.toStdString();
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p != end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v'))
        ++p;
    // from_chars takes no leading '+'; atof does.
    if (p != end && *p == '+' && p + 1 != end && *(p + 1) != '-')
        ++p;
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(p, end, value);
    if (result.ec == std::errc::invalid_argument)
        return 0.0;
    return value;
}
