#include "TestSignals.h"

#include <QApplication>

void EnsureApplication()
{
    if (QApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "views_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: a static application torn down in the exit handlers
    // crashes in Qt's input-device cleanup after a synthesised wheel event.
    new QApplication(argc, argv);
}

KVSignal MakeSignal(size_t n, float x0, float dx, const std::function<float(size_t)>& f)
{
    KVSignal s;
    s.Allocate(n);
    for (size_t i = 0; i < n; ++i)
        s.SetPoint(x0 + static_cast<float>(i) * dx, f(i), i);
    s.SetHasData(n > 0);
    return s;
}
