#include "PlotContent.h"

#include "KVSignal.h"
#include "LineTypes.h"
#include "PlotTexts.h"
#include "TimeAxis.h"
#include "TitleBlock.h"

#include <algorithm>

namespace {

constexpr int kAxisLabelLength = 47;
constexpr int kTitleLength = 254;
constexpr int kSubTitleLength = 47;

// The legend gets exactly one label per curve: missing labels stay empty and
// surplus ones are dropped, whatever the document's label list holds.
QStringList LegendLabels(const QStringList& labels, int curveCount)
{
    QStringList legend = labels.mid(0, curveCount);
    while (legend.size() < curveCount)
        legend << QString();
    return legend;
}

// Signals in different time units are drawn in seconds, as the X label says.
void ScaleX(const std::vector<const KVSignal*>& loaded, PlotContent& content)
{
    const CSharedXAxis axis = SharedXAxis(loaded);
    if (axis.kind != CSharedXAxis::EKind::Converted)
        return;
    const size_t p = static_cast<size_t>(content.pointsPerCurve);
    for (size_t i = 0; i < loaded.size() && i < axis.scale.size(); ++i) {
        const float scale = static_cast<float>(axis.scale[i]);
        if (scale == 1.0f)
            continue;
        float* x = content.x.data() + i * p;
        for (size_t k = 0; k < p; ++k)
            if (x[k] != kAbsentValue)
                x[k] *= scale;
    }
}

// Line types of the corridor bounds: dashes inside, dots outside.
constexpr int kInnerCorridorLine = 1;
constexpr int kOuterCorridorLine = 2;

// The reference's curve moved by +-inner and +-outer as four more curves.
void AddCorridors(const PlotSource& source, PlotContent& content)
{
    const int ref = source.bandReference;
    if (ref < 0 || ref >= content.curveCount)
        return;
    const std::size_t p = static_cast<std::size_t>(content.pointsPerCurve);
    const double offsets[4] = {source.bandOuter, source.bandInner, -source.bandInner, -source.bandOuter};
    const std::size_t first = static_cast<std::size_t>(content.curveCount) * p;
    content.x.resize(first + 4 * p);
    content.y.resize(first + 4 * p);
    const float* rx = content.x.data() + std::size_t(ref) * p;
    const float* ry = content.y.data() + std::size_t(ref) * p;
    for (std::size_t c = 0; c < 4; ++c) {
        float* x = content.x.data() + first + c * p;
        float* y = content.y.data() + first + c * p;
        for (std::size_t k = 0; k < p; ++k) {
            x[k] = rx[k];
            y[k] = ry[k] == kAbsentValue ? kAbsentValue : static_cast<float>(ry[k] + offsets[c]);
        }
    }
    content.colourOf.resize(static_cast<std::size_t>(content.curveCount));
    for (int i = 0; i < content.curveCount; ++i)
        content.colourOf[std::size_t(i)] = i;
    content.colourOf.insert(content.colourOf.end(), 4, ref); // in the reference's colour
    if (!content.panelOf.empty())
        content.panelOf.insert(content.panelOf.end(), 4, content.panelOf[std::size_t(ref)]);
    content.curveCount += 4;
    for (const int type : {kOuterCorridorLine, kInnerCorridorLine, kInnerCorridorLine, kOuterCorridorLine})
        content.lineTypes.push_back(type);
    if (!content.legend.isEmpty())
        content.legend << QStringLiteral("outer corridor") << QStringLiteral("inner corridor")
                       << QStringLiteral("inner corridor") << QStringLiteral("outer corridor");
}

// One panel per Y unit (letter case and blanks aside), in the order the units
// first appear; nothing when the curves share one.
void UnitPanels(const std::vector<const KVSignal*>& loaded, int curves, PlotContent& content)
{
    content.panelOf.clear();
    content.panelLabels.clear();
    QStringList keys;
    for (int i = 0; i < curves; ++i) {
        const KVSignal* s = loaded[std::size_t(i)];
        const QString unit = s ? QString::fromLatin1(s->YUnits().c_str()).trimmed() : QString();
        qsizetype k = keys.indexOf(unit.toCaseFolded());
        if (k < 0) {
            keys << unit.toCaseFolded();
            content.panelLabels << unit;
            k = keys.size() - 1;
        }
        content.panelOf.push_back(int(k));
    }
    if (content.panelLabels.size() < 2) {
        content.panelOf.clear();
        content.panelLabels.clear();
    }
}

} // namespace

void FillCurveBuffers(const std::vector<const KVSignal*>& loaded, int pointsPerCurve, float absentValue,
                      std::vector<float>& x, std::vector<float>& y)
{
    const size_t p = pointsPerCurve > 0 ? static_cast<size_t>(pointsPerCurve) : 0u;
    const size_t total = loaded.size() * p;
    x.resize(total);
    y.resize(total);
    for (size_t i = 0; i < loaded.size(); ++i) {
        const KVSignal* s = loaded[i];
        const size_t count = s && s->X() && s->Y() ? std::min(s->PointCount(), p) : 0u;
        float* xi = x.data() + i * p;
        float* yi = y.data() + i * p;
        if (count > 0) {
            std::copy_n(s->X(), count, xi);
            std::copy_n(s->Y(), count, yi);
        }
        std::fill(xi + count, xi + p, absentValue);
        std::fill(yi + count, yi + p, absentValue);
    }
}

bool BuildPlotContent(const PlotSource& source, PlotContent& content)
{
    const int n = static_cast<int>(source.loaded.size());
    std::vector<size_t> counts;
    size_t most = 0;
    for (const KVSignal* s : source.loaded) {
        counts.push_back(s ? s->PointCount() : 0u);
        most = std::max(most, counts.back());
    }
    content.notice = PlotNotice(source.names, counts);
    // The run length comes from the signals themselves: a count the document
    // has not brought up to date must neither cut curves nor draw old ones.
    const bool drawn = most >= 2;
    content.curveCount = drawn ? n : 0;
    content.pointsPerCurve = drawn ? static_cast<int>(std::min<size_t>(most, INT32_MAX)) : 0;
    FillCurveBuffers(drawn ? source.loaded : std::vector<const KVSignal*>{}, content.pointsPerCurve, kAbsentValue,
                     content.x, content.y);
    if (drawn)
        ScaleX(source.loaded, content);
    content.legend = drawn && n > 1 ? LegendLabels(source.labels, n) : QStringList();
    content.lineTypes = CurveLineTypes(source.lineStyle, content.curveCount);
    content.colourOf.clear();
    UnitPanels(source.loaded, drawn ? n : 0, content);
    if (drawn)
        AddCorridors(source, content);
    if (n == 0) {
        content.title.clear();
        content.subTitle.clear();
        content.xLabel.clear();
        content.yLabel.clear();
        content.titleBlock.clear();
        return false;
    }
    content.xLabel = source.xLabel.left(kAxisLabelLength);
    content.yLabel = source.yLabel.left(kAxisLabelLength);
    if (!source.shortHeader && n == 1) {
        content.title.clear();
        content.subTitle.clear();
        content.titleBlock = TitleBlockLines(*source.loaded.front(), source.file);
    } else {
        content.title = source.title.left(kTitleLength);
        content.subTitle = source.subTitle.left(kSubTitleLength);
        content.titleBlock.clear();
    }
    return drawn;
}
