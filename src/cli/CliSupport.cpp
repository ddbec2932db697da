#include "CliSupport.h"

#include "KVErrorList.h"
#include "KVFileRvf.h"
#include "KVOutputFile.h"
#include "KVPrintableName.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "KVSystemReason.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <climits>
#include <functional>
#include <unistd.h>

void PrintErrors(const KVErrorList& errors, const std::string& input)
{
    if (errors.Errors().empty())
        return;
    const std::string prefix = input.empty() ? std::string() : KVPrintableName(input) + ": ";
    for (const KVException& e : errors.Errors())
        std::fprintf(stderr, "%s%s - %s\n", prefix.c_str(), KVPrintableText(e.Scope()).c_str(),
                     KVPrintableText(e.Message()).c_str());
}

void PrintInputError(const std::string& input, const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", KVPrintableName(input).c_str(), KVPrintableText(message).c_str());
}

bool FinishStandardOutput()
{
    const bool ok = std::fflush(stdout) == 0 && !std::ferror(stdout) && std::fclose(stdout) == 0;
    if (!ok)
        std::fprintf(stderr, "kalvio: writing to standard output failed: %s\n", KVSystemReason(errno).c_str());
    return ok;
}

bool StoreSignalOrReport(const KVSignal& signal, const std::string& fileName, const std::string& input,
                         const std::string& floatFormat)
{
    if (signal.PointCount() < 2) {
        PrintInputError(input, "KVFileRvf::Store - a signal of fewer than two points cannot be stored");
        return false;
    }
    // Gaps (an ISO-MME channel's NOVALUE samples) have no RVF-1992 value: the
    // channel is refused with the reason, never left out without a word.
    size_t gaps = 0, first = 0;
    for (size_t i = 0; i < signal.PointCount(); ++i)
        if (std::isnan(signal.Y()[i]) && gaps++ == 0)
            first = i;
    if (gaps > 0) {
        PrintInputError(input, "KVFileRvf::Store - " + std::to_string(gaps) + " gap(s) (NaN or NOVALUE samples, the first at X = "
                                   + FormatReal(signal.X()[first]) + ") cannot be stored in RVF-1992; not written");
        return false;
    }
    KVFileRvf out(fileName);
    out.SetFloatFormatName(floatFormat);
    if (out.Store(signal))
        return true;
    PrintErrors(out, input);
    return false;
}

void TakeForceOption(std::vector<std::string>& args)
{
    const auto end = std::remove(args.begin(), args.end(), std::string("--force"));
    KVReplaceWriteProtected(end != args.end());
    args.erase(end, args.end());
}

int UsageError(const std::string& command, const std::string& message)
{
    std::fprintf(stderr, "kalvio %s: %s\nTry 'kalvio %s --help'.\n", command.c_str(), KVPrintableText(message).c_str(),
                 command.c_str());
    return KALVIO_USAGE;
}

bool WantsHelp(const std::vector<std::string>& args)
{
    for (const std::string& a : args)
        if (a == "-h" || a == "--help")
            return true;
    return false;
}

namespace {

// The unit of text inputs, chosen once per run on the command line.
KVTimeUnit g_textTimeUnit = KVTimeUnit::Milliseconds;

} // namespace

bool OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& flag, const std::string& needs,
                 std::string& value, std::string& problem)
{
    const std::string& a = args[i];
    if (a == flag) {
        if (i + 1 >= args.size())
            problem = flag + " needs " + needs;
        else
            value = args[++i];
        return true;
    }
    if (a.size() > flag.size() && a.compare(0, flag.size(), flag) == 0 && a[flag.size()] == '=') {
        value = a.substr(flag.size() + 1);
        return true;
    }
    return false;
}

std::string TakeValueOption(std::vector<std::string>& args, const std::string& flag, const std::string& needs,
                            const std::function<std::string(const std::string&)>& take)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const size_t at = i;
        std::string value, problem;
        if (!OptionValue(args, i, flag, needs, value, problem))
            continue;
        if (problem.empty())
            problem = take(value);
        if (!problem.empty())
            return problem;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(at), args.begin() + static_cast<std::ptrdiff_t>(i + 1));
        i = at - 1;
    }
    return {};
}

std::string TakeTimeUnitOption(std::vector<std::string>& args)
{
    return TakeValueOption(args, "--time-unit", "s or ms", [](const std::string& value) -> std::string {
        if (!KVParseTimeUnit(value, g_textTimeUnit))
            return "--time-unit takes s (seconds) or ms (milliseconds), not '" + value + "'";
        return {};
    });
}

KVTextOptions TextOptionsOfThisRun()
{
    KVTextOptions text;
    text.timeUnit = g_textTimeUnit;
    text.unitSwitch = [](KVTimeUnit u) {
        return std::string("--time-unit ") + (u == KVTimeUnit::Seconds ? "s" : "ms");
    };
    return text;
}

const char* LoadSignalOrReport(const std::string& fileName, KVSignal& signal)
{
    KVErrorList errors;
    const char* kind = KVReadSignalFile(fileName, signal, errors, TextOptionsOfThisRun());
    PrintErrors(errors, fileName); // the failures, or the warnings of a file that loaded
    return kind;
}

void AppendReal(std::string& out, double v)
{
    // The characters of "%.9g", without the format parsing of printf.
    char buf[64];
    const std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 9);
    out.append(buf, r.ptr);
}

std::string FormatReal(double v)
{
    std::string out;
    AppendReal(out, v);
    return out;
}

std::string ParseOutputChoice(const std::vector<std::string>& args, OutputChoice& choice,
                              std::vector<std::string>& rest, bool singleInputWithO)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o" || a == "--out-dir") {
            if (i + 1 >= args.size())
                return a + " needs a value";
            (a == "-o" ? choice.out : choice.outDir) = args[++i];
        } else if (a.rfind("--out-dir=", 0) == 0) {
            choice.outDir = a.substr(10);
        } else if (a.size() > 1 && a[0] == '-' && !(a.size() > 1 && (std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.'))) {
            rest.push_back(a);
        } else {
            choice.inputs.push_back(a);
        }
    }
    if (choice.inputs.empty())
        return "no input file given";
    if (choice.out.empty() == choice.outDir.empty())
        return "give either -o OUT or --out-dir DIR";
    if (singleInputWithO && !choice.out.empty() && choice.inputs.size() > 1)
        return "-o takes one input; use --out-dir DIR for several";
    if (!choice.outDir.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(choice.outDir, ec))
            return "output directory " + KVPrintableName(choice.outDir)
                + (std::filesystem::exists(choice.outDir, ec) ? " is not a folder" : " does not exist");
    }
    return {};
}

std::string ProgramDir()
{
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    std::string path(buf, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}
