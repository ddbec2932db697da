#include "OperationRules.h"

#include <cmath>
#include <limits>

float ResampleSpan(float timeStep, int points, float span)
{
    if (timeStep > 0.0f && points > 1 && span <= 0.0f)
        return static_cast<float>(points - 1) * timeStep;
    return span;
}

std::optional<ResampleChoice> ResolveResample(ResampleMode mode, float timeStep, int points, float span)
{
    if (mode == ResampleMode::TimeStep) {
        if (!(timeStep > 0.0f))
            return std::nullopt;
        // The grid times within the span, both ends included, as Resample
        // lays them (a hundredth of a step of tolerance for float times).
        const double n = std::floor(static_cast<double>(span) / static_cast<double>(timeStep) + 0.01) + 1;
        if (!(n > 1.0) || n > std::numeric_limits<int>::max())
            return std::nullopt;
        return ResampleChoice{timeStep, static_cast<int>(n)};
    }
    // n points cover the span with n - 1 steps, as the span itself is derived.
    if (points <= 1)
        return std::nullopt;
    const float step = span / static_cast<float>(points - 1);
    if (!(step > 0.0f) || !std::isfinite(step))
        return std::nullopt;
    return ResampleChoice{step, points};
}

bool IntervalIsValid(float start, float stop) { return stop > start; }

QStringList ApplyRowLabels(const QStringList& labels, const std::vector<int>& rowIndex,
                           const QStringList& rowLabels)
{
    QStringList out = labels;
    for (size_t row = 0; row < rowIndex.size() && row < static_cast<size_t>(rowLabels.size()); ++row) {
        const int i = rowIndex[row];
        if (i >= 0 && i < out.size())
            out[i] = rowLabels[static_cast<qsizetype>(row)];
    }
    return out;
}
