#include "KVTimeUnits.h"

#include <cctype>

std::string KVUnitKey(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1])))
        --e;
    std::string key = text.substr(b, e - b);
    for (char& c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

std::optional<KVTimeScale> KVTimeScaleOf(const std::string& text)
{
    struct Row {
        const char* word;
        bool withTail; // a long name: "SECONDS (S)" is seconds too
        KVTimeScale unit;
    };
    static const Row kRows[] = {
        {"SECOND", true, {1.0, "s"}},        {"SEC", false, {1.0, "s"}},    {"S", false, {1.0, "s"}},
        {"MILLISECOND", true, {1e-3, "ms"}}, {"MSEC", false, {1e-3, "ms"}}, {"MS", false, {1e-3, "ms"}},
        {"MICROSECOND", true, {1e-6, "us"}}, {"USEC", false, {1e-6, "us"}}, {"US", false, {1e-6, "us"}},
    };
    const std::string key = KVUnitKey(text);
    for (const Row& r : kRows)
        if (key == r.word || (r.withTail && key.rfind(r.word, 0) == 0))
            return r.unit;
    return std::nullopt;
}
