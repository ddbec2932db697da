#pragma once
// The file list as a tree: the channels of the listed tests under test
// object, position and body region, code (fixed-width) and name side by side;
// files without a code after them. Selecting channels loads them through the
// document as the flat list does.
#include "ChannelTree.h"

#include <QTreeWidget>

#include <functional>

class COndrelDoc;

class CChannelTree : public QTreeWidget {
public:
    explicit CChannelTree(COndrelDoc* doc, QWidget* parent = nullptr);

    // Rebuilds the tree from the document's list, keeping the names that
    // pass filter (see ChannelMatches); the loaded names are selected.
    void Refill(const QString& filter);
    // Marks the channels whose files were checked with warnings or failures.
    void MarkChecked();
    // Selects exactly the items of the loaded signals, without telling the document.
    void SelectLoaded();
    // Selects exactly the items called names (one selection change: the
    // document loads them once).
    void SelectNames(const QStringList& names);
    // The list names of the selected channels in list order.
    QStringList SelectedNames() const;
    // Whether any name the last Refill listed has a code, of a test, a file
    // name or an RVF-1992 header, or is a simulation's channel (a tree has
    // something to group).
    bool HasCodes() const { return m_hasCodes; }

    // Called after a selection change went to the document.
    void SetSelectionHandledCallback(std::function<void()> callback) { m_afterSelection = std::move(callback); }
    // Builds the context menu at a point (the list's menu); set by the pane.
    void SetContextMenuBuilder(std::function<void(const QPoint&)> show) { m_showMenu = std::move(show); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnSelectionChanged(bool itemSelected);
    QList<QTreeWidgetItem*> Leaves() const;

    COndrelDoc* m_doc;
    CHeaderCodes m_headerCodes;
    QStringList m_listed; // the names and filter of the last Refill
    QString m_filter;
    bool m_hasCodes = false;
    std::function<void()> m_afterSelection;
    std::function<void(const QPoint&)> m_showMenu;
};
