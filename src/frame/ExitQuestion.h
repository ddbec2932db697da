#pragma once
// The question before modified or computed signals are dropped (Exit, a new
// directory or hitlist, a new selection, clearing the list).
#include "DocUi.h"

#include <QStringList>

class QWidget;

// kDiscardQuestion over the names with Save, Discard and Cancel (the default).
EDropAnswer AskDropModified(QWidget* parent, const QStringList& names);
