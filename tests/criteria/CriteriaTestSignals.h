#pragma once
// Signals made in code for the criteria tests.
#include "KVSignal.h"

#include <functional>

// n samples of f at t = t0 + i dt (s), X in xUnits scaled by xScale.
inline KVSignal MakeSignal(size_t n, double t0, double dt, const std::function<double(double)>& f,
                           const char* yUnits, const char* xUnits = "SECONDS", double xScale = 1.0)
{
    KVSignal s;
    s.Allocate(n);
    for (size_t i = 0; i < n; ++i) {
        const double t = t0 + double(i) * dt;
        s.SetPoint(static_cast<float>(t * xScale), static_cast<float>(f(t)), i);
    }
    s.SetXUnits(xUnits);
    s.SetYUnits(yUnits);
    s.SetFilterClass(1000);
    s.UpdateExtremes();
    s.SetHasData(true);
    return s;
}
