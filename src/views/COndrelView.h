#pragma once
// The file list view: the document's file list in list style, several
// columns flowing across the view. Selecting names loads them through the
// document, deselecting unloads them; it carries the list's context menus,
// and the drops and pastes of names from other programs.
#include <QListWidget>
#include <QStringList>

#include <functional>

class COndrelDoc;
struct CommandState;
class QDropEvent;
class QMimeData;

// Names offered by dragged or pasted data: local files by full path, else the
// lines of plain text (CR LF or LF ends), empty pieces dropped.
QStringList NamesFromMimeData(const QMimeData* data);
// Whether the data offers names (a file list or text).
bool OffersNames(const QMimeData* data);
// Accepts a drag or drop that offers names, as a copy; refuses anything else.
bool AcceptNamesDrop(QDropEvent* event);

// Hands a view's selection to the document; false when the loaded signals
// stayed (the person kept modified ones, or memory ran out: said in a message).
bool SelectionToDocument(COndrelDoc& doc, const QStringList& names, bool itemSelected);

class COndrelView : public QListWidget {
public:
    explicit COndrelView(COndrelDoc* doc, QWidget* parent = nullptr);

    // Makes the list ready: from now on document updates re-list it.
    void OnInitialUpdate();
    // The document's update: re-lists on anything but a plot change.
    void OnUpdate(int hint);
    // Refills the control from the document's list; no item stays selected.
    void Refill();
    // Marks the items whose files were checked with warnings or failures
    // (and unmarks those checked anew as ok or changed since).
    void MarkChecked();
    // Selects exactly the item called name (as a click would), if listed.
    void SelectName(const QString& name);
    // Selects exactly the listed items of names, in one change; false when
    // one of them is not listed (nothing changes then).
    bool SelectNames(const QStringList& names);

    // Selects exactly the items of the loaded signals, without telling the document.
    void SelectLoaded();
    // The list names of the selected items in list order.
    QStringList SelectedLabels() const;

    // Runs a command of the current mode's context menu, enabled or not.
    void OnCommand(int id);
    void OnSortByName();
    void OnSortByExtension();
    void OnOpenDataFile(const QString& name);
    void OnOpenHitlist(const QString& name);
    // Adds the names offered by dropped or pasted data.
    void AddNamesFrom(const QMimeData* data);

    // Shows only the names that pass filter (see ChannelMatches) and refills.
    void SetFilter(const QString& filter);
    // Called after every refill (the pane's tree follows the list).
    void SetRefilledCallback(std::function<void()> callback) { m_afterRefill = std::move(callback); }
    // Adds to the context menu after the mode's commands.
    void SetMenuExtension(std::function<void(QMenu*)> extend) { m_extendMenu = std::move(extend); }
    // Called after a selection change went to the document.
    void SetSelectionHandledCallback(std::function<void()> callback) { m_afterSelection = std::move(callback); }
    // The context menu of the current mode, greyed for the current state.
    QMenu* BuildContextMenu(QWidget* parent);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnSelectionChanged(bool itemSelected);
    // Selection and clipboard, for the context menu's enable rules.
    CommandState ListState() const;

    COndrelDoc* m_doc = nullptr;
    bool m_ready = false;
    int m_widestName = 0; // pixels of the widest listed name
    std::function<void()> m_afterSelection;
    std::function<void()> m_afterRefill;
    std::function<void(QMenu*)> m_extendMenu;
    QString m_filter;
};
