#include "CMainFrame.h"

#include "CAboutDlg.h"
#include "CAssessDlg.h"
#include "CReportDlg.h"
#include "CFrameUi.h"
#include "CFileListPane.h"
#include "CheckMarks.h"
#include "TimeAxis.h"
#include "COndrelView.h"
#include "CPlotArea.h"
#include "CPlotView.h"
#include "CStatusIndicators.h"
#include "CommandIcons.h"
#include "ExitQuestion.h"
#include "OndrelSettings.h"
#include "ProgramIcon.h"
#include "OndrelDoc.h"
#include "Requests.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

CMainFrame::CMainFrame(COndrelDoc* doc, QWidget* parent)
    : QMainWindow(parent)
    , m_doc(doc)
    , m_ui(std::make_unique<CFrameUi>(this))
{
    // The caption starts as the program's name; the document sets it later.
    setWindowTitle(QStringLiteral("Ondrel"));
    setWindowIcon(ProgramIcon());
    m_doc->SetUi(m_ui.get());
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    CreateViews();
    CreateAccelerators();
    connect(m_doc, &COndrelDoc::ViewsUpdated, this, [this](int) { UpdateCommandStates(); });
    setAcceptDrops(true);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame()
{
    if (m_doc->Ui() == m_ui.get())
        m_doc->SetUi(nullptr);
}

void CMainFrame::CreateActions()
{
    for (const CommandDef* command : AllCommands()) {
        auto* action = new QAction(command->text, this);
        const int id = command->id;
        action->setData(id);
        action->setStatusTip(command->prompt);
        // Without a tooltip of its own a toolbar button shows nothing.
        action->setToolTip(command->tooltip);
        action->setCheckable(static_cast<bool>(command->checked));
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        m_actions[id] = action;
    }
}

void CMainFrame::FillMenu(QMenu* menu, const std::vector<MenuEntry>& entries)
{
    for (const MenuEntry& entry : entries) {
        if (entry.IsSeparator()) {
            menu->addSeparator();
        } else if (entry.IsSubmenu()) {
            QMenu* sub = menu->addMenu(entry.command.text);
            FillMenu(sub, entry.items);
        } else {
            menu->addAction(m_actions.at(entry.command.id));
        }
    }
    // Menus show the states of the moment, like the update handlers of old.
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
}

void CMainFrame::CreateMenus()
{
    for (const MenuEntry& top : MenuBarEntries()) {
        QMenu* menu = menuBar()->addMenu(top.command.text);
        FillMenu(menu, top.items);
    }
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_toolBar->setObjectName(QStringLiteral("StandardToolBar"));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (int id : ToolbarButtons()) {
        if (id == ID_NONE) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction* action = m_actions.at(id);
        action->setIcon(CommandIcon(FindCommand(id)->icon));
        m_toolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    connect(m_toolBar, &QToolBar::visibilityChanged, m_actions.at(ID_VIEW_TOOLBAR), &QAction::setChecked);
}

void CMainFrame::CreateStatusBar()
{
    statusBar()->showMessage(QStringLiteral("Ready"));
    m_indicators = new CStatusIndicators(statusBar());
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        // The message pane falls back to its idle text.
        if (text.isEmpty())
            statusBar()->showMessage(QStringLiteral("Ready"));
    });
}

void CMainFrame::CreateViews()
{
    m_splitter = new QSplitter(Qt::Vertical, this);
    m_listPane = new CFileListPane(m_doc, m_splitter);
    m_listView = m_listPane->ListView();
    m_plotView = CreatePlotArea(m_doc, m_splitter);
    m_splitter->addWidget(m_listPane);
    m_splitter->addWidget(m_plotView);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);
    m_listPane->SetSelectionHandledCallback([this] { UpdateCommandStates(); });
    // A file double-clicked in the check results is selected, so its plot shows.
    // Its findings are shaded on the curve.
    m_ui->SetPickFile([this](const QString& name) {
        m_listPane->SelectNames({name});
        const CCheckedFile* file = m_doc->CheckOf(name);
        if (!file || m_doc->Signals().size() != 1 || m_doc->Signals().front().name != name)
            return;
        m_plotView->SetMarks(CheckFindingMarks(*file, XSpan(m_doc->Signals().front().signal)));
    });
    m_listView->setFocus();
    m_listView->OnInitialUpdate();
}

void CMainFrame::CreateAccelerators()
{
    // The keys work where the focus is, also for commands shown in no menu.
    for (const CommandDef* command : AllCommands()) {
        const int id = command->id;
        for (const QKeySequence& keys : CommandKeys(*command)) {
            auto* key = new QAction(this);
            key->setShortcut(keys);
            key->setShortcutContext(Qt::WindowShortcut);
            connect(key, &QAction::triggered, this, [this, id] { RunCommand(id); });
            addAction(key);
        }
    }
}

QAction* CMainFrame::CommandAction(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

CommandState CMainFrame::CurrentState() const
{
    CommandState state;
    state.loaded = m_doc->Signals().size();
    state.shortHeader = ShortHeader();
    state.limitLines = m_plotView->LimitLinesShown();
    state.toolBarShown = m_toolBar->isVisibleTo(this);
    state.statusBarShown = statusBar()->isVisibleTo(this);
    state.sortOrder = OndrelSettings::ReadInt(QString::fromLatin1(OndrelSettings::kSort));
    return state;
}

void CMainFrame::UpdateCommandStates()
{
    const CommandState state = CurrentState();
    for (auto& [id, action] : m_actions) {
        const CommandDef* command = FindCommand(id);
        action->setEnabled(!command->enabled || command->enabled(state));
        if (command->checked)
            action->setChecked(command->checked(state));
    }
}

bool CMainFrame::ShortHeader() const
{
    return m_plotView->ShortHeader();
}

bool CMainFrame::RunCommand(int id)
{
    UpdateCommandStates();
    const CommandDef* command = FindCommand(id);
    if (!command || !command->run)
        return false;
    if (QAction* action = CommandAction(id); action && !action->isEnabled())
        return false;
    RunCommandOn(*command, CommandTargets{m_doc, m_listView, m_plotView, this});
    UpdateCommandStates();
    return true;
}

void CMainFrame::CloseWindow()
{
    close();
}

void CMainFrame::ToggleToolBar()
{
    m_toolBar->setVisible(!m_toolBar->isVisible());
}

void CMainFrame::ToggleStatusBar()
{
    statusBar()->setVisible(!statusBar()->isVisible());
}

void CMainFrame::ShowAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::ExportReport()
{
    if (!m_doc)
        return;
    const QString written = ExportListedReport(this, m_doc->FileList(), m_doc->Options().protocolDir);
    if (!written.isEmpty())
        statusBar()->showMessage(QStringLiteral("The report is written to %1").arg(written), 5000);
}

void CMainFrame::AssessTest()
{
    if (!m_doc)
        return;
    // A criterion's channels are plotted as the assessment used them, in a
    // window of their own: the list's files are raw, or changed since.
    AssessListedTest(
        this, m_doc->FileList(),
        [this](const Assess::Assessment& a, const Assess::CriterionResult& c) {
            if (ShowCriterionPlot(this, a, c))
                statusBar()->showMessage(QStringLiteral("%1 of test %2 plotted as assessed")
                                             .arg(QString::fromStdString(c.criterion), QString::fromStdString(a.test)),
                                         5000);
        },
        m_doc->Options().protocolDir);
}

void CMainFrame::OnOpenDataFile(const QString& name)
{
    if (m_listView)
        m_listView->OnOpenDataFile(name);
}

void CMainFrame::OnOpenHitlist(const QString& name)
{
    if (m_listView)
        m_listView->OnOpenHitlist(name);
}

bool CMainFrame::HandleRequestText(const QString& text)
{
    QString name;
    switch (ParseRequest(text, name)) {
    case ERequest::DataFile: OnOpenDataFile(name); return true;
    case ERequest::HitList: OnOpenHitlist(name); return true;
    case ERequest::None: break;
    }
    // The desktop's plain "open" of a file: add it as a data file.
    if (text.isEmpty() || text.startsWith(QLatin1Char('[')))
        return false;
    OnOpenDataFile(text);
    return true;
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_splitShared)
        return;
    m_splitShared = true;
    // Once the window has its size: half the client height for each view.
    QTimer::singleShot(0, this, [this] {
        const int half = m_splitter->height() / 2;
        m_splitter->setSizes({half, half});
    });
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_doc && !m_doc->MayDropLoaded()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptNamesDrop(event);
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    // Names dropped anywhere on the window join the list as if dropped on it.
    if (AcceptNamesDrop(event))
        m_listView->AddNamesFrom(event->mimeData());
}
