#include "KVFileAscii.h"

#include "KVFileBytes.h"
#include "KVSignal.h"
#include "KVSystemReason.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <clocale>
#include <cstdlib>
#include <iterator>
#include <locale.h>
#include <optional>
#include <string_view>

namespace {

const char* const kScope = "KVFileAscii::Load";
const char* const kSeparators = ",; |\t";
// A line is read into a buffer of 1023 characters: at most 1022 per read.
constexpr size_t kMaxPiece = 1022;

// Splits text into the pieces a line-by-line read with that buffer returns.
// A piece is taken as a C text: it ends at its first NUL byte.
template <class Fn>
void ForEachPiece(std::string_view text, Fn&& fn)
{
    // The search for a line end looks no further than one piece, so a text
    // with few line breaks is split in linear time.
    size_t pos = 0;
    while (pos < text.size()) {
        const std::string_view window = text.substr(pos, kMaxPiece);
        const size_t lineEnd = window.find('\n');
        std::string_view piece = window.substr(0, lineEnd == std::string_view::npos ? window.size() : lineEnd + 1);
        pos += piece.size();
        fn(piece.substr(0, piece.find('\0')));
    }
}

size_t CountPieces(std::string_view text)
{
    size_t lines = 0;
    ForEachPiece(text, [&lines](std::string_view) { ++lines; });
    return lines;
}

bool IsBlankLine(std::string_view line)
{
    return line.find_first_not_of("\t\r\n ") == std::string_view::npos;
}

// The C reading of a number text in the "C" locale, for the forms the fast
// path leaves to it: hexadecimal numbers, and numbers outside the float range
// (infinity when too large, zero or the nearest tiny value when too small).
float CReading(const char* first, const char* last, const char** end)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const std::string text(first, last);
    if (!cLocale) {
        *end = first;
        return 0.0f;
    }
    char* stop = nullptr;
    const float v = strtof_l(text.c_str(), &stop, cLocale);
    *end = first + (stop - text.c_str());
    return v;
}

// A number in the C "%f" sense: leading white space, a sign, digits, a decimal
// point and an exponent; reading stops at the first character that does not fit.
// Independent of the process locale.
bool ReadNumber(std::string_view field, float& out)
{
    size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || (field[i] >= '\t' && field[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    const char* first = field.data() + i;
    const char* last = field.data() + field.size();
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return false;
    float v = 0.0f;
    const bool hex = last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X');
    if (hex) {
        const char* end = first;
        v = CReading(first, last, &end);
        if (end == first)
            return false;
    } else {
        const auto res = std::from_chars(first, last, v, std::chars_format::general);
        if (res.ec == std::errc::invalid_argument)
            return false;
        if (res.ec == std::errc::result_out_of_range) {
            const char* end = first;
            v = CReading(first, res.ptr, &end);
        }
    }
    out = negative ? -v : v;
    return true;
}

// The next field of line after pos, split by the separator set.
bool NextField(std::string_view line, size_t& pos, std::string_view& field)
{
    const size_t start = line.find_first_not_of(kSeparators, pos);
    if (start == std::string_view::npos)
        return false;
    size_t end = line.find_first_of(kSeparators, start);
    if (end == std::string_view::npos)
        end = line.size();
    field = line.substr(start, end - start);
    pos = end;
    return true;
}

bool HasStep(float del) { return del != 0.0f && del != KV_NO_VALUE; }

// The time unit a header line states for the first column: the line starts
// with a time word ("Time", "t", "Zeit") and its first unit is written in
// brackets, after a slash or after "in" ("Time (ms)", "Time [s]", "t/s",
// "time in ms"). False when it states none.
bool StatedTimeUnit(std::string_view line, KVTimeUnit& unit)
{
    std::string lower;
    for (const char c : line)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t start = lower.find_first_not_of(" \t\"'#%;");
    if (start == std::string::npos)
        return false;
    size_t end = start;
    while (end < lower.size() && std::isalpha(static_cast<unsigned char>(lower[end])))
        ++end;
    const std::string word = lower.substr(start, end - start);
    static const char* const kTimeWords[] = {"t", "time", "zeit", "temps", "tiempo", "tempo"};
    if (std::find(std::begin(kTimeWords), std::end(kTimeWords), word) == std::end(kTimeWords))
        return false;
    // The unit right after the time word: "(ms)", "[s]", "/s", " in ms".
    size_t at = lower.find_first_not_of(' ', end);
    if (at == std::string::npos)
        return false;
    if (lower.compare(at, 3, "in ") == 0)
        at = lower.find_first_not_of(' ', at + 3);
    else if (lower[at] == '(' || lower[at] == '[' || lower[at] == '/')
        at = lower.find_first_not_of(' ', at + 1);
    else
        return false;
    if (at == std::string::npos)
        return false;
    size_t stop = at;
    while (stop < lower.size() && std::isalpha(static_cast<unsigned char>(lower[stop])))
        ++stop;
    const std::string token = lower.substr(at, stop - at);
    if (token == "s" || token == "sec" || token == "second" || token == "seconds") {
        unit = KVTimeUnit::Seconds;
        return true;
    }
    if (token == "ms" || token == "msec" || token == "millisecond" || token == "milliseconds") {
        unit = KVTimeUnit::Milliseconds;
        return true;
    }
    return false;
}

std::string_view AsText(const KVFileBytes& file)
{
    return {reinterpret_cast<const char*>(file.Data()), file.Size()};
}

} // namespace

KVFileAscii::KVFileAscii(std::string fileName) : m_fileName(std::move(fileName)) {}

size_t KVFileAscii::PointCount()
{
    KVFileBytes file;
    if (file.Read(m_fileName) != KVFileBytes::Ok)
        return 0;
    return CountPieces(AsText(file));
}

bool KVFileAscii::Load(KVSignal& signal)
{
    if (KVFileStartsWith(m_fileName, "RVF-1992")) {
        AddError(m_fileName + " is a RVF file, NOT an ASCII file.", kScope);
        return false;
    }
    KVFileBytes file;
    if (file.Read(m_fileName) != KVFileBytes::Ok) {
        AddError(file.Describe(m_fileName), kScope);
        return false;
    }
    const std::string_view text = AsText(file);
    if (text.find('\0') != std::string_view::npos) {
        AddError(m_fileName + " is not a text file: it holds NUL bytes.", kScope);
        return false;
    }
    const size_t lines = CountPieces(text);
    if (!signal.Allocate(lines)) {
        signal.SetHasData(false);
        // An empty file is a failed load like any other: say why.
        AddError(lines == 0 ? NoDataMessage() : std::string(kNotEnoughMemory) + " to read " + m_fileName + ".",
                 kScope);
        return false;
    }
    signal.Reset();

    size_t lineNumber = 0;
    size_t points = 0;
    bool failedAt = false;
    std::optional<KVTimeUnit> stated;
    ForEachPiece(text, [&](std::string_view line) {
        if (failedAt)
            return;
        ++lineNumber;
        if (IsBlankLine(line))
            return;
        const bool beforeData = points == 0;
        size_t pos = 0;
        std::string_view field;
        float x = 0.0f, y = 0.0f;
        if (!NextField(line, pos, field) || !ReadNumber(field, x)) {
            if (beforeData) { // a header line, which may name the time unit
                KVTimeUnit unit;
                if (StatedTimeUnit(line, unit))
                    stated = unit;
                return;
            }
            failedAt = true;
            return;
        }
        if (!NextField(line, pos, field) || !ReadNumber(field, y)) {
            failedAt = true;
            return;
        }
        signal.SetPoint(x, y, points++);
    });
    if (failedAt) {
        signal.SetHasData(false);
        AddError("Not Valid ASCII File Format in Line " + std::to_string(lineNumber) + " of " + m_fileName + ".",
                 kScope);
        AddError("There should be two numbers separated by a space, a tab or one in ',;|'. ", kScope);
        return false;
    }
    if (points == 0) {
        // Lines but no data line: there is no signal to show.
        signal.FreeData();
        signal.SetHasData(false);
        AddError(NoDataMessage(), kScope);
        return false;
    }
    signal.ShrinkTo(points);
    signal.SetNlp(static_cast<int>(points) - 1);
    signal.SetNfp(0);
    signal.SetHasData(true);
    signal.SetTestSource("ASCII File");
    signal.UpdateExtremes();
    signal.SetT0(0.0f);
    signal.UpdateTimeStep();
    signal.Header().SourceName = m_fileName;
    // The file's own word on its time unit wins over the program's choice.
    if (stated.value_or(m_options.timeUnit) == KVTimeUnit::Seconds)
        signal.SetXUnits("SECONDS");
    if (!stated)
        WarnOfImplausibleStep(signal);
    return true;
}

bool KVParseTimeUnit(const std::string& text, KVTimeUnit& unit)
{
    if (text == "s" || text == "seconds") {
        unit = KVTimeUnit::Seconds;
        return true;
    }
    if (text == "ms" || text == "milliseconds") {
        unit = KVTimeUnit::Milliseconds;
        return true;
    }
    return false;
}

void KVFileAscii::WarnOfImplausibleStep(const KVSignal& signal)
{
    const size_t n = signal.PointCount();
    if (n < 2)
        return;
    // The constant step, else the mean step of uneven times.
    const double step = HasStep(signal.Del()) ? double(signal.Del())
                                              : (double(signal.X()[n - 1]) - double(signal.X()[0])) / double(n - 1);
    const bool ms = m_options.timeUnit == KVTimeUnit::Milliseconds;
    const double seconds = std::fabs(step) * (ms ? 1e-3 : 1.0);
    if (!(seconds > 0.0) || (seconds >= 1e-6 && seconds <= 1e-2))
        return;
    const KVTimeUnit other = ms ? KVTimeUnit::Seconds : KVTimeUnit::Milliseconds;
    const std::string use = m_options.unitSwitch ? m_options.unitSwitch(other)
                                                 : std::string("the time unit ") + (ms ? "seconds" : "milliseconds");
    char text[160];
    std::snprintf(text, sizeof text, "WARNING - time step %g read as %s is %g s, %s for measured data; if the time "
                  "column is in %s, use ", step, ms ? "milliseconds" : "seconds", seconds,
                  seconds < 1e-6 ? "below 1 us" : "above 10 ms", ms ? "seconds" : "milliseconds");
    AddError(m_fileName + ": " + text + use, kScope);
}

std::string KVFileAscii::NoDataMessage() const
{
    return m_fileName + " holds no data lines (two numbers on a line).";
}
