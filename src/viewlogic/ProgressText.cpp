#include "ProgressText.h"

int ProgressPercent(int pos, int upper, int lower)
{
    const long long range = static_cast<long long>(upper) - lower;
    if (range == 0)
        return 0;
    return static_cast<int>(static_cast<long long>(pos) * 100 / range);
}

QString ProgressCaption(const QString& title, int percent)
{
    return QStringLiteral("%1 [%2%]").arg(title).arg(percent);
}
