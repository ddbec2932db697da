#include "COndrelView.h"

#include "CommandTable.h"
#include "OndrelDoc.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalBlocker>
#include <QUrl>

#include <algorithm>

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
    OnUpdate(0);
}

void COndrelView::OnUpdate(int hint)
{
    if (!m_ready || hint == HINT_PLOT_CHANGED)
        return;
    m_doc->Relist();
    Refill();
}

void COndrelView::Refill()
{
    // Refilling is no selection change: the loaded signals stay until the
    // user selects again.
    QSignalBlocker block(selectionModel());
    clear();
    // Every column as wide as the widest name, so that no name is cut short.
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const QString& name : m_doc->m_fileList)
        widest = std::max(widest, metrics.horizontalAdvance(name));
    setGridSize(QSize(widest + 2 * metrics.averageCharWidth() + 4, metrics.height() + 4));
    addItems(m_doc->m_fileList);
    viewport()->update();
}

QStringList COndrelView::SelectedLabels() const
{
    QStringList labels;
    for (int i = 0; i < count(); ++i) {
        const QListWidgetItem* it = item(i);
        if (it->isSelected())
            labels << it->text();
    }
    return labels;
}

void COndrelView::OnSelectionChanged(bool itemSelected)
{
    m_doc->SelectionChanged(SelectedLabels(), itemSelected);
    if (m_afterSelection)
        m_afterSelection();
}

void COndrelView::OnSortByName()
{
    m_doc->OnSortByName();
    Refill();
}

void COndrelView::OnSortByExtension()
{
    m_doc->OnSortByExtension();
    Refill();
}

void COndrelView::OnOpenDataFile(const QString& name)
{
    m_doc->OnOpenDataFile(name);
}

void COndrelView::OnOpenHitlist(const QString& name)
{
    m_doc->OnOpenHitlistRequest(name);
}

void COndrelView::AddNamesFrom(const QMimeData* data)
{
    m_doc->AddNames(NamesFromMimeData(data));
}

void COndrelView::OnCommand(int id)
{
    switch (id) {
    case ID_LIST_APPLY_FILTER:
        // The filtered list is not a list change: a re-list would show "*.*" again.
        m_doc->OnApplyFilter();
        Refill();
        return;
    case ID_LIST_SAVE_HITLIST: m_doc->OnSaveHitlist(); return;
    case ID_LIST_SAVE_SELECTED_HITLIST: m_doc->OnSaveSelectedHitlist(); return;
    case ID_LIST_EDIT_HITLIST: m_doc->OnEditHitlist(); return;
    case ID_LIST_COPY_FILENAMES: m_doc->OnCopyFilenames(); return;
    case ID_LIST_PASTE_FILENAMES: m_doc->OnPasteFilenames(); return;
    case ID_LIST_CLEAR: m_doc->OnClearList(); return;
    case ID_LIST_REMOVE_SELECTED: m_doc->OnRemoveSelectedItems(); return;
    case ID_LIST_REMOVE_UNSELECTED: m_doc->OnRemoveUnselectedItems(); return;
    default: return;
    }
}

QMenu* COndrelView::BuildContextMenu(QWidget* parent)
{
    const bool hitMode = m_doc->m_bHitMode;
    auto* menu = new QMenu(parent);
    menu->setObjectName(hitMode ? QStringLiteral("HitMode") : QStringLiteral("DirMode"));
    const bool anySelected = !selectedItems().isEmpty();
    const bool canPaste = OffersNames(QApplication::clipboard()->mimeData());
    for (const MenuEntry& entry : hitMode ? HitModeMenuEntries() : DirModeMenuEntries()) {
        if (entry.IsSeparator()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(entry.text));
        action->setStatusTip(QString::fromLatin1(entry.prompt));
        action->setData(entry.id);
        switch (entry.id) {
        case ID_LIST_PASTE_FILENAMES: action->setEnabled(canPaste); break;
        case ID_LIST_COPY_FILENAMES:
        case ID_LIST_SAVE_SELECTED_HITLIST:
        case ID_LIST_REMOVE_SELECTED:
        case ID_LIST_REMOVE_UNSELECTED: action->setEnabled(anySelected); break;
        default: break;
        }
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
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
