#include "SignalCheckCache.h"

#include "KVErrorList.h"
#include "KVFileBytes.h"

#include <QFile>
#include <QFileInfo>

std::vector<CCheckedFile> CSignalCheckCache::Check(const QStringList& names, const QStringList& paths,
                                                    const std::function<bool(int, int)>& progress)
{
    std::vector<CCheckedFile> out;
    m_read = 0;
    const int total = int(std::min(names.size(), paths.size()));
    out.reserve(std::size_t(total));
    for (int i = 0; i < total; ++i) {
        if (progress && !progress(i, total))
            return out;
        const QString& path = paths[i];
        const QFileInfo info(path);
        const QDateTime modified = info.lastModified();
        const qint64 size = info.exists() ? info.size() : -1;
        auto it = m_entries.find(path);
        if (it == m_entries.end() || it->modified != modified || it->size != size || !info.exists()) {
            Entry e{modified, size, {}};
            e.file.path = path;
            KVErrorList errors;
            const std::string local = QFile::encodeName(path).toStdString();
            if (!Kalvio::CheckSignalFile(local, m_scratch, e.file.result, errors)) {
                e.file.readable = false;
                e.file.signalFile = KVFileStartsWith(local, "RVF-1992");
                for (const KVException& x : errors.Errors())
                    e.file.errors << QString::fromLatin1(x.Scope() + " - " + x.Message());
            }
            ++m_read;
            it = m_entries.insert(path, e);
        }
        it->file.name = names[i];
        out.push_back(it->file);
    }
    if (progress)
        progress(total, total);
    return out;
}

std::optional<Kalvio::CheckVerdict> CSignalCheckCache::VerdictOf(const QString& path) const
{
    const auto it = m_entries.constFind(path);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return CheckedFileVerdict(it->file);
}

const CCheckedFile* CSignalCheckCache::Current(const QString& path) const
{
    const auto it = m_entries.constFind(path);
    if (it == m_entries.constEnd())
        return nullptr;
    const QFileInfo info(path);
    if (!info.exists() || info.size() != it->size || info.lastModified() != it->modified)
        return nullptr;
    return &it->file;
}

QStringList CheckFindingLines(const CCheckedFile& file)
{
    QStringList lines;
    if (!file.readable) {
        for (const QString& e : file.errors)
            lines << QStringLiteral("unreadable: ") + e;
        return lines;
    }
    for (const Kalvio::CheckFinding& f : file.result.findings)
        lines << QStringLiteral("%1 %2: %3")
                     .arg(QString::fromLatin1(Kalvio::CheckVerdictName(f.severity)),
                          QString::fromLatin1(Kalvio::CheckKindName(f.kind)), QString::fromLatin1(f.message));
    return lines;
}

Kalvio::CheckVerdict CheckedFileVerdict(const CCheckedFile& file)
{
    return file.readable ? file.result.verdict : Kalvio::CheckVerdict::Fail;
}

QString CheckVerdictText(const CCheckedFile& file)
{
    return file.readable ? QString::fromLatin1(Kalvio::CheckVerdictName(file.result.verdict))
                         : QStringLiteral("unreadable");
}
