#pragma once
// The CAP, NUM and SCRL panes of the status bar. A pane shows its text while
// the lock is on and is greyed while it is off.
#include <QObject>

class QLabel;
class QStatusBar;

class CStatusIndicators : public QObject {
public:
    // Adds the three panes to the right of the message pane.
    explicit CStatusIndicators(QStatusBar* bar);

    bool CapsOn() const { return m_on[0]; }
    bool NumOn() const { return m_on[1]; }
    bool ScrollOn() const { return m_on[2]; }
    QLabel* Pane(int i) const { return m_panes[i]; }

protected:
    // Watches the lock keys of the whole application.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(int i, bool on);

    QLabel* m_panes[3] = {};
    bool m_on[3] = {};
};
