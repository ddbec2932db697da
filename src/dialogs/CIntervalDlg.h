#pragma once
// "Select Signal Interval": start and stop time of the truncate command.
#include "DialogHooks.h"

#include <QDialog>

class QLineEdit;

class CIntervalDlg : public QDialog {
    Q_OBJECT
public:
    explicit CIntervalDlg(QWidget* parent = nullptr);

    // Fills the two boxes (seconds).
    void SetInterval(float start, float stop);
    // The interval read on OK; stop lies strictly after start.
    float Start() const { return m_start; }
    float Stop() const { return m_stop; }

    void SetShowMessage(ShowMessageFn fn) { m_showMessage = std::move(fn); }

    void accept() override;

private:
    float m_start = 0.0f;
    float m_stop = 0.0f;
    ShowMessageFn m_showMessage = DefaultShowMessage;

    QLineEdit* m_editStart;
    QLineEdit* m_editStop;
};

// Runs the dialog modally; true, with start and stop read back, on OK.
bool SelectInterval(QWidget* parent, float& start, float& stop);
