#include "HitlistFile.h"

#include "FileWrite.h"

#include <QFile>
#include <string_view>

namespace {

QByteArray NameLines(const QStringList& names)
{
    QByteArray text;
    for (const QString& name : names) {
        text += QFile::encodeName(name);
        text += "\r\n";
    }
    return text;
}

} // namespace

bool ReadNameLines(const QString& path, QStringList& lines, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        qsizetype stop = end;
        if (stop > start && text[stop - 1] == '\r')
            --stop;
        if (stop > start)
            lines.append(QFile::decodeName(text.mid(start, stop - start)));
        start = end + 1;
    }
    return true;
}

bool WriteNameLines(const QString& path, const QStringList& names, bool append, QString* error)
{
    const QByteArray text = NameLines(names);
    if (append) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(text) != text.size() ||
            !file.flush()) {
            if (error)
                *error = file.errorString();
            return false;
        }
        return true;
    }
    QString reason;
    if (!WriteWholeFile(path, std::string_view(text.constData(), static_cast<size_t>(text.size())), reason)) {
        if (error)
            *error = reason;
        return false;
    }
    return true;
}
