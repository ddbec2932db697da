// The file list: selection, directory listing, sorting and the list view's
// context-menu commands.
#include "FileSearch.h"
#include "IsoMmeTest.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"

#include <QFile>
#include <QSet>

#include <algorithm>

namespace {

// The extension as a path splitter returns it: from the last dot on, or empty.
QStringView Extension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (dot < 0 || dot < slash)
        return {};
    return QStringView(name).mid(dot);
}

QSet<QString> LoadedNames(const std::vector<CSignalEntry>& entries)
{
    QSet<QString> names;
    for (const CSignalEntry& entry : entries)
        names.insert(entry.name);
    return names;
}

} // namespace

bool COndrelDoc::SelectionChanged(const QStringList& selected, bool itemSelected)
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
    for (const CSignalEntry& entry : m_signals)
        if (unselected(entry))
            dropped.push_back(&entry);
    if (!MayDrop(dropped))
        return false;
    std::erase_if(m_signals, unselected);

    if (itemSelected) {
        QSet<QString> loaded = LoadedNames(m_signals);
        for (const QString& label : selected) {
            if (loaded.contains(label))
                continue;
            if (!LoadFile(label))
                continue;
            m_signals.emplace_back(label, std::move(m_signal), false);
            loaded.insert(label);
        }
    }
    LoadedSignalsChanged();
    ShowLoadWarnings();
    return true;
}

bool COndrelDoc::ListDirectory(const QString& pattern)
{
    QStringList names = ListDirectoryFiles(m_strDirectory, pattern);
    if (names.isEmpty())
        return false;
    m_fileList = std::move(names);
    return true;
}

void COndrelDoc::SortFileList(int order)
{
    if (order == 0) {
        std::stable_sort(m_fileList.begin(), m_fileList.end());
        return;
    }
    if (order == 1) {
        std::stable_sort(m_fileList.begin(), m_fileList.end(), [](const QString& a, const QString& b) {
            return Extension(a) < Extension(b);
        });
    }
}

void COndrelDoc::Relist()
{
    if (!m_bHitMode) {
        // An empty directory lists as empty: keeping the previous directory's
        // names would offer files that are not there.
        if (m_strDirectory.isEmpty() || !ListDirectory(QStringLiteral("*.*"))) {
            m_fileList.clear();
            return;
        }
    }
    SortFileList(OndrelSettings::ReadInt(QString::fromLatin1(OndrelSettings::kSort)));
}

void COndrelDoc::OnApplyFilter()
{
    if (m_bHitMode || m_strDirectory.isEmpty() || !m_ui)
        return;
    QString pattern = QStringLiteral("*.*");
    if (!m_ui->EnterText(QStringLiteral("Apply Filter for Displaying File Names"),
                         QStringLiteral("Enter Filter    (e.g. v*.aa0.*)"), pattern))
        return;
    if (!ListDirectory(pattern)) {
        m_ui->ShowMessageBox(QStringLiteral("Error Processing Filter (%1)").arg(pattern));
        return;
    }
    SortFileList(OndrelSettings::ReadInt(QString::fromLatin1(OndrelSettings::kSort)));
}

void COndrelDoc::OnCopyFilenames()
{
    if (m_signals.empty() || !m_ui)
        return;
    QString text;
    for (const CSignalEntry& entry : m_signals) {
        // A computed signal has no file to name.
        if (!entry.name.isEmpty())
            text += PathOfName(entry.name) + QStringLiteral("\r\n");
    }
    m_ui->SetClipboardText(text);
}

void COndrelDoc::OnPasteFilenames()
{
    if (!m_ui)
        return;
    // Lines end in CR LF or LF; empty pieces (the end of the last line) name nothing.
    QStringList names;
    for (QString line : m_ui->ClipboardText().split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            names.append(line);
    }
    AddNames(names);
}

void COndrelDoc::AddNames(const QStringList& names)
{
    if (!m_bHitMode)
        SwitchToHitMode();
    if (names.isEmpty())
        return;
    // A test stands for its channels; other names, and a test that does not
    // open, are taken as they come (loading them says what is wrong).
    m_messages.clear();
    for (const QString& name : names) {
        if (!IsoMmeIsTestPath(QFile::encodeName(name).toStdString()) || !AppendTestChannels(name, m_fileList))
            m_fileList.append(name);
    }
    UpdateAllViews(HINT_LIST_CHANGED);
    ShowMessages();
}

void COndrelDoc::OnClearList()
{
    if (!MayDropLoaded())
        return;
    m_fileList.clear();
    m_signals.clear();
    if (!m_bHitMode)
        m_strDirectory.clear();
    UpdateAllViews(HINT_LIST_CHANGED);
    LoadedSignalsChanged();
}

void COndrelDoc::OnRemoveSelectedItems()
{
    if (!MayDropLoaded())
        return;
    const QSet<QString> loaded = LoadedNames(m_signals);
    m_fileList.removeIf([&loaded](const QString& name) { return loaded.contains(name); });
    m_signals.clear();
    UpdateAllViews(HINT_LIST_CHANGED);
    LoadedSignalsChanged();
}

void COndrelDoc::OnRemoveUnselectedItems()
{
    const QSet<QString> loaded = LoadedNames(m_signals);
    m_fileList.removeIf([&loaded](const QString& name) { return !loaded.contains(name); });
    UpdateAllViews(HINT_LIST_CHANGED);
}

void COndrelDoc::OnSortByName()
{
    SortFileList(0);
    OndrelSettings::WriteInt(QString::fromLatin1(OndrelSettings::kSort), 0);
}

void COndrelDoc::OnSortByExtension()
{
    SortFileList(1);
    OndrelSettings::WriteInt(QString::fromLatin1(OndrelSettings::kSort), 1);
}
