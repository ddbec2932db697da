#include "PlotSignals.h"

KVSignal MakeSignal(size_t n, float x0, float dx, const std::function<float(size_t)>& f)
{
    KVSignal s;
    s.Allocate(n);
    for (size_t i = 0; i < n; ++i)
        s.SetPoint(x0 + static_cast<float>(i) * dx, f(i), i);
    s.SetHasData(n > 0);
    return s;
}
