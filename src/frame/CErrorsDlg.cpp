#include "CErrorsDlg.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CErrorsDlg::CErrorsDlg(const QStringList& messages, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Errors and Warnings"));
    m_field = new QPlainTextEdit(this);
    m_field->setReadOnly(true);
    m_field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QString text;
    for (const QString& message : messages)
        text += message + QLatin1Char('\n');
    m_field->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CErrorsDlg::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_field);
    layout->addWidget(buttons);
    resize(520, 300);
}

QString CErrorsDlg::Text() const
{
    return m_field->toPlainText();
}
