#include "CriterionCommands.h"

#include "Criterion.h"
#include "KVFileRvf.h"
#include "OndrelDoc.h"
#include "TestChannels.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <array>

namespace CriterionCommands {
namespace {

// The file argument of one loaded signal for a criterion program: a
// temporary RVF-1992 file when modified, else its path. False, the reason in
// the document's errors, when the temporary file could not be written.
// Adds the temporary copy it made of a modified signal to temporaries.
bool CriterionFileArgument(COndrelDoc& doc, const CSignalEntry& entry, QString& path, QStringList& temporaries)
{
    if (!entry.modified && !entry.name.isEmpty()) {
        path = doc.List().PathOf(entry.name);
        return true;
    }
    // The program reads files only, so a changed or computed signal goes to a
    // file of its own, deleted once the program has ended.
    QTemporaryFile temp(QDir::tempPath() + QStringLiteral("/RVFXXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        KVErrorList errors;
        errors.AddError(temp.errorString().toStdString(), "Ondrel");
        doc.Messages().ClearErrors();
        doc.Messages().AddErrorsAbout(QString(), errors);
        return false;
    }
    const QString name = temp.fileName();
    temp.close();
    KVFileRvf file(QFile::encodeName(name).toStdString());
    if (!file.Store(entry.signal)) {
        doc.Messages().ClearErrors();
        doc.Messages().AddErrorsAbout(QString(), file);
        QFile::remove(name);
        return false;
    }
    path = name;
    temporaries << name;
    if (doc.Ui())
        doc.Ui()->SetTitle(QStringLiteral("Created Temporary File ") + path);
    return true;
}

bool SingleFormArguments(COndrelDoc& doc, QStringList& arguments, QStringList& temporaries)
{
    if (doc.Signals().size() != 1)
        return false;
    QString path;
    if (!CriterionFileArgument(doc, doc.Signals().front(), path, temporaries))
        return false;
    arguments = QStringList{path};
    return true;
}

bool ThreeAxisArguments(COndrelDoc& doc, QStringList& arguments, QStringList& temporaries)
{
    if (doc.Signals().size() != 3)
        return false;
    std::array<const CSignalEntry*, 3> chosen{};
    const std::array<char, 3> letters{'X', 'Y', 'Z'};
    for (size_t k = 0; k < letters.size(); ++k) {
        for (const CSignalEntry& entry : doc.Signals()) {
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
        if (!CriterionFileArgument(doc, *entry, path, temporaries))
            return false;
        paths.append(path);
    }
    arguments = paths;
    return true;
}

} // namespace

QStringList CriterionChannels(const COndrelDoc& doc, const Criteria::CriterionDef& criterion, char position,
                              QString& why)
{
    const QStringList tests = doc.List().ListedTests();
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

bool RunCriterion(COndrelDoc& doc, const Criteria::CriterionDef& criterion)
{
    doc.Messages().ClearErrors();
    QStringList arguments, temporaries;
    const auto removeTemporaries = [&temporaries] {
        for (const QString& file : temporaries)
            QFile::remove(file);
    };
    bool formed = criterion.takesThree && ThreeAxisArguments(doc, arguments, temporaries);
    if (!formed && criterion.takesOne && doc.Messages().Errors().ErrorCount() == 0)
        formed = SingleFormArguments(doc, arguments, temporaries);
    if (!formed) {
        // Regression: the copies made before a later one failed were left behind.
        removeTemporaries();
        // A program must not be started on a file that was never written.
        if (doc.Messages().Errors().ErrorCount() > 0) {
            doc.Messages().CollectErrors();
            doc.ShowMessages();
        }
        return false;
    }
    if (!doc.Ui()) {
        removeTemporaries();
        return false;
    }
    const QString program = QDir(doc.Options().quillonDir).filePath(QString::fromLatin1(criterion.program));
    const bool started = doc.Ui()->StartProgram(program, arguments, temporaries);
    // The "Created Temporary File" note has served its turn.
    doc.UpdateTitle();
    if (started)
        return true;
    removeTemporaries();
    // Nothing else tells the user why no program appeared: name the file looked for.
    doc.Ui()->ShowMessageBox(
        QStringLiteral("Cannot start the criterion program %1").arg(QDir::toNativeSeparators(program)));
    return false;
}

} // namespace CriterionCommands
