#pragma once
#include <deque>
#include <fstream>
#include <iosfwd>
#include <string>

// The state one console program keeps in the tools library: its console
// streams, the message unit, the generic options and the pending names of an
// expanded template or hitlist.
namespace Toolsif {

// The message unit: every message goes to the console and, when a log file
// was named (LOG=<file>), is appended to it too.
struct MsgUnit {
    std::ostream* out = nullptr;
    std::ofstream log;
    int cols = 0; // wrap column; 0 writes each message on one line
};

// Generic options of every program (PROC_CL).
struct Options {
    bool batch = false;     // BATCH: take defaults, ask no output names
    bool overwrite = false; // OVERWRITE: default output names may replace files
    std::string outDir;     // OUT=<dir>: directory of the output files
    std::string logFile;    // LOG=<file>: messages are also appended here
    std::string templ;      // the first plain argument
};

// Names FILE_PROMPT hands out before it asks the console again.
struct PromptState {
    std::deque<std::string> pending;
    bool expanding = false;     // the last name came from a template or hitlist
    bool commandUsed = false;   // the command-line template has been handed out
    bool endOfInput = false;    // the console input has ended
};

struct Session {
    Session(std::istream& in, std::ostream& out);

    std::istream* in;
    std::ostream* out;
    bool echo = true; // echo answers read from a non-interactive input
    MsgUnit msg;
    Options options;
    PromptState prompt;
};

// FILE_INIT: sets the session back to its start: default options, no log,
// no pending names.
void FileInit(Session& s);
// CLEAN_UP: closes the log and drops pending names; called once at the end.
void CleanUp(Session& s);

// MSG_WRITE: writes text as one message to the console and the log.
void MsgWrite(MsgUnit& unit, const std::string& text);
// REP_COLS: messages longer than cols are wrapped at blanks; 0 never wraps.
void RepCols(MsgUnit& unit, int cols);

// Writes prompt and reads one answer line (carriage return removed).
// False at the end of the input; the state remembers it.
bool AskLine(Session& s, const std::string& prompt, std::string& answer);

} // namespace Toolsif
