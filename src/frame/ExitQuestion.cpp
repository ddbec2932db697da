#include "ExitQuestion.h"

#include "OndrelDoc.h"

#include <QMessageBox>

bool MayDiscardSignals(QWidget* parent, const COndrelDoc& doc)
{
    if (!doc.HasModifiedSignals())
        return true;
    return QMessageBox::question(parent, QStringLiteral("Ondrel"), QString::fromLatin1(kDiscardQuestion),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}
