#include "FrameSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QWidget>

void RejectInput(QWidget* field)
{
    QApplication::beep();
    if (field)
        field->setFocus();
}

std::optional<QString> PickFolder(QWidget* parent, const QString& title, const QString& start)
{
    QString chosen = QFileDialog::getExistingDirectory(parent, title, start);
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen;
}

QString WithoutFinalSeparator(const QString& dir)
{
    if (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        return dir.left(dir.size() - 1);
    return dir;
}
