#pragma once
// "Edit the Hitlist File Names": one name per line in a multi-line field.
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

// The names of an edited text: every non-empty line, in order, whole.
QStringList NamesFromEditedText(const QString& text);

class CHitlistEditDlg : public QDialog {
public:
    explicit CHitlistEditDlg(const QStringList& names, QWidget* parent = nullptr);

    // After OK: the edited names.
    QStringList Names() const;

    QPlainTextEdit* Field() const { return m_field; }

private:
    QPlainTextEdit* m_field = nullptr;
};
