#pragma once
#include "KVSignal.h"

#include <QString>

// One loaded signal: the name it stands under in the file list (bare name in
// directory mode, full path in hitlist mode, empty for a computed signal),
// the signal itself and whether an operation changed it since it was loaded.
class CSignalEntry {
public:
    CSignalEntry() = default;
    CSignalEntry(QString entryName, KVSignal entrySignal, bool entryModified = false)
        : name(std::move(entryName)), signal(std::move(entrySignal)), modified(entryModified) {}
    CSignalEntry(const CSignalEntry&) = default;
    CSignalEntry(CSignalEntry&&) noexcept = default;
    CSignalEntry& operator=(const CSignalEntry&) = default;
    CSignalEntry& operator=(CSignalEntry&&) noexcept = default;
    virtual ~CSignalEntry() = default;

    QString name;
    KVSignal signal;
    bool modified = false;
    // What a computed signal is called where a file name would stand
    // ("Sum", "Average", "Resultant"); empty for a signal from a file.
    QString computedName;

    // The name messages, legends and titles use: the file name, else the
    // computed signal's name.
    const QString& DisplayName() const { return name.isEmpty() ? computedName : name; }
};
