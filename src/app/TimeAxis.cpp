#include "TimeAxis.h"

#include "KVSignal.h"
#include "KVTimeUnits.h"

#include <QStringList>

#include <algorithm>

namespace {

constexpr qsizetype kAxisLabelLimit = 47;

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString UnitKey(const std::string& units) { return Latin1(units).trimmed().toUpper(); }

} // namespace

std::optional<double> SecondsPerUnit(const std::string& xUnits)
{
    const std::optional<KVTimeScale> unit = KVTimeScaleOf(xUnits);
    return unit ? std::optional<double>(unit->seconds) : std::nullopt;
}

CSharedXAxis SharedXAxis(const std::vector<const KVSignal*>& signals)
{
    CSharedXAxis axis;
    axis.scale.assign(signals.size(), 1.0);
    if (signals.empty() || !signals.front())
        return axis;
    const KVSignal& first = *signals.front();
    const QString firstKey = UnitKey(first.XUnits());
    QStringList otherUnits;
    bool allTimes = true;
    for (const KVSignal* s : signals) {
        if (!s)
            continue;
        const QString key = UnitKey(s->XUnits());
        if (key != firstKey && !otherUnits.contains(key))
            otherUnits << key;
        allTimes = allTimes && SecondsPerUnit(s->XUnits()).has_value();
    }
    if (otherUnits.isEmpty()) {
        axis.label = AxisLabel(first.XType(), first.XUnits());
        return axis;
    }
    if (!allTimes) {
        axis.kind = CSharedXAxis::EKind::Mixed;
        axis.label = QStringLiteral("Mixed Units");
        return axis;
    }
    axis.kind = CSharedXAxis::EKind::Converted;
    QStringList converted;
    for (size_t i = 0; i < signals.size(); ++i) {
        if (!signals[i])
            continue;
        axis.scale[i] = *SecondsPerUnit(signals[i]->XUnits());
        const QString key = UnitKey(signals[i]->XUnits());
        if (axis.scale[i] != 1.0 && !converted.contains(key))
            converted << key;
    }
    // Only spellings of seconds differ: nothing was converted.
    if (converted.isEmpty())
        axis.label = QStringLiteral("TIME SECONDS");
    else
        axis.label = QStringLiteral("TIME SECONDS (converted from %1)").arg(converted.join(QStringLiteral(", ")));
    if (axis.label.size() > kAxisLabelLimit)
        axis.label = QStringLiteral("TIME SECONDS (converted)");
    return axis;
}

QString AxisLabel(const std::string& type, const std::string& units)
{
    QString label = Latin1(type) + QLatin1Char(' ') + Latin1(units);
    if (label.size() > kAxisLabelLimit)
        label = Latin1(units);
    if (label.size() > kAxisLabelLimit)
        label.truncate(kAxisLabelLimit);
    return label;
}

float XSpan(const KVSignal& s)
{
    const size_t n = s.PointCount();
    if (n < 2)
        return 0.0f;
    const auto [lo, hi] = std::minmax_element(s.X(), s.X() + n);
    return *hi - *lo;
}
