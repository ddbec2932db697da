#include "KVFileAscii.h"

#include "KVSignal.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const char* const kScope = "KVFileAscii::Load";
const char* const kSeparators = ",; |\t";
// A line is read into a buffer of 1023 characters: at most 1022 per read.
constexpr size_t kMaxPiece = 1022;

// Splits text into the pieces a line-by-line read with that buffer returns.
template <class Fn>
void ForEachPiece(const std::string& text, Fn&& fn)
{
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end + 1;
        end = std::min(end, pos + kMaxPiece);
        fn(std::string_view(text).substr(pos, end - pos));
        pos = end;
    }
}

bool IsBlankLine(std::string_view line)
{
    return line.find_first_not_of("\t\r\n ") == std::string_view::npos;
}

// A number in the C "%f" sense: leading white space, a sign, digits, a decimal
// point and an exponent; reading stops at the first character that does not fit.
// Independent of the process locale.
bool ReadNumber(std::string_view field, float& out)
{
    size_t i = 0;
    while (i < field.size() && std::strchr(" \t\r\n\v\f", field[i]))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        negative = field[i++] == '-';
    const char* first = field.data() + i;
    const char* last = field.data() + field.size();
    if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
        return false;
    float v = 0.0f;
    const auto res = std::from_chars(first, last, v, std::chars_format::general);
    if (res.ec == std::errc::invalid_argument)
        return false;
    if (res.ec == std::errc::result_out_of_range)
        return false;
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

bool ReadWholeFile(const std::string& name, std::string& text)
{
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

} // namespace

KVFileAscii::KVFileAscii(std::string fileName) : m_fileName(std::move(fileName)) {}

size_t KVFileAscii::PointCount()
{
    std::string text;
    if (!ReadWholeFile(m_fileName, text))
        return 0;
    size_t lines = 0;
    ForEachPiece(text, [&lines](std::string_view) { ++lines; });
    return lines;
}

bool KVFileAscii::Load(KVSignal& signal)
{
    {
        std::FILE* fp = std::fopen(m_fileName.c_str(), "rb");
        if (fp) {
            char head[8] = {};
            const size_t got = std::fread(head, 1, sizeof head, fp);
            std::fclose(fp);
            if (got == sizeof head && std::memcmp(head, "RVF-1992", 8) == 0) {
                AddError(m_fileName + " is a RVF file, NOT an ASCII file.", kScope);
                return false;
            }
        }
    }
    std::string text;
    if (!ReadWholeFile(m_fileName, text)) {
        AddError(m_fileName + " is not found.", kScope);
        return false;
    }
    size_t lines = 0;
    ForEachPiece(text, [&lines](std::string_view) { ++lines; });
    if (!signal.Allocate(lines)) {
        signal.SetHasData(false);
        return false;
    }
    signal.Reset();

    size_t lineNumber = 0;
    size_t points = 0;
    bool failedAt = false;
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
            if (beforeData)
                return; // a header line
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
        AddError(m_fileName + " holds no data lines (two numbers on a line).", kScope);
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
    return true;
}
