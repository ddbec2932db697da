#include "DialogHooks.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMessageBox>

void DefaultShowMessage(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, QApplication::applicationName(), text, QMessageBox::Ok);
}

bool DefaultEditText(QWidget* parent, const QString& caption, const QString& prompt, QString& text)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, text, &ok);
    if (!ok)
        return false;
    text = answer;
    return true;
}

QDialogButtonBox* OkCancelButtons(QDialog* dlg)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
    return buttons;
}
