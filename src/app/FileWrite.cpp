#include "FileWrite.h"

#include "FileMessages.h"
#include "KVOutputFile.h"

#include <QFile>

#include <cstdint>
#include <span>
#include <string>

bool WriteWholeFile(const QString& path, std::string_view bytes, QString& reason)
{
    std::string why;
    const std::span<const uint8_t> content(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    if (KVWriteFile(QFile::encodeName(path).toStdString(), content, why))
        return true;
    reason = MessageText(why);
    return false;
}
