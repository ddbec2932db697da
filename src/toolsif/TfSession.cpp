#include "TfSession.h"

#include "KVPrintableName.h"

#include <istream>
#include <ostream>

namespace Toolsif {

Session::Session(std::istream& input, std::ostream& output) : in(&input), out(&output)
{
    msg.out = out;
}

void FileInit(Session& s)
{
    if (s.msg.log.is_open())
        s.msg.log.close();
    s.msg.cols = 0;
    s.options = Options{};
    s.prompt = PromptState{};
}

void CleanUp(Session& s)
{
    if (s.msg.log.is_open())
        s.msg.log.close();
    s.prompt.pending.clear();
    s.prompt.expanding = false;
    if (s.out)
        s.out->flush();
}

namespace {

void WriteWrapped(std::ostream& os, const std::string& text, int cols)
{
    if (cols <= 0 || text.size() <= static_cast<size_t>(cols)) {
        os << text << '\n';
        return;
    }
    size_t start = 0;
    while (text.size() - start > static_cast<size_t>(cols)) {
        size_t cut = text.rfind(' ', start + static_cast<size_t>(cols));
        if (cut == std::string::npos || cut <= start)
            cut = start + static_cast<size_t>(cols); // one word longer than a line
        os << text.substr(start, cut - start) << '\n';
        start = cut;
        while (start < text.size() && text[start] == ' ')
            ++start;
    }
    if (start < text.size())
        os << text.substr(start) << '\n';
}

} // namespace

void MsgWrite(MsgUnit& unit, const std::string& textIn)
{
    // A file name with a line break or a terminal escape stays one line.
    const std::string text = KVPrintableText(textIn);
    if (unit.out)
        WriteWrapped(*unit.out, text, unit.cols);
    if (unit.log.is_open()) {
        unit.log << text << '\n';
        unit.log.flush();
    }
}

void RepCols(MsgUnit& unit, int cols)
{
    unit.cols = cols < 0 ? 0 : cols;
}

bool AskLine(Session& s, const std::string& prompt, std::string& answer)
{
    answer.clear();
    *s.out << prompt;
    s.out->flush();
    if (s.prompt.endOfInput || !std::getline(*s.in, answer)) {
        s.prompt.endOfInput = true;
        answer.clear();
        *s.out << '\n';
        return false;
    }
    if (!answer.empty() && answer.back() == '\r')
        answer.pop_back();
    if (s.echo)
        *s.out << answer << '\n';
    return true;
}

} // namespace Toolsif
