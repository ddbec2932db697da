#include "ProgramLaunch.h"

namespace {

// One shell word for any text: single quotes, with each ' written as '\''.
QString ShellQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

CLaunch RemoveAfterExit(const QString& program, const QStringList& arguments, const QStringList& removeAfter)
{
    if (removeAfter.isEmpty())
        return {program, arguments};
    // A detached shell waits for the program, so the files outlive neither
    // the program nor an early exit of the window that made them. The
    // program and its arguments travel as "$@", never through the script.
    QStringList quoted;
    for (const QString& file : removeAfter)
        quoted << ShellQuoted(file);
    const QString script = QStringLiteral("\"$@\"; status=$?; rm -f -- %1; exit $status").arg(quoted.join(QLatin1Char(' ')));
    QStringList shellArguments{QStringLiteral("-c"), script, QStringLiteral("sh"), program};
    shellArguments << arguments;
    return {QStringLiteral("/bin/sh"), shellArguments};
}
