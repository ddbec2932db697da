#pragma once
#include <string>

// File naming rules of the tools library. Names are case-sensitive and use
// "/" as the separator.
namespace Toolsif {

// ADD_PATH: dir in front of name; name unchanged when it holds a directory
// of its own (any "/"), is empty, or dir is empty.
std::string AddPath(const std::string& dir, const std::string& name);
// FN_COMBO: stem joined with the extension ext ("rvf" or ".rvf").
std::string FnCombo(const std::string& stem, const std::string& ext);
// FN_INCR: name when it is unused (or overwrite is set), else the first unused
// name of stem_1.ext, stem_2.ext, ...
std::string FnIncr(const std::string& name, bool overwrite);
// FN_NINC: the unused name to use for a new file (FN_INCR without overwrite).
std::string FnNinc(const std::string& name);
// FN_NAME_EXTRACT: the name tidied ("./" and doubled separators removed).
std::string FnNameExtract(const std::string& name);
// FT_POSN_S: position of the last occurrence of type (any case) in the final
// component of name, or std::string::npos.
size_t FtPosnS(const std::string& name, const std::string& type);
// FN_VALID: whether name can be created as a file: not blank, no control
// characters, a final component that is not ".", ".." or a directory, and an
// existing parent directory.
bool FnValid(const std::string& name);
// Whether a file (or anything else) of that name exists.
bool FileExists(const std::string& name);
// The full path of name as the system resolves it against the current directory.
std::string FullPath(const std::string& name);

} // namespace Toolsif
