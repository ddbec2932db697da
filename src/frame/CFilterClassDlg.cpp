#include "CFilterClassDlg.h"

#include "FrameSupport.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

CFilterClassDlg::CFilterClassDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Filter Class"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    const char* texts[5] = {"CFC 60", "CFC 180", "CFC 600", "CFC 1000", "Select Cutoff Frequency"};
    for (int i = 0; i < 5; ++i) {
        m_buttons[i] = new QRadioButton(QString::fromLatin1(texts[i]), this);
        group->addButton(m_buttons[i], i);
        layout->addWidget(m_buttons[i]);
    }
    m_frequencyField = new QLineEdit(QString::number(double(m_frequency), 'f', 1), this);
    m_frequencyField->setEnabled(false);
    layout->addWidget(m_frequencyField);
    m_buttons[0]->setChecked(true);
    connect(group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            OnChoice(id);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFilterClassDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CFilterClassDlg::reject);
    layout->addWidget(buttons);
}

void CFilterClassDlg::OnChoice(int choice)
{
    bool byFrequency = choice == kFrequencyChoice;
    m_frequencyField->setEnabled(byFrequency);
    if (byFrequency)
        m_frequencyField->setFocus();
}

void CFilterClassDlg::accept()
{
    int choice = 0;
    for (int i = 0; i < 5; ++i) {
        if (m_buttons[i]->isChecked())
            choice = i;
    }
    if (choice == kFrequencyChoice) {
        bool ok = false;
        float frequency = m_frequencyField->text().trimmed().toFloat(&ok);
        if (!ok || !std::isfinite(frequency)) {
            RejectInput(m_frequencyField);
            return;
        }
        m_frequency = frequency;
    }
    m_choice = choice;
    QDialog::accept();
}
