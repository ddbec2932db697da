#include "PendaxOptions.h"

#include "TfCommandLine.h"

#include <ostream>

using namespace Toolsif;

namespace {

const char* const kSelfName = "Pendax";

bool IsHitSwitch(const std::string& word)
{
    return word.size() >= 4 && (word.compare(0, 4, "HIT=") == 0 || word.compare(0, 4, "HIT#") == 0);
}

bool IsPendaxSwitch(const std::string& word)
{
    return word == "?" || word == "??" || word == "HELP" || IsHitSwitch(word) || word == "APPEND"
        || word == "NO_DIR" || word == "NODIR" || word == "NO_PATH" || word == "NOPATH" || IsGenericSwitch(word);
}

void PrintHelp(Session& s, bool full)
{
    SyntaxCl(s, kSelfName);
    std::ostream& o = *s.out;
    o << "[HIT=<hit_file>] [APPEND] [NO_DIR] [NO_PATH]\n";
    if (!full)
        return;
    HelpCl(s, kSelfName);
    o << "HIT=<hit_file> :  Hit file name [pendax.hit]\n"
      << "APPEND :  Append to hitfile if it exists already\n"
      << "NO_DIR :  " << "Don't perform directory search on list strings" << '\n'
      << "NO_PATH :  " << "Don't include full paths in list file names" << '\n';
}

} // namespace

PendaxOptions ReadPendaxOptions(Session& s, std::vector<std::string>& args)
{
    PendaxOptions o;
    for (std::string& arg : args) {
        const std::string word = SwitchWord(arg, IsPendaxSwitch);
        if (word == "?" || word == "??" || word == "HELP") {
            PrintHelp(s, word != "?");
            o.stop = true;
            return o;
        }
        if (IsHitSwitch(word)) {
            // The name keeps the case typed: the text after the four characters.
            o.hitName = arg.substr(arg.size() - (word.size() - 4));
            o.nameGiven = true;
        } else if (word == "APPEND") {
            o.append = true;
        } else if (word == "NO_DIR" || word == "NODIR") {
            o.dirSearch = false;
        } else if (word == "NO_PATH" || word == "NOPATH") {
            o.fullPath = false;
        } else {
            continue;
        }
        arg.clear();
    }
    return o;
}
