#include "CProgressDlg.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

CProgressDlg::CProgressDlg(const QString& title, QWidget* parent) : QDialog(parent), m_title(title)
{
    setWindowTitle(title);
    setModal(false);
    setFixedSize(390, 130);
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    auto* layout = new QVBoxLayout(this);
    m_status = new QLabel(this);
    m_bar = new QProgressBar(this);
    m_bar->setRange(m_lower, m_upper);
    m_bar->setValue(0);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    layout->addWidget(m_status);
    layout->addWidget(m_bar);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QPushButton::clicked, this, &CProgressDlg::Cancel);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_cursorShown = true;
    show();
}

CProgressDlg::~CProgressDlg()
{
    if (m_cursorShown)
        QApplication::restoreOverrideCursor();
}

void CProgressDlg::SetRange(int upper, int lower, int step)
{
    m_upper = upper;
    m_lower = lower;
    m_step = step;
    m_bar->setRange(std::min(lower, upper), std::max(lower, upper));
}

void CProgressDlg::SetStatus(const QString& text) { m_status->setText(text.left(512)); }

int CProgressDlg::SetPos(int pos)
{
    const int previous = m_bar->value();
    m_position = pos;
    const int percent = ProgressPercent(pos, m_upper, m_lower);
    if (percent != m_lastPercent) {
        m_lastPercent = percent;
        setWindowTitle(ProgressCaption(m_title, percent));
    }
    m_bar->setValue(pos);
    return previous;
}

int CProgressDlg::StepIt() { return SetPos(m_position + m_step); }

void CProgressDlg::Cancel() { m_cancelled = true; }

void CProgressDlg::reject()
{
    // Escape and the close box cancel the run; the owner closes the window.
    m_cancelled = true;
}
