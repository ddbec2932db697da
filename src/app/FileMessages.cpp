#include "FileMessages.h"

#include "KVErrorList.h"

QStringList FileMessageLines(const std::string& path, const KVErrorList& errors)
{
    const std::string lead = path + ": ";
    QStringList lines;
    for (const KVException& e : errors.Errors()) {
        std::string_view message = e.Message();
        if (!path.empty() && message.starts_with(lead))
            message.remove_prefix(lead.size());
        const std::string& scope = e.Scope();
        // Library texts are Latin-1 bytes, like the record's text fields.
        lines.append(QString::fromLatin1(scope.data(), static_cast<qsizetype>(scope.size())) + QStringLiteral(" - ")
                     + QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size())));
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
