#pragma once
// For the widget tests: the one application object, and answers to modal
// dialogs from inside their event loops.
#include "SupportQt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

// The one QApplication of the test program (never destroyed: one torn down
// in the exit handlers crashes in Qt's input-device cleanup after a
// synthesised wheel event).
QApplication* TestApp();
inline void EnsureApplication() { TestApp(); }

// Base of fixtures that hold widgets as members: the application comes first.
class WidgetTest : public ::testing::Test {
protected:
    WidgetTest() { TestApp(); }
};

// Runs act on the modal dialog once its event loop is running.
void WhenModal(std::function<void(QWidget*)> act);
// Runs answer on the next modal dialog once it is shown (polling, so that it
// works from inside exec()); gives up after about five seconds.
void AnswerNextModal(std::function<void(QWidget*)> answer, int tries = 500);

// Keeps the event loop running until done holds or ms milliseconds passed;
// whether it holds.
template <typename Condition>
bool WaitFor(Condition done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(10);
    }
    return true;
}
