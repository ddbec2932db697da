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
