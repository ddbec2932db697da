// kalvio info, dump and convert.
#include "CliSupport.h"
#include "KVFileRvf.h"
#include "KVOutputFile.h"
#include "KVPrintableName.h"
#include "KVSignal.h"
#include "KalvioCommand.h"

#include <cstdio>

namespace {

void PrintHeader(const KVSignal& s)
{
    const KVHeader& h = s.Header();
#define KV_PRINT_TEXT(name, def) std::printf("%s: %s\n", #name, h.name.c_str());
#define KV_PRINT_REAL(name, def) std::printf("%s: %s\n", #name, FormatReal(h.name).c_str());
#define KV_PRINT_INT(name, def) std::printf("%s: %d\n", #name, h.name);
    KV_SIGNAL_FIELDS(KV_PRINT_TEXT, KV_PRINT_REAL, KV_PRINT_INT)
#undef KV_PRINT_TEXT
#undef KV_PRINT_REAL
#undef KV_PRINT_INT
    std::printf("PointCount: %zu\n", s.PointCount());
}

int RunInfo(const std::vector<std::string>& args)
{
    if (args.empty())
        return UsageError("info", "no file given");
    int status = KALVIO_OK;
    for (const std::string& name : args) {
        KVSignal signal;
        const char* kind = LoadSignalOrReport(name, signal);
        if (!kind) {
            status = KALVIO_FAILED;
            continue;
        }
        std::printf("File: %s\nKind: %s\n", KVPrintableName(name).c_str(), kind);
        PrintHeader(signal);
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
    KVSignal signal;
    if (!LoadSignalOrReport(files[0], signal))
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

int RunConvert(const std::vector<std::string>& args)
{
    OutputChoice choice;
    std::vector<std::string> options;
    std::vector<std::string> rest;
    std::string format;
    std::vector<std::string> plain;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--format") {
            if (i + 1 >= args.size())
                return UsageError("convert", "--format needs ieee, sun or vax");
            format = args[++i];
        } else if (args[i].rfind("--format=", 0) == 0) {
            format = args[i].substr(9);
        } else {
            plain.push_back(args[i]);
        }
    }
    for (char& c : format)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!format.empty() && format != "IEEE" && format != "SUN" && format != "VAX")
        return UsageError("convert", "unknown float format '" + format + "' (ieee, sun or vax)");
    const std::string problem = ParseOutputChoice(plain, choice, rest);
    if (!problem.empty())
        return UsageError("convert", problem);
    if (!rest.empty())
        return UsageError("convert", "unknown option " + rest.front());
    if (!OutputsAreDistinct(choice))
        return KALVIO_FAILED;
    int status = KALVIO_OK;
    for (size_t i = 0; i < choice.inputs.size(); ++i) {
        KVSignal signal;
        if (!LoadSignalOrReport(choice.inputs[i], signal)
            || !StoreSignalOrReport(signal, choice.OutputFor(i), choice.inputs[i], format))
            status = KALVIO_FAILED;
    }
    return status;
}

} // namespace

const KalvioCommand kInfoCommand = {
    "info", "print the header of signal files, one field a line",
    "Usage: kalvio info FILE...\n"
    "Prints for each file a line 'File: NAME', a line 'Kind: ' with the reader\n"
    "that loaded it ('RVF-1992 File' or 'ASCII File'), every header field as\n"
    "'Name: value' (integers in decimal, reals with %.9g, texts as stored) and\n"
    "'PointCount: n'. A file is tried as RVF-1992 first and as text second\n"
    "(time in milliseconds, or in seconds with --time-unit s).\n"
    "Exit status 1 when any file could not be read.\n",
    RunInfo};

const KalvioCommand kDumpCommand = {
    "dump", "print the points of a signal file, X and Y per line",
    "Usage: kalvio dump FILE [-o OUT]\n"
    "Prints one line per point: X, a tab, Y, each with %.9g, to standard output\n"
    "or (-o OUT) into the file OUT; '-o -' is standard output.\n",
    RunDump};

const KalvioCommand kConvertCommand = {
    "convert", "store signal files as RVF-1992",
    "Usage: kalvio convert IN... (-o OUT | --out-dir DIR) [--format ieee|sun|vax]\n"
    "Reads each input (RVF-1992 or text) and stores it as RVF-1992 in this\n"
    "machine's float format or in the one named; the time of a text input is\n"
    "in milliseconds, or in seconds with --time-unit s. With --out-dir each result\n"
    "keeps its input's file name; -o takes a single input. An existing output\n"
    "file is replaced only when the whole file could be written.\n",
    RunConvert};
