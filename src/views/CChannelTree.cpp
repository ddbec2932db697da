#include "CChannelTree.h"

#include "CGraphFit.h"
#include "ChannelTree.h"
#include "CheckMarks.h"
#include "COndrelView.h"
#include "OndrelDoc.h"

#include <QContextMenuEvent>
#include <QHash>
#include <QHeaderView>
#include <QSet>
#include <QSignalBlocker>

#include <algorithm>
#include <new>

CChannelTree::CChannelTree(COndrelDoc* doc, QWidget* parent) : QTreeWidget(parent), m_doc(doc)
{
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Code"), QStringLiteral("Channel")});
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setStretchLastSection(true);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection&) { OnSelectionChanged(!selected.isEmpty()); });
    connect(m_doc, &COndrelDoc::ViewsUpdated, this, [this](int hint) {
        if (hint == HINT_CHECKS_CHANGED)
            MarkChecked();
    });
}

void CChannelTree::MarkChecked()
{
    for (QTreeWidgetItem* leaf : Leaves()) {
        const CCheckedFile* file = m_doc->CheckOf(leaf->data(0, Qt::UserRole).toString());
        const bool marked = file && file->signalFile && CheckedFileVerdict(*file) != Kalvio::CheckVerdict::Ok;
        if (marked || leaf->data(0, Qt::ForegroundRole).isValid())
            MarkCheckedItem(*leaf, marked ? file : nullptr, this);
    }
}

void CChannelTree::Refill(const QString& filter)
{
    QSignalBlocker block(selectionModel());
    setUpdatesEnabled(false);
    clear();
    // The same filter again means the list was made anew; another filter over
    // the same names is typing, which reads no file.
    if (filter == m_filter || m_doc->FileList() != m_listed)
        m_headerCodes.NewListing();
    m_listed = m_doc->FileList();
    m_filter = filter;
    const std::vector<CChannelItem> items = ListedChannels(*m_doc, &m_headerCodes);
    m_hasCodes = std::any_of(items.begin(), items.end(), [](const CChannelItem& item) {
        return item.code.size() == 16 || !item.groups.isEmpty();
    });
    const bool several = SeveralTests(items);
    const QFont fixed = FixedPitchFont();
    QHash<QString, QTreeWidgetItem*> groups; // by the path joined with "/"
    QList<QTreeWidgetItem*> loose;
    for (const CChannelItem& item : items) {
        if (!ChannelMatches(item, filter))
            continue;
        QTreeWidgetItem* parent = nullptr;
        QString key;
        for (const QString& level : ChannelGroupPath(item, several)) {
            key += QLatin1Char('/') + level;
            QTreeWidgetItem*& group = groups[key];
            if (!group) {
                group = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
                group->setText(0, level);
                group->setFlags(Qt::ItemIsEnabled); // a group loads nothing itself
                group->setFirstColumnSpanned(true);
            }
            parent = group;
        }
        auto* leaf = new QTreeWidgetItem;
        leaf->setText(0, item.code.isEmpty() ? item.title : item.code);
        if (!item.code.isEmpty()) {
            leaf->setFont(0, fixed);
            leaf->setText(1, item.title);
        }
        leaf->setToolTip(0, item.name);
        leaf->setData(0, Qt::UserRole, item.name);
        if (parent)
            parent->addChild(leaf);
        else
            loose << leaf;
    }
    // Files without a code follow the groups, in list order.
    addTopLevelItems(loose);
    expandAll();
    MarkChecked();
    setUpdatesEnabled(true);
    SelectLoaded();
}

QList<QTreeWidgetItem*> CChannelTree::Leaves() const
{
    QList<QTreeWidgetItem*> leaves;
    for (QTreeWidgetItemIterator it(const_cast<CChannelTree*>(this)); *it; ++it)
        if ((*it)->childCount() == 0 && (*it)->data(0, Qt::UserRole).isValid())
            leaves << *it;
    return leaves;
}

void CChannelTree::SelectLoaded()
{
    QSet<QString> loaded;
    for (const CSignalEntry& entry : m_doc->Signals())
        loaded.insert(entry.name);
    QSignalBlocker block(selectionModel());
    for (QTreeWidgetItem* leaf : Leaves())
        leaf->setSelected(loaded.contains(leaf->data(0, Qt::UserRole).toString()));
    viewport()->update();
}

void CChannelTree::SelectNames(const QStringList& names)
{
    const QSet<QString> wanted(names.begin(), names.end());
    QItemSelection selection;
    QTreeWidgetItem* first = nullptr;
    for (QTreeWidgetItem* leaf : Leaves()) {
        if (!wanted.contains(leaf->data(0, Qt::UserRole).toString()))
            continue;
        const QModelIndex index = indexFromItem(leaf);
        selection.select(index, index.siblingAtColumn(columnCount() - 1));
        first = first ? first : leaf;
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (first)
        scrollToItem(first);
}

QStringList CChannelTree::SelectedNames() const
{
    // In list order, as the flat list loads them.
    QSet<QString> selected;
    for (const QTreeWidgetItem* item : selectedItems())
        if (const QVariant name = item->data(0, Qt::UserRole); name.isValid())
            selected.insert(name.toString());
    QStringList names;
    for (const QString& name : m_doc->FileList())
        if (selected.contains(name))
            names << name;
    return names;
}

void CChannelTree::OnSelectionChanged(bool itemSelected)
{
    if (!SelectionToDocument(*m_doc, SelectedNames(), itemSelected)) {
        SelectLoaded();
        return;
    }
    if (m_afterSelection)
        m_afterSelection();
}

void CChannelTree::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_showMenu)
        m_showMenu(event->globalPos());
}
