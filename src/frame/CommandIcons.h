#pragma once
// Toolbar pictures: the desktop's icon theme where it has one, else a small
// picture drawn by the program itself.
#include <QIcon>

// The icon of a toolbar command.
QIcon CommandIcon(int id);
// The program's own picture (also the About box's).
QIcon ProgramIcon();
