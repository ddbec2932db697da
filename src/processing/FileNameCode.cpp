// The default 8.3 file name of a signal, coded from its header.
#include "KVNumberText.h"
#include "Kalvio.h"
#include "KalvioSupport.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Kalvio {

namespace {

struct PrefixLetter {
    const char* prefix;
    std::size_t length;
    char letter;
};

const PrefixLetter kDimensionLetters[] = {
    {"ACCELERATION", 12, 'a'},   {"ANGULAR ACCELERATION", 20, 'a'}, {"CURVATURE", 9, 'c'},
    {"DISPLACEMENT", 12, 'd'},   {"ANGULAR DISPLACEMENT", 20, 'd'}, {"DIMENSIONLESS", 13, 'd'},
    {"ENERGY", 6, 'e'},          {"FORCE", 5, 'f'},                 {"GAUGE PRESSURE", 14, 'g'},
    {"IMPULSE", 7, 'i'},         {"ANGULAR IMPULSE", 16, 'i'},      {"NOISE", 5, 'n'},
    {"OTHER", 5, 'o'},           {"PRESSURE", 8, 'p'},              {"STRAIN", 6, 's'},
    {"STATIC FORCE", 12, 's'},   {"TIME", 4, 't'},                  {"TORQUE", 6, 't'},
    {"VELOCITY", 8, 'v'},        {"ANGULAR VELOCITY", 16, 'v'},     {"VOLTAGE", 7, 'v'},
};

const PrefixLetter kStatusLetters[] = {
    {"AS MEASURED", 11, 'a'},     {"COMPUTED", 8, 'c'},      {"CHANNEL FAILED", 14, 'f'},
    {"FILTERED", 8, 'f'},         {"SYSTEM FAILED", 13, 'f'}, {"DFT", 3, 'd'},
    {"ALIGEND", 7, 'l'},          {"MEANINGLESS", 11, 'm'},  {"MODIFIED", 8, 'm'},
    {"NO DATA", 7, 'n'},          {"QUESTIONABLE DATA", 17, 'q'}, {"SUBSAMPLED", 10, 's'},
    {"SCALED", 6, 's'},           {"TRUNCATED", 9, 't'},
};

template <std::size_t N>
char LetterOf(const std::string& text, const PrefixLetter (&table)[N])
{
    for (const PrefixLetter& row : table)
        if (MatchesN(text, row.prefix, row.length))
            return row.letter;
    return '_';
}

char DatabaseLetter(const std::string& testSource)
{
    // The database word is settled from the source's first character; the
    // whole word, terminator included, then picks the letter.
    const char first = testSource.empty() ? '\0' : testSource[0];
    const char* word = first == 'B' ? "BIODB" : first == 'C' ? "COMDB" : "VEHDB";
    if (std::memcmp(word, "VEHDB", 6) == 0)
        return 'V';
    if (std::memcmp(word, "BIODB", 6) == 0)
        return 'B';
    if (std::memcmp(word, "COMDB", 6) == 0)
        return 'C';
    if (std::memcmp(word, "SWGDB", 6) == 0)
        return 'S';
    return '_';
}

char CutOffLetter(float f)
{
    if (f == 0.0f)
        return '0';
    if (f == 15.0f)
        return 'a';
    if (f == 30.0f)
        return 'b';
    if (f == 60.0f)
        return 'c';
    if (f == 100.0f)
        return 'd';
    if (f == 300.0f)
        return 'e';
    if (f == 500.0f)
        return 'f';
    if (f == 1000.0f)
        return 'g';
    return '_';
}

} // namespace

bool FileNameCode(const KVSignal& signal, std::string* name)
{
    if (!name)
        return false;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%c%04d%c%c%c.%03d", DatabaseLetter(signal.TestSource()),
                  KVLeadingInteger(signal.TestNumber()), LetterOf(signal.YType(), kDimensionLetters),
                  LetterOf(signal.Status(), kStatusLetters), CutOffLetter(signal.CutOffFrequency()),
                  signal.CurveNumber());
    *name = buf;
    return true;
}

} // namespace Kalvio
