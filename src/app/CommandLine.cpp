#include "CommandLine.h"

#include "HitlistFile.h"

void COndrelCommandLineInfo::Parse(const QStringList& arguments)
{
    for (const QString& arg : arguments) {
        const bool isSwitch = arg.startsWith(QLatin1Char('-'));
        ParseParam(isSwitch ? arg.mid(1) : arg, isSwitch);
    }
}

void COndrelCommandLineInfo::ParseParam(const QString& param, bool isSwitch)
{
    if (!isSwitch) {
        if (!m_pendingRequest.isEmpty()) {
            requests.append(QStringLiteral("[%1(%2)]").arg(m_pendingRequest, param));
            m_pendingRequest.clear();
            return;
        }
        if (listNext) {
            ReadListFile(param);
            listNext = false;
            return;
        }
        files.append(param);
        return;
    }
    if (param == QLatin1String("-datafile")) {
        m_pendingRequest = QStringLiteral("DataFile");
        return;
    }
    if (param == QLatin1String("-hitlist")) {
        m_pendingRequest = QStringLiteral("HitList");
        return;
    }
    if (!param.startsWith(QLatin1Char('L')) && !param.startsWith(QLatin1Char('l')))
        return;
    QString rest = param;
    while (rest.endsWith(QLatin1Char(' ')))
        rest.chop(1);
    if (rest.size() == 1) {
        listNext = true;
        return;
    }
    ReadListFile(rest.mid(1));
}

void COndrelCommandLineInfo::ReadListFile(const QString& path)
{
    QStringList lines;
    if (!ReadNameLines(path, lines, nullptr))
        return;
    files.append(lines);
}
