#include "FileSearch.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

bool HasWildcards(const QString& pattern)
{
    return pattern.contains(QLatin1Char('*')) || pattern.contains(QLatin1Char('?')) ||
           pattern.contains(QLatin1Char('['));
}

QStringList ListDirectoryFiles(const QString& dir, const QString& pattern)
{
    // Users type the old "*.*" for "every file"; here names need not hold a dot.
    const QString filter = pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
    QDir d(dir.isEmpty() ? QStringLiteral(".") : dir);
    QStringList names = d.entryList(QStringList{filter}, QDir::Files | QDir::Hidden,
                                    QDir::NoSort);
    std::sort(names.begin(), names.end());
    return names;
}

QStringList FindMatchingFiles(const QString& pattern)
{
    if (pattern.isEmpty())
        return {};
    if (!HasWildcards(pattern)) {
        const QFileInfo info(pattern);
        if (!info.exists() || info.isDir())
            return {};
        return {QDir::cleanPath(info.absoluteFilePath())};
    }
    const QFileInfo info(pattern);
    const QString dir = info.absolutePath();
    if (HasWildcards(dir))
        return {};
    QStringList paths;
    const QDir base(dir);
    for (const QString& name : ListDirectoryFiles(dir, info.fileName()))
        paths.append(QDir::cleanPath(base.absoluteFilePath(name)));
    return paths;
}
