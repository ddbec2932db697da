#include "AssessInputs.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>

namespace Assess {

bool ReadInputs(const Protocol& protocol, const std::string& text, const std::string& file,
                std::vector<InputUse>& inputs, std::string& error)
{
    inputs.clear();
    for (const InputRule& in : protocol.inputs)
        inputs.push_back({in.name, in.isNumber, in.isRating, in.hasDefault, in.unit, in.meaning, in.defaultValue,
                          "default"});
    if (text.empty())
        return true;
    nlohmann::json j;
    try {
        j = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        const std::string what = e.what();
        const size_t colon = what.find(": ", what.find("parse error"));
        error = file + ":" + std::to_string(LineOfOffset(text, e.byte == 0 ? 0 : e.byte - 1)) + ": not valid JSON"
                + (colon == std::string::npos ? "" : what.substr(colon));
        return false;
    }
    if (!j.is_object()) {
        error = file + ":1: the inputs are one object of names and values ({\"door_opened\": true})";
        return false;
    }
    for (auto it = j.begin(); it != j.end(); ++it) {
        const int line = JsonLineOf(text, "/" + it.key());
        auto use = std::find_if(inputs.begin(), inputs.end(), [&](const InputUse& u) { return u.name == it.key(); });
        if (use == inputs.end()) {
            std::string names;
            for (const InputRule& in : protocol.inputs)
                names += (names.empty() ? "" : ", ") + in.name;
            error = file + ":" + std::to_string(line) + ": \"" + it.key() + "\" is no input of " + protocol.id
                    + (names.empty() ? " (it declares none)" : " (its inputs: " + names + ")");
            return false;
        }
        if (use->isRating) {
            const std::optional<int> r = it->is_string() ? RatingOfName(it->get<std::string>()) : std::nullopt;
            if (!r) {
                error = file + ":" + std::to_string(line) + ": \"" + it.key()
                        + "\" is good, acceptable, marginal or poor, not " + it->dump();
                return false;
            }
            use->value = *r;
            use->given = true;
            use->source = "file";
            continue;
        }
        if (use->isNumber ? !(it->is_number() && std::isfinite(it->get<double>())) : !it->is_boolean()) {
            error = file + ":" + std::to_string(line) + ": \"" + it.key() + "\" is "
                    + (use->isNumber ? "a number" + (use->unit.empty() ? "" : " in " + use->unit) : "true or false")
                    + ", not " + it->dump();
            return false;
        }
        use->value = use->isNumber ? it->get<double>() : (it->get<bool>() ? 1 : 0);
        use->source = "file";
    }
    return true;
}

} // namespace Assess
