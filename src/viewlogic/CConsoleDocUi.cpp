#include "CConsoleDocUi.h"

#include <cstdio>

CConsoleDocUi::CConsoleDocUi() : m_err(stderr) {}

void CConsoleDocUi::Line(const QString& text)
{
    m_err << text << '\n';
    m_err.flush();
}

void CConsoleDocUi::ShowMessageBox(const QString& text) { Line(text); }

void CConsoleDocUi::ShowErrorsAndWarnings(const QStringList& messages)
{
    if (messages.isEmpty())
        return;
    Line(QStringLiteral("Errors and Warnings"));
    for (const QString& m : messages)
        Line(m);
}
