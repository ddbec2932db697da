#pragma once
// Signals and a QApplication for the view tests.
#include "KVSignal.h"

#include <functional>

// The one QApplication of the test program (offscreen platform).
void EnsureApplication();

// A signal of n points, X = x0 + i * dx, Y = f(i).
KVSignal MakeSignal(size_t n, float x0, float dx, const std::function<float(size_t)>& f);

#include <QString>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
