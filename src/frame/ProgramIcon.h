#pragma once
// The program's own picture, for the window and the About box.
#include <QIcon>

QIcon ProgramIcon();
