#pragma once
#include "TfSession.h"

#include <string>

namespace Toolsif {

// FILE_PROMPT: the next file name. Names still pending from a template or
// hitlist come first without a question (s.prompt.expanding is then true);
// when they run out, the list ends once (end = true). Otherwise the
// command-line template answers the first question; in batch mode nothing
// more is asked after it. Else prompt and defaultText are shown and the
// console answers: blank or end of input ends the list; "@name" reads a
// hitlist; a template is expanded; a plain name is taken as typed, with dir
// put in front of a relative name. Templates and hitlists that name no file
// are reported and the question is repeated.
void FilePrompt(Session& s, const std::string& prompt, const std::string& defaultText,
                const std::string& dir, std::string& name, bool& end);

// BAT_SET: the batch flag, set by the BATCH switch.
bool BatSet(const Session& s);

// FILE_DEL on the prompt state: drops the names still pending (the rest of an
// abandoned template or hitlist).
void FileDel(PromptState& state);

} // namespace Toolsif
