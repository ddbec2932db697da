#pragma once
// The derived values and checks of the operation dialogs, without a window.
#include <QStringList>

#include <optional>
#include <vector>

// Which value the person sets in the resample dialog.
enum class ResampleMode { TimeStep = 0, Points = 1 };

struct ResampleChoice {
    float timeStep;
    int points;
};

// The span the other value is derived from: (points - 1) * timeStep when no
// span is given (span <= 0) and both values make sense, else span itself.
float ResampleSpan(float timeStep, int points, float span);

// Completes the choice from the value of the mode: in time-step mode
// points = floor(span / timeStep + 0.01) + 1 (the grid times a span starting
// on the grid holds, both ends included), in points mode
// timeStep = span / (points - 1). Nothing when the result has no positive time
// step or fewer than two points (or more than a 32-bit count holds).
std::optional<ResampleChoice> ResolveResample(ResampleMode mode, float timeStep, int points, float span);

// A truncation interval is usable only when stop lies strictly after start.
bool IntervalIsValid(float start, float stop);

// The labels after the labels dialog: labels with every edited row written
// back at the index it came from; rows beyond the labels are dropped.
QStringList ApplyRowLabels(const QStringList& labels, const std::vector<int>& rowIndex,
                           const QStringList& rowLabels);
