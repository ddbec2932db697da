#include "CTextEntryDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CTextEntryDlg::CTextEntryDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Enter Plot Label"));
    m_prompt = new QLabel(this);
    m_field = new QLineEdit(this);
    m_field->setMinimumWidth(320);
    m_prompt->setBuddy(m_field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTextEntryDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTextEntryDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_field);
    layout->addWidget(buttons);
}

void CTextEntryDlg::SetPrompt(const QString& prompt)
{
    m_prompt->setText(prompt);
}

void CTextEntryDlg::SetText(const QString& text)
{
    m_field->setText(text);
    m_field->selectAll();
}

QString CTextEntryDlg::Text() const
{
    return m_field->text();
}

bool RunTextEntry(QWidget* parent, const QString& caption, const QString& prompt, QString& text)
{
    CTextEntryDlg dialog(parent);
    if (!caption.isEmpty())
        dialog.SetCaption(caption);
    dialog.SetPrompt(prompt);
    dialog.SetText(text);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.Text();
    return true;
}
