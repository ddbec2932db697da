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
