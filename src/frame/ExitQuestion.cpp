#include "ExitQuestion.h"

#include "OndrelDoc.h"

#include <QMessageBox>

EDropAnswer AskDropModified(QWidget* parent, const QStringList& names)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Ondrel"), QString::fromLatin1(kDiscardQuestion),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setInformativeText(names.join(QLatin1Char('\n')));
    box.setDefaultButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save: return EDropAnswer::Save;
    case QMessageBox::Discard: return EDropAnswer::Discard;
    default: return EDropAnswer::Cancel;
    }
}
