#include "SupportWidgets.h"

#include <QTimer>
#include <QWidget>

QApplication* TestApp()
{
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return app;
    static int argc = 1;
    static char name[] = "ondrel_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
}

void WhenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] { act(QApplication::activeModalWidget()); });
}

void AnswerNextModal(std::function<void(QWidget*)> answer, int tries)
{
    QTimer::singleShot(10, [answer = std::move(answer), tries]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            answer(modal);
            return;
        }
        if (tries > 0)
            AnswerNextModal(std::move(answer), tries - 1);
    });
}
