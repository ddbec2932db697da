#include "CHitlistEditDlg.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

QStringList NamesFromEditedText(const QString& text)
{
    // Lines are kept whole: cutting a long path at a fixed length would make
    // it name another (missing) file.
    QStringList names;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QString name = line.endsWith(QLatin1Char('\r')) ? line.left(line.size() - 1) : line;
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

CHitlistEditDlg::CHitlistEditDlg(const QStringList& names, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Edit the Hitlist File Names"));
    m_field = new QPlainTextEdit(this);
    m_field->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_field->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_field->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_field->setPlainText(names.join(QLatin1Char('\n')));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CHitlistEditDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CHitlistEditDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_field);
    layout->addWidget(buttons);
    resize(560, 400);
}

QStringList CHitlistEditDlg::Names() const
{
    return NamesFromEditedText(m_field->toPlainText());
}
