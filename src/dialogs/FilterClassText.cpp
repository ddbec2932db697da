#include "FilterClassText.h"

#include "KVFilterClass.h"

namespace {
constexpr int kNoClassText = 1002;
}

QString FilterClassText(int filterClass)
{
    for (int c : kKVChannelClasses)
        if (c == filterClass)
            return QStringLiteral("CFC %1").arg(c);
    return QStringLiteral("None");
}

int FilterClassFromText(const QString& text)
{
    const QString t = text.trimmed();
    for (int c : kKVChannelClasses)
        if (t.compare(QStringLiteral("CFC %1").arg(c), Qt::CaseInsensitive) == 0)
            return c;
    return kNoClassText;
}
