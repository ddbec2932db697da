#include "PlotContent.h"

#include "KVSignal.h"
#include "LineTypes.h"
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
    if (source.maxPoints <= 1 || source.loaded.empty())
        return false;
    const int n = static_cast<int>(source.loaded.size());
    content.curveCount = n;
    content.pointsPerCurve = source.maxPoints;
    FillCurveBuffers(source.loaded, source.maxPoints, kAbsentValue, content.x, content.y);
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
    content.legend = n > 1 ? LegendLabels(source.labels, n) : QStringList();
    content.lineTypes = CurveLineTypes(source.lineStyle, n);
    return true;
}
