#include "FileMessages.h"

#include "KVErrorList.h"

#include <QStringDecoder>

QString MessageText(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QStringList FileMessageLines(const std::string& path, const KVErrorList& errors)
{
    const std::string lead = path + ": ";
    QStringList lines;
    for (const KVException& e : errors.Errors()) {
        std::string_view message = e.Message();
        if (!path.empty() && message.starts_with(lead))
            message.remove_prefix(lead.size());
        const std::string& scope = e.Scope();
        lines.append(MessageText(scope) + QStringLiteral(" - ") + MessageText(message));
    }
    return lines;
}

QStringList MessagesNamingFile(const QString& name, const std::string& path, const KVErrorList& errors)
{
    QStringList lines = FileMessageLines(path, errors);
    for (QString& line : lines)
        line.prepend(name + QStringLiteral(": "));
    return lines;
}
