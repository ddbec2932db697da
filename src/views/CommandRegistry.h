#pragma once
// The window's command vocabulary, each command defined once: id, menu text,
// status-bar prompt, tooltip, keys, toolbar icon, enable and check rules and
// the handler that carries it out. The frame builds its menus, toolbar and
// keys from it; the file list view its two context menus.
//
// Adding a command: give it an id in CommandIds.h, then one row in
// CommandRegistry.cpp, in the menu table where it appears (the row order is
// the menu order). A toolbar button also goes into ToolbarButtons(). A
// criterion program needs nothing here: each entry of Criteria::CriterionDefs()
// is an Injury command.
#include "CommandIds.h"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

class COndrelDoc;
class COndrelView;
class CPlotView;

// What only the main window itself can do.
class CCommandHost {
public:
    virtual ~CCommandHost() = default;
    virtual void CloseWindow() = 0;
    virtual void ToggleToolBar() = 0;
    virtual void ToggleStatusBar() = 0;
    virtual void ShowAbout() = 0;
    // The listed test's report as a PDF.
    virtual void ExportReport() = 0;
    // The listed test assessed under a protocol, in a results window.
    virtual void AssessTest() = 0;
};

// The objects a handler may act on; any of them may be null where a command
// runs without it (the list's context menu has no plot and no frame).
struct CommandTargets {
    COndrelDoc* doc = nullptr;
    COndrelView* list = nullptr;
    CPlotView* plot = nullptr;
    CCommandHost* host = nullptr;
};

// What the enable and check rules look at.
struct CommandState {
    std::size_t loaded = 0;    // number of loaded signals
    bool shortHeader = true;   // the plot shows title and subtitle, not the multi-line title
    bool limitLines = true;    // the plot draws the limit lines and bands it was given
    bool toolBarShown = true;
    bool statusBarShown = true;
    bool itemsSelected = false;        // the file list has a selection
    bool clipboardOffersNames = false; // the clipboard holds names to paste
    int sortOrder = 0;                 // setting "Sort": 0 by name, 1 by extension
};

// A toolbar picture: the icon theme's `theme`, else `letters` drawn on a
// plate (a filter's pass band over them for EIconPlate::Filter).
enum class EIconPlate { None, Blue, Green, Grey, Filter };
struct CommandIconLook {
    const char* theme = nullptr;
    const char* letters = nullptr;
    EIconPlate plate = EIconPlate::None;
};

using CommandRule = std::function<bool(const CommandState&)>;
using CommandHandler = std::function<void(const CommandTargets&)>;

struct CommandDef {
    int id = ID_NONE;
    QString text;              // menu text, "\t" and the key shown after it
    QString prompt;            // status-bar prompt
    QString tooltip;           // toolbar tooltip
    const char* keys = "";     // key combinations, ";" between several
    CommandIconLook icon;
    CommandRule enabled = nullptr; // null: always enabled
    CommandRule checked = nullptr; // null: not checkable
    CommandHandler run = nullptr;
};

// One menu entry: a command, a submenu (items not empty) or a separator (no text).
struct MenuEntry {
    CommandDef command;
    std::vector<MenuEntry> items;

    bool IsSeparator() const { return command.text.isEmpty(); }
    bool IsSubmenu() const { return !items.empty(); }
};

// The menu bar, menus in order; the Injury menu lists the criterion programs.
const std::vector<MenuEntry>& MenuBarEntries();
// Commands outside the menu bar: the toolbar's filter class buttons and the
// keys-only list paste.
const std::vector<CommandDef>& OtherCommands();
// The file list's context menus in directory and in hitlist mode (handlers
// act on the list view).
const std::vector<MenuEntry>& DirModeMenuEntries();
const std::vector<MenuEntry>& HitModeMenuEntries();
// Toolbar buttons left to right; ID_NONE stands for a separator.
const std::vector<int>& ToolbarButtons();

// The window command `id` (menu bar or other), or null.
const CommandDef* FindCommand(int id);
// The list command `id`, from the context menu of the given mode first, or null.
const CommandDef* FindListCommand(bool hitMode, int id);
// Every window command, menu bar first.
std::vector<const CommandDef*> AllCommands();
// The key combinations of a command.
QList<QKeySequence> CommandKeys(const CommandDef& command);
// Enabled state of command `id` in `state`; unknown commands are enabled.
bool IsCommandEnabled(int id, const CommandState& state);
// The same for `loaded` signals and the short header on or off.
bool IsCommandEnabled(int id, std::size_t loaded, bool shortHeader);
// Carries out `command` on `targets` (nothing when it has no handler).
void RunCommandOn(const CommandDef& command, const CommandTargets& targets);
