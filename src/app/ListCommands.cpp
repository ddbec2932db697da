#include "ListCommands.h"

#include "HitlistFile.h"
#include "IsoMmeTest.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"
#include "SaveDialog.h"

#include <QFile>
#include <QSet>

namespace ListCommands {
namespace {

QSet<QString> LoadedNames(const std::vector<CSignalEntry>& entries)
{
    QSet<QString> names;
    for (const CSignalEntry& entry : entries)
        names.insert(entry.name);
    return names;
}

int StoredSortOrder()
{
    return OndrelSettings::ReadInt(QString::fromLatin1(OndrelSettings::kSort));
}

void SortAndStore(COndrelDoc& doc, int order)
{
    doc.List().Sort(order);
    OndrelSettings::WriteInt(QString::fromLatin1(OndrelSettings::kSort), order);
}

// The save steps shared by Save HitList and Save Selected Hitlist.
bool WriteHitlistLines(COndrelDoc& doc, const QStringList& names)
{
    QString path;
    bool append = false;
    if (!ChooseSaveFile(doc.Ui(), QStringLiteral("Save Hitlist as"),
                        QStringList{QStringLiteral("Hit List Files (*.*)")}, QString(), path, &append))
        return false;
    QStringList lines;
    for (const QString& name : names)
        lines.append(doc.List().PathOf(name));
    QString reason;
    const bool written = WriteNameLines(path, lines, append, &reason);
    OndrelSettings::StoreOutputDir(path);
    // A list that was not saved must not look saved.
    if (!written)
        doc.Ui()->ShowMessageBox(QStringLiteral("Hitlist %1 was not saved: %2").arg(path, reason));
    return written;
}

} // namespace

bool SelectionChanged(COndrelDoc& doc, const QStringList& selected, bool itemSelected)
{
    // Unloading ignores letter case, loading does not: a label that differs
    // from a loaded name only in case keeps that signal and loads once more.
    QSet<QString> selectedFolded;
    for (const QString& label : selected)
        selectedFolded.insert(label.toCaseFolded());
    const auto unselected = [&selectedFolded](const CSignalEntry& entry) {
        return !selectedFolded.contains(entry.name.toCaseFolded());
    };
    // A computed signal is in no list: any new selection drops it.
    std::vector<const CSignalEntry*> dropped;
    for (const CSignalEntry& entry : doc.Signals())
        if (unselected(entry))
            dropped.push_back(&entry);
    if (!doc.MayDrop(dropped))
        return false;
    CLoadedSignals& loaded = doc.Loaded();
    std::erase_if(loaded.Entries(), unselected);

    bool complete = true;
    if (itemSelected) {
        QSet<QString> names = LoadedNames(loaded.Entries());
        QStringList toLoad;
        for (const QString& label : selected)
            if (!names.contains(label))
                toLoad << label;
        const auto load = [&](const CDocUi::Progress& progress) {
            for (qsizetype k = 0; k < toLoad.size(); ++k) {
                if (progress && !progress(static_cast<int>(k), static_cast<int>(toLoad.size()))) {
                    complete = false;
                    return;
                }
                if (names.contains(toLoad[k]) || !doc.LoadFile(toLoad[k]))
                    continue;
                loaded.AddLastLoaded(toLoad[k]);
                names.insert(toLoad[k]);
            }
        };
        // Selecting a whole test reads hundreds of files: behind a progress
        // window whose Cancel keeps what is loaded so far.
        constexpr qsizetype kLoadsShownAbove = 50;
        if (toLoad.size() > kLoadsShownAbove && doc.Ui())
            doc.Ui()->RunWithProgress(QStringLiteral("Loading Signals"), load);
        else
            load({});
    }
    doc.LoadedSignalsChanged();
    doc.ShowLoadWarnings();
    // Cancelled: the list selects what was loaded.
    return complete;
}

void Relist(COndrelDoc& doc)
{
    doc.List().Relist(StoredSortOrder());
}

void ApplyFilter(COndrelDoc& doc)
{
    CFileList& list = doc.List();
    if (list.HitMode() || list.Directory().isEmpty() || !doc.Ui())
        return;
    QString pattern = QStringLiteral("*.*");
    if (!doc.Ui()->EnterText(QStringLiteral("Apply Filter for Displaying File Names"),
                             QStringLiteral("Enter Filter    (e.g. v*.aa0.*)"), pattern))
        return;
    if (!list.ListDirectory(pattern)) {
        doc.Ui()->ShowMessageBox(QStringLiteral("Error Processing Filter (%1)").arg(pattern));
        return;
    }
    list.Sort(StoredSortOrder());
}

void CopyFilenames(COndrelDoc& doc)
{
    if (doc.Loaded().Empty() || !doc.Ui())
        return;
    QString text;
    // A computed signal has no file to name.
    for (const QString& name : doc.Loaded().FileNames())
        text += doc.List().PathOf(name) + QStringLiteral("\r\n");
    doc.Ui()->SetClipboardText(text);
}

void PasteFilenames(COndrelDoc& doc)
{
    if (!doc.Ui())
        return;
    // Lines end in CR LF or LF; empty pieces (the end of the last line) name nothing.
    QStringList names;
    for (QString line : doc.Ui()->ClipboardText().split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            names.append(line);
    }
    AddNames(doc, names);
}

void AddNames(COndrelDoc& doc, const QStringList& names)
{
    if (!doc.List().HitMode())
        doc.SwitchToHitMode();
    if (names.isEmpty())
        return;
    // A test or a simulation stands for its channels; other names, and a test
    // that does not open, are taken as they come (loading them says what is
    // wrong). A simulation that cannot be read is said and not listed: its
    // file loads as no signal.
    doc.Messages().ClearLines();
    QStringList listed;
    for (const QString& name : names) {
        if (!CFileList::IsChannelSource(name))
            listed.append(name);
        else if (!doc.List().AppendSourceChannels(name, listed, doc.Messages()) && !IsSimulationFile(name))
            listed.append(name);
    }
    doc.List().Append(listed);
    doc.UpdateAllViews(HINT_LIST_CHANGED);
    doc.ShowMessages();
}

void ClearList(COndrelDoc& doc)
{
    if (!doc.MayDropLoaded())
        return;
    doc.List().Clear();
    doc.Loaded().Clear();
    doc.UpdateAllViews(HINT_LIST_CHANGED);
    doc.LoadedSignalsChanged();
}

void RemoveSelectedItems(COndrelDoc& doc)
{
    if (!doc.MayDropLoaded())
        return;
    const QSet<QString> loaded = LoadedNames(doc.Signals());
    doc.List().RemoveIf([&loaded](const QString& name) { return loaded.contains(name); });
    doc.Loaded().Clear();
    doc.UpdateAllViews(HINT_LIST_CHANGED);
    doc.LoadedSignalsChanged();
}

void RemoveUnselectedItems(COndrelDoc& doc)
{
    const QSet<QString> loaded = LoadedNames(doc.Signals());
    doc.List().RemoveIf([&loaded](const QString& name) { return !loaded.contains(name); });
    doc.UpdateAllViews(HINT_LIST_CHANGED);
}

void SortByName(COndrelDoc& doc)
{
    SortAndStore(doc, 0);
}

void SortByExtension(COndrelDoc& doc)
{
    SortAndStore(doc, 1);
}

void SaveHitlist(COndrelDoc& doc)
{
    if (doc.FileList().isEmpty())
        return;
    WriteHitlistLines(doc, doc.FileList());
}

void SaveSelectedHitlist(COndrelDoc& doc)
{
    if (doc.Loaded().Empty())
        return;
    WriteHitlistLines(doc, doc.Loaded().FileNames());
}

void EditHitlist(COndrelDoc& doc)
{
    if (!doc.List().HitMode() || !doc.Ui())
        return;
    QStringList names = doc.FileList();
    if (!doc.Ui()->EditHitlist(names))
        return;
    doc.List().SetNames(names);
    doc.UpdateAllViews(HINT_LIST_CHANGED);
}

} // namespace ListCommands
