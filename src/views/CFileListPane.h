#pragma once
// The file list's pane: a filter field above the list, and the list shown as
// a tree of channels (test object, position, body region) or flat. Both views
// keep the same selection: what is loaded.
#include <QWidget>

#include <functional>

class CChannelTree;
class COndrelDoc;
class COndrelView;
class QLineEdit;
class QMenu;
class QStackedWidget;
class QToolButton;

class CFileListPane : public QWidget {
public:
    explicit CFileListPane(COndrelDoc* doc, QWidget* parent = nullptr);

    COndrelView* ListView() const { return m_list; }
    CChannelTree* Tree() const { return m_tree; }
    QLineEdit* FilterField() const { return m_filter; }
    QToolButton* TreeButton() const { return m_treeButton; }

    // Whether the tree is the view shown; the tree is offered once a listed
    // name has a code, and shown then unless the flat view was chosen.
    bool TreeShown() const;
    // The person's choice of view (the button beside the filter).
    void ShowTree(bool on);
    // Selects exactly the names in the view shown (as a click would).
    void SelectNames(const QStringList& names);
    // Called after a selection change of either view went to the document.
    void SetSelectionHandledCallback(std::function<void()> callback);
    // Adds "Select for Criterion" (criterion, then position) to menu.
    void AddCriterionMenu(QMenu* menu);

private:
    // After the document's list changed, or the filter: both views anew.
    void Refilter();
    void UpdateShownView();
    void ShowMenu(const QPoint& at);

    COndrelDoc* m_doc;
    QLineEdit* m_filter;
    QToolButton* m_treeButton;
    QStackedWidget* m_stack;
    COndrelView* m_list;
    CChannelTree* m_tree;
    int m_treeChoice = -1; // -1: by the list (tree when it has codes); 0 flat; 1 tree
    std::function<void()> m_afterSelection;
};
