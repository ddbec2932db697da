#include "AssessInputs.h"

#include "JsonFile.h"

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
    if (!ParseJsonText(text, file, j, error))
        return false;
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

bool ReadInputsFile(const std::string& path, std::string& text, std::string& error)
{
    if (!ReadJsonFile(path, text, error))
        return false;
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        // Taken as "no inputs" it would hide a file that was not saved.
        error = path + ": empty; an inputs file is one JSON object ({} for none)";
        text.clear();
        return false;
    }
    return true;
}

} // namespace Assess
