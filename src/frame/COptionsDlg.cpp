#include "COptionsDlg.h"

#include "DocUi.h"
#include "FrameSupport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Options"));
    m_saveZoom = new QCheckBox(QStringLiteral("Save Zoom Settings between  Plots"), this);
    m_columnHeaders = new QCheckBox(QStringLiteral("Include Column Labels when Copying Data"), this);

    auto* styleBox = new QGroupBox(QStringLiteral("Select Plotting Style"), this);
    auto* styleLayout = new QVBoxLayout(styleBox);
    auto* group = new QButtonGroup(this);
    const char* styleTexts[4] = {"Alternate Line Types", "Use Thin Solid LInes", "Use Medium Solid Lines",
                                 "Use Thick Solid LInes"};
    for (int i = 0; i < 4; ++i) {
        m_style[i] = new QRadioButton(QString::fromLatin1(styleTexts[i]), styleBox);
        group->addButton(m_style[i], i);
        styleLayout->addWidget(m_style[i]);
    }

    m_quillon = new QLineEdit(this);
    m_browse = new QPushButton(QStringLiteral(". . ."), this);
    m_browse->setAutoDefault(false);
    connect(m_browse, &QPushButton::clicked, this,
            [this] { Browse(m_quillon, QStringLiteral("Select Directory with Quillon Applications")); });

    auto* unitBox = new QGroupBox(QString::fromLatin1(kTextTimeUnitTitle), this);
    auto* unitLayout = new QHBoxLayout(unitBox);
    auto* unitGroup = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        m_timeUnit[i] = new QRadioButton(QString::fromLatin1(TextTimeUnitName(i == 1)), unitBox);
        unitGroup->addButton(m_timeUnit[i], i);
        unitLayout->addWidget(m_timeUnit[i]);
    }

    m_protocols = new QLineEdit(this);
    m_protocols->setPlaceholderText(QStringLiteral("empty: $ONDREL_PROTOCOL_DIR"));
    auto* browseProtocols = new QPushButton(QStringLiteral(". . ."), this);
    browseProtocols->setAutoDefault(false);
    connect(browseProtocols, &QPushButton::clicked, this,
            [this] { Browse(m_protocols, QStringLiteral("Select Directory with Protocol Files")); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsDlg::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_saveZoom, 0, 0, 1, 2);
    grid->addWidget(m_columnHeaders, 1, 0, 1, 2);
    grid->addWidget(styleBox, 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Directory for Quillon Applications"), this), 3, 0, 1, 2);
    grid->addWidget(m_quillon, 4, 0);
    grid->addWidget(m_browse, 4, 1);
    grid->addWidget(unitBox, 5, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Directory for Protocol Files (before the shipped ones)"), this), 6, 0, 1, 2);
    grid->addWidget(m_protocols, 7, 0);
    grid->addWidget(browseProtocols, 7, 1);
    grid->addWidget(buttons, 8, 0, 1, 2);
}

void COptionsDlg::showEvent(QShowEvent* event)
{
    m_saveZoom->setChecked(m_values.saveZoom);
    m_columnHeaders->setChecked(m_values.columnHeaders);
    for (int i = 0; i < 4; ++i)
        m_style[i]->setChecked(i == m_values.lineStyle);
    m_quillon->setText(m_values.quillonDir);
    m_timeUnit[m_values.textTimeSeconds ? 1 : 0]->setChecked(true);
    m_protocols->setText(m_values.protocolDir);
    QDialog::showEvent(event);
}

void COptionsDlg::TakePickedFolder(const QString& folder, QLineEdit* field)
{
    (field ? field : m_quillon)->setText(WithoutFinalSeparator(folder));
}

void COptionsDlg::Browse(QLineEdit* field, const QString& caption)
{
    if (auto chosen = PickFolder(this, caption, field->text()))
        TakePickedFolder(*chosen, field);
}

void COptionsDlg::accept()
{
    m_values.saveZoom = m_saveZoom->isChecked();
    m_values.columnHeaders = m_columnHeaders->isChecked();
    for (int i = 0; i < 4; ++i) {
        if (m_style[i]->isChecked())
            m_values.lineStyle = i;
    }
    m_values.quillonDir = m_quillon->text();
    m_values.textTimeSeconds = m_timeUnit[1]->isChecked();
    m_values.protocolDir = WithoutFinalSeparator(m_protocols->text().trimmed());
    QDialog::accept();
}
