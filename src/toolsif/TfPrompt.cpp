#include "TfPrompt.h"

#include "TfFileNames.h"
#include "TfTemplate.h"
#include "TfText.h"

#include <ostream>

namespace Toolsif {

namespace {

// Expands one answer into names; false (after a message) when it names none.
bool ExpandAnswer(Session& s, const std::string& answer, const std::string& dir, std::vector<std::string>& names)
{
    if (answer.front() == '@') {
        const std::string hitlist = AddPath(dir, answer.substr(1));
        std::vector<std::string> notFound;
        if (!ReadHitlistFile(hitlist, names, notFound)) {
            MsgWrite(s.msg, "*** Hitlist " + hitlist + " cannot be read");
            return false;
        }
        for (const std::string& line : notFound)
            MsgWrite(s.msg, "*** Hitlist " + hitlist + ", file name " + line + ", not found");
        if (names.empty())
            MsgWrite(s.msg, "*** Hitlist " + hitlist + " names no file");
        return !names.empty();
    }
    const std::string full = AddPath(dir, answer);
    if (!IsTemplate(full)) {
        names.push_back(full);
        return true;
    }
    names = ExpandTemplate(full);
    if (names.empty())
        MsgWrite(s.msg, "*** No file matches " + full);
    return !names.empty();
}

std::string PromptText(const std::string& prompt, const std::string& defaultText)
{
    std::string text = prompt;
    if (!text.empty() && text.back() != ' ')
        text += ' ';
    return text + defaultText + " ";
}

} // namespace

void FilePrompt(Session& s, const std::string& prompt, const std::string& defaultText,
                const std::string& dir, std::string& name, bool& end)
{
    PromptState& st = s.prompt;
    name.clear();
    end = false;
    const std::string text = PromptText(prompt, defaultText);
    if (!st.pending.empty()) {
        name = st.pending.front();
        st.pending.pop_front();
        st.expanding = true;
        // Shown as if answered, so the console tells which files were used.
        *s.out << text << name << '\n';
        return;
    }
    if (st.expanding) {
        st.expanding = false;
        end = true;
        return;
    }
    for (;;) {
        std::string answer;
        if (!st.commandUsed && !Trim(s.options.templ).empty()) {
            st.commandUsed = true;
            answer = Trim(s.options.templ);
        } else if (st.commandUsed && s.options.batch && !Trim(s.options.templ).empty()) {
            end = true; // a batch run has no input but its command line
            return;
        } else {
            if (!AskLine(s, text, answer)) {
                end = true;
                return;
            }
            answer = Trim(answer);
        }
        if (answer.empty()) {
            end = true;
            return;
        }
        std::vector<std::string> names;
        if (!ExpandAnswer(s, answer, dir, names))
            continue;
        const bool many = answer.front() == '@' || IsTemplate(AddPath(dir, answer));
        name = names.front();
        if (!many)
            return;
        *s.out << text << name << '\n';
        st.pending.assign(names.begin() + 1, names.end());
        st.expanding = true;
        return;
    }
}

bool BatSet(const Session& s)
{
    return s.options.batch;
}

void FileDel(PromptState& state)
{
    state.pending.clear();
    state.expanding = false;
}

} // namespace Toolsif
