#pragma once
// Small helpers shared by the frame's dialogs.
#include <QString>

#include <optional>

class QWidget;

// Missing or wrong input: a warning beep and the focus on the field; the
// dialog stays open.
void RejectInput(QWidget* field);

// The desktop's folder picker titled `title`, opened at `start`; the chosen
// folder's full path, or nothing on Cancel.
std::optional<QString> PickFolder(QWidget* parent, const QString& title, const QString& start);

// The criterion-program folder is kept without a final separator ("/" stays "/").
QString WithoutFinalSeparator(const QString& dir);
