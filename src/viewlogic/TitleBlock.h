#pragma once
// The nine-line title block of a single-signal plot, built from the signal's
// header: file, test, vehicle or occupant, sensor and the extremes.
#include <QString>
#include <QStringList>

class KVSignal;

// One title line split at its first two '|': set left, centred, set right.
struct TitleBlockParts {
    QString left;
    QString centre;
    QString right;
    bool operator==(const TitleBlockParts&) const = default;
};

// The first smallest and first largest Y and the X at each; the X values are
// in milliseconds when XUnits begin with "SECONDS". All 0 without points.
struct TitleBlockExtremes {
    float yMin = 0.0f;
    float xAtMin = 0.0f;
    float yMax = 0.0f;
    float xAtMax = 0.0f;
};
TitleBlockExtremes FindTitleBlockExtremes(const KVSignal& signal);

// The nine lines, each ending in a tab; fileName is the name loaded last.
QStringList TitleBlockLines(const KVSignal& signal, const QString& fileName);

// The lines of a block joined into the one text the graph is handed.
QString TitleBlockText(const QStringList& lines);

// Splits one line (its closing tab dropped) into its three parts.
TitleBlockParts SplitTitleLine(QString line);
