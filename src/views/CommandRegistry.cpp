// Every command of the window, one row each, in the menus where they appear.
//
// To add a command: an id in CommandIds.h, then a row in the menu table
// below (row order is menu order):
//     Command(ID_..., "&Text ...", "Status-bar prompt", "Tooltip")
//         .Keys("Ctrl+X").Icon(...).Enabled(rule).Run(Doc(&OperateCommands::Something)),
// Doc makes a handler from a command function of the document's commands
// (FileCommands, ListCommands, OperateCommands, ... in app/); Plot/List/Host
// from a member function of the plot view, the list view or the window. A toolbar button also gets its
// place in ToolbarButtons(). Criterion programs come from
// Criteria::CriterionDefs(): a new definition there is a new Injury command.
#include "CommandRegistry.h"

#include "COndrelView.h"
#include "CPlotView.h"
#include "CheckCommands.h"
#include "Criterion.h"
#include "CriterionCommands.h"
#include "EditCommands.h"
#include "ExportCommands.h"
#include "FileCommands.h"
#include "LabelCommands.h"
#include "ListCommands.h"
#include "OndrelDoc.h"
#include "OperateCommands.h"
#include "RatingCommands.h"

#include <QStringList>

namespace {

// A row of the tables: the command with its parts set one by one.
class Command {
public:
    Command(int id, const char* text, const char* prompt, const char* tooltip = "")
    {
        m_def.id = id;
        m_def.text = QString::fromUtf8(text);
        m_def.prompt = QString::fromUtf8(prompt);
        m_def.tooltip = QString::fromUtf8(tooltip);
    }
    Command& Keys(const char* keys)
    {
        m_def.keys = keys;
        return *this;
    }
    Command& Icon(const char* theme, const char* letters, EIconPlate plate)
    {
        m_def.icon = CommandIconLook{theme, letters, plate};
        return *this;
    }
    Command& Enabled(CommandRule rule)
    {
        m_def.enabled = std::move(rule);
        return *this;
    }
    Command& Checked(CommandRule rule)
    {
        m_def.checked = std::move(rule);
        return *this;
    }
    Command& Run(CommandHandler handler)
    {
        m_def.run = std::move(handler);
        return *this;
    }
    operator CommandDef() const { return m_def; }
    operator MenuEntry() const { return MenuEntry{m_def, {}}; }

private:
    CommandDef m_def;
};

MenuEntry Sep()
{
    return MenuEntry{};
}

MenuEntry Sub(const char* text, std::vector<MenuEntry> items)
{
    MenuEntry entry;
    entry.command.text = QString::fromUtf8(text);
    entry.items = std::move(items);
    return entry;
}

CommandHandler Doc(void (*command)(COndrelDoc&))
{
    return [command](const CommandTargets& t) { command(*t.doc); };
}

CommandHandler Plot(void (CPlotView::*member)())
{
    return [member](const CommandTargets& t) { (t.plot->*member)(); };
}

CommandHandler List(void (COndrelView::*member)())
{
    return [member](const CommandTargets& t) { (t.list->*member)(); };
}

CommandHandler Host(void (CCommandHost::*member)())
{
    return [member](const CommandTargets& t) { (t.host->*member)(); };
}

// Enable rules.
bool OneLoaded(const CommandState& s)
{
    return s.loaded == 1;
}
bool AnyLoaded(const CommandState& s)
{
    return s.loaded >= 1;
}
bool TwoOrMoreLoaded(const CommandState& s)
{
    return s.loaded >= 2;
}
bool TwoOrThreeLoaded(const CommandState& s)
{
    return s.loaded == 2 || s.loaded == 3;
}
// The multi-line title replaces title and subtitle.
bool ShortHeaderShown(const CommandState& s)
{
    return s.shortHeader;
}
bool ItemsSelected(const CommandState& s)
{
    return s.itemsSelected;
}
bool ClipboardOffersNames(const CommandState& s)
{
    return s.clipboardOffersNames;
}

// The prompts of the first six programs, as they have always read.
const char* CriterionPrompt(Criteria::CriterionId id)
{
    using Criteria::CriterionId;
    switch (id) {
    case CriterionId::Hic: return "Run the HIC program using the selected signal(s)";
    case CriterionId::Neck208: return "Run the 208 Neck Criteria program using the selected signal";
    case CriterionId::Nij: return "Run the Nij program using the selected signals";
    case CriterionId::Clip3ms: return "Run the 3 ms Clip program using the selected signal(s)";
    case CriterionId::Vc: return "Run the Viscous Criteria program using the selected signal";
    case CriterionId::Tibia: return "Run the Tibia Index program using the selected signals";
    default: return nullptr;
    }
}

// One Injury command per criterion program: enabled for the input counts the
// program takes.
std::vector<MenuEntry> InjuryCommands()
{
    std::vector<MenuEntry> items;
    for (const Criteria::CriterionDef& def : Criteria::CriterionDefs()) {
        const Criteria::CriterionDef* criterion = &def;
        CommandDef command;
        command.id = CriterionCommandId(def.id);
        command.text = QStringLiteral("&") + QString::fromUtf8(def.title);
        const char* prompt = CriterionPrompt(def.id);
        command.prompt = prompt ? QString::fromUtf8(prompt)
                                : QStringLiteral("Run the %1 program using the selected signal%2")
                                      .arg(QString::fromUtf8(def.title),
                                           def.takesOne ? (def.takesThree ? QStringLiteral("(s)") : QString())
                                                        : QStringLiteral("s"));
        command.enabled = [criterion](const CommandState& s) {
            return (criterion->takesOne && s.loaded == 1) || (criterion->takesThree && s.loaded == 3);
        };
        command.run = [criterion](const CommandTargets& t) { CriterionCommands::RunCriterion(*t.doc, *criterion); };
        items.push_back(MenuEntry{command, {}});
    }
    return items;
}

std::vector<MenuEntry> BuildMenuBar()
{
    const EIconPlate blue = EIconPlate::Blue, green = EIconPlate::Green, grey = EIconPlate::Grey;
    // The picture items say Svg: the vector picture format of this desktop.
    return {
        Sub("&File",
            {
                Command(ID_FILE_OPEN_DIRECTORY, "&Open Directory...\tCtrl+O", "Browse a Directoryt", "Open")
                    .Keys("Ctrl+O")
                    .Icon("folder-open", "Dir", blue)
                    .Run(Doc(&FileCommands::OpenDirectory)),
                Command(ID_FILE_OPEN_HITLIST, "Open &Hitlist ...", "Open a List of RVF filenames", "HitList")
                    .Icon("document-open", "Hit", blue)
                    .Run(Doc(&FileCommands::OpenHitlist)),
                Sep(),
                Sub("&Save",
                    {
                        Command(ID_FILE_SAVE_RVF, "&Rvf ...", "Save Selected data to a Series of RVF File(s)", "Rvf")
                            .Keys("Ctrl+U")
                            .Icon("document-save", "Rvf", green)
                            .Run(Doc(&ExportCommands::SaveRvf)),
                        Command(ID_FILE_SAVE_ISOMME, "IS&O-MME ...", "Save Selected data as one ISO-MME Test",
                                "ISO-MME")
                            .Enabled(AnyLoaded)
                            .Run(Doc(&ExportCommands::SaveIsoMme)),
                        Command(ID_FILE_SAVE_ASCII, "&ASCII ...", "Save Selected data to an ASCII File", "Ascii")
                            .Keys("Ctrl+A")
                            .Icon("document-save-as", "Txt", green)
                            .Run(Doc(&ExportCommands::SaveAscii)),
                        Command(ID_FILE_SAVE_IMAGEEXPRESS, "&ImageExpress...",
                                "Save Selected data to an ImageExpress File", "ImageExpress")
                            .Run(Doc(&ExportCommands::SaveImageExpress)),
                        Sep(),
                        Command(ID_FILE_SAVE_JPEG, "&Jpeg ...", "Save current graph to a Jpeg file", "Jpeg")
                            .Run(Plot(&CPlotView::OnSaveJpeg)),
                        Command(ID_FILE_SAVE_SVG, "&Svg...", "Save current graph to an Svg file", "Svg")
                            .Run(Plot(&CPlotView::OnSaveSvg)),
                    }),
                Sub("Save A&ll Plots",
                    {
                        Command(ID_FILE_SAVE_ALL_JPG, "&Jpg ...", "Save a series of jpg files, one plot per filename")
                            .Run([](const CommandTargets& t) { t.plot->OnSaveAllPlots(false); }),
                        Command(ID_FILE_SAVE_ALL_SVG, "&Svg ...", "Save a series of svg files, one plot per filename")
                            .Run([](const CommandTargets& t) { t.plot->OnSaveAllPlots(true); }),
                    }),
                Command(ID_FILE_EXPORT_REPORT, "Export &Report...",
                        "Write the report of the listed test under a protocol as one PDF", "Export Report")
                    .Run(Host(&CCommandHost::ExportReport)),
                Sep(),
                Command(ID_FILE_PRINT_PLOT, "&Print Plot...\tCtrl+P", "Print the active document", "Print")
                    .Keys("Ctrl+P")
                    .Icon("document-print", "Prn", grey)
                    .Run(Plot(&CPlotView::OnPrintPlot)),
                Command(ID_FILE_PRINT_ALL, "Print &All Plots ...", "Print all the plots in the selected directory")
                    .Run(Plot(&CPlotView::OnPrintAllPlots)),
                Sep(),
                Command(ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents", "Exit")
                    .Run(Host(&CCommandHost::CloseWindow)),
            }),
        Sub("&Edit",
            {
                Command(ID_EDIT_COPY_PLOT, "&Copy Plot\tCtrl+C", "Copy the selection and put it on the Clipboard",
                        "Copy")
                    .Keys("Ctrl+C;Ctrl+Ins")
                    .Icon("edit-copy", "Cpy", grey)
                    .Run(Plot(&CPlotView::OnCopyPlot)),
                Command(ID_EDIT_COPY_DATA, "Copy &Data", "Copy X-Y data to the clipboard")
                    .Run(Doc(&ExportCommands::CopyData)),
                Sep(),
                Command(ID_EDIT_OPTIONS, "&Options...", "Select Options for Plotting, and Copying Data", "Options")
                    .Run(Doc(&EditCommands::Options)),
            }),
        Sub("&Labels",
            {
                Command(ID_LABELS_MULTI_LINE_TITLE, "&Multi Line Title", "Use a Multi Line title for the Plots")
                    .Checked([](const CommandState& s) { return !s.shortHeader; })
                    .Run(Plot(&CPlotView::ToggleShortHeader)),
                Command(ID_LABELS_TITLE, "&Title ...", "Set the Title for the Current Graph")
                    .Enabled(ShortHeaderShown)
                    .Run(Doc(&LabelCommands::Title)),
                Command(ID_LABELS_SUBTITLE, "&SubTitle ...", "Set the SubTitle for the Current Graph")
                    .Enabled(ShortHeaderShown)
                    .Run(Doc(&LabelCommands::SubTitle)),
                Command(ID_LABELS_SIGNAL_LABELS, "Signal &Labels ...", "Edit the labels for Indivual Signals")
                    .Enabled(AnyLoaded)
                    .Run(Doc(&LabelCommands::SignalLabels)),
                Sep(),
                Command(ID_LABELS_X_AXIS, "&X axis ...", "Set the Label for the X axis of the Current Graph")
                    .Run(Doc(&LabelCommands::XAxis)),
                Command(ID_LABELS_Y_AXIS, "&Y axis ...", "Set the Label for the Y axis of the Current Graph")
                    .Run(Doc(&LabelCommands::YAxis)),
            }),
        Sub("&Operate",
            {
                Command(ID_OPERATE_FILTER, "&Filter ...", "Apply an SAE filter to selected file(s)/nFilter")
                    .Keys("Ctrl+F")
                    .Run(Doc(&OperateCommands::Filter)),
                Command(ID_OPERATE_INTEGRATE, "&Integrate", "Integrate the selected file(s)", "Integrate")
                    .Keys("Ctrl+I")
                    .Run(Doc(&OperateCommands::Integrate)),
                Command(ID_OPERATE_DERIVATIVE, "&Derivative", "Differentiate the selected files", "Derivative")
                    .Keys("Ctrl+D")
                    .Run(Doc(&OperateCommands::Derivative)),
                Command(ID_OPERATE_FIR100, "FIR&100", "Apply a Fir100 Filter to the selected file(s)", "Fir100")
                    .Run(Doc(&OperateCommands::Fir100)),
                Command(ID_OPERATE_RESAMPLE, "&Resample", "Resample the X data Signal(s) at a specified interval")
                    .Keys("Ctrl+R")
                    .Run(Doc(&OperateCommands::Resample)),
                Command(ID_OPERATE_TRUNCATE, "&Truncate ...", "Restrict the X Range of the Data")
                    .Keys("Ctrl+T")
                    .Run(Doc(&OperateCommands::Truncate)),
                Sub("&Bias",
                    {
                        Command(ID_OPERATE_BIAS_AUTO_Y, "Auto Remove Y",
                                "Auto Detect and remove Initial Y Bias Error from Signal(s)")
                            .Run(Doc(&OperateCommands::BiasAutoRemoveY)),
                        Command(ID_OPERATE_BIAS_CONSTANT_Y, "Add &Constant Y", "Add a Constant Y value to Signal(s)")
                            .Run(Doc(&OperateCommands::AddConstantY)),
                        Command(ID_OPERATE_BIAS_CONSTANT_X, "Add Constant X", "Add a Constant X value to Signal(s)")
                            .Run(Doc(&OperateCommands::AddConstantX)),
                    }),
                Sub("&Scale",
                    {
                        Command(ID_OPERATE_SCALE_Y, "Y Axis", "Multiply Y Axis data by a constant")
                            .Run(Doc(&OperateCommands::ScaleY)),
                        Command(ID_OPERATE_SCALE_X, "X Axis", "Multiply X Axis Data by a Constant")
                            .Run(Doc(&OperateCommands::ScaleX)),
                    }),
                Sep(),
                Command(ID_OPERATE_RESULTANT, "R&esultant", "Compute the Resultant for the Selected Signals")
                    .Enabled(TwoOrThreeLoaded)
                    .Run(Doc(&OperateCommands::Resultant)),
                Command(ID_OPERATE_AVERAGE, "&Average", "Display Average for selected Signals")
                    .Enabled(AnyLoaded)
                    .Run(Doc(&OperateCommands::Average)),
                Command(ID_OPERATE_SUM, "&Sum", "Display the Sum of the selected Signals")
                    .Enabled(AnyLoaded)
                    .Run(Doc(&OperateCommands::Sum)),
                Sep(),
                Command(ID_OPERATE_RELOAD, "Re&load", "Reload the umodified signals", "Reload")
                    .Icon("view-refresh", "Rld", grey)
                    .Run(Doc(&OperateCommands::Reload)),
                Sep(),
                Command(ID_OPERATE_CHECK_SIGNALS, "&Check Signals",
                        "Check the selected or else all listed files for clipping, dropouts, offsets and dead channels")
                    .Run([](const CommandTargets& t) {
                        CheckCommands::CheckSignals(*t.doc, t.list ? t.list->SelectedLabels() : QStringList());
                    }),
                Command(ID_OPERATE_RATE_AGAINST_REFERENCE, "Rate &Against Reference...",
                        "Rate the loaded signals against the first selected one (ISO/TS 18571: corridor, phase, "
                        "magnitude, slope)")
                    .Enabled(TwoOrMoreLoaded)
                    .Run(Doc(&RatingCommands::RateAgainstReference)),
            }),
        Sub("&Injury",
            [] {
                std::vector<MenuEntry> entries = InjuryCommands();
                entries.push_back(Sep());
                entries.push_back(Command(ID_INJURY_ASSESS_TEST, "&Assess Test...",
                                          "Assess the listed test under a protocol: every criterion of every occupant",
                                          "Assess Test")
                                      .Run(Host(&CCommandHost::AssessTest)));
                return entries;
            }()),
        Sub("&View",
            {
                Sub("&Sort",
                    {
                        Command(ID_VIEW_SORT_NAME, "by &Name", "Sort the List by Filename")
                            .Checked([](const CommandState& s) { return s.sortOrder == 0; })
                            .Run(List(&COndrelView::OnSortByName)),
                        Command(ID_VIEW_SORT_EXTENSION, "by &Extension", "Sort the List by the file Extesion")
                            .Checked([](const CommandState& s) { return s.sortOrder == 1; })
                            .Run(List(&COndrelView::OnSortByExtension)),
                    }),
                Sep(),
                Command(ID_VIEW_RVF_HEADER, "&Rvf Header", "Show the Rvf Information for the Curve", "Info")
                    .Icon("document-properties", "Inf", grey)
                    .Enabled(OneLoaded)
                    .Run(Doc(&EditCommands::RvfInformation)),
                Command(ID_VIEW_LIMIT_LINES, "&Limit Lines",
                        "Show or hide the limit lines and bands of a criterion on the plot", "Limit Lines")
                    .Checked([](const CommandState& s) { return s.limitLines; })
                    .Run(Plot(&CPlotView::ToggleLimitLines)),
                Sep(),
                Command(ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar", "Toggle ToolBar")
                    .Checked([](const CommandState& s) { return s.toolBarShown; })
                    .Run(Host(&CCommandHost::ToggleToolBar)),
                Command(ID_VIEW_STATUS_BAR, "Status &Bar", "Show or hide the status bar", "Toggle StatusBar")
                    .Checked([](const CommandState& s) { return s.statusBarShown; })
                    .Run(Host(&CCommandHost::ToggleStatusBar)),
            }),
        Sub("&Help",
            {
                Command(ID_APP_ABOUT, "&About Ondrel...", "Display program information,", "About")
                    .Icon("help-about", "?", blue)
                    .Run(Host(&CCommandHost::ShowAbout)),
            }),
    };
}

Command FilterClass(int id, const char* text, const char* cfcLetters, int cfc)
{
    return Command(id, text, "").Icon(nullptr, cfcLetters, EIconPlate::Filter).Run([cfc](const CommandTargets& t) {
        OperateCommands::FilterClass(*t.doc, cfc);
    });
}

void ApplyListFilter(const CommandTargets& t)
{
    // The filtered list is not a list change: a re-list would show "*.*" again.
    ListCommands::ApplyFilter(*t.doc);
    t.list->Refill();
}

// Context-menu rows of the file list shared by both modes.
constexpr const char* kPromptCopyNames = "Copy the Selected File name(s) to the Clipboard";
constexpr const char* kPromptPasteNames = "Paste the File name(s) to the Clipboard";
constexpr const char* kPromptSaveSelected = "Save the selected file names to a hitlist file";
constexpr const char* kPromptClear = "Clear all Filename(s) from the list";

MenuEntry SaveSelectedHitlist()
{
    return Command(ID_LIST_SAVE_SELECTED_HITLIST, "Save Selected Hitlist...", kPromptSaveSelected)
        .Enabled(ItemsSelected)
        .Run(Doc(&ListCommands::SaveSelectedHitlist));
}

MenuEntry CopyFilenames()
{
    return Command(ID_LIST_COPY_FILENAMES, "Copy Filename(s)", kPromptCopyNames)
        .Enabled(ItemsSelected)
        .Run(Doc(&ListCommands::CopyFilenames));
}

Command PasteFilenames()
{
    return Command(ID_LIST_PASTE_FILENAMES, "Paste Filename(s)", kPromptPasteNames)
        .Enabled(ClipboardOffersNames)
        .Run(Doc(&ListCommands::PasteFilenames));
}

} // namespace

const std::vector<MenuEntry>& MenuBarEntries()
{
    static const std::vector<MenuEntry> entries = BuildMenuBar();
    return entries;
}

const std::vector<CommandDef>& OtherCommands()
{
    static const std::vector<CommandDef> commands = {
        FilterClass(ID_FILTER_CFC60, "CFC 60", "60", 60),
        FilterClass(ID_FILTER_CFC180, "CFC 180", "180", 180),
        FilterClass(ID_FILTER_CFC600, "CFC 600", "600", 600),
        FilterClass(ID_FILTER_CFC1000, "CFC 1000", "1000", 1000),
        // Ctrl+V pastes names into the list wherever the focus is; it is
        // enabled whatever the clipboard holds, as the key always was.
        PasteFilenames().Keys("Ctrl+V").Enabled(nullptr),
    };
    return commands;
}

const std::vector<MenuEntry>& DirModeMenuEntries()
{
    static const std::vector<MenuEntry> entries = {
        Command(ID_LIST_APPLY_FILTER, "Apply Filter ...", "Use Wildcards to show a subset of the directory")
            .Run(ApplyListFilter),
        Command(ID_LIST_SAVE_HITLIST, "Save HitList ...", "Save File name(s) to a hitlist")
            .Run(Doc(&ListCommands::SaveHitlist)),
        SaveSelectedHitlist(),
        Sep(),
        CopyFilenames(),
        PasteFilenames(),
        Command(ID_LIST_CLEAR, "Clear List", kPromptClear).Run(Doc(&ListCommands::ClearList)),
    };
    return entries;
}

const std::vector<MenuEntry>& HitModeMenuEntries()
{
    // The prompt keeps the wording users know from earlier releases; the list
    // opens in the program's own editor dialog.
    static const std::vector<MenuEntry> entries = {
        Command(ID_LIST_EDIT_HITLIST, "Edit HitList", "Edit the Hitlist file in Notepad")
            .Run(Doc(&ListCommands::EditHitlist)),
        Command(ID_LIST_SAVE_HITLIST, "Save HitList...", "Save the file names to a hitlist file")
            .Run(Doc(&ListCommands::SaveHitlist)),
        SaveSelectedHitlist(),
        Sep(),
        Command(ID_LIST_CLEAR, "Clear HitList", kPromptClear).Run(Doc(&ListCommands::ClearList)),
        Command(ID_LIST_REMOVE_SELECTED, "Remove Selected Item(s)", "Remove the Selected Items from the list")
            .Enabled(ItemsSelected)
            .Run(Doc(&ListCommands::RemoveSelectedItems)),
        Command(ID_LIST_REMOVE_UNSELECTED, "Remove Unselected Item(s)",
                "Remove any items that are not currently selected")
            .Enabled(ItemsSelected)
            .Run(Doc(&ListCommands::RemoveUnselectedItems)),
        Sep(),
        CopyFilenames(),
        PasteFilenames(),
    };
    return entries;
}

const std::vector<int>& ToolbarButtons()
{
    static const std::vector<int> buttons = {
        ID_FILE_OPEN_DIRECTORY, ID_FILE_OPEN_HITLIST, ID_NONE,
        ID_FILE_SAVE_RVF, ID_FILE_SAVE_ASCII, ID_NONE,
        ID_EDIT_COPY_PLOT, ID_FILE_PRINT_PLOT, ID_NONE,
        ID_VIEW_RVF_HEADER, ID_OPERATE_RELOAD, ID_NONE,
        ID_FILTER_CFC60, ID_FILTER_CFC180, ID_FILTER_CFC600, ID_FILTER_CFC1000, ID_NONE,
        ID_APP_ABOUT,
    };
    return buttons;
}
