#include "Requests.h"

#include "IsoMmeTest.h"
#include "OndrelDoc.h"

#include <QFile>

ERequest ParseRequest(const QString& text, QString& name)
{
    if (text.contains(QLatin1String("DataFile")) && text.size() > 12) {
        name = text.mid(10, text.size() - 12);
        return ERequest::DataFile;
    }
    if (text.contains(QLatin1String("HitList")) && text.size() > 11) {
        name = text.mid(9, text.size() - 11);
        return ERequest::HitList;
    }
    return ERequest::None;
}

bool COndrelDoc::HandleRequest(const QString& request)
{
    QString name;
    switch (ParseRequest(request, name)) {
    case ERequest::DataFile:
        OnOpenDataFile(name);
        return true;
    case ERequest::HitList:
        OnOpenHitlistRequest(name);
        return true;
    case ERequest::None:
        break;
    }
    return false;
}

void COndrelDoc::OnOpenDataFile(const QString& name)
{
    if (name.isEmpty())
        return;
    if (!m_bHitMode)
        SwitchToHitMode();
    // A test stands for its channels, as on the command line.
    QStringList names;
    const bool test = IsoMmeIsTestPath(QFile::encodeName(name).toStdString());
    if (test)
        m_messages.clear();
    if (!test || !AppendTestChannels(name, names))
        names = QStringList{name};
    for (const QString& n : names) {
        if (!m_fileList.contains(n))
            m_fileList.append(n);
    }
    UpdateAllViews(HINT_LIST_CHANGED);
    if (test)
        ShowMessages();
}

void COndrelDoc::OnOpenHitlistRequest(const QString& name)
{
    if (name.isEmpty())
        return;
    if (!m_bHitMode)
        SwitchToHitMode();
    // Messages of an earlier command would be shown again with this list's.
    m_messages.clear();
    if (ReadHitlist(name))
        UpdateAllViews(HINT_LIST_CHANGED);
    ShowMessages();
}
