#pragma once
// The loaded signals: the entries in load order with their modified flags,
// the largest point count the plot's buffers are sized by, the record a file
// is loaded into and the signal whose rating corridors the plot shows.
#include "SignalEntry.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class CLoadedSignals {
public:
    const std::vector<CSignalEntry>& Entries() const { return m_entries; }
    // For operations that change the signals in place; CountPoints after a
    // change of length.
    std::vector<CSignalEntry>& Entries() { return m_entries; }
    bool Empty() const { return m_entries.empty(); }
    size_t Size() const { return m_entries.size(); }

    // Appends entry; the point count follows.
    void Add(CSignalEntry entry);
    // Takes the scratch record as the signal of list name `name`, unmodified.
    void AddLastLoaded(const QString& name);
    // Replaces every entry by entries; the point count follows.
    void Replace(std::vector<CSignalEntry> entries);
    void Clear() { Replace({}); }

    // Largest PointCount of the entries, at most INT32_MAX; 0 while a file
    // is being loaded (ResetPoints) until CountPoints.
    int32_t MaxPoints() const { return m_maxPoints; }
    void CountPoints();
    void ResetPoints() { m_maxPoints = 0; }

    // Whether any entry was changed since it was loaded.
    bool HasModified() const;
    // The signals, the entries and the names (DisplayName) in load order.
    std::vector<const KVSignal*> Signals() const;
    std::vector<const CSignalEntry*> All() const;
    QStringList DisplayNames() const;
    // The list names of the entries that came from a file.
    QStringList FileNames() const;

    // The record the last file was loaded into and that file's list name.
    // AddLastLoaded moves the record out, leaving it empty.
    KVSignal& Scratch() { return m_scratch; }
    const KVSignal& LastLoaded() const { return m_scratch; }
    const QString& CurrentFile() const { return m_currentFile; }
    void SetCurrentFile(const QString& name) { m_currentFile = name; }

    // The display name of the signal whose corridors the plot shows; empty for none.
    const QString& RatingBandOf() const { return m_ratingBandOf; }
    void SetRatingBandOf(const QString& name) { m_ratingBandOf = name; }

private:
    std::vector<CSignalEntry> m_entries;
    int32_t m_maxPoints = 0;
    KVSignal m_scratch;
    QString m_currentFile;
    QString m_ratingBandOf;
};
