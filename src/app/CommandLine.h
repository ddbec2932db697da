#pragma once
#include <QString>
#include <QStringList>

// The command line of ondrel: file names and wildcard patterns, list files
// named with -L, and the two request switches that hand a name to a running
// instance. Only arguments beginning with "-" are switches; "/" starts an
// absolute path here.
class COndrelCommandLineInfo {
public:
    // File names and patterns, unchanged, in order (list-file lines included).
    QStringList files;
    // True when the previous argument was a bare -L.
    bool listNext = false;
    // Request texts ("[DataFile(name)]", "[HitList(name)]") from --datafile
    // PATH and --hitlist PATH, for the single-instance channel.
    QStringList requests;

    // Parses the arguments after the program name, in order.
    void Parse(const QStringList& arguments);
    // One argument; switch is true when it began with "-" (which is removed).
    void ParseParam(const QString& param, bool isSwitch);

private:
    // Appends each non-empty line of a list file; an unreadable file adds nothing.
    void ReadListFile(const QString& path);

    QString m_pendingRequest; // "DataFile" or "HitList" waiting for its name
};
