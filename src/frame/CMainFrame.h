#pragma once
// The main window: menus, dockable toolbar, status bar and the splitter with
// the file list above the plot. Menus, toolbar and keys come from the command
// registry, whose handlers act on the document, the views or this window.
#include "CommandRegistry.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

class CFrameUi;
class COndrelDoc;
class CFileListPane;
class COndrelView;
class CPlotView;
class CStatusIndicators;
class QAction;
class QMenu;
class QSplitter;
class QToolBar;

class CMainFrame : public QMainWindow, private CCommandHost {
public:
    // Builds the window over `doc` and makes it the document's user interface.
    explicit CMainFrame(COndrelDoc* doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Runs a command as its menu item or key would: nothing when it is disabled.
    // False when the command was disabled or unknown.
    bool RunCommand(int id);
    // Recomputes enabled and checked states from the document.
    void UpdateCommandStates();

    // The requests from the desktop, carried out by the file list view.
    void OnOpenDataFile(const QString& name);
    void OnOpenHitlist(const QString& name);
    // A request text from the channel: [DataFile(name)], [HitList(name)], or a
    // bare path to open as a data file. False when it named nothing.
    bool HandleRequestText(const QString& text);

    QAction* CommandAction(int id) const;
    COndrelView* ListView() const { return m_listView; }
    CFileListPane* ListPane() const { return m_listPane; }
    CPlotView* PlotView() const { return m_plotView; }
    QToolBar* ToolBar() const { return m_toolBar; }
    CStatusIndicators* Indicators() const { return m_indicators; }
    CFrameUi* Ui() const { return m_ui.get(); }
    // The plot's short header: title and subtitle instead of the multi-line title.
    bool ShortHeader() const;

protected:
    void showEvent(QShowEvent* event) override;
    // Exit and the window's close button: modified signals are not lost unasked.
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateViews();
    void CreateAccelerators();
    void FillMenu(QMenu* menu, const std::vector<MenuEntry>& entries);
    CommandState CurrentState() const;

    // CCommandHost
    void CloseWindow() override;
    void ToggleToolBar() override;
    void ToggleStatusBar() override;
    void ShowAbout() override;
    void ExportReport() override;
    void AssessTest() override;

    COndrelDoc* m_doc = nullptr;
    std::unique_ptr<CFrameUi> m_ui;
    COndrelView* m_listView = nullptr;
    CFileListPane* m_listPane = nullptr;
    CPlotView* m_plotView = nullptr;
    QSplitter* m_splitter = nullptr;
    QToolBar* m_toolBar = nullptr;
    CStatusIndicators* m_indicators = nullptr;
    std::map<int, QAction*> m_actions;
    bool m_splitShared = false;
};
