#pragma once
#include <string>
#include <vector>

// File-name templates. In the final component of a name:
//   *        any run of characters (also none)
//   ?        exactly one character
//   (a-b)    a decimal number from a to b; when a is written with a leading
//            zero ("(01-12)") the number is zero-padded to the width of a
// Directories before the last "/" are taken literally. Matches are plain
// files (links followed), sorted by the numbers of the ranges, then by name.
namespace Toolsif {

// Whether text holds a wildcard or a valid number range.
bool IsTemplate(const std::string& text);
// Whether name (a final component) matches the template component pattern;
// values receives the numbers matched by the ranges, in order.
bool MatchTemplate(const std::string& pattern, const std::string& name, std::vector<long>* values = nullptr);
// The existing plain files that templ names, with the directory as typed.
std::vector<std::string> ExpandTemplate(const std::string& templ);
// The names the ranges of templ stand for, without looking at the disk;
// wildcards stay as typed. Empty when more than limit names would result.
std::vector<std::string> ExpandRanges(const std::string& templ, size_t limit = 100000);

// The non-empty lines of a hitlist as they stand (line ends removed); false
// when it cannot be read.
bool ReadHitlistLines(const std::string& hitlist, std::vector<std::string>& lines);
// Reads a hitlist: one name or template per line, empty lines skipped,
// blanks kept as part of the name. Each line expands to the files it names;
// lines that name nothing are returned in notFound. False when the hitlist
// cannot be read.
bool ReadHitlistFile(const std::string& hitlist, std::vector<std::string>& names,
                     std::vector<std::string>& notFound);

} // namespace Toolsif
