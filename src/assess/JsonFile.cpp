#include "JsonFile.h"

#include "KVFileBytes.h"
#include "Protocol.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace Assess {

namespace {

// What a scan before parsing found: nesting beyond the limit (the parser
// and every reader after it recurse) or a number no double holds (the
// parser throws on it).
struct ScanProblem {
    std::size_t offset = 0;
    std::string message;
};

std::string Shortened(const std::string& token)
{
    if (token.size() <= 24)
        return token;
    return token.substr(0, 16) + "... (" + std::to_string(token.size()) + " characters)";
}

std::optional<ScanProblem> Scan(const std::string& t)
{
    int depth = 0;
    std::string lastString; // the last text, a key when a colon follows it
    std::string key;        // the key whose value comes next
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '"') {
            const std::size_t start = ++i;
            while (i < t.size() && t[i] != '"')
                i += t[i] == '\\' ? 2 : 1;
            lastString = t.substr(start, std::min(i, t.size()) - start);
            continue;
        }
        if (c == ':') {
            key = lastString;
            continue;
        }
        if (c == ',' || c == '[')
            key.clear();
        if (c == '[' || c == '{') {
            if (++depth > kMaxJsonDepth)
                return ScanProblem{i, "nested deeper than " + std::to_string(kMaxJsonDepth) + " levels"};
            continue;
        }
        if (c == ']' || c == '}') {
            --depth;
            continue;
        }
        if (c != '-' && (c < '0' || c > '9'))
            continue;
        std::size_t end = i;
        while (end < t.size() && std::strchr("+-.0123456789eE", t[end]))
            ++end;
        const std::string token = t.substr(i, end - i);
        const double v = std::strtod(token.c_str(), nullptr);
        if (std::isinf(v))
            return ScanProblem{i, (key.empty() ? std::string("the number ") : "\"" + key + "\" is ")
                                      + Shortened(token) + (key.empty() ? " lies" : ", a number")
                                      + " beyond what a number holds (about 1.8e308)"};
        i = end - 1;
    }
    return std::nullopt;
}

} // namespace

bool ReadJsonFile(const std::string& path, std::string& text, std::string& error)
{
    // Opened without waiting: a pipe or a device is refused, never read.
    KVFileBytes file;
    const KVFileBytes::Status status = file.Open(path);
    if (status == KVFileBytes::NotRegular) {
        const std::string described = file.Describe(path);
        error = path + (described.find(" is a directory.") != std::string::npos
                            ? ": a folder, not a file"
                            : ": not a regular file (a pipe or a device); only files are read");
        return false;
    }
    if (status != KVFileBytes::Ok) {
        std::string reason = file.Describe(path);
        if (!reason.empty() && reason.back() == '.')
            reason.pop_back();
        if (reason.rfind(path + " is ", 0) == 0)
            error = path + ": " + reason.substr(path.size() + 4);
        else
            error = reason.rfind(path, 0) == 0 ? path + ":" + reason.substr(path.size()) : path + ": " + reason;
        return false;
    }
    if (file.Size() > kMaxJsonFileBytes) {
        error = path + ": " + std::to_string(file.Size()) + " bytes, more than the " + std::to_string(kMaxJsonFileBytes)
                + " a protocol or inputs file may have";
        return false;
    }
    text.assign(file.Size(), '\0');
    if (file.Size() > 0 && !file.ReadNext(reinterpret_cast<uint8_t*>(text.data()), text.size())) {
        error = file.Describe(path);
        text.clear();
        return false;
    }
    return true;
}

bool ParseJsonText(const std::string& text, const std::string& file, nlohmann::json& out, std::string& error)
{
    if (const std::optional<ScanProblem> p = Scan(text)) {
        error = file + ":" + std::to_string(LineOfOffset(text, p->offset)) + ": " + p->message;
        return false;
    }
    try {
        out = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        // The parser counts bytes; people count lines.
        const std::string what = e.what();
        const std::size_t colon = what.find(": ", what.find("parse error"));
        error = file + ":" + std::to_string(LineOfOffset(text, e.byte == 0 ? 0 : e.byte - 1)) + ": not valid JSON"
                + (colon == std::string::npos ? "" : what.substr(colon));
        return false;
    } catch (const nlohmann::json::exception& e) {
        // What the scan above did not foresee still names the file.
        error = file + ": not usable JSON: " + e.what();
        return false;
    }
    return true;
}

} // namespace Assess
