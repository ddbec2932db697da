#pragma once
// Inputs of the commands that read signals: signal files as given, and ISO-MME
// tests (.mme, test folder or .zip) opened as the list of their channels,
// those that --code picks.
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class IsoMmeTest;
class KVSignal;
class Simulation;
struct SimUnits;
class KVErrorList;
struct IsoMmeChannelInfo;
struct OutputChoice;

struct SignalInput {
    std::string path;    // a signal file (a channel file of a test is one), or a simulation
    std::string outName; // the file name its RVF-1992 result gets: the input's, CODE.rvf or FILE_ID_VARIABLE.rvf
    // A simulation's channel: the simulation (shared by its channels) and
    // the channel's index in it.
    std::shared_ptr<const Simulation> sim = nullptr;
    size_t channel = 0;
    // How messages name it: the path, or PATH:CHANNEL for a simulation's channel.
    std::string Name() const;
};

// Takes every --channel PATTERN out of args: the channels of simulations
// that the commands read (? one character, * any run).
std::string TakeChannelOption(std::vector<std::string>& args);
// Takes --units LENGTH-TIME-MASS-FORCE out of args: the units of the
// simulations of this run.
std::string TakeUnitsOption(std::vector<std::string>& args);
// The units --units gave, or null (channels in model units).
const SimUnits* UnitsOfThisRun();
// The message that asks for --units, for what needs a time in seconds.
extern const char* const kNeedsUnits;

// Reads input (a signal file, or a simulation's channel in the run's units)
// and prints its messages naming it; false when it could not be read.
bool LoadInputOrReport(const SignalInput& input, KVSignal& signal);

// Prints the summary of the simulation at path (files, ids with titles,
// variables, states, span), or with --channel the channels it picks; false
// when it cannot be opened or nothing is picked.
bool PrintSimulationInfo(const std::string& path);

// Takes every --code PATTERN (or --code=PATTERN) out of args: the channels of
// tests that the commands read. Returns an empty text, or the usage problem.
std::string TakeCodeOption(std::vector<std::string>& args);

// Opens the test at path as an input (IsoMmeTest::Open).
bool OpenTestInput(const std::string& path, IsoMmeTest& test, KVErrorList& errors);

// The channels of an opened test that --code picks (all without it), in list
// order; when it picks none of them, says so naming the test.
std::vector<IsoMmeChannelInfo> PickedChannels(const IsoMmeTest& test, const std::string& name);

// Says so on standard error when --code was given and no test was (or
// --channel and no simulation),
// so that a pattern meant for files is not taken for a filter that held.
void WarnOfUnusedCodePatterns();

// Expands args into signal inputs, tests into their picked channels in list
// order. Messages of the tests go to standard error; false when a test cannot
// be opened or none of its channels is picked (the other inputs are listed).
// A channel's result is named CODE.rvf, made unique among the inputs.
bool ExpandSignalInputs(const std::vector<std::string>& args, std::vector<SignalInput>& inputs);

// Where the result of input goes: -o OUT, or DIR/its output name.
std::string OutputPathOf(const OutputChoice& choice, const SignalInput& input);

// With --out-dir, two inputs whose results would be one file: prints the
// clash naming both and returns false (before anything is written).
bool OutputsAreDistinct(const OutputChoice& choice, const std::vector<SignalInput>& inputs);

// Why -o OUT cannot take these inputs (more than one signal), or an empty text.
std::string SingleOutputProblem(const OutputChoice& choice, const std::vector<SignalInput>& inputs);
