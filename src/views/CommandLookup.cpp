// Finding the registry's commands, their keys and enabled states, and
// carrying them out.
#include "CommandRegistry.h"

#include "OndrelDoc.h"

#include <new>

namespace {

const MenuEntry* FindIn(const std::vector<MenuEntry>& entries, int id)
{
    for (const MenuEntry& entry : entries) {
        if (entry.command.id == id && !entry.IsSeparator() && !entry.IsSubmenu())
            return &entry;
        if (const MenuEntry* found = FindIn(entry.items, id))
            return found;
    }
    return nullptr;
}

void Collect(const std::vector<MenuEntry>& entries, std::vector<const CommandDef*>& out)
{
    for (const MenuEntry& entry : entries) {
        if (entry.IsSubmenu())
            Collect(entry.items, out);
        else if (!entry.IsSeparator())
            out.push_back(&entry.command);
    }
}

// "&Resample...\tCtrl+R" as a person reads it: "Resample...".
QString MenuTextWithoutKeys(const QString& text)
{
    QString plain = text.section(QLatin1Char('\t'), 0, 0);
    plain.remove(QLatin1Char('&'));
    return plain;
}

} // namespace

const CommandDef* FindCommand(int id)
{
    if (id == ID_NONE)
        return nullptr;
    if (const MenuEntry* entry = FindIn(MenuBarEntries(), id))
        return &entry->command;
    for (const CommandDef& command : OtherCommands()) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

const CommandDef* FindListCommand(bool hitMode, int id)
{
    const MenuEntry* entry = FindIn(hitMode ? HitModeMenuEntries() : DirModeMenuEntries(), id);
    if (!entry)
        entry = FindIn(hitMode ? DirModeMenuEntries() : HitModeMenuEntries(), id);
    return entry ? &entry->command : nullptr;
}

std::vector<const CommandDef*> AllCommands()
{
    std::vector<const CommandDef*> all;
    Collect(MenuBarEntries(), all);
    for (const CommandDef& command : OtherCommands())
        all.push_back(&command);
    return all;
}

QList<QKeySequence> CommandKeys(const CommandDef& command)
{
    QList<QKeySequence> keys;
    for (const QString& key : QString::fromLatin1(command.keys).split(QLatin1Char(';'), Qt::SkipEmptyParts))
        keys << QKeySequence(key, QKeySequence::PortableText);
    return keys;
}

bool IsCommandEnabled(int id, const CommandState& state)
{
    const CommandDef* command = FindCommand(id);
    return !command || !command->enabled || command->enabled(state);
}

bool IsCommandEnabled(int id, std::size_t loaded, bool shortHeader)
{
    CommandState state;
    state.loaded = loaded;
    state.shortHeader = shortHeader;
    return IsCommandEnabled(id, state);
}

void RunCommandOn(const CommandDef& command, const CommandTargets& targets)
{
    if (!command.run)
        return;
    // The operations report their own allocation failures; this catches what
    // the window's own work (tables, curves, pictures) could not allocate.
    try {
        command.run(targets);
    } catch (const std::bad_alloc&) {
        if (targets.doc)
            targets.doc->ReportNotEnoughMemory(MenuTextWithoutKeys(command.text));
    }
}
