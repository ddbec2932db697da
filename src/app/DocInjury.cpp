// Injury menu: hands one or three loaded signals to a criterion program.
#include "Criterion.h"
#include "KVFileRvf.h"
#include "OndrelDoc.h"
#include "TestChannels.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <array>

QStringList COndrelDoc::CriterionChannels(const Criteria::CriterionDef& criterion, char position,
                                          QString& why) const
{
    QStringList tests;
    for (const QString& name : m_fileList)
        if (const CChannelListing* listing = ChannelListingOf(name); listing && !tests.contains(listing->testPath))
            tests << listing->testPath;
    why = QStringLiteral("No listed test has the channels of %1 for position %2")
              .arg(QString::fromLatin1(criterion.title), QChar::fromLatin1(position));
    for (const QString& test : tests) {
        Criteria::TestChoice choice;
        choice.test = QFile::encodeName(test).toStdString();
        choice.position = position;
        std::vector<std::string> paths, took;
        KVErrorList errors;
        if (!Criteria::SelectTestChannels(criterion, choice, paths, took, errors)) {
            if (tests.size() == 1 && errors.ErrorCount() > 0)
                why = QString::fromLocal8Bit(errors.Errors()[0].Message().c_str());
            continue;
        }
        QStringList names;
        for (const std::string& path : paths)
            names << QFile::decodeName(QByteArray::fromStdString(path));
        return names;
    }
    return {};
}

bool COndrelDoc::CriterionFileArgument(const CSignalEntry& entry, QString& path, QStringList& temporaries)
{
    if (!entry.modified && !entry.name.isEmpty()) {
        path = PathOfName(entry.name);
        return true;
    }
    // The program reads files only, so a changed or computed signal goes to a
    // file of its own, deleted once the program has ended.
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
    temporaries << name;
    if (m_ui)
        m_ui->SetTitle(QStringLiteral("Created Temporary File ") + path);
    return true;
}

bool COndrelDoc::SingleFormArguments(QStringList& arguments, QStringList& temporaries)
{
    if (m_signals.size() != 1)
        return false;
    QString path;
    if (!CriterionFileArgument(m_signals.front(), path, temporaries))
        return false;
    arguments = QStringList{path};
    return true;
}

bool COndrelDoc::ThreeAxisArguments(QStringList& arguments, QStringList& temporaries)
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
        if (!CriterionFileArgument(*entry, path, temporaries))
            return false;
        paths.append(path);
    }
    arguments = paths;
    return true;
}

bool COndrelDoc::RunCriterion(const Criteria::CriterionDef& criterion)
{
    ClearErrors();
    QStringList arguments, temporaries;
    const auto removeTemporaries = [&temporaries] {
        for (const QString& file : temporaries)
            QFile::remove(file);
    };
    bool formed = criterion.takesThree && ThreeAxisArguments(arguments, temporaries);
    if (!formed && criterion.takesOne && m_errors.ErrorCount() == 0)
        formed = SingleFormArguments(arguments, temporaries);
    if (!formed) {
        // Regression: the copies made before a later one failed were left behind.
        removeTemporaries();
        // A program must not be started on a file that was never written.
        if (m_errors.ErrorCount() > 0) {
            CollectErrors();
            ShowMessages();
        }
        return false;
    }
    if (!m_ui) {
        removeTemporaries();
        return false;
    }
    const QString program = QDir(m_options.quillonDir).filePath(QString::fromLatin1(criterion.program));
    const bool started = m_ui->StartProgram(program, arguments, temporaries);
    // The "Created Temporary File" note has served its turn.
    UpdateTitle();
    if (started)
        return true;
    removeTemporaries();
    // Nothing else tells the user why no program appeared: name the file looked for.
    m_ui->ShowMessageBox(QStringLiteral("Cannot start the criterion program %1").arg(QDir::toNativeSeparators(program)));
    return false;
}
