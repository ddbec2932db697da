#include "KVErrorList.h"

void KVErrorList::AppendErrors(const KVErrorList& other)
{
    if (&other == this) {
        const std::vector<KVException> copy = m_errors;
        m_errors.insert(m_errors.end(), copy.begin(), copy.end());
        return;
    }
    m_errors.insert(m_errors.end(), other.m_errors.begin(), other.m_errors.end());
}

void KVErrorList::AssignErrors(const KVErrorList& other)
{
    if (&other == this)
        return;
    m_errors = other.m_errors;
}

std::string KVErrorList::ErrorMessage(int i) const
{
    if (i < 0 || i >= ErrorCount())
        return {};
    return m_errors[static_cast<size_t>(i)].Message();
}

std::string KVErrorList::ErrorScope(int i) const
{
    if (i < 0 || i >= ErrorCount())
        return {};
    return m_errors[static_cast<size_t>(i)].Scope();
}
