#include "SupportSignals.h"

#include <cmath>

KVSignal MakeSignal(size_t n, float x0, float dx, const std::function<float(size_t)>& y)
{
    KVSignal s;
    s.Allocate(n);
    for (size_t i = 0; i < n; ++i)
        s.SetPoint(x0 + static_cast<float>(i) * dx, y(i), i);
    s.SetNfp(0);
    s.SetNlp(static_cast<int>(n) - 1);
    s.SetHasData(n > 0);
    s.UpdateExtremes();
    return s;
}

KVSignal UniformSignal(int nfp, int nlp, float del, const std::function<double(double)>& f)
{
    KVSignal s;
    s.Allocate(static_cast<size_t>(nlp - nfp + 1));
    for (int k = 0; k <= nlp - nfp; ++k) {
        const double t = double(nfp + k) * del;
        s.SetPoint(static_cast<float>(t), static_cast<float>(f(t)), static_cast<size_t>(k));
    }
    s.SetNfp(nfp);
    s.SetNlp(nlp);
    s.SetDel(del);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetHasData(true);
    s.UpdateExtremes();
    return s;
}

KVSignal RatingPulse(double delay, const char* yUnits)
{
    KVSignal s = UniformSignal(0, 1000, 1e-4f, [delay](double t) {
        const double u = t - 0.02 - delay;
        return u > 0.0 && u < 0.04 ? 40.0 * std::sin(3.14159265358979323846 * u / 0.04) : 0.0;
    });
    s.SetYUnits(yUnits);
    return s;
}

KVSignal XYSignal(const std::vector<float>& x, const std::vector<float>& y)
{
    KVSignal s;
    s.Allocate(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        s.SetPoint(x[i], y[i], i);
    s.SetNfp(0);
    s.SetNlp(static_cast<int>(x.size()) - 1);
    s.SetDel(KV_NO_VALUE);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetHasData(true);
    s.UpdateExtremes();
    return s;
}

std::vector<float> YOf(const KVSignal& s) { return std::vector<float>(s.Y(), s.Y() + s.PointCount()); }
std::vector<float> XOf(const KVSignal& s) { return std::vector<float>(s.X(), s.X() + s.PointCount()); }

std::vector<std::string> ErrorLines(const KVErrorList& list, const char* separator)
{
    std::vector<std::string> lines;
    for (int i = 0; i < list.ErrorCount(); ++i)
        lines.push_back(list.ErrorScope(i) + separator + list.ErrorMessage(i));
    return lines;
}

std::vector<std::string> HeaderDifferences(const KVHeader& a, const KVHeader& b)
{
    std::vector<std::string> names;
#define KV_DIFF_FIELD(name, def)                                                                            \
    if (!(a.name == b.name))                                                                                \
        names.push_back(#name);
    KV_SIGNAL_FIELDS(KV_DIFF_FIELD, KV_DIFF_FIELD, KV_DIFF_FIELD)
#undef KV_DIFF_FIELD
    if (!(a.Side == b.Side))
        names.push_back("Side");
    return names;
}

bool SameSignal(const KVSignal& a, const KVSignal& b)
{
    return a.PointCount() == b.PointCount() && XOf(a) == XOf(b) && YOf(a) == YOf(b) &&
        HeaderDifferences(a.Header(), b.Header()).empty();
}
