#include "IsoMmeText.h"

#include "IsoMmeVocabulary.h"

#include <cstring>

namespace {

// Unicode of the Windows-1252 bytes 0x80-0x9F; 0 where the code page leaves
// the byte undefined (it then stands for itself, as in Latin-1).
const char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

void AppendCodePoint(std::string& out, char32_t c)
{
    if (c < 0x100) {
        out.push_back(static_cast<char>(c));
        return;
    }
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] == c) {
            out.push_back(static_cast<char>(0x80 + i));
            return;
        }
    }
    out.push_back('?');
}

std::string_view Trim(std::string_view s)
{
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos)
        return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// UTF-16 text (after its mark) as Windows-1252 bytes.
std::string FromUtf16(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const unsigned char a = static_cast<unsigned char>(bytes[i]);
        const unsigned char b = static_cast<unsigned char>(bytes[i + 1]);
        const char16_t u = bigEndian ? static_cast<char16_t>(a << 8 | b) : static_cast<char16_t>(b << 8 | a);
        if (u >= 0xD800 && u <= 0xDFFF) {
            if (u < 0xDC00) // the high half of a pair stands for the one character
                out.push_back('?');
            continue;
        }
        AppendCodePoint(out, u);
    }
    return out;
}

} // namespace

const IsoMmeField* IsoMmeHeader::Find(std::string_view name) const
{
    for (const IsoMmeField& f : fields)
        if (IsoSameName(f.name, name))
            return &f;
    return nullptr;
}

std::optional<std::string> IsoMmeHeader::Given(std::string_view name) const
{
    const IsoMmeField* f = Find(name);
    if (!f || IsoIsNoValue(f->value))
        return std::nullopt;
    return f->value;
}

bool IsoIsNoValue(std::string_view value)
{
    value = Trim(value);
    return value.empty() || value == "NOVALUE";
}

std::string_view IsoUnmarkedBytes(std::string_view bytes, std::string& storage, bool& utf8Mark)
{
    utf8Mark = false;
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        utf8Mark = true;
        return bytes.substr(3);
    }
    if (bytes.size() >= 2 && (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")) {
        storage = FromUtf16(bytes.substr(2), bytes[0] == '\xFE');
        return storage;
    }
    return bytes;
}

bool IsoIsUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t n = 0;
        char32_t cp = 0;
        if ((c & 0xE0) == 0xC0) {
            n = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size())
            return false;
        for (size_t k = 1; k <= n; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (d & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

std::string IsoUtf8ToCp1252(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            ++i;
            continue;
        }
        const size_t n = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : 3;
        char32_t cp = c & (n == 1 ? 0x1F : n == 2 ? 0x0F : 0x07);
        for (size_t k = 1; k <= n && i + k < s.size(); ++k)
            cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        AppendCodePoint(out, cp);
        i += n + 1;
    }
    return out;
}

bool IsoNextLine(std::string_view text, size_t& pos, std::string_view& line)
{
    if (pos >= text.size())
        return false;
    const char* begin = text.data() + pos;
    const size_t left = text.size() - pos;
    const void* lf = std::memchr(begin, '\n', left);
    const void* cr = std::memchr(begin, '\r', lf ? static_cast<size_t>(static_cast<const char*>(lf) - begin) : left);
    const char* end = static_cast<const char*>(cr ? cr : lf);
    if (!end) {
        line = text.substr(pos);
        pos = text.size();
        return true;
    }
    line = std::string_view(begin, static_cast<size_t>(end - begin));
    pos += line.size() + 1;
    if (*end == '\r' && pos < text.size() && text[pos] == '\n')
        ++pos;
    return true;
}

bool IsoSplitField(std::string_view line, std::string& name, std::string& value)
{
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    name = Trim(line.substr(0, colon));
    value = Trim(line.substr(colon + 1));
    return true;
}

IsoMmeHeader IsoParseHeader(std::string_view text, bool stopAtData, size_t* dataOffset, size_t* dataLine)
{
    IsoMmeHeader header;
    size_t pos = 0;
    size_t number = 0;
    size_t end = text.size();
    std::string_view line;
    for (;;) {
        const size_t start = pos;
        if (!IsoNextLine(text, pos, line)) {
            end = text.size();
            break;
        }
        ++number;
        if (Trim(line).empty())
            continue;
        IsoMmeField f;
        if (!IsoSplitField(line, f.name, f.value)) {
            if (!stopAtData)
                continue;
            end = start;
            if (dataOffset)
                *dataOffset = start;
            if (dataLine)
                *dataLine = number;
            break;
        }
        f.line = number;
        header.fields.push_back(std::move(f));
    }
    if (dataOffset && end == text.size())
        *dataOffset = text.size();
    if (dataLine && end == text.size())
        *dataLine = number + 1;
    if (IsoIsUtf8(text.substr(0, end))) {
        for (IsoMmeField& f : header.fields) {
            f.name = IsoUtf8ToCp1252(f.name);
            f.value = IsoUtf8ToCp1252(f.value);
        }
    }
    return header;
}
