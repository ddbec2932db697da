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
