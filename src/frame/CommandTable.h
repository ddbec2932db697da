#pragma once
// The window's command vocabulary: every menu, item, status-bar prompt,
// tooltip, accelerator and toolbar button, as data. CMainFrame builds its
// menus from these tables and COndrelView its two context menus.
#include "CommandIds.h"

#include <QKeySequence>
#include <QString>

#include <vector>

// One menu entry: a command (id != 0), a submenu (items not empty) or a
// separator (no text).
struct MenuEntry {
    const char* text = nullptr;
    int id = ID_NONE;
    const char* prompt = "";
    const char* tooltip = "";
    std::vector<MenuEntry> items;

    bool IsSeparator() const { return text == nullptr; }
    bool IsSubmenu() const { return !items.empty(); }
};

struct Accelerator {
    QKeySequence keys;
    int id;
};

// The menu bar, menus in order.
const std::vector<MenuEntry>& MenuBarEntries();
// The file list's context menus in directory and in hitlist mode.
const std::vector<MenuEntry>& DirModeMenuEntries();
const std::vector<MenuEntry>& HitModeMenuEntries();
// Toolbar buttons left to right; ID_NONE stands for a separator.
const std::vector<int>& ToolbarButtons();
// Key combinations and the command each one runs.
const std::vector<Accelerator>& Accelerators();

// The menu-bar entry of a command (nullptr for toolbar-only commands).
const MenuEntry* FindMenuEntry(int id);
// The text a toolbar-only command shows (the filter class buttons).
QString ToolbarOnlyText(int id);
