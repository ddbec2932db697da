#include "KVPrintableName.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f;
}

void AppendEscape(std::string& out, char c)
{
    static const char kLetters[] = "abtnvfr"; // \a (7) to \r (13)
    const auto u = static_cast<unsigned char>(c);
    if (u >= 7 && u <= 13) {
        out += '\\';
        out += kLetters[u - 7];
        return;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\%03o", u);
    out += buf;
}

} // namespace

std::string KVPrintableName(std::string_view name)
{
    if (std::none_of(name.begin(), name.end(), IsControl))
        return std::string(name);
    enum { None, Plain, Escaped } part = None;
    std::string out;
    const auto close = [&] {
        if (part != None)
            out += '\'';
        part = None;
    };
    for (char c : name) {
        if (IsControl(c)) {
            if (part != Escaped) {
                close();
                out += "$'";
                part = Escaped;
            }
            AppendEscape(out, c);
            continue;
        }
        if (part != Plain) {
            close();
            out += '\'';
            part = Plain;
        }
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    close();
    return out;
}

std::string KVPrintableText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (IsControl(c))
            AppendEscape(out, c);
        else
            out += c;
    }
    return out;
}
