#include "CSelectDirectoryDlg.h"

#include "FrameSupport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CSelectDirectoryDlg::CSelectDirectoryDlg(const QStringList& recent, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Select Directory to Browse"));
    m_combo = new QComboBox(this);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMinimumContentsLength(48);
    for (const QString& dir : recent) {
        if (!dir.isEmpty())
            m_combo->addItem(dir);
    }
    if (m_combo->count() > 0)
        m_combo->setCurrentIndex(0);
    m_browse = new QPushButton(QStringLiteral(". . ."), this);
    m_browse->setAutoDefault(false);
    connect(m_browse, &QPushButton::clicked, this, &CSelectDirectoryDlg::OnBrowse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSelectDirectoryDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSelectDirectoryDlg::reject);

    auto* label = new QLabel(QStringLiteral("Select Directory"), this);
    label->setBuddy(m_combo);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(m_combo, 1, 0);
    grid->addWidget(m_browse, 1, 1);
    grid->addWidget(buttons, 2, 0, 1, 2);
}

void CSelectDirectoryDlg::OnBrowse()
{
    QString start = WithoutFinalSeparator(m_combo->currentText());
    auto chosen = PickFolder(this, QStringLiteral("Select Directory for RVF files"), start);
    if (chosen)
        m_combo->setEditText(*chosen);
}

void CSelectDirectoryDlg::accept()
{
    // Blanks alone would browse the file-system root by accident; treat them as empty.
    QString text = m_combo->currentText().trimmed();
    if (text.isEmpty()) {
        RejectInput(m_combo);
        return;
    }
    m_directory = text;
    QDialog::accept();
}
