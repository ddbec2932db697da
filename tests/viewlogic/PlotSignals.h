#pragma once
// Signals for the plot tests, made without any window.
#include "KVSignal.h"

#include <QString>

#include <functional>
#include <ostream>

// A signal of n points, X = x0 + i * dx, Y = f(i).
KVSignal MakeSignal(size_t n, float x0, float dx, const std::function<float(size_t)>& f);

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
