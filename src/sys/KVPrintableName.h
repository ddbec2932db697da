#pragma once
// Names and messages fit for a terminal or a file of one name per line.
#include <string>
#include <string_view>

// A name holding control characters (a line break, a terminal escape) quoted
// the way `ls` quotes it: 'x.rvf'$'\n''Hic: 5000'. Other names are returned
// unchanged.
std::string KVPrintableName(std::string_view name);
// Text with each control character written as its escape (\n, \t, \033), so
// that it stays on one line and cannot steer a terminal.
std::string KVPrintableText(std::string_view text);
