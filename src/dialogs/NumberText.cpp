#include "NumberText.h"

#include "KVNumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

QString FormatReal(float v)
{
    char buf[48];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, static_cast<qsizetype>(res.ptr - buf));
}

QString FormatPlainReal(float v)
{
    // Fixed notation of the largest float takes 39 digits and a sign.
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (res.ec != std::errc())
        return FormatReal(v);
    return QString::fromLatin1(buf, static_cast<qsizetype>(res.ptr - buf));
}

QString FormatInt(int v) { return QString::number(v); }

std::optional<float> ParseReal(const QString& text)
{
    // Read as a double first: a value too small for a float becomes 0 (or a
    // subnormal) rather than being refused.
    double d = 0.0;
    if (!KVParseNumber(text.trimmed().toStdString(), d) || std::fabs(d) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(d);
}

std::optional<int> ParseInt(const QString& text)
{
    int v = 0;
    if (!KVParseNumber(text.trimmed().toStdString(), v))
        return std::nullopt;
    return v;
}
