#include "MessageList.h"

#include "DocUi.h"
#include "FileMessages.h"

#include <utility>

void CMessageList::Show(CDocUi* ui) const
{
    if (m_lines.isEmpty() || !ui)
        return;
    ui->ShowErrorsAndWarnings(m_lines);
}

void CMessageList::ClearErrors()
{
    m_errors.ClearErrors();
    m_errorSubjects.clear();
}

void CMessageList::AddErrorsAbout(const QString& subject, const KVErrorList& errors)
{
    // Errors recorded without a subject keep their places.
    m_errorSubjects.resize(static_cast<size_t>(m_errors.ErrorCount()));
    for (const KVException& e : errors.Errors()) {
        m_errors.AddError(e);
        m_errorSubjects.push_back(subject);
    }
}

void CMessageList::CollectErrors()
{
    m_lines.clear();
    const std::vector<KVException>& errors = m_errors.Errors();
    for (size_t i = 0; i < errors.size(); ++i) {
        QString line = QStringLiteral("%1 - %2").arg(MessageText(errors[i].Scope()), MessageText(errors[i].Message()));
        // Which channel a message is about, when it is about one.
        if (i < m_errorSubjects.size() && !m_errorSubjects[i].isEmpty())
            line.prepend(m_errorSubjects[i] + QStringLiteral(": "));
        m_lines.append(line);
    }
}

bool CMessageList::TakeLoadWarnings()
{
    if (m_loadWarnings.isEmpty())
        return false;
    m_lines = std::exchange(m_loadWarnings, {});
    return true;
}
