#pragma once
// The filter class as the header sheet shows it: "CFC 60" ... "CFC 1000".
#include <QString>

// "CFC 60", "CFC 180", "CFC 600", "CFC 1000" for the four classes, "None" for
// any other value (the markers 1001 to 1003 included).
QString FilterClassText(int filterClass);
// 60, 180, 600 or 1000 for a class text in any letter case (blanks around it
// allowed); 1002 (a text that names no class) for anything else.
int FilterClassFromText(const QString& text);
