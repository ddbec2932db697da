#include "CriteriaLocation.h"

#include "Criterion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

bool HoldsCriterionProgram(const QString& dir)
{
    for (const Criteria::CriterionDef& def : Criteria::CriterionDefs()) {
        const QFileInfo program(QDir(dir).filePath(QString::fromUtf8(def.program)));
        if (program.isFile() && program.isExecutable())
            return true;
    }
    return false;
}

bool IsInside(const QString& path, const QString& root)
{
    if (root.isEmpty())
        return false;
    const QString clean = QDir::cleanPath(root);
    return path == clean || path.startsWith(clean.endsWith(QLatin1Char('/')) ? clean : clean + QLatin1Char('/'));
}

QString RunningProgramDir()
{
    // Without an application object (a test, a console tool) the kernel still
    // names the running program.
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

} // namespace

CCriteriaLayout BuiltCriteriaLayout()
{
    return {QStringLiteral(ONDREL_CRITERIA_BESIDE_PROGRAM), QStringLiteral(ONDREL_CRITERIA_BUILD_DIR),
            QStringLiteral(ONDREL_BUILD_ROOT), QStringLiteral(ONDREL_CRITERIA_INSTALL_DIR)};
}

QStringList CriteriaDirCandidates(const QString& programDir, const CCriteriaLayout& layout)
{
    QStringList dirs;
    const QString program = QDir::cleanPath(programDir);
    if (!programDir.isEmpty()) {
        dirs << program;
        if (!layout.besideProgram.isEmpty())
            dirs << QDir::cleanPath(program + QLatin1Char('/') + layout.besideProgram);
        if (!layout.buildTree.isEmpty() && IsInside(program, layout.buildRoot))
            dirs << QDir::cleanPath(layout.buildTree);
    }
    dirs << QDir::cleanPath(layout.installed);
    dirs.removeDuplicates();
    return dirs;
}

QString FindCriteriaDir(const QString& programDir, const CCriteriaLayout& layout)
{
    const QStringList dirs = CriteriaDirCandidates(programDir, layout);
    for (const QString& dir : dirs) {
        if (HoldsCriterionProgram(dir))
            return dir;
    }
    return dirs.back();
}

QString DefaultCriteriaDir()
{
    return FindCriteriaDir(RunningProgramDir(), BuiltCriteriaLayout());
}
