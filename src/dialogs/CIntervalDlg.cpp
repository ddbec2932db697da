#include "CIntervalDlg.h"

#include "NumberText.h"
#include "OperationRules.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

CIntervalDlg::CIntervalDlg(QWidget* parent)
    : QDialog(parent), m_editStart(new QLineEdit(this)), m_editStop(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Select Signal Interval"));
    m_editStart->setObjectName(QStringLiteral("start"));
    m_editStop->setObjectName(QStringLiteral("stop"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Start Time in seconds"), m_editStart);
    form->addRow(QStringLiteral("Stop Time in seconds"), m_editStop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(OkCancelButtons(this));
    SetInterval(0.0f, 0.0f);
}

void CIntervalDlg::SetInterval(float start, float stop)
{
    m_start = start;
    m_stop = stop;
    m_editStart->setText(FormatReal(start));
    m_editStop->setText(FormatReal(stop));
}

void CIntervalDlg::accept()
{
    const std::optional<float> start = ParseReal(m_editStart->text());
    const std::optional<float> stop = ParseReal(m_editStop->text());
    QLineEdit* bad = !start ? m_editStart : !stop ? m_editStop : nullptr;
    if (bad) {
        m_showMessage(this, QString::fromLatin1(kEnterNumber));
        bad->setFocus();
        bad->selectAll();
        return;
    }
    if (!IntervalIsValid(*start, *stop)) {
        m_showMessage(this, QStringLiteral("Invalid Start / Stop Times"));
        m_editStop->setFocus();
        m_editStop->selectAll();
        return;
    }
    m_start = *start;
    m_stop = *stop;
    QDialog::accept();
}

bool SelectInterval(QWidget* parent, float& start, float& stop)
{
    CIntervalDlg dlg(parent);
    dlg.SetInterval(start, stop);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    start = dlg.Start();
    stop = dlg.Stop();
    return true;
}
