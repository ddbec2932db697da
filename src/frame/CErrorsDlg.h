#pragma once
// "Errors and Warnings": the collected messages, read-only, with OK.
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

class CErrorsDlg : public QDialog {
public:
    explicit CErrorsDlg(const QStringList& messages, QWidget* parent = nullptr);

    QString Text() const;

private:
    QPlainTextEdit* m_field = nullptr;
};
