#pragma once
// Toolbar pictures: the desktop's icon theme where it has one, else a small
// picture drawn by the program itself.
#include <QIcon>

struct CommandIconLook;

// The picture of a command (null for commands without one).
QIcon CommandIcon(const CommandIconLook& look);
