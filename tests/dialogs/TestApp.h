#pragma once
// One QApplication for all widget tests of this program.
#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

inline QApplication* TestApp()
{
    static int argc = 1;
    static char name[] = "dialogs_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = qApp ? qApp : new QApplication(argc, argv);
    return app;
}

// Runs act on the modal dialog once its event loop is running.
inline void WhenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}

// Base of fixtures that hold widgets as members: the application comes first.
class WidgetTest : public ::testing::Test {
protected:
    WidgetTest() { TestApp(); }
};

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
