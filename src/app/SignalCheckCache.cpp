#include "SignalCheckCache.h"

#include "FileMessages.h"
#include "IsoMmeSource.h"
#include "KVErrorList.h"
#include "KVFileBytes.h"

#include <QFile>

#include <sys/stat.h>

std::vector<CCheckedFile> CSignalCheckCache::Check(const QStringList& names, const QStringList& paths,
                                                    const std::function<bool(int, int)>& progress,
                                                    const KVTextOptions& text)
{
    std::vector<CCheckedFile> out;
    m_read = 0;
    const int total = int(std::min(names.size(), paths.size()));
    out.reserve(std::size_t(total));
    for (int i = 0; i < total; ++i) {
        if (progress && !progress(i, total))
            return out;
        const QString& path = paths[i];
        const std::string local = QFile::encodeName(path).toStdString();
        const Stamp stamp = StampOf(local);
        auto it = m_entries.find(path);
        if (it == m_entries.end() || it->stamp != stamp || stamp.size < 0 || it->timeUnit != text.timeUnit) {
            Entry e{stamp, {}, text.timeUnit};
            e.file.path = path;
            KVErrorList errors;
            if (!Kalvio::CheckSignalFile(local, m_scratch, e.file.result, errors, text)) {
                e.file.readable = false;
                e.file.signalFile = KVFileStartsWith(local, "RVF-1992");
                for (const KVException& x : errors.Errors())
                    e.file.errors << MessageText(x.Scope() + " - " + x.Message());
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
    const Stamp stamp = StampOf(QFile::encodeName(path).toStdString());
    return stamp.size >= 0 && stamp == it->stamp ? &it->file : nullptr;
}

CSignalCheckCache::Stamp CSignalCheckCache::StampOf(const std::string& localPath)
{
    // A channel inside a .zip changes only with its archive.
    struct stat st {};
    if (::stat(localPath.c_str(), &st) != 0) {
        const std::string archive = IsoArchiveOf(localPath);
        if (archive.empty() || ::stat(archive.c_str(), &st) != 0)
            return {};
    }
    return {qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec), qint64(st.st_size)};
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
