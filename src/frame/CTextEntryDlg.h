#pragma once
// "Enter Plot Label": one text field under a prompt line. The caller sets the
// caption, prompt and initial text, and reads the text back after OK.
#include <QDialog>

class QLabel;
class QLineEdit;

class CTextEntryDlg : public QDialog {
public:
    explicit CTextEntryDlg(QWidget* parent = nullptr);

    void SetCaption(const QString& caption) { setWindowTitle(caption); }
    void SetPrompt(const QString& prompt);
    void SetText(const QString& text);
    QString Text() const;

    QLineEdit* Field() const { return m_field; }

private:
    QLabel* m_prompt = nullptr;
    QLineEdit* m_field = nullptr;
};

// Runs the dialog modally; an empty caption keeps "Enter Plot Label". True,
// with the typed text in `text`, on OK; false, text untouched, on Cancel.
bool RunTextEntry(QWidget* parent, const QString& caption, const QString& prompt, QString& text);
