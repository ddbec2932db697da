#include "LineTypes.h"

#include <array>

namespace {

struct PenShape {
    int width;
    Qt::PenStyle style;
    std::array<qreal, 4> pattern; // dash, gap, dash, gap for Qt::CustomDashLine
};

// Thin lines (1 pixel) carry the dash families; medium and thick widths set
// the solid types apart and give the later types a second look.
constexpr std::array<PenShape, kLineTypeCount> kShapes = {{
    {1, Qt::SolidLine, {}},                  // 0 thin solid
    {1, Qt::DashLine, {}},                   // 1 dashes
    {1, Qt::DotLine, {}},                    // 2 dots
    {1, Qt::DashDotLine, {}},                // 3 dash dot
    {1, Qt::DashDotDotLine, {}},             // 4 dash dot dot
    {2, Qt::SolidLine, {}},                  // 5 medium solid
    {3, Qt::SolidLine, {}},                  // 6 thick solid
    {2, Qt::DashLine, {}},                   // 7 medium dashes
    {2, Qt::DotLine, {}},                    // 8 medium dots
    {2, Qt::CustomDashLine, {6, 3, 6, 3}},   // 9 medium long dashes
    {2, Qt::CustomDashLine, {6, 2, 1, 2}},   // 10 medium long dash dot
    {3, Qt::CustomDashLine, {3, 2, 3, 2}},   // 11 thick dashes
}};

constexpr std::array<QRgb, 12> kColours = {
    0xff0000c8, 0xffc80000, 0xff008c00, 0xffb400b4, 0xff008c8c, 0xffe07800,
    0xff000000, 0xff8c5a28, 0xff5a5aff, 0xff969600, 0xffff5a96, 0xff5a5a5a,
};

} // namespace

std::vector<int> CurveLineTypes(int lineStyle, int curveCount)
{
    std::vector<int> types(curveCount > 0 ? static_cast<size_t>(curveCount) : 0u, 0);
    for (size_t i = 0; i < types.size(); ++i) {
        switch (lineStyle) {
        case 0: {
            const int t = static_cast<int>(i % 10);
            types[i] = t > 6 ? t + 2 : t;
            break;
        }
        case 2:
            types[i] = 5;
            break;
        case 3:
            types[i] = 6;
            break;
        default: // 1, and a hand-edited value outside 0 to 3
            types[i] = 0;
            break;
        }
    }
    return types;
}

QPen LineTypePen(int lineType, const QColor& colour)
{
    const PenShape& shape = kShapes[lineType >= 0 && lineType < kLineTypeCount ? lineType : 0];
    QPen pen(colour);
    pen.setWidth(shape.width);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (shape.style == Qt::CustomDashLine)
        pen.setDashPattern({shape.pattern[0], shape.pattern[1], shape.pattern[2], shape.pattern[3]});
    else
        pen.setStyle(shape.style);
    return pen;
}

QColor CurveColour(int curveIndex)
{
    const int n = static_cast<int>(kColours.size());
    const int i = ((curveIndex % n) + n) % n;
    return QColor::fromRgba(kColours[static_cast<size_t>(i)]);
}
