#include "LoadedSignals.h"

#include <algorithm>
#include <utility>

void CLoadedSignals::Add(CSignalEntry entry)
{
    m_entries.push_back(std::move(entry));
    CountPoints();
}

void CLoadedSignals::AddLastLoaded(const QString& name)
{
    m_entries.emplace_back(name, std::move(m_scratch), false);
    CountPoints();
}

void CLoadedSignals::Replace(std::vector<CSignalEntry> entries)
{
    m_entries = std::move(entries);
    CountPoints();
}

void CLoadedSignals::CountPoints()
{
    size_t most = 0;
    for (const CSignalEntry& entry : m_entries)
        most = std::max(most, entry.signal.PointCount());
    m_maxPoints = static_cast<int32_t>(std::min<size_t>(most, INT32_MAX));
}

bool CLoadedSignals::HasModified() const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [](const CSignalEntry& e) { return e.modified; });
}

std::vector<const KVSignal*> CLoadedSignals::Signals() const
{
    std::vector<const KVSignal*> loaded;
    for (const CSignalEntry& entry : m_entries)
        loaded.push_back(&entry.signal);
    return loaded;
}

std::vector<const CSignalEntry*> CLoadedSignals::All() const
{
    std::vector<const CSignalEntry*> all;
    for (const CSignalEntry& entry : m_entries)
        all.push_back(&entry);
    return all;
}

QStringList CLoadedSignals::DisplayNames() const
{
    QStringList names;
    for (const CSignalEntry& entry : m_entries)
        names << entry.DisplayName();
    return names;
}

QStringList CLoadedSignals::FileNames() const
{
    QStringList names;
    for (const CSignalEntry& entry : m_entries)
        if (!entry.name.isEmpty())
            names << entry.name;
    return names;
}
