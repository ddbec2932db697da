#pragma once
#include "TfSession.h"

#include <functional>
#include <string>
#include <vector>

// Command line of the console programs. Switch words may be typed in any
// case, with or without one leading "-". A leading "/" marks a switch only
// when the rest is a known switch word, since "/" also starts an absolute
// path on this platform ("/HELP" is a switch, "/data/run1.rvf" a file).
namespace Toolsif {

// GET_CL: the command-line arguments (argv[1] onwards).
std::vector<std::string> GetCl(int argc, const char* const* argv);

// The upper-cased switch word of arg without its leading "-", or without its
// leading "/" when known accepts the rest. A plain argument keeps its text,
// upper-cased.
std::string SwitchWord(const std::string& arg, const std::function<bool(const std::string&)>& known);

// Whether word (upper-cased, no leading mark) is a generic switch of PROC_CL.
bool IsGenericSwitch(const std::string& word);

// PROC_CL: handles the generic switches of args (blank arguments are skipped:
// the program handled them), takes the first plain argument as the template
// and fills s.options. Returns 0, or 1 after writing a message for an unknown
// switch, a second plain argument or a bad value.
int ProcCl(Session& s, const std::vector<std::string>& args, const std::string& selfName);

// SYNTAX_CL: writes the generic syntax line; the program adds its own switches.
void SyntaxCl(Session& s, const std::string& selfName);
// HELP_CL: writes the generic help lines; the program adds its own.
void HelpCl(Session& s, const std::string& selfName);

// Flushes the console output at the end of a program; false after a message
// on standard error when any write to it failed.
bool FinishStandardOutput(std::ostream& out, const char* program);

} // namespace Toolsif
