// Injury menu: hands one or three loaded signals to a criterion program.
#include "Criterion.h"
#include "KVFileRvf.h"
#include "OndrelDoc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <array>

bool COndrelDoc::CriterionFileArgument(const CSignalEntry& entry, QString& path)
{
    if (!entry.modified) {
        path = PathOfName(entry.name);
        return true;
    }
    // The program reads files only, so a changed signal goes to a file of its
    // own; it is left for the program and not deleted here.
    QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/RVFXXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        m_errors.ClearErrors();
        m_errors.AddError(temp.errorString().toStdString(), "Ondrel");
        return false;
    }
    const QString name = temp.fileName();
    temp.close();
    KVFileRvf file(QFile::encodeName(name).toStdString());
    if (!file.Store(entry.signal)) {
        m_errors.AssignErrors(file);
        QFile::remove(name);
        return false;
    }
    path = name;
    if (m_ui)
        m_ui->SetTitle(QStringLiteral("Created Temporary File ") + path);
    return true;
}

bool COndrelDoc::SingleFormArguments(QStringList& arguments)
{
    if (m_signals.size() != 1)
        return false;
    QString path;
    if (!CriterionFileArgument(m_signals.front(), path))
        return false;
    arguments = QStringList{path};
    return true;
}

bool COndrelDoc::ThreeAxisArguments(QStringList& arguments)
{
    if (m_signals.size() != 3)
        return false;
    std::array<const CSignalEntry*, 3> chosen{};
    const std::array<char, 3> letters{'X', 'Y', 'Z'};
    for (size_t k = 0; k < letters.size(); ++k) {
        for (const CSignalEntry& entry : m_signals) {
            const std::string& axis = entry.signal.Axis();
            if (!axis.empty() && axis.front() == letters[k]) {
                chosen[k] = &entry;
                break;
            }
        }
        if (!chosen[k])
            return false;
    }
    QStringList paths;
    for (const CSignalEntry* entry : chosen) {
        QString path;
        if (!CriterionFileArgument(*entry, path))
            return false;
        paths.append(path);
    }
    arguments = paths;
    return true;
}

bool COndrelDoc::RunCriterion(const Criteria::CriterionDef& criterion)
{
    ClearErrors();
    QStringList arguments;
    bool formed = criterion.takesThree && ThreeAxisArguments(arguments);
    if (!formed && criterion.takesOne && m_errors.ErrorCount() == 0)
        formed = SingleFormArguments(arguments);
    if (!formed) {
        // A program must not be started on a file that was never written.
        if (m_errors.ErrorCount() > 0) {
            CollectErrors();
            ShowMessages();
        }
        return false;
    }
    if (!m_ui)
        return false;
    const QString program = QDir(m_strQuillonDir).filePath(QString::fromLatin1(criterion.program));
    const bool started = m_ui->StartProgram(program, arguments);
    // The "Created Temporary File" note has served its turn.
    UpdateTitle();
    if (started)
        return true;
    // Nothing else tells the user why no program appeared: name the file looked for.
    m_ui->ShowMessageBox(QStringLiteral("Cannot start the criterion program %1").arg(QDir::toNativeSeparators(program)));
    return false;
}
