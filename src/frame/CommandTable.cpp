#include "CommandTable.h"

namespace {

MenuEntry Sep()
{
    return MenuEntry{};
}

MenuEntry Item(const char* text, int id, const char* prompt, const char* tooltip = "")
{
    return MenuEntry{text, id, prompt, tooltip, {}};
}

MenuEntry Sub(const char* text, std::vector<MenuEntry> items)
{
    return MenuEntry{text, ID_NONE, "", "", std::move(items)};
}

std::vector<MenuEntry> BuildMenuBar()
{
    // The picture items say Svg: the vector picture format of this desktop.
    return {
        Sub("&File",
            {
                Item("&Open Directory...\tCtrl+O", ID_FILE_OPEN_DIRECTORY, "Browse a Directoryt", "Open"),
                Item("Open &Hitlist ...", ID_FILE_OPEN_HITLIST, "Open a List of RVF filenames", "HitList"),
                Sep(),
                Sub("&Save",
                    {
                        Item("&Rvf ...", ID_FILE_SAVE_RVF, "Save Selected data to a Series of RVF File(s)", "Rvf"),
                        Item("&ASCII ...", ID_FILE_SAVE_ASCII, "Save Selected data to an ASCII File", "Ascii"),
                        Item("&ImageExpress...", ID_FILE_SAVE_IMAGEEXPRESS,
                             "Save Selected data to an ImageExpress File", "ImageExpress"),
                        Sep(),
                        Item("&Jpeg ...", ID_FILE_SAVE_JPEG, "Save current graph to a Jpeg file", "Jpeg"),
                        Item("&Svg...", ID_FILE_SAVE_SVG, "Save current graph to an Svg file", "Svg"),
                    }),
                Sub("Save A&ll Plots",
                    {
                        Item("&Jpg ...", ID_FILE_SAVE_ALL_JPG, "Save a series of jpg files, one plot per filename"),
                        Item("&Svg ...", ID_FILE_SAVE_ALL_SVG, "Save a series of svg files, one plot per filename"),
                    }),
                Sep(),
                Item("&Print Plot...\tCtrl+P", ID_FILE_PRINT_PLOT, "Print the active document", "Print"),
                Item("Print &All Plots ...", ID_FILE_PRINT_ALL, "Print all the plots in the selected directory"),
                Sep(),
                Item("E&xit", ID_APP_EXIT, "Quit the application; prompts to save documents", "Exit"),
            }),
        Sub("&Edit",
            {
                Item("&Copy Plot\tCtrl+C", ID_EDIT_COPY_PLOT, "Copy the selection and put it on the Clipboard", "Copy"),
                Item("Copy &Data", ID_EDIT_COPY_DATA, "Copy X-Y data to the clipboard"),
                Sep(),
                Item("&Options...", ID_EDIT_OPTIONS, "Select Options for Plotting, and Copying Data", "Options"),
            }),
        Sub("&Labels",
            {
                Item("&Multi Line Title", ID_LABELS_MULTI_LINE_TITLE, "Use a Multi Line title for the Plots"),
                Item("&Title ...", ID_LABELS_TITLE, "Set the Title for the Current Graph"),
                Item("&SubTitle ...", ID_LABELS_SUBTITLE, "Set the SubTitle for the Current Graph"),
                Item("Signal &Labels ...", ID_LABELS_SIGNAL_LABELS, "Edit the labels for Indivual Signals"),
                Sep(),
                Item("&X axis ...", ID_LABELS_X_AXIS, "Set the Label for the X axis of the Current Graph"),
                Item("&Y axis ...", ID_LABELS_Y_AXIS, "Set the Label for the Y axis of the Current Graph"),
            }),
        Sub("&Operate",
            {
                Item("&Filter ...", ID_OPERATE_FILTER, "Apply an SAE filter to selected file(s)/nFilter"),
                Item("&Integrate", ID_OPERATE_INTEGRATE, "Integrate the selected file(s)", "Integrate"),
                Item("&Derivative", ID_OPERATE_DERIVATIVE, "Differentiate the selected files", "Derivative"),
                Item("FIR&100", ID_OPERATE_FIR100, "Apply a Fir100 Filter to the selected file(s)", "Fir100"),
                Item("&Resample", ID_OPERATE_RESAMPLE, "Resample the X data Signal(s) at a specified interval"),
                Item("&Truncate ...", ID_OPERATE_TRUNCATE, "Restrict the X Range of the Data"),
                Sub("&Bias",
                    {
                        Item("Auto Remove Y", ID_OPERATE_BIAS_AUTO_Y,
                             "Auto Detect and remove Initial Y Bias Error from Signal(s)"),
                        Item("Add &Constant Y", ID_OPERATE_BIAS_CONSTANT_Y, "Add a Constant Y value to Signal(s)"),
                        Item("Add Constant X", ID_OPERATE_BIAS_CONSTANT_X, "Add a Constant X value to Signal(s)"),
                    }),
                Sub("&Scale",
                    {
                        Item("Y Axis", ID_OPERATE_SCALE_Y, "Multiply Y Axis data by a constant"),
                        Item("X Axis", ID_OPERATE_SCALE_X, "Multiply X Axis Data by a Constant"),
                    }),
                Sep(),
                Item("R&esultant", ID_OPERATE_RESULTANT, "Compute the Resultant for the Selected Signals"),
                Item("&Average", ID_OPERATE_AVERAGE, "Display Average for selected Signals"),
                Item("&Sum", ID_OPERATE_SUM, "Display the Sum of the selected Signals"),
                Sep(),
                Item("Re&load", ID_OPERATE_RELOAD, "Reload the umodified signals", "Reload"),
            }),
        Sub("&Injury",
            {
                Item("&HIC", ID_INJURY_HIC, "Run the HIC program using the selected signal(s)"),
                Item("&208 Neck", ID_INJURY_208_NECK, "Run the 208 Neck Criteria program using the selected signal"),
                Item("&Nij", ID_INJURY_NIJ, "Run the Nij program using the selected signals"),
                Item("&3ms Clip", ID_INJURY_3MS_CLIP, "Run the 3 ms Clip program using the selected signal(s)"),
                Item("&V*C", ID_INJURY_VC, "Run the Viscous Criteria program using the selected signal"),
                Item("&Tibia Index", ID_INJURY_TIBIA_INDEX, "Run the Tibia Index program using the selected signals"),
            }),
        Sub("&View",
            {
                Sub("&Sort",
                    {
                        Item("by &Name", ID_VIEW_SORT_NAME, "Sort the List by Filename"),
                        Item("by &Extension", ID_VIEW_SORT_EXTENSION, "Sort the List by the file Extesion"),
                    }),
                Sep(),
                Item("&Rvf Header", ID_VIEW_RVF_HEADER, "Show the Rvf Information for the Curve", "Info"),
                Sep(),
                Item("&Toolbar", ID_VIEW_TOOLBAR, "Show or hide the toolbar", "Toggle ToolBar"),
                Item("Status &Bar", ID_VIEW_STATUS_BAR, "Show or hide the status bar", "Toggle StatusBar"),
            }),
        Sub("&Help",
            {
                Item("&About Ondrel...", ID_APP_ABOUT, "Display program information,", "About"),
            }),
    };
}

// Context-menu prompts of the file list.
constexpr const char* kPromptCopyNames = "Copy the Selected File name(s) to the Clipboard";
constexpr const char* kPromptPasteNames = "Paste the File name(s) to the Clipboard";
constexpr const char* kPromptSaveSelected = "Save the selected file names to a hitlist file";
constexpr const char* kPromptClear = "Clear all Filename(s) from the list";

} // namespace

const std::vector<MenuEntry>& MenuBarEntries()
{
    static const std::vector<MenuEntry> entries = BuildMenuBar();
    return entries;
}

const std::vector<MenuEntry>& DirModeMenuEntries()
{
    static const std::vector<MenuEntry> entries = {
        Item("Apply Filter ...", ID_LIST_APPLY_FILTER, "Use Wildcards to show a subset of the directory"),
        Item("Save HitList ...", ID_LIST_SAVE_HITLIST, "Save File name(s) to a hitlist"),
        Item("Save Selected Hitlist...", ID_LIST_SAVE_SELECTED_HITLIST, kPromptSaveSelected),
        Sep(),
        Item("Copy Filename(s)", ID_LIST_COPY_FILENAMES, kPromptCopyNames),
        Item("Paste Filename(s)", ID_LIST_PASTE_FILENAMES, kPromptPasteNames),
        Item("Clear List", ID_LIST_CLEAR, kPromptClear),
    };
    return entries;
}

const std::vector<MenuEntry>& HitModeMenuEntries()
{
    // The prompt names the editor of the original desktop; the list is edited
    // in the program's own dialog here.
    static const std::vector<MenuEntry> entries = {
        Item("Edit HitList", ID_LIST_EDIT_HITLIST, "Edit the Hitlist file in Notepad"),
        Item("Save HitList...", ID_LIST_SAVE_HITLIST, "Save the file names to a hitlist file"),
        Item("Save Selected Hitlist...", ID_LIST_SAVE_SELECTED_HITLIST, kPromptSaveSelected),
        Sep(),
        Item("Clear HitList", ID_LIST_CLEAR, kPromptClear),
        Item("Remove Selected Item(s)", ID_LIST_REMOVE_SELECTED, "Remove the Selected Items from the list"),
        Item("Remove Unselected Item(s)", ID_LIST_REMOVE_UNSELECTED,
             "Remove any items that are not currently selected"),
        Sep(),
        Item("Copy Filename(s)", ID_LIST_COPY_FILENAMES, kPromptCopyNames),
        Item("Paste Filename(s)", ID_LIST_PASTE_FILENAMES, kPromptPasteNames),
    };
    return entries;
}

const std::vector<int>& ToolbarButtons()
{
    static const std::vector<int> buttons = {
        ID_FILE_OPEN_DIRECTORY,
        ID_FILE_OPEN_HITLIST,
        ID_NONE,
        ID_FILE_SAVE_RVF,
        ID_FILE_SAVE_ASCII,
        ID_NONE,
        ID_EDIT_COPY_PLOT,
        ID_FILE_PRINT_PLOT,
        ID_NONE,
        ID_VIEW_RVF_HEADER,
        ID_OPERATE_RELOAD,
        ID_NONE,
        ID_FILTER_CFC60,
        ID_FILTER_CFC180,
        ID_FILTER_CFC600,
        ID_FILTER_CFC1000,
        ID_NONE,
        ID_APP_ABOUT,
    };
    return buttons;
}

const std::vector<Accelerator>& Accelerators()
{
    static const std::vector<Accelerator> keys = {
        {QKeySequence(Qt::CTRL | Qt::Key_A), ID_FILE_SAVE_ASCII},
        {QKeySequence(Qt::CTRL | Qt::Key_C), ID_EDIT_COPY_PLOT},
        {QKeySequence(Qt::CTRL | Qt::Key_D), ID_OPERATE_DERIVATIVE},
        {QKeySequence(Qt::CTRL | Qt::Key_F), ID_OPERATE_FILTER},
        {QKeySequence(Qt::CTRL | Qt::Key_I), ID_OPERATE_INTEGRATE},
        {QKeySequence(Qt::CTRL | Qt::Key_O), ID_FILE_OPEN_DIRECTORY},
        {QKeySequence(Qt::CTRL | Qt::Key_P), ID_FILE_PRINT_PLOT},
        {QKeySequence(Qt::CTRL | Qt::Key_R), ID_OPERATE_RESAMPLE},
        {QKeySequence(Qt::CTRL | Qt::Key_T), ID_OPERATE_TRUNCATE},
        {QKeySequence(Qt::CTRL | Qt::Key_U), ID_FILE_SAVE_RVF},
        {QKeySequence(Qt::CTRL | Qt::Key_V), ID_LIST_PASTE_FILENAMES},
        {QKeySequence(Qt::CTRL | Qt::Key_Insert), ID_EDIT_COPY_PLOT},
    };
    return keys;
}

namespace {
const MenuEntry* FindIn(const std::vector<MenuEntry>& entries, int id)
{
    for (const MenuEntry& entry : entries) {
        if (entry.id == id && !entry.IsSeparator())
            return &entry;
        if (const MenuEntry* found = FindIn(entry.items, id))
            return found;
    }
    return nullptr;
}
} // namespace

const MenuEntry* FindMenuEntry(int id)
{
    if (id == ID_NONE)
        return nullptr;
    return FindIn(MenuBarEntries(), id);
}

QString ToolbarOnlyText(int id)
{
    switch (id) {
    case ID_FILTER_CFC60: return QStringLiteral("CFC 60");
    case ID_FILTER_CFC180: return QStringLiteral("CFC 180");
    case ID_FILTER_CFC600: return QStringLiteral("CFC 600");
    case ID_FILTER_CFC1000: return QStringLiteral("CFC 1000");
    default: return QString();
    }
}
