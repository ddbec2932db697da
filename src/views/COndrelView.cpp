#include "COndrelView.h"

#include "CGraphFit.h"
#include "ChannelTree.h"
#include "CheckMarks.h"
#include "CommandRegistry.h"
#include "FileCommands.h"
#include "ListCommands.h"
#include "OndrelDoc.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QSet>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>
#include <new>

QStringList NamesFromMimeData(const QMimeData* data)
{
    QStringList names;
    if (!data)
        return names;
    if (data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile())
                names << url.toLocalFile();
        }
        if (!names.isEmpty())
            return names;
    }
    if (!data->hasText())
        return names;
    for (QString line : data->text().split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            names << line;
    }
    return names;
}

bool OffersNames(const QMimeData* data)
{
    return data && (data->hasUrls() || data->hasText());
}

COndrelView::COndrelView(COndrelDoc* doc, QWidget* parent) : QListWidget(parent), m_doc(doc)
{
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) { OnSelectionChanged(!selected.isEmpty()); });
    connect(m_doc, &COndrelDoc::ViewsUpdated, this, &COndrelView::OnUpdate);
}

void COndrelView::OnInitialUpdate()
{
    m_ready = true;
    OnUpdate(HINT_INITIAL);
}

void COndrelView::OnUpdate(int hint)
{
    if (!m_ready || hint == HINT_PLOT_CHANGED)
        return;
    if (hint == HINT_CHECKS_CHANGED) {
        MarkChecked();
        return;
    }
    ListCommands::Relist(*m_doc);
    Refill();
}

void COndrelView::Refill()
{
    // Refilling is no selection change: the loaded signals stay until the
    // user selects again.
    QSignalBlocker block(selectionModel());
    clear();
    const QFontMetrics metrics(font());
    // A channel's code is fixed-width, so that the codes and names align.
    const QFont fixed = FixedPitchFont();
    const QFontMetrics fixedMetrics(fixed);
    m_widestName = 0;
    // An item shows its list text (a test's channel by code and name) and
    // keeps the name the document loads it by; the filter leaves some out.
    for (const CChannelItem& channel : ListedChannels(*m_doc)) {
        if (!ChannelMatches(channel, m_filter))
            continue;
        const QString text = m_doc->List().ListText(channel.name);
        const bool code = !channel.code.isEmpty();
        m_widestName = std::max(m_widestName, (code ? fixedMetrics : metrics).horizontalAdvance(text));
        auto* entry = new QListWidgetItem(text, this);
        entry->setData(Qt::UserRole, channel.name);
        if (code)
            entry->setFont(fixed);
    }
    MarkChecked();
    if (!m_filter.isEmpty())
        SelectLoaded(); // what is loaded stays marked under any filter
    if (m_afterRefill)
        m_afterRefill();
}

void COndrelView::SetFilter(const QString& filter)
{
    m_filter = filter;
    Refill();
    SelectLoaded(); // a new filter shows what is loaded among what passes
}

void COndrelView::MarkChecked()
{
    bool anyMark = false;
    for (int i = 0; i < count(); ++i) {
        QListWidgetItem* it = item(i);
        const CCheckedFile* file = m_doc->CheckOf(it->data(Qt::UserRole).toString());
        const bool marked = file && file->signalFile && CheckedFileVerdict(*file) != Kalvio::CheckVerdict::Ok;
        anyMark = anyMark || marked;
        // Unchecked and unmarked items stay untouched: a long list costs
        // nothing more until files are checked.
        if (marked || it->data(Qt::ForegroundRole).isValid())
            MarkCheckedItem(*it, marked ? file : nullptr, this);
    }
    // Every column as wide as the widest name (and a mark), so that no name
    // is cut short. A mark is as high as the text and takes its width and a
    // gap more.
    const QFontMetrics metrics(font());
    setIconSize(QSize(metrics.height(), metrics.height()));
    const int mark = anyMark ? metrics.height() + 2 * metrics.averageCharWidth() : 0;
    setGridSize(QSize(m_widestName + mark + 2 * metrics.averageCharWidth() + 4, metrics.height() + 4));
    viewport()->update();
}

void COndrelView::SelectName(const QString& name)
{
    QListWidgetItem* it = nullptr;
    for (int i = 0; i < count() && !it; ++i)
        if (item(i)->data(Qt::UserRole).toString() == name)
            it = item(i);
    if (!it)
        return;
    // One selection change, so that the document unloads and loads once.
    selectionModel()->select(indexFromItem(it), QItemSelectionModel::ClearAndSelect);
    setCurrentItem(it, QItemSelectionModel::NoUpdate);
    scrollToItem(it);
}

bool COndrelView::SelectNames(const QStringList& names)
{
    QItemSelection selection;
    int found = 0;
    for (int i = 0; i < count(); ++i)
        if (names.contains(item(i)->data(Qt::UserRole).toString())) {
            selection.select(indexFromItem(item(i)), indexFromItem(item(i)));
            ++found;
        }
    if (found < names.size())
        return false;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    return true;
}

void COndrelView::SelectLoaded()
{
    QSet<QString> loaded;
    for (const CSignalEntry& entry : m_doc->Signals())
        loaded.insert(entry.name);
    QSignalBlocker block(selectionModel());
    for (int i = 0; i < count(); ++i)
        item(i)->setSelected(loaded.contains(item(i)->data(Qt::UserRole).toString()));
    viewport()->update();
}

QStringList COndrelView::SelectedLabels() const
{
    QStringList labels;
    for (int i = 0; i < count(); ++i) {
        const QListWidgetItem* it = item(i);
        if (it->isSelected())
            labels << it->data(Qt::UserRole).toString();
    }
    return labels;
}

bool SelectionToDocument(COndrelDoc& doc, const QStringList& names, bool itemSelected)
{
    try {
        return ListCommands::SelectionChanged(doc, names, itemSelected);
    } catch (const std::bad_alloc&) {
        doc.ReportNotEnoughMemory(names.join(QStringLiteral(", ")));
        return false;
    }
}

void COndrelView::OnSelectionChanged(bool itemSelected)
{
    if (!SelectionToDocument(*m_doc, SelectedLabels(), itemSelected)) {
        SelectLoaded(); // the person kept the modified signals, or memory ran out
        return;
    }
    if (m_afterSelection)
        m_afterSelection();
}

void COndrelView::OnSortByName()
{
    ListCommands::SortByName(*m_doc);
    Refill();
}

void COndrelView::OnSortByExtension()
{
    ListCommands::SortByExtension(*m_doc);
    Refill();
}

void COndrelView::OnOpenDataFile(const QString& name)
{
    FileCommands::OpenDataFile(*m_doc, name);
}

void COndrelView::OnOpenHitlist(const QString& name)
{
    FileCommands::OpenHitlistRequest(*m_doc, name);
}

void COndrelView::AddNamesFrom(const QMimeData* data)
{
    ListCommands::AddNames(*m_doc, NamesFromMimeData(data));
}

CommandState COndrelView::ListState() const
{
    CommandState state;
    state.itemsSelected = !selectedItems().isEmpty();
    state.clipboardOffersNames = OffersNames(QApplication::clipboard()->mimeData());
    return state;
}

void COndrelView::OnCommand(int id)
{
    if (const CommandDef* command = FindListCommand(m_doc->List().HitMode(), id))
        RunCommandOn(*command, CommandTargets{m_doc, this, nullptr, nullptr});
}

QMenu* COndrelView::BuildContextMenu(QWidget* parent)
{
    const bool hitMode = m_doc->List().HitMode();
    auto* menu = new QMenu(parent);
    menu->setObjectName(hitMode ? QStringLiteral("HitMode") : QStringLiteral("DirMode"));
    const CommandState state = ListState();
    for (const MenuEntry& entry : hitMode ? HitModeMenuEntries() : DirModeMenuEntries()) {
        if (entry.IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        const CommandDef& command = entry.command;
        QAction* action = menu->addAction(command.text);
        action->setStatusTip(command.prompt);
        action->setData(command.id);
        action->setEnabled(!command.enabled || command.enabled(state));
        connect(action, &QAction::triggered, this,
                [this, &command] { RunCommandOn(command, CommandTargets{m_doc, this, nullptr, nullptr}); });
    }
    if (m_extendMenu) {
        menu->addSeparator();
        m_extendMenu(menu);
    }
    return menu;
}

void COndrelView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool AcceptNamesDrop(QDropEvent* event)
{
    if (!OffersNames(event->mimeData())) {
        event->ignore();
        return false;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void COndrelView::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptNamesDrop(event);
}

void COndrelView::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptNamesDrop(event);
}

void COndrelView::dropEvent(QDropEvent* event)
{
    if (AcceptNamesDrop(event))
        AddNamesFrom(event->mimeData());
}
