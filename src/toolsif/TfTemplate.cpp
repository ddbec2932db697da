#include "TfTemplate.h"

#include "TfFileNames.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace Toolsif {

namespace {

struct Token {
    enum Kind { Char, Star, One, Range } kind = Char;
    char c = 0;
    long lo = 0, hi = 0;
    size_t width = 0; // zero-padded width, 0 for none
};

// Reads "(a-b)" at pos; false when it is not a range, so "(" stays a character.
bool ParseRange(const std::string& s, size_t pos, Token& t, size_t& end)
{
    size_t i = pos + 1;
    const size_t loStart = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i;
    const size_t loLen = i - loStart;
    if (loLen == 0 || loLen > 9 || i >= s.size() || s[i] != '-')
        return false;
    const size_t hiStart = ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i;
    const size_t hiLen = i - hiStart;
    if (hiLen == 0 || hiLen > 9 || i >= s.size() || s[i] != ')')
        return false;
    const long lo = std::stol(s.substr(loStart, loLen));
    const long hi = std::stol(s.substr(hiStart, hiLen));
    if (lo > hi)
        return false;
    t.kind = Token::Range;
    t.lo = lo;
    t.hi = hi;
    t.width = (loLen > 1 && s[loStart] == '0') ? loLen : 0;
    end = i + 1;
    return true;
}

std::vector<Token> Tokenize(const std::string& pattern)
{
    std::vector<Token> tokens;
    for (size_t i = 0; i < pattern.size();) {
        Token t;
        size_t end = i + 1;
        if (pattern[i] == '*')
            t.kind = Token::Star;
        else if (pattern[i] == '?')
            t.kind = Token::One;
        else if (!(pattern[i] == '(' && ParseRange(pattern, i, t, end)))
            t.c = pattern[i];
        // Consecutive stars match what one star does; folding them keeps the
        // backtracking linear in practice.
        if (t.kind == Token::Star && !tokens.empty() && tokens.back().kind == Token::Star) {
            i = end;
            continue;
        }
        tokens.push_back(t);
        i = end;
    }
    return tokens;
}

bool InRange(const Token& t, const std::string& digits, long& value)
{
    if (digits.size() > 9)
        return false;
    if (t.width ? digits.size() != t.width : (digits.size() > 1 && digits[0] == '0'))
        return false;
    value = std::stol(digits);
    return value >= t.lo && value <= t.hi;
}

// Matching state: a state (token, name position) that failed once fails
// again, so it is remembered; this keeps patterns with many stars from
// taking exponential time.
struct Matcher {
    const std::vector<Token>& tokens;
    const std::string& name;
    std::vector<long>& values;
    std::vector<char> failed = std::vector<char>((tokens.size() + 1) * (name.size() + 1), 0);

    bool From(size_t ti, size_t ni)
    {
        char& known = failed[ti * (name.size() + 1) + ni];
        if (known)
            return false;
        const bool ok = Step(ti, ni);
        known = !ok;
        return ok;
    }

    bool Step(size_t ti, size_t ni)
    {
        if (ti == tokens.size())
            return ni == name.size();
        const Token& t = tokens[ti];
        switch (t.kind) {
        case Token::Char:
            return ni < name.size() && name[ni] == t.c && From(ti + 1, ni + 1);
        case Token::One:
            return ni < name.size() && From(ti + 1, ni + 1);
        case Token::Star:
            for (size_t k = ni; k <= name.size(); ++k) {
                if (From(ti + 1, k))
                    return true;
            }
            return false;
        case Token::Range: {
            size_t end = ni;
            while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end])))
                ++end;
            for (size_t k = end; k > ni; --k) {
                long value = 0;
                if (!InRange(t, name.substr(ni, k - ni), value))
                    continue;
                values.push_back(value);
                if (From(ti + 1, k))
                    return true;
                values.pop_back();
            }
            return false;
        }
        }
        return false;
    }
};

bool MatchFrom(const std::vector<Token>& tokens, const std::string& name, std::vector<long>& values)
{
    values.clear();
    Matcher m{tokens, name, values};
    return m.From(0, 0);
}

void SplitDir(const std::string& templ, std::string& dir, std::string& leaf)
{
    const size_t slash = templ.rfind('/');
    dir = slash == std::string::npos ? std::string() : templ.substr(0, slash + 1);
    leaf = slash == std::string::npos ? templ : templ.substr(slash + 1);
}

} // namespace

bool IsTemplate(const std::string& text)
{
    std::string dir, leaf;
    SplitDir(text, dir, leaf);
    for (const Token& t : Tokenize(leaf)) {
        if (t.kind != Token::Char)
            return true;
    }
    return false;
}

bool MatchTemplate(const std::string& pattern, const std::string& name, std::vector<long>* values)
{
    std::vector<long> found;
    const bool ok = MatchFrom(Tokenize(pattern), name, found);
    if (ok && values)
        *values = found;
    return ok;
}

std::vector<std::string> ExpandTemplate(const std::string& templ)
{
    std::string dir, leaf;
    SplitDir(templ, dir, leaf);
    const std::vector<Token> tokens = Tokenize(leaf);
    struct Hit {
        std::vector<long> values;
        std::string name;
    };
    std::vector<Hit> hits;
    std::error_code ec;
    fs::directory_iterator it(dir.empty() ? fs::path(".") : fs::path(dir), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code sec;
        if (!it->is_regular_file(sec))
            continue;
        const std::string name = it->path().filename().string();
        std::vector<long> values;
        if (MatchFrom(tokens, name, values))
            hits.push_back({values, dir + name});
    }
    std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) {
        return a.values != b.values ? a.values < b.values : a.name < b.name;
    });
    std::vector<std::string> names;
    names.reserve(hits.size());
    for (Hit& h : hits)
        names.push_back(std::move(h.name));
    return names;
}

std::vector<std::string> ExpandRanges(const std::string& templ, size_t limit)
{
    std::string dir, leaf;
    SplitDir(templ, dir, leaf);
    std::vector<std::string> names{dir};
    for (const Token& t : Tokenize(leaf)) {
        if (t.kind != Token::Range) {
            const char c = t.kind == Token::Star ? '*' : t.kind == Token::One ? '?' : t.c;
            for (std::string& n : names)
                n += c;
            continue;
        }
        const size_t span = static_cast<size_t>(t.hi - t.lo + 1);
        if (span > limit || names.size() * span > limit)
            return {};
        std::vector<std::string> next;
        next.reserve(names.size() * span);
        for (const std::string& n : names) {
            for (long v = t.lo; v <= t.hi; ++v) {
                std::string digits = std::to_string(v);
                if (digits.size() < t.width)
                    digits.insert(0, t.width - digits.size(), '0');
                next.push_back(n + digits);
            }
        }
        names = std::move(next);
    }
    return names;
}

bool ReadHitlistLines(const std::string& hitlist, std::vector<std::string>& lines)
{
    std::error_code ec;
    if (!fs::is_regular_file(hitlist, ec))
        return false;
    std::ifstream in(hitlist, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(line);
    }
    return true;
}

bool ReadHitlistFile(const std::string& hitlist, std::vector<std::string>& names,
                     std::vector<std::string>& notFound)
{
    std::vector<std::string> lines;
    if (!ReadHitlistLines(hitlist, lines))
        return false;
    for (const std::string& line : lines) {
        if (IsTemplate(line)) {
            const std::vector<std::string> found = ExpandTemplate(line);
            if (found.empty())
                notFound.push_back(line);
            names.insert(names.end(), found.begin(), found.end());
            continue;
        }
        std::error_code ec;
        if (fs::is_regular_file(line, ec))
            names.push_back(line);
        else
            notFound.push_back(line);
    }
    return true;
}

} // namespace Toolsif
