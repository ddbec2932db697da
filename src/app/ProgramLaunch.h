#pragma once
// Starting a criterion program on files made for it alone.
#include <QString>
#include <QStringList>

// The program and arguments that run `program arguments...` and delete each
// file of removeAfter once it has ended, whatever its status, whether or not
// this process still runs; the program's exit status is passed on. With no
// file to remove it is the program itself.
struct CLaunch {
    QString program;
    QStringList arguments;
};
CLaunch RemoveAfterExit(const QString& program, const QStringList& arguments, const QStringList& removeAfter);
