#include "CorrelationMap.h"

#include "KVFileBytes.h"
#include "KVFilterClass.h"
#include "KVPrintableName.h"
#include "Protocol.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <optional>

namespace Correlate {

namespace {

using json = nlohmann::json;

// A problem with the value at a JSON pointer of the map.
struct Problem {
    std::string pointer;
    std::string message;
};

bool IsClass(int cfc) { return KVIsChannelClass(cfc); }

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return s;
}

std::optional<Problem> ReadPair(const json& o, const std::string& ptr, MapPair& p)
{
    if (!o.is_object())
        return Problem{ptr, "a pair is an object {\"test\": CODE, \"simulation\": CHANNEL}"};
    for (const auto& [key, value] : o.items())
        if (key != "test" && key != "simulation" && key != "factor" && key != "sign" && key != "cfc")
            return Problem{ptr + "/" + key, "unknown key \"" + key + "\" (test, simulation, factor, sign, cfc)"};
    if (!o.contains("test") || !o["test"].is_string())
        return Problem{ptr, "the pair needs \"test\": the channel code of the test"};
    if (!o.contains("simulation") || !o["simulation"].is_string() || o["simulation"].get<std::string>().empty())
        return Problem{ptr, "the pair needs \"simulation\": a channel of the simulation (FILE/ID/VARIABLE)"};
    p.test = Upper(o["test"].get<std::string>());
    if (p.test.size() != 16)
        return Problem{ptr + "/test", "\"" + KVPrintableText(p.test) + "\" is no 16-character channel code"};
    p.simulation = o["simulation"].get<std::string>();
    if (o.contains("factor")) {
        const json& f = o["factor"];
        if (!f.is_number() || !std::isfinite(f.get<double>()) || f.get<double>() == 0.0)
            return Problem{ptr + "/factor", "\"factor\" takes a number other than 0"};
        p.factor = f.get<double>();
    }
    if (o.contains("sign")) {
        const json& s = o["sign"];
        if (!s.is_string() || (s != "+" && s != "-"))
            return Problem{ptr + "/sign", "\"sign\" takes \"+\" or \"-\""};
        if (s == "-")
            p.factor = -p.factor;
    }
    if (o.contains("cfc")) {
        const json& c = o["cfc"];
        if (!c.is_number_integer() || !IsClass(c.get<int>()))
            return Problem{ptr + "/cfc", "\"cfc\" takes a channel class: 60, 180, 600 or 1000"};
        p.cfc = c.get<int>();
    }
    return std::nullopt;
}

std::optional<Problem> ReadMap(const json& j, std::vector<MapPair>& pairs)
{
    if (!j.is_object() || !j.contains("pairs"))
        return Problem{"", "a map is an object {\"pairs\": [...]}"};
    for (const auto& [key, value] : j.items())
        if (key != "pairs")
            return Problem{"/" + key, "unknown key \"" + key + "\" (pairs)"};
    const json& list = j["pairs"];
    if (!list.is_array() || list.empty())
        return Problem{"/pairs", "\"pairs\" is a list of at least one pair"};
    for (size_t k = 0; k < list.size(); ++k) {
        const std::string ptr = "/pairs/" + std::to_string(k);
        MapPair p;
        if (std::optional<Problem> problem = ReadPair(list[k], ptr, p))
            return problem;
        for (size_t e = 0; e < pairs.size(); ++e)
            if (pairs[e].test == p.test && pairs[e].simulation == p.simulation)
                return Problem{ptr, "pair " + std::to_string(k + 1) + " repeats pair " + std::to_string(e + 1)};
        p.line = static_cast<int>(k); // the pointer's index until the lines are known
        pairs.push_back(std::move(p));
    }
    return std::nullopt;
}

} // namespace

bool ParseMap(const std::string& text, const std::string& file, std::vector<MapPair>& pairs, std::string& error)
{
    pairs.clear();
    json j;
    try {
        j = json::parse(text);
    } catch (const json::parse_error& e) {
        error = file + ":" + std::to_string(Assess::LineOfOffset(text, e.byte == 0 ? 0 : e.byte - 1))
                + ": not valid JSON";
        return false;
    }
    std::vector<MapPair> read;
    if (std::optional<Problem> problem = ReadMap(j, read)) {
        error = file + ":" + std::to_string(Assess::JsonLineOf(text, problem->pointer)) + ": " + problem->message;
        return false;
    }
    for (MapPair& p : read)
        p.line = Assess::JsonLineOf(text, "/pairs/" + std::to_string(p.line));
    pairs = std::move(read);
    return true;
}

bool LoadMap(const std::string& path, std::vector<MapPair>& pairs, std::string& error)
{
    KVFileBytes bytes;
    if (bytes.Read(path) != KVFileBytes::Ok) {
        error = bytes.Describe(path);
        return false;
    }
    const std::string text = bytes.Size() ? std::string(reinterpret_cast<const char*>(bytes.Data()), bytes.Size()) : std::string();
    return ParseMap(text, KVPrintableName(path), pairs, error);
}

} // namespace Correlate
