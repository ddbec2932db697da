#include "OutcomeJson.h"

#include <nlohmann/json.hpp>

namespace Criteria {

namespace {

using Json = nlohmann::ordered_json;

Json InputJson(const InputInfo& in)
{
    Json j;
    j["channel"] = in.label;
    j["file"] = in.path;
    j["description"] = in.description;
    j["axis"] = in.axis;
    j["filter_class"] = in.filterClass == 0 ? Json(nullptr) : Json(in.filterClass);
    j["filter"] = in.filter;
    j["units"] = in.units.empty() ? Json(nullptr) : Json(in.units);
    j["criterion_unit"] = in.criterionUnit;
    return j;
}

Json ResultJson(const ResultValue& v)
{
    Json j;
    j["name"] = v.key;
    j["value"] = v.value;
    j["unit"] = v.unit;
    if (v.hasTime && v.t1 != v.t2) {
        j["t1"] = v.t1;
        j["t2"] = v.t2;
    } else if (v.hasTime) {
        j["t"] = v.t1;
    }
    if (!v.intervals.empty()) {
        Json intervals = Json::array();
        for (const auto& [t1, t2] : v.intervals)
            intervals.push_back({t1, t2});
        j["intervals"] = intervals;
    }
    if (v.hasLimit) {
        j["limit"] = v.limit;
        j["pass"] = v.Pass();
    }
    if (!v.detail.empty())
        j["detail"] = v.detail;
    return j;
}

} // namespace

std::string OutcomeJson(const Outcome& o)
{
    Json j;
    j["program"] = o.def->program;
    j["criterion"] = o.def->title;
    j["dummy"] = o.dummy->key;
    j["dummy_name"] = o.dummy->name;
    j["inputs"] = Json::array();
    for (const InputInfo& in : o.inputInfo)
        j["inputs"].push_back(InputJson(in));
    j["results"] = Json::array();
    for (const ResultValue& v : o.values)
        j["results"].push_back(ResultJson(v));
    j["warnings"] = o.notes;
    j["pass"] = o.HasLimit() ? Json(o.Pass()) : Json(nullptr);
    // Header texts are bytes; a byte that is not UTF-8 is replaced, not fatal.
    return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

} // namespace Criteria
