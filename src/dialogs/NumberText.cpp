#include "NumberText.h"

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
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(d);
}

std::optional<int> ParseInt(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}
