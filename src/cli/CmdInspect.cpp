// kalvio info, dump and convert.
#include "CliSupport.h"
#include "IsoMmeTest.h"
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVFileBytes.h"
#include "KVFileRvf.h"
#include "KVOutputFile.h"
#include "KVPrintableName.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "KalvioCommand.h"
#include "SignalInputs.h"
#include "Simulation.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <string_view>

namespace {

// The file's lines, one "Name: value" per field, written at once (a text
// ends at a NUL, as printf's %s ends it).
void PrintHeader(const std::string& name, const char* kind, const KVHeader& h, size_t points)
{
    static std::string out; // one buffer for every file of the run
    out.clear();
    // A line break or another control character in a stored text would start
    // a line of its own ("Hic: 5000"): each becomes a space.
    const auto line = [](std::string_view field, std::string_view value) {
        const size_t from = out.append(field).append(": ").size();
        out.append(value);
        for (size_t i = from; i < out.size(); ++i)
            if (static_cast<unsigned char>(out[i]) < 0x20 || out[i] == '\x7F')
                out[i] = ' ';
        out += '\n';
    };
    const auto real = [](std::string_view field, double value) {
        out.append(field).append(": ");
        AppendReal(out, value);
        out += '\n';
    };
    const auto integer = [](std::string_view field, long long value) {
        char digits[24];
        out.append(field).append(": ").append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr) += '\n';
    };
    line("File", KVPrintableName(name).c_str());
    line("Kind", kind);
#define KV_PRINT_TEXT(name, def) line(#name, h.name.c_str());
#define KV_PRINT_REAL(name, def) real(#name, h.name);
#define KV_PRINT_INT(name, def) integer(#name, h.name);
    KV_SIGNAL_FIELDS(KV_PRINT_TEXT, KV_PRINT_REAL, KV_PRINT_INT)
#undef KV_PRINT_TEXT
#undef KV_PRINT_REAL
#undef KV_PRINT_INT
    integer("PointCount", static_cast<long long>(points));
    std::fwrite(out.data(), 1, out.size(), stdout);
}

// Reads the header of name and prints it; a failure is printed too unless
// quiet, when errors keeps it for the caller.
bool InfoOf(const std::string& name, KVErrorList& errors, bool quiet)
{
    KVHeader header;
    size_t points = 0;
    const char* kind = KVReadSignalHeader(name, header, points, errors, TextOptionsOfThisRun());
    if (!kind && quiet)
        return false;
    PrintErrors(errors, name);
    if (!kind)
        return false;
    PrintHeader(name, kind, header, points);
    return true;
}

int RunInfo(const std::vector<std::string>& args)
{
    if (args.empty())
        return UsageError("info", "no file given");
    int status = KALVIO_OK;
    for (const std::string& arg : args) {
        // A file is read at once and asked whether it is a test folder only
        // when it cannot be: that look costs as much as reading the header.
        if (!IsoMmeIsTestName(arg)) {
            KVErrorList errors;
            if (InfoOf(arg, errors, true))
                continue;
            if (SimIsSimulationPath(arg)) {
                if (!PrintSimulationInfo(arg))
                    status = KALVIO_FAILED;
                continue;
            }
            if (!IsoMmeIsTestPath(arg)) {
                PrintErrors(errors, arg);
                status = KALVIO_FAILED;
                continue;
            }
        }
        std::vector<SignalInput> channels;
        if (!ExpandSignalInputs({arg}, channels))
            status = KALVIO_FAILED;
        for (const SignalInput& channel : channels) {
            KVErrorList errors;
            if (!InfoOf(channel.path, errors, false))
                status = KALVIO_FAILED;
        }
    }
    return status;
}

int RunDump(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    std::string out = "-";
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            out = args[++i];
        else
            files.push_back(args[i]);
    }
    if (files.size() != 1)
        return UsageError("dump", "give exactly one file");
    std::vector<SignalInput> inputs;
    if (!ExpandSignalInputs(files, inputs) || inputs.empty())
        return KALVIO_FAILED;
    if (inputs.size() > 1)
        return UsageError("dump", KVPrintableName(files[0]) + " gives " + std::to_string(inputs.size())
                                      + " channels: pick one with " + (inputs[0].sim ? "--channel" : "--code") + " PATTERN");
    KVSignal signal;
    if (!LoadInputOrReport(inputs[0], signal))
        return KALVIO_FAILED;
    const float* x = signal.X();
    const float* y = signal.Y();
    if (out == "-") {
        for (size_t i = 0; i < signal.PointCount(); ++i)
            std::printf("%.9g\t%.9g\n", double(x[i]), double(y[i]));
        return KALVIO_OK;
    }
    KVOutputFile file(out);
    bool ok = file.Open();
    char line[64];
    for (size_t i = 0; ok && i < signal.PointCount(); ++i) {
        const int n = std::snprintf(line, sizeof line, "%.9g\t%.9g\n", double(x[i]), double(y[i]));
        ok = file.Write(line, static_cast<size_t>(n));
    }
    if (ok && file.Commit())
        return KALVIO_OK;
    PrintInputError(out, file.Reason());
    return KALVIO_FAILED;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trimmed(const std::string& s)
{
    const size_t a = s.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The --map file of convert: {"CHANNEL NAME": "ISO CODE", ...}, the codes
// that a simulation's channels get in the test. False with the problem.
bool ReadCodeMap(const std::string& path, std::map<std::string, std::string>& codes, std::string& problem)
{
    KVFileBytes file;
    if (file.Read(path) != KVFileBytes::Ok) {
        problem = file.Describe(KVPrintableName(path));
        return false;
    }
    const nlohmann::json j = nlohmann::json::parse(file.Bytes().begin(), file.Bytes().end(), nullptr, false);
    if (!j.is_object()) {
        problem = KVPrintableName(path) + ": not a JSON object of channel names and ISO codes";
        return false;
    }
    for (const auto& [name, code] : j.items()) {
        if (!code.is_string() || code.get<std::string>().size() != 16) {
            problem = KVPrintableName(path) + ": the code of " + KVPrintableText(name) + " is no 16-character text";
            return false;
        }
        codes[name] = code.get<std::string>();
    }
    return true;
}

// Every input as one ISO-MME test in the folder out; a simulation's channel
// takes its code from codeMap, which must name only channels given.
int ConvertToIsoMme(const std::vector<SignalInput>& inputs, const std::string& out, const IsoMmeCodeDefaults& codes,
                    const std::map<std::string, std::string>& codeMap, int status)
{
    std::map<std::string, std::string> unused = codeMap;
    std::vector<KVSignal> signals(inputs.size());
    std::vector<const KVSignal*> loaded;
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (!LoadInputOrReport(inputs[i], signals[i]))
            return KALVIO_FAILED; // a test with a channel missing is not written
        // A simulation's channel by its name, a file by its channel's name
        // (its curve text, upper case in RVF-1992), letters in either case.
        const std::string name = Lower(inputs[i].sim ? inputs[i].sim->Channels()[inputs[i].channel].name
                                                     : Trimmed(signals[i].CurveText()));
        for (const auto& [key, code] : codeMap) {
            if (Lower(key) == name) {
                signals[i].SetSensorAttachment(code);
                unused.erase(key);
            }
        }
        loaded.push_back(&signals[i]);
    }
    if (!unused.empty()) {
        std::fprintf(stderr, "kalvio convert: --map names %s, which no input gives; nothing was written\n",
                     KVPrintableText(unused.begin()->first).c_str());
        return KALVIO_FAILED;
    }
    KVErrorList errors;
    if (!IsoMmeWriteTest(loaded, out, errors, codes)) {
        PrintErrors(errors);
        return KALVIO_FAILED;
    }
    return status;
}

int RunConvert(const std::vector<std::string>& args)
{
    OutputChoice choice;
    std::vector<std::string> rest;
    std::string format;
    std::vector<std::string> plain;
    IsoMmeCodeDefaults codes;
    bool codeOption = false;
    std::string mapFile;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value, problem;
        if (OptionValue(args, i, "--map", "a JSON file of channel names and ISO codes", mapFile, problem)) {
            // read once the format is known
        } else if (OptionValue(args, i, "--format", "ieee, sun, vax or iso-mme", format, problem)) {
            // the name is checked once all arguments are read
        } else if (OptionValue(args, i, "--position", "one code character", value, problem)) {
            if (problem.empty() && !IsoMmeCodeCharacter(value, codes.position))
                problem = "--position takes one code character (0-9, A-Z or ?), not '" + value + "'";
            codeOption = true;
        } else if (OptionValue(args, i, "--object", "one code character", value, problem)) {
            if (problem.empty() && !IsoMmeCodeCharacter(value, codes.object))
                problem = "--object takes one code character (0-9, A-Z or ?), not '" + value + "'";
            codeOption = true;
        } else {
            plain.push_back(args[i]);
        }
        if (!problem.empty())
            return UsageError("convert", problem);
    }
    for (char& c : format)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const bool iso = format == "ISO-MME";
    if (!format.empty() && format != "IEEE" && format != "SUN" && format != "VAX" && !iso)
        return UsageError("convert", "unknown format '" + format + "' (ieee, sun, vax or iso-mme)");
    const std::string problem = ParseOutputChoice(plain, choice, rest, false);
    if (!problem.empty())
        return UsageError("convert", problem);
    if (!rest.empty())
        return UsageError("convert", "unknown option " + rest.front());
    if (iso && choice.out.empty())
        return UsageError("convert", "--format iso-mme writes one test: give -o TESTDIR");
    if (codeOption && !iso)
        return UsageError("convert", "--position and --object belong to --format iso-mme");
    if (!mapFile.empty() && !iso)
        return UsageError("convert", "--map belongs to --format iso-mme");
    std::map<std::string, std::string> codeMap;
    if (std::string why; !mapFile.empty() && !ReadCodeMap(mapFile, codeMap, why)) {
        std::fprintf(stderr, "kalvio convert: %s\n", KVPrintableText(why).c_str());
        return KALVIO_FAILED;
    }
    std::vector<SignalInput> inputs;
    int status = ExpandSignalInputs(choice.inputs, inputs) ? KALVIO_OK : KALVIO_FAILED;
    if (iso)
        return inputs.empty() ? KALVIO_FAILED : ConvertToIsoMme(inputs, choice.out, codes, codeMap, status);
    const std::string many = SingleOutputProblem(choice, inputs);
    if (!many.empty())
        return UsageError("convert", many);
    // Channels of a test get distinct CODE.rvf names; files keep theirs.
    if (!OutputsAreDistinct(choice, inputs))
        return KALVIO_FAILED;
    for (const SignalInput& input : inputs) {
        KVSignal signal;
        const std::string out = OutputPathOf(choice, input);
        if (!LoadInputOrReport(input, signal) || !StoreSignalOrReport(signal, out, input.path, format))
            status = KALVIO_FAILED;
    }
    return status;
}

} // namespace

const KalvioCommand kInfoCommand = {
    "info", "print the header of signal files, one field a line",
    "Usage: kalvio info FILE...\n"
    "Prints for each file a line 'File: NAME', a line 'Kind: ' with the reader\n"
    "that loaded it ('RVF-1992 File', 'ISO-MME Channel' or 'ASCII File'), every\n"
    "header field as 'Name: value' (integers in decimal, reals with %.9g, texts\n"
    "as stored, a control character such as a line break as a space) and\n"
    "'PointCount: n'. The kind is told by the file's content; the\n"
    "time column of a text file is in milliseconds, or in seconds with\n"
    "--time-unit s. An ISO-MME test (TEST.mme, its folder or a .zip) stands for\n"
    "its channels (those --code picks). Warnings of a load (NOVALUE samples, a\n"
    "wrong sample count) go to standard error.\n"
    "A simulation (a binout or an ASCII time-history file) prints 'Simulation:',\n"
    "'Kind:', a 'File:' line per file of the run, 'Units:', 'Span:' (the first\n"
    "and last time), then per output file its ids with their titles, its\n"
    "variables and its states; with --channel PATTERN a 'Channel:' line per\n"
    "channel picked, with its title and states.\n"
    "Exit status 1 when any file could not be read.\n",
    RunInfo};

const KalvioCommand kDumpCommand = {
    "dump", "print the points of a signal file, X and Y per line",
    "Usage: kalvio dump FILE [-o OUT]\n"
    "       kalvio dump TEST --code PATTERN [-o OUT]\n"
    "Prints one line per point: X, a tab, Y, each with %.9g, to standard output\n"
    "or (-o OUT) into the file OUT; '-o -' is standard output. Of an ISO-MME\n"
    "test, the one channel --code picks; of a simulation, the one --channel\n"
    "picks.\n",
    RunDump};

const KalvioCommand kConvertCommand = {
    "convert", "store signal files as RVF-1992 or as one ISO-MME test",
    "Usage: kalvio convert IN... (-o OUT | --out-dir DIR) [--format ieee|sun|vax]\n"
    "       kalvio convert IN... --format iso-mme [--object N] [--position P]\n"
    "                      [--map MAP.json] -o TESTDIR\n"
    "Reads each input (RVF-1992, ISO-MME channel or text) and stores it as\n"
    "RVF-1992 in this machine's float format or in the one named; the time of\n"
    "a text input is in milliseconds, or in seconds with --time-unit s. With\n"
    "--out-dir each result keeps its input's file name; -o takes a single\n"
    "input. An ISO-MME test (TEST.mme, its folder or a .zip) stands for its\n"
    "channels (those --code picks), each written as CODE.rvf (a number added to\n"
    "repeated codes, _ for an unknown position). An existing output file is\n"
    "replaced only when the whole file could be written.\n"
    "With --format iso-mme all inputs become one ISO-MME test in the new folder\n"
    "TESTDIR, whose name is the test number: TESTDIR/TESTDIR.mme, Channel/\n"
    "with the .chn list and one channel file per input, CR LF line ends. The\n"
    "test is written beside TESTDIR and renamed at the end; an existing folder\n"
    "is never replaced.\n"
    "Each channel keeps the code it was read with; the code of an RVF-1992 or\n"
    "text input is built from its header (location, dummy, dimension, axis,\n"
    "filter class), with ? where the header does not tell, as for the seat:\n"
    "a code 1?HEAD... is found by no selection by position. Give what the\n"
    "headers lack for every such code:\n"
    "  --object N    the test object, code character 1, where the header names no\n"
    "                vehicle: 1-9 vehicle, S sled, B fixed barrier, M mobile\n"
    "                barrier, D dummy or impactor, C component, 0 other\n"
    "  --position P  the seat position, code character 2: 1 front left (the\n"
    "                driver), 2 front middle, 3 front right, 4-6 second row\n"
    "                left/middle/right, 7-9 third row, 0 none, ? unknown (the\n"
    "                default)\n"
    "A code that carries either character keeps it.\n"
    "  --map MAP.json  codes by channel name: {\"nodout/1001/x_acceleration\":\n"
    "                \"11HEAD0000H3ACXA\", ...}, a simulation's channel by its\n"
    "                name, a file by the name of its channel (either case); a\n"
    "                name that no input gives is refused\n",
    RunConvert};
