#include "PlotSeries.h"

#include <algorithm>
#include <cmath>

namespace Criteria {

namespace {

struct Curve {
    std::string label;
    CurveRole role = CurveRole::Signal;
    std::vector<float> x, y;
};

Curve FromSeries(const Series& s)
{
    Curve c;
    c.label = s.label + (s.unit.empty() ? "" : " (" + s.unit + ")");
    c.x.resize(s.v.size());
    c.y.resize(s.v.size());
    for (size_t i = 0; i < s.v.size(); ++i) {
        c.x[i] = static_cast<float>((s.t0 + double(i) * s.dt) * 1000.0);
        c.y[i] = static_cast<float>(s.v[i]);
    }
    return c;
}

// The samples of s from t1 to t2 (s), both included.
Curve Stretch(const Series& s, const Mark& m)
{
    Curve c;
    c.label = m.label;
    c.role = CurveRole::Deciding;
    for (size_t i = 0; i < s.v.size(); ++i) {
        const double t = s.t0 + double(i) * s.dt;
        if (t >= m.t1 - 0.25 * s.dt && t <= m.t2 + 0.25 * s.dt) {
            c.x.push_back(static_cast<float>(t * 1000.0));
            c.y.push_back(static_cast<float>(s.v[i]));
        }
    }
    return c;
}

Curve Vertical(const std::string& label, double t, float low, float high)
{
    Curve c;
    c.label = label;
    c.role = CurveRole::Mark;
    const float x = static_cast<float>(t * 1000.0);
    c.x = {x, x};
    c.y = {low, high};
    return c;
}

void AddMarks(const Series& deciding, const std::vector<Mark>& marks, std::vector<Curve>& curves)
{
    float low = 0, high = 0;
    for (const Curve& c : curves) {
        for (float v : c.y) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    for (const Mark& m : marks) {
        if (m.t2 > m.t1)
            curves.push_back(Stretch(deciding, m));
        if (m.t2 > m.t1) {
            curves.push_back(Vertical(m.label + " t1", m.t1, low, high));
            curves.push_back(Vertical(m.label + " t2", m.t2, low, high));
        } else {
            curves.push_back(Vertical(m.label + " max", m.t1, low, high));
        }
    }
}

PlotCurves Pack(const std::vector<Curve>& curves, float absent, const std::string& yLabel)
{
    PlotCurves p;
    p.yLabel = yLabel;
    p.curveCount = static_cast<int>(curves.size());
    size_t longest = 0;
    for (const Curve& c : curves)
        longest = std::max(longest, c.x.size());
    p.pointsPerCurve = static_cast<int>(longest);
    p.x.assign(curves.size() * longest, absent);
    p.y.assign(curves.size() * longest, absent);
    for (size_t k = 0; k < curves.size(); ++k) {
        std::copy(curves[k].x.begin(), curves[k].x.end(), p.x.begin() + static_cast<std::ptrdiff_t>(k * longest));
        std::copy(curves[k].y.begin(), curves[k].y.end(), p.y.begin() + static_cast<std::ptrdiff_t>(k * longest));
        p.labels.push_back(curves[k].label);
        p.roles.push_back(curves[k].role);
    }
    return p;
}

std::string UnitsLabel(const std::vector<Series>& series)
{
    std::string units;
    for (const Series& s : series)
        if (units.find(s.unit) == std::string::npos)
            units += (units.empty() ? "" : ", ") + s.unit;
    return units;
}

} // namespace

PlotCurves InputCurves(const Outcome& o, float absent)
{
    std::vector<Curve> curves;
    for (const Series& s : o.inputs)
        curves.push_back(FromSeries(s));
    if (o.history.v.empty() && !o.inputs.empty())
        AddMarks(o.inputs.back(), o.marks, curves);
    return Pack(curves, absent, UnitsLabel(o.inputs));
}

PlotCurves HistoryCurves(const Outcome& o, float absent)
{
    if (o.history.v.empty())
        return Pack({}, absent, "");
    std::vector<Curve> curves = {FromSeries(o.history)};
    // The limit of the deciding value as a level across the history.
    if (!o.values.empty() && o.values.back().hasLimit) {
        Curve limit;
        limit.label = "limit";
        limit.role = CurveRole::Mark;
        const float level = static_cast<float>(o.values.back().limit);
        limit.x = {curves[0].x.front(), curves[0].x.back()};
        limit.y = {level, level};
        curves.push_back(limit);
    }
    AddMarks(o.history, o.marks, curves);
    return Pack(curves, absent, o.history.label + (o.history.unit.empty() ? "" : " (" + o.history.unit + ")"));
}

} // namespace Criteria
