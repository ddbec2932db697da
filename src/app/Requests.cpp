#include "Requests.h"

#include "FileCommands.h"
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

namespace FileCommands {

bool HandleRequest(COndrelDoc& doc, const QString& request)
{
    QString name;
    switch (ParseRequest(request, name)) {
    case ERequest::DataFile: OpenDataFile(doc, name); return true;
    case ERequest::HitList: OpenHitlistRequest(doc, name); return true;
    case ERequest::None:
        break;
    }
    return false;
}

void OpenDataFile(COndrelDoc& doc, const QString& name)
{
    if (name.isEmpty())
        return;
    if (!doc.List().HitMode())
        doc.SwitchToHitMode();
    // A test stands for its channels, as on the command line.
    QStringList names;
    const bool test = CFileList::IsChannelSource(name);
    if (test)
        doc.Messages().ClearLines();
    if (!test || !doc.List().AppendSourceChannels(name, names, doc.Messages()))
        names = QStringList{name};
    doc.List().AppendNew(names);
    doc.UpdateAllViews(HINT_LIST_CHANGED);
    if (test)
        doc.ShowMessages();
}

void OpenHitlistRequest(COndrelDoc& doc, const QString& name)
{
    if (name.isEmpty())
        return;
    if (!doc.List().HitMode())
        doc.SwitchToHitMode();
    // Messages of an earlier command would be shown again with this list's.
    doc.Messages().ClearLines();
    if (ReadHitlist(doc, name))
        doc.UpdateAllViews(HINT_LIST_CHANGED);
    doc.ShowMessages();
}

} // namespace FileCommands
