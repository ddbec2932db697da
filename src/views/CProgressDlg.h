#pragma once
// The modeless progress window of long runs: a caption with the percentage,
// a status line, a bar and a Cancel button.
#include "ProgressText.h"

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    // Builds and shows the window (390 x 130) with the busy cursor.
    explicit CProgressDlg(const QString& title = QStringLiteral("Progress"), QWidget* parent = nullptr);
    ~CProgressDlg() override;

    // Stores the range and the step (note the order: upper first).
    void SetRange(int upper, int lower, int step = 1);
    // Shows at most 512 characters of text on the status line.
    void SetStatus(const QString& text);
    // Moves to pos; the caption changes when the whole percentage does.
    // Returns the previous position.
    int SetPos(int pos);
    // SetPos(position + step).
    int StepIt();
    int Pos() const { return m_position; }
    // Whether the user pressed Cancel (or closed the window).
    bool Cancelled() const { return m_cancelled; }
    // Presses Cancel, as the button does.
    void Cancel();
    // Escape and the close box cancel as well; the owner closes the window.
    void reject() override;

private:
    QString m_title;
    QLabel* m_status = nullptr;
    QProgressBar* m_bar = nullptr;
    bool m_cancelled = false;
    bool m_cursorShown = false;
    int m_position = 0;
    int m_lastPercent = 0;
    int m_step = 1;
    int m_upper = 100;
    int m_lower = 0;
};
