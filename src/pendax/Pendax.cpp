#include "Pendax.h"

#include "PendaxOptions.h"
#include "TfCommandLine.h"
#include "TfFileNames.h"
#include "TfFiles.h"
#include "TfHitFile.h"
#include "TfPrompt.h"
#include "TfText.h"

#include <filesystem>
#include <ostream>

using namespace Toolsif;

namespace {

const char* const kSelfName = "Pendax";

// The lines of a list file in the form they are copied: the first without
// leading and trailing blanks, the others without trailing blanks, each
// non-empty one as its full path when fullPath is set.
std::vector<std::string> ListFileLines(FileUnit& unit, bool fullPath)
{
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(unit.stream, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (lines.empty())
            line = LTrim(line);
        line.resize(LenTrim(line));
        if (fullPath && !line.empty())
            line = FullPath(line);
        lines.push_back(line);
    }
    return lines;
}

// A template without template characters that names an existing file whose
// first line names an existing file is a list file.
bool IsListFile(const std::string& templ)
{
    std::error_code ec;
    if (Trim(templ).empty() || AnyChars(templ, "()*?") || !std::filesystem::is_regular_file(templ, ec))
        return false;
    FileUnit unit;
    if (OpenFs(unit, templ, "R") != 0)
        return false;
    std::string first;
    std::getline(unit.stream, first);
    first = Trim(first);
    return !first.empty() && std::filesystem::is_regular_file(first, ec);
}

class PendaxProgram {
public:
    PendaxProgram(Session& s, HitFile& hit, const PendaxOptions& o) : m_s(s), m_hit(hit), m_o(o) {}

    void CopyListFile(std::string& templ)
    {
        if (!IsListFile(templ))
            return;
        FileUnit unit;
        if (OpenFs(unit, templ, "R") != 0)
            return;
        HitAppend(m_s, m_hit, ListFileLines(unit, m_o.fullPath));
        FileClose(unit);
        templ.clear();
    }

    void Dialogue(const std::string& commandTemplate)
    {
        bool firstPass = true;
        for (;;) {
            std::string answer;
            if (firstPass && !Trim(commandTemplate).empty())
                answer = commandTemplate;
            else if (!AskLine(m_s, PromptText(), answer))
                return;
            firstPass = false;
            const std::string command = StrUpcase(Trim(answer));
            if (command.empty())
                return;
            if (!Entries() || !Command(command)) {
                m_before = Entries();
                PendaxS(m_s, m_hit, m_o.dirSearch, m_o.fullPath, answer);
            }
            if (BatSet(m_s))
                return;
        }
    }

    void SetBefore(size_t n) { m_before = n; }

private:
    size_t Entries() const { return m_hit.entries.size(); }

    std::string PromptText() const
    {
        if (Entries() == 0)
            return m_o.dirSearch ? " File name template?   [no more] " : " Template?   [no more] ";
        return std::string(m_o.dirSearch ? " Next file name template?   " : " Next template?   ")
            + "( S - Show,  U - Undo,  E - Erase ) [no more] ";
    }

    // Runs a one-letter command; false when command is none.
    bool Command(const std::string& command)
    {
        if (command == "S") {
            for (const std::string& e : m_hit.entries)
                *m_s.out << LTrim(e) << '\n';
            return true;
        }
        if (command == "U") {
            HitTruncate(m_s, m_hit, m_before);
            return true;
        }
        if (command == "E") {
            HitTruncate(m_s, m_hit, 0);
            m_before = 0;
            return true;
        }
        return false;
    }

    Session& m_s;
    HitFile& m_hit;
    const PendaxOptions& m_o;
    size_t m_before = 0; // entries before the last template (for Undo)
};

} // namespace

int RunPendax(const std::vector<std::string>& argsIn, std::istream& in, std::ostream& out, bool echo)
{
    Session s(in, out);
    FileInit(s);
    s.echo = echo;
    HitFile hit;
    FileInit(hit);
    std::vector<std::string> args = argsIn;
    const PendaxOptions o = ReadPendaxOptions(s, args);
    if (o.stop)
        return 0;
    if (ProcCl(s, args, kSelfName) != 0)
        return 2;
    hit.nameGiven = o.nameGiven;
    hit.name = AddPath(s.options.outDir, o.hitName);
    if (!o.nameGiven && !o.append && !s.options.overwrite)
        hit.name = FnNinc(hit.name);
    if (HitOpen(hit, o.append) != 0) {
        MsgWrite(s.msg, "*** Hitlist file open failed");
        CleanUp(s);
        return 1;
    }
    if (hit.notHitlist)
        MsgWrite(s.msg, "*** WARNING - " + hit.name
                            + " is not a hitlist (its content is binary or an RVF-1992 file); it is replaced"
                              " when entries are written");
    PendaxProgram program(s, hit, o);
    program.SetBefore(hit.entries.size());
    std::string templ = s.options.templ;
    program.CopyListFile(templ);
    program.Dialogue(templ);
    OutEntry(s, hit);
    CleanUp(s);
    if (hit.entries.empty())
        FileDel(hit);
    else
        FileClose(hit);
    return 0;
}
