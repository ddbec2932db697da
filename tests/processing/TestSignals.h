#pragma once
// Signals made by code for the operation tests.
#include "KVErrorList.h"
#include "KVSignal.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

// A time signal on the grid (nfp + k) * del, Y = f(t).
inline KVSignal UniformSignal(int nfp, int nlp, float del, const std::function<double(double)>& f)
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

// A signal from explicit X and Y values, without a constant step.
inline KVSignal XYSignal(const std::vector<float>& x, const std::vector<float>& y)
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

inline std::vector<float> YOf(const KVSignal& s) { return std::vector<float>(s.Y(), s.Y() + s.PointCount()); }
inline std::vector<float> XOf(const KVSignal& s) { return std::vector<float>(s.X(), s.X() + s.PointCount()); }

// "scope - message" of every recorded error, in order.
inline std::vector<std::string> Lines(const KVErrorList& e)
{
    std::vector<std::string> out;
    for (int i = 0; i < e.ErrorCount(); ++i)
        out.push_back(e.ErrorScope(i) + " - " + e.ErrorMessage(i));
    return out;
}

// Whether the samples and the header of two signals are equal.
inline bool SameSignal(const KVSignal& a, const KVSignal& b)
{
    if (a.PointCount() != b.PointCount() || XOf(a) != XOf(b) || YOf(a) != YOf(b))
        return false;
    const KVHeader& ha = a.Header();
    const KVHeader& hb = b.Header();
#define KV_CMP(name, def) \
    if (!(ha.name == hb.name)) \
        return false;
    KV_SIGNAL_FIELDS(KV_CMP, KV_CMP, KV_CMP)
#undef KV_CMP
    return true;
}
