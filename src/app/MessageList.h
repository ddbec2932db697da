#pragma once
// What a command has to tell: the errors its operations reported, each
// perhaps about one signal, the lines "Errors and Warnings" shows, and the
// warnings of the files loaded since they were last shown.
#include "KVErrorList.h"

#include <QString>
#include <QStringList>

#include <vector>

class CDocUi;

class CMessageList {
public:
    // The lines shown next, one message each.
    const QStringList& Lines() const { return m_lines; }
    void SetLines(QStringList lines) { m_lines = std::move(lines); }
    void Append(const QString& line) { m_lines.append(line); }
    void Append(const QStringList& lines) { m_lines.append(lines); }
    void ClearLines() { m_lines.clear(); }
    // Shows Lines() in "Errors and Warnings" unless empty or ui is null; keeps them.
    void Show(CDocUi* ui) const;

    // The errors reported since ClearErrors.
    const KVErrorList& Errors() const { return m_errors; }
    void ClearErrors();
    // Appends errors as being about the signal called subject (empty: about none).
    void AddErrorsAbout(const QString& subject, const KVErrorList& errors);
    // Lines() = one "scope - message" line per error, led by "subject: "
    // when the error is about one signal.
    void CollectErrors();

    // Keeps the warnings of a file that loaded until TakeLoadWarnings.
    void AddLoadWarnings(const QStringList& lines) { m_loadWarnings.append(lines); }
    void DropLoadWarnings() { m_loadWarnings.clear(); }
    // Makes the kept load warnings the lines to show; false when there are none.
    bool TakeLoadWarnings();

private:
    KVErrorList m_errors;
    std::vector<QString> m_errorSubjects; // per entry of m_errors: the signal it is about, or empty
    QStringList m_lines;
    QStringList m_loadWarnings;
};
