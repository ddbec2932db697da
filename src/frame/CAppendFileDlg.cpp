#include "CAppendFileDlg.h"

#include <QCheckBox>
#include <QGridLayout>

CAppendFileDlg::CAppendFileDlg(QWidget* parent, const QString& caption, const QString& directory, const QString& filter,
                               const QString& defaultSuffix)
    : QFileDialog(parent, caption, directory, filter)
{
    // The box lives inside the dialog, so the desktop's own dialog cannot be used.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setOption(QFileDialog::ReadOnly, false);
    setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!defaultSuffix.isEmpty())
        setDefaultSuffix(defaultSuffix);

    m_append = new QCheckBox(QStringLiteral("Append to end of existing File"), this);
    m_append->setChecked(false);
    connect(m_append, &QCheckBox::toggled, this, [this](bool on) { setOption(QFileDialog::DontConfirmOverwrite, on); });
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_append, grid->rowCount(), 0, 1, grid->columnCount());
}

bool CAppendFileDlg::Append() const
{
    return m_append->isChecked();
}
