#include "FilterClassText.h"

namespace {
constexpr int kClasses[] = {60, 180, 600, 1000};
constexpr int kNoClassText = 1002;
}

QString FilterClassText(int filterClass)
{
    for (int c : kClasses)
        if (c == filterClass)
            return QStringLiteral("CFC %1").arg(c);
    return QStringLiteral("None");
}

int FilterClassFromText(const QString& text)
{
    const QString t = text.trimmed();
    for (int c : kClasses)
        if (t.compare(QStringLiteral("CFC %1").arg(c), Qt::CaseInsensitive) == 0)
            return c;
    return kNoClassText;
}
