#include "IsoMmeText.h"

#include "IsoMmeVocabulary.h"
#include "KVTextCode.h"

#include <cstring>

namespace {

std::string_view Trim(std::string_view s)
{
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos)
        return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
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
        storage = KVConvertText(bytes.substr(2), bytes[0] == '\xFE' ? KVCharset::Utf16BE : KVCharset::Utf16LE,
                                KVCharset::Cp1252);
        return storage;
    }
    return bytes;
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
    if (KVIsUtf8(text.substr(0, end))) {
        for (IsoMmeField& f : header.fields) {
            f.name = KVConvertText(f.name, KVCharset::Utf8, KVCharset::Cp1252);
            f.value = KVConvertText(f.value, KVCharset::Utf8, KVCharset::Cp1252);
        }
    }
    return header;
}
