#include "TfCommandLine.h"

#include "KVSystemReason.h"

#include <cerrno>
#include <cstdio>
#include <ostream>

#include "TfText.h"

#include <filesystem>
#include <ostream>

namespace Toolsif {

std::vector<std::string> GetCl(int argc, const char* const* argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc && argv; ++i)
        args.emplace_back(argv[i] ? argv[i] : "");
    return args;
}

std::string SwitchWord(const std::string& arg, const std::function<bool(const std::string&)>& known)
{
    const std::string upper = StrUpcase(arg);
    if (!upper.empty() && upper.front() == '-')
        return upper.substr(1);
    if (!upper.empty() && upper.front() == '/' && known && known(upper.substr(1)))
        return upper.substr(1);
    return upper;
}

namespace {

bool HasValuePrefix(const std::string& word, const char* key)
{
    const std::string k = key;
    return word.size() >= k.size() + 1 && word.compare(0, k.size(), k) == 0
        && (word[k.size()] == '=' || word[k.size()] == '#');
}

} // namespace

bool IsGenericSwitch(const std::string& word)
{
    return word == "BATCH" || word == "OVERWRITE" || HasValuePrefix(word, "OUT") || HasValuePrefix(word, "LOG");
}

int ProcCl(Session& s, const std::vector<std::string>& args, const std::string& selfName)
{
    bool haveTemplate = false;
    for (const std::string& arg : args) {
        if (Trim(arg).empty())
            continue;
        const std::string word = SwitchWord(arg, IsGenericSwitch);
        // Values keep the case typed: the first four characters are the key.
        const std::string value = arg.size() > 4 && IsGenericSwitch(word) ? arg.substr(arg.size() - (word.size() - 4)) : std::string();
        if (word == "BATCH") {
            s.options.batch = true;
        } else if (word == "OVERWRITE") {
            s.options.overwrite = true;
        } else if (HasValuePrefix(word, "OUT")) {
            std::error_code ec;
            if (!std::filesystem::is_directory(value, ec)) {
                MsgWrite(s.msg, "*** Output directory not found: " + value);
                return 1;
            }
            s.options.outDir = value;
        } else if (HasValuePrefix(word, "LOG")) {
            s.options.logFile = value;
            s.msg.log.open(value, std::ios::app);
            if (!s.msg.log.is_open()) {
                MsgWrite(s.msg, "*** Log file open failed: " + value);
                return 1;
            }
        } else if (!arg.empty() && arg.front() == '-') {
            MsgWrite(s.msg, "*** Unknown option " + arg + "   (" + selfName + " ? lists the options)");
            return 1;
        } else if (haveTemplate) {
            MsgWrite(s.msg, "*** Only one template may be given, " + arg
                                + " is a second one (quote a template so that the shell leaves it alone)");
            return 1;
        } else {
            s.options.templ = arg;
            haveTemplate = true;
        }
    }
    return 0;
}

void SyntaxCl(Session& s, const std::string& selfName)
{
    *s.out << selfName << " [<file name>|<template>|@<hitlist>] [BATCH] [OUT=<directory>] [OVERWRITE] [LOG=<file>]\n";
}

void HelpCl(Session& s, const std::string& selfName)
{
    std::ostream& o = *s.out;
    o << "<template> :  File name, template or @<hitlist> taken as the first answer\n"
      << "BATCH :  Run unattended: default output names are taken without asking,\n"
      << "         and once the command-line template is used up nothing more is read\n"
      << "OUT=<directory> :  Directory of the output files [current directory]\n"
      << "OVERWRITE :  Default output names may replace existing files\n"
      << "             [a free name is chosen: name_1.ext, name_2.ext, ...]\n"
      << "LOG=<file> :  Every message is also appended to <file>\n"
      << "Switches may be typed in any case, with or without a leading \"-\";\n"
      << "a leading \"/\" works too, but only for the switch words of " << selfName << ".\n"
      << "Templates (in the file-name part, directories are literal):\n"
      << "  *  any characters,  ?  one character,  (1-12)  a number from 1 to 12,\n"
      << "  (01-12)  the same zero-padded to two digits; e.g. run(1-12).rvf\n"
      << "Hitlists: answer @<hitlist> (e.g. @runs.hit) for a file that names one\n"
      << "  file or template per line; empty lines are skipped.\n"
      << "File names are case-sensitive; an empty answer takes the default shown in [ ].\n"
      << "Default output names: <test number>_<curve text>.<extension> in the OUT=\n"
      << "  directory (other characters than letters, digits, - _ . become _); a name\n"
      << "  in use gets the first free number: name_1.ext, name_2.ext, ...\n"
      << "Typed output names go to the OUT= directory unless they hold a \"/\"; they\n"
      << "  must not be a directory, must not hold control characters and their\n"
      << "  directory must exist.\n";
}

bool FinishStandardOutput(std::ostream& out, const char* program)
{
    out.flush();
    const bool ok = out.good() && std::fflush(stdout) == 0 && !std::ferror(stdout) && std::fclose(stdout) == 0;
    if (!ok)
        std::fprintf(stderr, "%s: writing to standard output failed: %s\n", program, KVSystemReason(errno).c_str());
    return ok;
}

} // namespace Toolsif
