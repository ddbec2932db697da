#pragma once
// The signal check as the desktop program runs it: on demand, over many
// files, remembering each file's result while the file stays the same.
#include "SignalCheck.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The check of one listed file.
struct CCheckedFile {
    QString name;  // the list name
    QString shown; // as the file list shows it (a test's channel by code and name); empty: name
    QString path;
    bool readable = true;
    // False for an unreadable file that is no RVF-1992 file by its first
    // bytes either (a note, a hitlist): no signal file at all.
    bool signalFile = true;
    QStringList errors; // "scope - message" lines when it could not be read
    Kalvio::CheckResult result;
};

// Check results by path, reused while the file's modification time and size
// stay the same, so that a second check reads only the files that changed.
class CSignalCheckCache {
public:
    // Checks names[i] at paths[i] in order. progress(done, total) is called
    // before each file and after the last; false stops the check there.
    // Returns the files checked (all of them unless stopped).
    // Text files are read with text; a file checked with another time unit
    // is checked again.
    std::vector<CCheckedFile> Check(const QStringList& names, const QStringList& paths,
                                    const std::function<bool(int, int)>& progress = {},
                                    const KVTextOptions& text = {});
    // The verdict of path's last check without touching the file (an
    // unreadable file counts as a failure); nothing when never checked.
    std::optional<Kalvio::CheckVerdict> VerdictOf(const QString& path) const;
    // path's last check while the file still has the time and size it had
    // then (one look at the file, no reading); null otherwise.
    const CCheckedFile* Current(const QString& path) const;
    bool IsEmpty() const { return m_entries.isEmpty(); }
    // How many files the last Check read (the others came from the cache).
    int FilesRead() const { return m_read; }
    void Clear() { m_entries.clear(); }

private:
    // What tells a file changed: its modification time (nanoseconds) and
    // size; no file has size -1.
    struct Stamp {
        qint64 modified = 0;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    // One look at the file (a list of 10,000 checked files takes one each);
    // for a channel inside a .zip, at its archive.
    static Stamp StampOf(const std::string& localPath);
    struct Entry {
        Stamp stamp;
        CCheckedFile file;
        KVTimeUnit timeUnit = KVTimeUnit::Milliseconds; // of text files, when checked
    };
    QHash<QString, Entry> m_entries;
    KVSignal m_scratch; // each file is read into it
    int m_read = 0;
};

// One line per finding: "warning dropout: sample at ..."; "unreadable: ..."
// lines for a file that could not be read.
QStringList CheckFindingLines(const CCheckedFile& file);
// The file's verdict; an unreadable file counts as a failure.
Kalvio::CheckVerdict CheckedFileVerdict(const CCheckedFile& file);
// "ok", "warning", "fail" or "unreadable".
QString CheckVerdictText(const CCheckedFile& file);
