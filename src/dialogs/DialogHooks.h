#pragma once
// How the dialogs talk to the person beyond their own fields: a message box and
// the one-line text entry. Both are plain functions so that the window can plug
// in its own dialogs and tests can answer without a modal loop.
#include <QDialogButtonBox>
#include <QString>

#include <functional>

class QDialog;
class QWidget;

// Shows text in a modal message box with an OK button.
using ShowMessageFn = std::function<void(QWidget* parent, const QString& text)>;
// Asks for one line of text; text holds the initial text and, on true (OK), the answer.
using EditTextFn = std::function<bool(QWidget* parent, const QString& caption, const QString& prompt,
                                      QString& text)>;

// A warning message box titled with the application name.
void DefaultShowMessage(QWidget* parent, const QString& text);
// A plain one-line input dialog; the window replaces it by its own text-entry dialog.
bool DefaultEditText(QWidget* parent, const QString& caption, const QString& prompt, QString& text);

// OK and Cancel buttons wired to the dialog's accept() and reject().
QDialogButtonBox* OkCancelButtons(QDialog* dlg);
