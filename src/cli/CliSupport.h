#pragma once
// Small helpers shared by the kalvio commands.
#include "KVFileAscii.h"

#include <functional>
#include <string>
#include <vector>

class KVErrorList;
class KVSignal;
struct KVHeader;

// Exit codes of every command.
enum KalvioExit { KALVIO_OK = 0, KALVIO_FAILED = 1, KALVIO_USAGE = 2 };

// Writes every recorded error to standard error as "scope - message", in
// order; with an input, each line begins "INPUT: " so that it names the input
// it is about. Names and messages are printed with control characters escaped.
void PrintErrors(const KVErrorList& errors, const std::string& input = {});
// Prints "INPUT: message" to standard error.
void PrintInputError(const std::string& input, const std::string& message);
// Flushes and closes standard output; false after a message when any write
// to it failed (a full disk, a closed pipe).
bool FinishStandardOutput();
// Prints "kalvio NAME: message" and a pointer to the help; returns KALVIO_USAGE.
int UsageError(const std::string& command, const std::string& message);
// Whether args asks for help (-h or --help anywhere).
bool WantsHelp(const std::vector<std::string>& args);
// Whether args[i] is FLAG (its value the next argument) or FLAG=VALUE. On a
// match value receives the value and i the index of the last argument used;
// a FLAG without its value sets problem to "FLAG needs NEEDS".
bool OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& flag, const std::string& needs,
                 std::string& value, std::string& problem);
// Takes every FLAG VALUE and FLAG=VALUE out of args, handing each value to
// take, which returns a usage problem or an empty text. Returns the first
// problem ("FLAG needs NEEDS" for a FLAG without its value), or an empty text.
std::string TakeValueOption(std::vector<std::string>& args, const std::string& flag, const std::string& needs,
                            const std::function<std::string(const std::string&)>& take);
// Takes --time-unit UNIT (or --time-unit=UNIT) out of args: the unit of the
// time column of text inputs for every load below (milliseconds by default).
// Returns an empty text, or the usage problem.
std::string TakeTimeUnitOption(std::vector<std::string>& args);
// Takes --force out of args: outputs replace write-protected files in this run.
void TakeForceOption(std::vector<std::string>& args);
// How text inputs are read in this run (the --time-unit taken above).
KVTextOptions TextOptionsOfThisRun();
// Reads a signal file of any kind (KVReadSignalFile); prints failures and
// warnings (naming the file); returns the reader's TypeName or nullptr.
const char* LoadSignalOrReport(const std::string& fileName, KVSignal& signal);
// The folder of the running program (where kalvio-report stands beside it).
std::string ProgramDir();
// "%.9g" of a value.
std::string FormatReal(double v);
// Appends the characters of "%.9g" of v to out.
void AppendReal(std::string& out, double v);

// Inputs and the output choice of a command that writes one file per input:
// IN... (-o OUT | --out-dir DIR); SignalInputs.h names each input's output.
struct OutputChoice {
    std::vector<std::string> inputs;
    std::string out;    // -o
    std::string outDir; // --out-dir
};
// Takes -o/--out-dir and the inputs from args; other options go to rest.
// Returns an empty text on success, else the usage problem.
std::string ParseOutputChoice(const std::vector<std::string>& args, OutputChoice& choice,
                              std::vector<std::string>& rest, bool singleInputWithO = true);
// Stores signal as RVF-1992 in fileName; prints the failure naming input.
bool StoreSignalOrReport(const KVSignal& signal, const std::string& fileName, const std::string& input,
                         const std::string& floatFormat = {});
