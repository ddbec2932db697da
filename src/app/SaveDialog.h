#pragma once
// The save-file question the exports and the hitlist saves share.
#include <QString>
#include <QStringList>

class CDocUi;

// Asks ui for a file to write, starting in the output folder; append (when
// given) receives the state of the append box, which is shown only then.
// False on Cancel or without ui.
bool ChooseSaveFile(CDocUi* ui, const QString& title, const QStringList& filters, const QString& suffix, QString& path,
                    bool* append, const QString& initialName = QString(), bool confirmOverwrite = true);
