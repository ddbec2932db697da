#include "OndrelSettings.h"

#include "CriteriaLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace OndrelSettings {

namespace {

QSettings OpenStore()
{
    return QSettings(QString::fromLatin1(kOrganization), QString::fromLatin1(kApplication));
}

QString SectionKey(const QString& key)
{
    return QString::fromLatin1(kSection) + QLatin1Char('/') + key;
}

} // namespace

QString DirectoryKey(int position)
{
    return QStringLiteral("Directory%1").arg(position);
}

QVariant DefaultValue(const QString& key)
{
    if (key == QLatin1String(kColumnHeaders) || key == QLatin1String(kSaveZoom) ||
        key == QLatin1String(kShortHeader))
        return 1;
    if (key == QLatin1String(kLineStyle) || key == QLatin1String(kSort) || key == QLatin1String(kTextTimeUnit))
        return 0;
    if (key == QLatin1String(kQuillon))
        return DefaultCriteriaDir();
    if (key == QLatin1String(kOutputDir))
        return NormaliseDirectory(QDir::homePath());
    for (int i = 0; i < kRecentDirectoryCount; ++i) {
        if (key == DirectoryKey(i))
            return QString();
    }
    return {};
}

int ReadInt(const QString& key)
{
    bool ok = false;
    const int value = OpenStore().value(SectionKey(key), DefaultValue(key)).toInt(&ok);
    return ok ? value : DefaultValue(key).toInt();
}

QString ReadString(const QString& key)
{
    return OpenStore().value(SectionKey(key), DefaultValue(key)).toString();
}

void WriteInt(const QString& key, int value)
{
    OpenStore().setValue(SectionKey(key), value);
}

void WriteString(const QString& key, const QString& value)
{
    OpenStore().setValue(SectionKey(key), value);
}

QStringList RecentDirectories()
{
    QSettings store = OpenStore();
    QStringList list;
    for (int i = 0; i < kRecentDirectoryCount; ++i) {
        const QString dir = store.value(SectionKey(DirectoryKey(i))).toString();
        if (!dir.isEmpty())
            list.append(dir);
    }
    return list;
}

QString NormaliseDirectory(const QString& text)
{
    QString dir = text;
    while (dir.startsWith(QLatin1Char(' ')))
        dir.remove(0, 1);
    while (dir.endsWith(QLatin1Char(' ')))
        dir.chop(1);
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QStringList PushRecentDirectory(QStringList list, const QString& dir)
{
    list.removeIf([&dir](const QString& entry) { return entry.compare(dir, Qt::CaseInsensitive) == 0; });
    list.prepend(dir);
    return list;
}

void StoreRecentDirectories(const QStringList& list)
{
    QSettings store = OpenStore();
    const int n = std::min<int>(kRecentDirectoryCount, static_cast<int>(list.size()));
    for (int i = 0; i < n; ++i) {
        if (!list[i].isEmpty())
            store.setValue(SectionKey(DirectoryKey(i)), list[i]);
    }
}

QString RememberDirectory(const QString& text)
{
    const QString dir = NormaliseDirectory(text);
    if (dir.isEmpty())
        return dir;
    StoreRecentDirectories(PushRecentDirectory(RecentDirectories(), dir));
    return dir;
}

QString DirectoryOfPath(const QString& path)
{
    const QString dir = QFileInfo(path).absolutePath();
    return NormaliseDirectory(dir);
}

void StoreOutputDir(const QString& chosenPath)
{
    WriteString(QString::fromLatin1(kOutputDir), DirectoryOfPath(chosenPath));
}

} // namespace OndrelSettings
