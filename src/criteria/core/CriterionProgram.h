#pragma once
// The command line shared by the criterion programs:
//   PROGRAM [--text | --json] [--dummy KEY] [--cumulative] [--v0 M/S] FILE | FILE_X FILE_Y FILE_Z
//   PROGRAM [--text | --json] [--dummy KEY] [--position P] [--right] TEST
//   PROGRAM [--text | --json] [--dummy KEY] --units L-T-M-F --channel PATTERN... SIMULATION
#include "Criterion.h"
#include "SimUnits.h"
#include "TestChannels.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace Criteria {

// Exit codes: 0 evaluated (pass or fail), 1 unreadable or unusable input, 2 bad usage.
enum ProgramExit { PROGRAM_OK = 0, PROGRAM_FAILED = 1, PROGRAM_USAGE = 2 };

struct ProgramArgs {
    bool text = false;
    bool json = false;
    bool help = false;
    bool listDummies = false;
    const DummyInfo* dummy = nullptr;
    EvaluateOptions options;
    KVTimeUnit timeUnit = KVTimeUnit::Milliseconds; // of text inputs
    std::vector<std::string> paths;
    TestChoice test; // test.test set: the inputs are picked from that ISO-MME test
    // simulation set: the inputs are the channels of that binout or ASCII
    // file that the channel patterns pick, read in units (none: refused).
    std::string simulation;
    std::vector<std::string> channels;
    bool haveUnits = false;
    SimUnits units;
};

// Reads args (without the program name). Empty on success, else the problem.
// Only arguments that begin with "-" are switches ("/" starts a path here).
std::string ParseProgramArgs(const CriterionDef& def, const std::vector<std::string>& args, ProgramArgs& out);
// The text of PROGRAM --help.
std::string ProgramHelp(const CriterionDef& def);
// Loads paths with the quantities of def and aligns them over the span they
// share (at least def.minSpan when a channel is cut).
bool LoadInputs(const CriterionDef& def, const std::vector<std::string>& paths, std::vector<Channel>& inputs,
                KVErrorList& errors, KVTimeUnit textTimeUnit = KVTimeUnit::Milliseconds);
// Loads the inputs args names (files, a test's channels or a simulation's)
// as LoadInputs does; notes receives one line per channel picked.
bool LoadProgramInputs(const CriterionDef& def, const ProgramArgs& args, std::vector<Channel>& inputs,
                       std::vector<std::string>& notes, KVErrorList& errors);
// Loads and evaluates; the failures go to errors.
bool LoadAndEvaluate(const CriterionDef& def, const ProgramArgs& args, std::vector<Channel>& inputs,
                     Outcome& outcome, KVErrorList& errors);
// Writes each error as "program: scope - message" lines.
void PrintProgramErrors(const CriterionDef& def, const KVErrorList& errors, std::ostream& err);
// The whole text-mode program: parse, load, evaluate, print; returns the exit code.
// Prints "PROGRAM: INPUTS: Not enough memory" for a run that ran out of
// memory; returns PROGRAM_FAILED.
int ReportNotEnoughMemory(const CriterionDef& def, const std::vector<std::string>& args, std::ostream& err);
int RunTextProgram(const CriterionDef& def, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);

} // namespace Criteria
