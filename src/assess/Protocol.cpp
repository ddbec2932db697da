#include "Protocol.h"

#include "AssessCriteria.h"
#include "JsonFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

namespace Assess {

using json = nlohmann::json;

int LineOfOffset(const std::string& text, size_t offset)
{
    offset = std::min(offset, text.size());
    return 1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(offset), '\n'));
}

const char* ScoringName(Scoring s)
{
    switch (s) {
    case Scoring::PassFail:
        return "pass_fail";
    case Scoring::SlidingScale:
        return "sliding_scale";
    case Scoring::Risk:
        return "risk";
    case Scoring::Rating:
        break;
    }
    return "rating";
}

std::optional<double> SpeedToMetresPerSecond(double value, const std::string& unit)
{
    if (unit == "km/h")
        return value / 3.6;
    if (unit == "m/s")
        return value;
    if (unit == "mph")
        return value * 0.44704;
    return std::nullopt;
}

const InputRule* Protocol::FindInput(const std::string& name) const
{
    for (const InputRule& in : inputs)
        if (in.name == name)
            return &in;
    return nullptr;
}

namespace {

// The line of every value of a JSON text that parsed, by its JSON pointer
// ("/occupants/0/regions/1"), so that a check on the parsed value can name
// the line. A small scanner of its own: the parser keeps no positions.
class LineMap {
public:
    explicit LineMap(const std::string& text) : m_t(text) { Value(""); }

    int LineOf(const std::string& pointer) const
    {
        // The nearest enclosing value that has a line.
        std::string p = pointer;
        for (;;) {
            const auto it = m_lines.find(p);
            if (it != m_lines.end())
                return it->second;
            const size_t slash = p.rfind('/');
            if (slash == std::string::npos || p.empty())
                return 1;
            p.resize(slash);
        }
    }

private:
    void Skip()
    {
        while (m_i < m_t.size() && (m_t[m_i] == ' ' || m_t[m_i] == '\t' || m_t[m_i] == '\n' || m_t[m_i] == '\r')) {
            if (m_t[m_i] == '\n')
                ++m_line;
            ++m_i;
        }
    }
    std::string String()
    {
        std::string s;
        ++m_i; // opening quote
        while (m_i < m_t.size() && m_t[m_i] != '"') {
            if (m_t[m_i] == '\\' && m_i + 1 < m_t.size())
                ++m_i;
            s += m_t[m_i++];
        }
        ++m_i;
        return s;
    }
    void Value(const std::string& path)
    {
        Skip();
        if (m_i >= m_t.size())
            return;
        m_lines.emplace(path, m_line);
        const char c = m_t[m_i];
        if (c == '{') {
            ++m_i;
            for (;;) {
                Skip();
                if (m_i >= m_t.size() || m_t[m_i] == '}')
                    break;
                if (m_t[m_i] == ',') {
                    ++m_i;
                    continue;
                }
                const int keyLine = m_line;
                const std::string key = String();
                Skip();
                ++m_i; // colon
                const std::string child = path + "/" + key;
                m_lines.emplace(child, keyLine);
                Value(child);
            }
            ++m_i;
        } else if (c == '[') {
            ++m_i;
            size_t k = 0;
            for (;;) {
                Skip();
                if (m_i >= m_t.size() || m_t[m_i] == ']')
                    break;
                if (m_t[m_i] == ',') {
                    ++m_i;
                    continue;
                }
                Value(path + "/" + std::to_string(k++));
            }
            ++m_i;
        } else if (c == '"') {
            String();
        } else {
            while (m_i < m_t.size() && !std::strchr(",]} \t\r\n", m_t[m_i]))
                ++m_i;
        }
    }

    const std::string& m_t;
    size_t m_i = 0;
    int m_line = 1;
    std::map<std::string, int> m_lines;
};

// A problem found in a value, with the pointer of that value.
struct Problem {
    std::string pointer;
    std::string message;
};

class Reader {
public:
    explicit Reader(const std::string& file) : m_file(file) {}

    std::optional<Problem> problem;

    bool Fail(const std::string& pointer, const std::string& message)
    {
        if (!problem)
            problem = Problem{pointer, message};
        return false;
    }

    bool Text(const json& o, const std::string& ptr, const char* key, std::string& out, bool required)
    {
        const auto it = o.find(key);
        if (it == o.end())
            return !required || Fail(ptr, std::string("missing \"") + key + "\"");
        if (!it->is_string() || (required && it->get<std::string>().empty()))
            return Fail(ptr + "/" + key, std::string("\"") + key + "\" must be a text that is not empty");
        out = it->get<std::string>();
        return true;
    }

    bool Number(const json& o, const std::string& ptr, const char* key, std::optional<double>& out)
    {
        const auto it = o.find(key);
        if (it == o.end())
            return true;
        if (!it->is_number() || !std::isfinite(it->get<double>()))
            return Fail(ptr + "/" + key, std::string("\"") + key + "\" must be a number");
        out = it->get<double>();
        return true;
    }

    // Every key of o must be one of known.
    bool Keys(const json& o, const std::string& ptr, std::initializer_list<const char*> known)
    {
        for (auto it = o.begin(); it != o.end(); ++it) {
            bool found = false;
            for (const char* k : known)
                found = found || it.key() == k;
            if (!found) {
                std::string list;
                for (const char* k : known)
                    list += (list.empty() ? "" : ", ") + std::string(k);
                return Fail(ptr + "/" + it.key(), "unknown key \"" + it.key() + "\" (known: " + list + ")");
            }
        }
        return true;
    }

    bool Object(const json& o, const std::string& ptr, const char* what)
    {
        return o.is_object() || Fail(ptr, std::string(what) + " must be an object");
    }

    bool Array(const json& o, const std::string& ptr, const char* key, bool required)
    {
        const auto it = o.find(key);
        if (it == o.end())
            return !required || Fail(ptr, std::string("missing \"") + key + "\"");
        return it->is_array() || Fail(ptr + "/" + key, std::string("\"") + key + "\" must be a list");
    }

    bool Input(const json& o, const std::string& ptr, InputRule& in)
    {
        if (!Object(o, ptr, "an input") || !Keys(o, ptr, {"name", "type", "unit", "default", "meaning"}))
            return false;
        std::string type;
        if (!Text(o, ptr, "name", in.name, true) || !Text(o, ptr, "type", type, true)
            || !Text(o, ptr, "unit", in.unit, false) || !Text(o, ptr, "meaning", in.meaning, true))
            return false;
        if (type != "yes_no" && type != "number" && type != "rating")
            return Fail(ptr + "/type", "an input's type is \"yes_no\", \"number\" or \"rating\", not \"" + type + "\"");
        in.isNumber = type == "number";
        in.isRating = type == "rating";
        const auto d = o.find("default");
        if (d == o.end())
            return Fail(ptr, "missing \"default\"");
        if (in.isRating) {
            in.hasDefault = !d->is_null();
            const std::optional<int> r = d->is_string() ? RatingOfName(d->get<std::string>()) : std::nullopt;
            if (in.hasDefault && !r)
                return Fail(ptr + "/default", "the default of \"" + in.name
                                                  + "\" is good, acceptable, marginal, poor or null (not observed)");
            in.defaultValue = r.value_or(0);
            return true;
        }
        if (in.isNumber ? !d->is_number() : !d->is_boolean())
            return Fail(ptr + "/default", "the default of \"" + in.name + "\" must be "
                                              + (in.isNumber ? "a number" : "true or false"));
        in.defaultValue = in.isNumber ? d->get<double>() : (d->get<bool>() ? 1 : 0);
        if (in.name == "initial_velocity" && !SpeedToMetresPerSecond(1, in.unit))
            return Fail(ptr + "/unit", "the initial velocity's unit is km/h, m/s or mph, not \"" + in.unit + "\"");
        return true;
    }

    bool Patterns(const json& a, const std::string& ptr, const CriterionRow& row, CriterionRule& c)
    {
        // One set may be written as a plain list of patterns.
        const bool flat = !a.empty() && a[0].is_string();
        const std::vector<json> sets = flat ? std::vector<json>{a} : std::vector<json>(a.begin(), a.end());
        if (sets.empty())
            return Fail(ptr, "\"channels\" lists no channel");
        for (size_t s = 0; s < sets.size(); ++s) {
            const std::string sp = flat ? ptr : ptr + "/" + std::to_string(s);
            if (!sets[s].is_array())
                return Fail(sp, "a channel set must be a list of code patterns");
            if (sets[s].size() != row.inputs.size()) {
                std::string labels;
                for (const char* l : row.labels)
                    labels += (labels.empty() ? "" : ", ") + std::string(l);
                return Fail(sp, std::string(row.name) + " takes " + std::to_string(row.inputs.size())
                                    + " channels per set (" + labels + "), not " + std::to_string(sets[s].size()));
            }
            std::vector<std::string> set;
            for (size_t k = 0; k < sets[s].size(); ++k) {
                const json& p = sets[s][k];
                const std::string pp = sp + "/" + std::to_string(k);
                if (!p.is_string() || p.get<std::string>().size() != 16)
                    return Fail(pp, "a channel code pattern has 16 characters (\"?\" for any)");
                set.push_back(p.get<std::string>());
            }
            c.channels.push_back(set);
        }
        return true;
    }

    bool Modifier(const json& o, const std::string& ptr, const Protocol& p, ModifierRule& m)
    {
        if (!Object(o, ptr, "a modifier") || !Keys(o, ptr, {"points", "at_or_above", "from", "to", "above_steps"}))
            return false;
        std::optional<double> points;
        if (!Number(o, ptr, "points", points) || !Number(o, ptr, "at_or_above", m.atOrAbove)
            || !Number(o, ptr, "from", m.from) || !Number(o, ptr, "to", m.to))
            return false;
        if (o.contains("above_steps")) {
            const json& a = o["above_steps"];
            if (!a.is_array() || a.empty())
                return Fail(ptr + "/above_steps", "\"above_steps\" is a list of [level, points]");
            for (size_t k = 0; k < a.size(); ++k) {
                const std::string sp = ptr + "/above_steps/" + std::to_string(k);
                if (!a[k].is_array() || a[k].size() != 2 || !a[k][0].is_number() || !a[k][1].is_number())
                    return Fail(sp, "a step is [level, points]");
                const double level = a[k][0].get<double>(), taken = a[k][1].get<double>();
                if (!m.steps.empty() && !(level > m.steps.back().first && taken > m.steps.back().second))
                    return Fail(sp, "steps go up in level and in points");
                if (!(taken > 0))
                    return Fail(sp, "a step takes points (more than 0)");
                m.steps.push_back({level, taken});
            }
            if (points || m.atOrAbove || m.from || m.to)
                return Fail(ptr, "a modifier with \"above_steps\" has no \"points\", \"at_or_above\", \"from\" or \"to\"");
            m.points = m.steps.back().second;
            return true;
        }
        if (p.scoring == Scoring::SlidingScale && !points)
            return Fail(ptr, "a modifier needs the \"points\" it takes");
        m.points = points.value_or(0);
        if (m.points < 0)
            return Fail(ptr + "/points", "\"points\" is the number of points taken, not negative");
        if (m.atOrAbove.has_value() == (m.from.has_value() || m.to.has_value()))
            return Fail(ptr, "a modifier has either \"at_or_above\" or \"from\" and \"to\"");
        if (m.from.has_value() != m.to.has_value() || (m.from && !(*m.from < *m.to)))
            return Fail(ptr, "a linear modifier needs \"from\" below \"to\"");
        if ((m.atOrAbove && *m.atOrAbove < 0) || (m.from && *m.from < 0))
            return Fail(ptr, "a modifier's levels lie at 0 or above");
        return true;
    }

    bool Criterion(const json& o, const std::string& ptr, const Protocol& p, bool asModifier, CriterionRule& c,
                   const LineMap& lines)
    {
        c.line = lines.LineOf(ptr);
        if (!Object(o, ptr, "a criterion")
            || !Keys(o, ptr, {"criterion", "channels", "filter", "limit", "hpl", "lpl", "capping", "exceedance",
                              "modifier", "input", "only_with", "assume_above", "note", "clip_3ms", "doubtful", "risk", "rating"}))
            return false;
        if (!asModifier && o.contains("input")) {
            if (!Text(o, ptr, "input", c.ratingInput, true) || !Text(o, ptr, "criterion", c.criterion, true)
                || !Text(o, ptr, "note", c.note, false))
                return false;
            const InputRule* in = p.FindInput(c.ratingInput);
            if (!in || !in->isRating || p.scoring != Scoring::Rating)
                return Fail(ptr + "/input", "\"" + c.ratingInput + "\" is no rating input of a rating protocol");
            return true;
        }
        if (asModifier && o.contains("input")) {
            ModifierRule m;
            if (!Text(o, ptr, "input", m.input, true) || !Text(o, ptr, "criterion", c.criterion, true))
                return false;
            const InputRule* in = p.FindInput(m.input);
            if (!in || in->isNumber)
                return Fail(ptr + "/input", "\"" + m.input + "\" is no yes/no input of the protocol");
            std::optional<double> points;
            if (!Number(o, ptr, "points", points))
                return false;
            if (p.scoring == Scoring::SlidingScale && !points)
                return Fail(ptr, "a modifier needs the \"points\" it takes");
            m.points = points.value_or(0);
            c.modifier = m;
            return true;
        }
        if (!Text(o, ptr, "criterion", c.criterion, true))
            return false;
        const CriterionRow* row = FindCriterionRow(c.criterion);
        if (!row) {
            std::string names;
            for (const CriterionRow& r : CriterionRows())
                names += (names.empty() ? "" : ", ") + std::string(r.name);
            return Fail(ptr + "/criterion", "unknown criterion \"" + c.criterion + "\" (known: " + names + ")");
        }
        if (!Array(o, ptr, "channels", true) || !Patterns(o["channels"], ptr + "/channels", *row, c))
            return false;
        std::optional<double> filter;
        if (!Number(o, ptr, "filter", filter))
            return false;
        if (!filter || (*filter != 60 && *filter != 180 && *filter != 600 && *filter != 1000))
            return Fail(ptr + (filter ? "/filter" : ""), "\"filter\" is the channel class: 60, 180, 600 or 1000");
        c.filterClass = int(*filter);
        if (!Number(o, ptr, "limit", c.limit) || !Number(o, ptr, "hpl", c.hpl) || !Number(o, ptr, "lpl", c.lpl)
            || !Number(o, ptr, "capping", c.capping) || !Number(o, ptr, "assume_above", c.assumeAbove))
            return false;
        if (!Text(o, ptr, "only_with", c.onlyWith, false) || !Text(o, ptr, "note", c.note, false)
            || !Text(o, ptr, "doubtful", c.doubtful, false))
            return false;
        const bool clip = c.criterion == "head_a3ms" || c.criterion == "chest_a3ms";
        if (o.contains("clip_3ms") != clip)
            return Fail(ptr + (clip ? "" : "/clip_3ms"),
                        clip ? "a 3 ms value says \"clip_3ms\": \"cumulative\" (intervals that add up) or \"single_run\""
                             : "only a 3 ms value (head_a3ms, chest_a3ms) has \"clip_3ms\"");
        if (clip) {
            std::string how;
            if (!Text(o, ptr, "clip_3ms", how, true))
                return false;
            if (how != "cumulative" && how != "single_run")
                return Fail(ptr + "/clip_3ms", "\"clip_3ms\" is \"cumulative\" or \"single_run\", not \"" + how + "\"");
            c.cumulative3ms = how == "cumulative";
        }
        // Every criterion value is a peak magnitude, never below 0: a negative
        // limit would fail every test without saying why.
        using Bound = std::pair<const char*, std::optional<double>>;
        for (const Bound& b : {Bound{"limit", c.limit}, Bound{"hpl", c.hpl}, Bound{"lpl", c.lpl},
                               Bound{"capping", c.capping}, Bound{"assume_above", c.assumeAbove}})
            if (b.second && *b.second < 0)
                return Fail(ptr + "/" + b.first, std::string("\"") + b.first + "\" " + Num(*b.second)
                                                     + " lies below 0, where no " + row->name + " value can");
        if (!c.onlyWith.empty()) {
            const InputRule* in = p.FindInput(c.onlyWith);
            if (!in || in->isNumber)
                return Fail(ptr + "/only_with", "\"" + c.onlyWith + "\" is no yes/no input of the protocol");
        }
        if (o.contains("exceedance")) {
            if (!row->hasHistory)
                return Fail(ptr + "/exceedance", std::string(row->name) + " has no time history to judge by a curve");
            const json& e = o["exceedance"];
            if (!e.is_array() || e.empty())
                return Fail(ptr + "/exceedance", "\"exceedance\" is a list of [ms, level] points");
            for (size_t k = 0; k < e.size(); ++k) {
                const std::string ep = ptr + "/exceedance/" + std::to_string(k);
                if (!e[k].is_array() || e[k].size() != 2 || !e[k][0].is_number() || !e[k][1].is_number())
                    return Fail(ep, "an exceedance point is [ms, level]");
                const double t = e[k][0].get<double>(), f = e[k][1].get<double>();
                if (!c.exceedance.empty() && (t < c.exceedance.back().first || f > c.exceedance.back().second))
                    return Fail(ep, "exceedance points go forward in time and never up in level");
                if (c.exceedance.empty() && t != 0)
                    return Fail(ep, "an exceedance curve starts at 0 ms");
                if (f < 0)
                    return Fail(ep, "an exceedance level lies at 0 or above");
                c.exceedance.push_back({t, f});
            }
        }
        if (o.contains("modifier")) {
            if (!asModifier)
                return Fail(ptr + "/modifier", "a modifier belongs in a \"modifiers\" list");
            ModifierRule m;
            if (!Modifier(o["modifier"], ptr + "/modifier", p, m))
                return false;
            c.modifier = m;
        } else if (asModifier) {
            return Fail(ptr, "an entry of \"modifiers\" needs a \"modifier\" or an \"input\"");
        }
        // Beside a sliding scale, an exceedance curve is the duration form of
        // its lower performance limit: exceeding it takes every point.
        const bool scale = c.hpl.has_value() || c.lpl.has_value();
        const int kinds = int(c.limit.has_value()) + int(scale) + int(!c.exceedance.empty() && !scale)
                          + int(c.modifier.has_value());
        if (kinds > 1)
            return Fail(ptr, "a criterion has one of \"limit\", \"hpl\"/\"lpl\", \"exceedance\" or \"modifier\"");
        if (c.hpl.has_value() != c.lpl.has_value())
            return Fail(ptr, "a sliding scale needs both \"hpl\" and \"lpl\"");
        if (c.hpl && !(*c.hpl < *c.lpl))
            return Fail(ptr + "/hpl", "the higher performance limit (hpl " + Num(*c.hpl)
                                          + ") must lie below the lower performance limit (lpl " + Num(*c.lpl) + ")");
        if (c.lpl && !c.exceedance.empty() && c.exceedance.front().second != *c.lpl)
            return Fail(ptr + "/exceedance", "the duration form of the lower performance limit starts at it: [0, "
                                                 + Num(*c.lpl) + "], not [0, " + Num(c.exceedance.front().second)
                                                 + "]");
        // At the higher limit a value still earns full points: capping there would take them all.
        if (c.capping && c.hpl && *c.capping <= *c.hpl)
            return Fail(ptr + "/capping", "the capping limit lies at or below the higher performance limit");
        if (o.contains("risk") && !ParseRisk(o["risk"], ptr + "/risk", *row, c))
            return false;
        if (o.contains("rating") && !ParseRating(o["rating"], ptr + "/rating", c))
            return false;
        if ((c.risk && p.scoring != Scoring::Risk) || (!c.rating.empty() && p.scoring != Scoring::Rating))
            return Fail(ptr + (c.risk ? "/risk" : "/rating"), std::string("only a ") + (c.risk ? "risk" : "rating")
                                                                  + " protocol's criterion has \""
                                                                  + (c.risk ? "risk" : "rating") + "\"");
        if ((c.risk || !c.rating.empty()) && (c.limit || c.hpl || c.modifier || !c.exceedance.empty()))
            return Fail(ptr, "a criterion with a risk curve or rating boundaries has no other limits");
        if (c.limit && (p.scoring == Scoring::Risk || p.scoring == Scoring::Rating))
            return Fail(ptr + "/limit", std::string("a ") + ScoringName(p.scoring) + " protocol has no pass/fail \"limit\"");
        if (c.hpl && p.scoring != Scoring::SlidingScale)
            return Fail(ptr + "/hpl", "a pass/fail protocol judges by \"limit\", not by a sliding scale");
        if (c.limit && p.scoring == Scoring::SlidingScale)
            return Fail(ptr + "/limit", "a sliding-scale protocol scores by \"hpl\" and \"lpl\", not by \"limit\"");
        return true;
    }

    // A risk curve; its unit the criterion's, or N beside kN.
    bool ParseRisk(const json& o, const std::string& ptr, const CriterionRow& row, CriterionRule& c)
    {
        if (!Object(o, ptr, "a risk curve") || !Keys(o, ptr, {"form", "mu", "sigma", "a", "b", "power", "unit"}))
            return false;
        RiskCurve r;
        std::string form;
        if (!Text(o, ptr, "form", form, true) || !Text(o, ptr, "unit", r.unit, false))
            return false;
        std::optional<double> mu, sigma, a, b, power;
        if (!Number(o, ptr, "mu", mu) || !Number(o, ptr, "sigma", sigma) || !Number(o, ptr, "a", a)
            || !Number(o, ptr, "b", b) || !Number(o, ptr, "power", power))
            return false;
        if (form == "normal_log") {
            if (!mu || !sigma || !(*sigma > 0) || a || b || power)
                return Fail(ptr, "a \"normal_log\" curve has \"mu\" and \"sigma\" (above 0) alone");
            r.form = RiskCurve::Form::NormalOfLog;
            r.a = *mu;
            r.b = *sigma;
        } else if (form == "logistic") {
            if (!a || !b || mu || sigma || (power && !(*power > 0)))
                return Fail(ptr, "a \"logistic\" curve has \"a\", \"b\" and perhaps \"power\" (above 0)");
            r.form = RiskCurve::Form::Logistic;
            r.a = *a;
            r.b = *b;
            r.power = power.value_or(1);
        } else {
            return Fail(ptr + "/form", "a risk curve's \"form\" is \"normal_log\" or \"logistic\", not \"" + form + "\"");
        }
        const std::string unit = row.unit;
        if (r.unit.empty() || r.unit == unit)
            r.unit = unit;
        else if (r.unit == "N" && unit == "kN")
            r.scale = 1000;
        else
            return Fail(ptr + "/unit", "the curve's unit is the criterion's (" + unit + ")" + (unit == "kN" ? " or N" : "")
                                           + ", not \"" + r.unit + "\"");
        c.risk = r;
        return true;
    }

    bool ParseRating(const json& a, const std::string& ptr, CriterionRule& c)
    {
        if (!a.is_array() || a.size() != 3)
            return Fail(ptr, "\"rating\" is [good, acceptable, marginal]: the highest value of each");
        for (size_t k = 0; k < 3; ++k) {
            if (!a[k].is_number() || !std::isfinite(a[k].get<double>()))
                return Fail(ptr + "/" + std::to_string(k), "a rating boundary is a number");
            if (k > 0 && !(a[k].get<double>() > c.rating.back()))
                return Fail(ptr + "/" + std::to_string(k), "rating boundaries rise from good to marginal");
            c.rating.push_back(a[k].get<double>());
        }
        return true;
    }

    bool ParseStars(const json& o, const std::string& ptr, Protocol& p)
    {
        if (!Object(o, ptr, "\"stars\"") || !Keys(o, ptr, {"baseline_risk", "below", "otherwise"}))
            return false;
        StarBands s;
        std::optional<double> baseline, otherwise;
        if (!Number(o, ptr, "baseline_risk", baseline) || !Number(o, ptr, "otherwise", otherwise))
            return false;
        if (!baseline || !(*baseline > 0 && *baseline < 1) || !otherwise)
            return Fail(ptr, "\"stars\" needs \"baseline_risk\" (between 0 and 1), \"below\" and \"otherwise\"");
        s.baselineRisk = *baseline;
        s.otherwise = int(*otherwise);
        const auto b = o.find("below");
        if (b == o.end() || !b->is_array() || b->empty())
            return Fail(ptr, "\"below\" is a list of [relative risk, stars]");
        for (size_t k = 0; k < b->size(); ++k) {
            const json& e = (*b)[k];
            if (!e.is_array() || e.size() != 2 || !e[0].is_number() || !e[1].is_number_integer()
                || (!s.below.empty() && !(e[0].get<double>() > s.below.back().first)))
                return Fail(ptr + "/below/" + std::to_string(k), "a star band is [relative risk, stars], the bounds rising");
            s.below.push_back({e[0].get<double>(), e[1].get<int>()});
        }
        p.stars = s;
        return true;
    }

    static std::string Num(double v)
    {
        std::ostringstream s;
        s << v;
        return s.str();
    }

    bool Region(const json& o, const std::string& ptr, const Protocol& p, RegionRule& r, const LineMap& lines)
    {
        if (!Object(o, ptr, "a region") || !Keys(o, ptr, {"region", "max_score", "criteria", "modifiers"}))
            return false;
        std::optional<double> maxScore;
        if (!Text(o, ptr, "region", r.region, true) || !Number(o, ptr, "max_score", maxScore)
            || !Array(o, ptr, "criteria", true) || !Array(o, ptr, "modifiers", false))
            return false;
        r.maxScore = maxScore.value_or(0);
        if (!Criteria(o, ptr, "criteria", p, r.criteria, lines) || !Criteria(o, ptr, "modifiers", p, r.modifiers, lines))
            return false;
        // A region whose criteria have no published limits only shows its measures: it has no points.
        const bool monitored = r.modifiers.empty()
                               && std::all_of(r.criteria.begin(), r.criteria.end(), [](const CriterionRule& c) {
                                      return !c.limit && !c.hpl && c.exceedance.empty() && !c.modifier;
                                  });
        if (p.scoring == Scoring::SlidingScale && monitored != !maxScore)
            return Fail(ptr, monitored ? "a region that only shows measures (no limits) has no \"max_score\""
                                       : "a scored region needs its \"max_score\"");
        if (maxScore && !(*maxScore > 0))
            return Fail(ptr + "/max_score", "\"max_score\" is above 0");
        return true;
    }

    // The criteria of the list key of o (the entries of "modifiers" are modifiers).
    bool Criteria(const json& o, const std::string& ptr, const char* key, const Protocol& p,
                  std::vector<CriterionRule>& out, const LineMap& lines)
    {
        if (!o.contains(key))
            return true;
        const bool modifiers = std::string(key) == "modifiers";
        for (size_t k = 0; k < o[key].size(); ++k) {
            CriterionRule c;
            if (!Criterion(o[key][k], ptr + "/" + key + "/" + std::to_string(k), p, modifiers, c, lines))
                return false;
            out.push_back(std::move(c));
        }
        return true;
    }

    bool Occupant(const json& o, const std::string& ptr, const Protocol& p, OccupantRule& occ, const LineMap& lines)
    {
        if (!Object(o, ptr, "an occupant")
            || !Keys(o, ptr, {"label", "positions", "dummy", "regions", "modifiers"}))
            return false;
        if (!Text(o, ptr, "label", occ.label, true) || !Text(o, ptr, "dummy", occ.dummy, true)
            || !Array(o, ptr, "positions", true) || !Array(o, ptr, "regions", true)
            || !Array(o, ptr, "modifiers", false))
            return false;
        if (std::find(p.dummies.begin(), p.dummies.end(), occ.dummy) == p.dummies.end())
            return Fail(ptr + "/dummy", "dummy \"" + occ.dummy + "\" is not in the protocol's \"dummies\"");
        for (size_t k = 0; k < o["positions"].size(); ++k) {
            const json& v = o["positions"][k];
            if (!v.is_string() || v.get<std::string>().size() != 1)
                return Fail(ptr + "/positions/" + std::to_string(k), "a position is one code character (\"1\")");
            occ.positions.push_back(v.get<std::string>()[0]);
        }
        if (occ.positions.empty())
            return Fail(ptr + "/positions", "an occupant needs at least one position");
        for (size_t k = 0; k < o["regions"].size(); ++k) {
            RegionRule r;
            if (!Region(o["regions"][k], ptr + "/regions/" + std::to_string(k), p, r, lines))
                return false;
            occ.regions.push_back(std::move(r));
        }
        return Criteria(o, ptr, "modifiers", p, occ.modifiers, lines);
    }

    bool ProtocolObject(const json& o, Protocol& p, const LineMap& lines)
    {
        if (!Object(o, "", "a protocol file")
            || !Keys(o, "", {"id", "name", "version", "date", "source", "scoring", "notes", "window_ms", "dummies",
                             "inputs", "occupants", "stars"}))
            return false;
        std::string scoring;
        if (!Text(o, "", "id", p.id, true) || !Text(o, "", "name", p.name, true)
            || !Text(o, "", "version", p.version, true) || !Text(o, "", "date", p.date, true)
            || !Text(o, "", "source", p.source, true) || !Text(o, "", "scoring", scoring, true))
            return false;
        bool known = false;
        for (Scoring s : {Scoring::PassFail, Scoring::SlidingScale, Scoring::Risk, Scoring::Rating})
            if (scoring == ScoringName(s)) {
                p.scoring = s;
                known = true;
            }
        if (!known)
            return Fail("/scoring", "\"scoring\" is \"pass_fail\", \"sliding_scale\", \"risk\" or \"rating\", not \""
                                        + scoring + "\"");
        if (o.contains("stars") && (p.scoring != Scoring::Risk || !ParseStars(o["stars"], "/stars", p)))
            return Fail("/stars", "only a risk protocol has \"stars\"");
        if (!Array(o, "", "notes", false) || !Array(o, "", "dummies", true) || !Array(o, "", "inputs", false)
            || !Array(o, "", "occupants", true))
            return false;
        if (o.contains("notes"))
            for (size_t k = 0; k < o["notes"].size(); ++k) {
                if (!o["notes"][k].is_string())
                    return Fail("/notes/" + std::to_string(k), "a note is a text");
                p.notes.push_back(o["notes"][k].get<std::string>());
            }
        if (o.contains("window_ms")) {
            const json& w = o["window_ms"];
            if (!w.is_array() || w.size() != 2 || !w[0].is_number() || !w[1].is_number()
                || !(w[0].get<double>() < w[1].get<double>()))
                return Fail("/window_ms", "\"window_ms\" is [from, to] in ms, from below to");
            p.windowFrom = w[0].get<double>() / 1000;
            p.windowTo = w[1].get<double>() / 1000;
        }
        for (size_t k = 0; k < o["dummies"].size(); ++k) {
            if (!o["dummies"][k].is_string())
                return Fail("/dummies/" + std::to_string(k), "a dummy is named by its key (\"h3-50m\")");
            p.dummies.push_back(o["dummies"][k].get<std::string>());
        }
        if (o.contains("inputs"))
            for (size_t k = 0; k < o["inputs"].size(); ++k) {
                InputRule in;
                if (!Input(o["inputs"][k], "/inputs/" + std::to_string(k), in))
                    return false;
                if (p.FindInput(in.name))
                    return Fail("/inputs/" + std::to_string(k), "input \"" + in.name + "\" is declared twice");
                p.inputs.push_back(in);
            }
        for (size_t k = 0; k < o["occupants"].size(); ++k) {
            OccupantRule occ;
            if (!Occupant(o["occupants"][k], "/occupants/" + std::to_string(k), p, occ, lines))
                return false;
            p.occupants.push_back(std::move(occ));
        }
        if (p.occupants.empty())
            return Fail("/occupants", "a protocol assesses at least one occupant");
        return true;
    }

private:
    std::string m_file;
};

} // namespace

int JsonLineOf(const std::string& text, const std::string& pointer)
{
    return LineMap(text).LineOf(pointer);
}

bool ParseProtocol(const std::string& text, const std::string& file, Protocol& out, std::string& error)
{
    out = Protocol{};
    json j;
    if (!ParseJsonText(text, file, j, error))
        return false;
    const LineMap lines(text);
    Reader reader(file);
    Protocol p;
    p.file = file;
    if (!reader.ProtocolObject(j, p, lines)) {
        error = file + ":" + std::to_string(lines.LineOf(reader.problem->pointer)) + ": " + reader.problem->message;
        return false;
    }
    out = std::move(p);
    return true;
}

bool LoadProtocolFile(const std::string& path, Protocol& out, std::string& error)
{
    std::string text;
    return ReadJsonFile(path, text, error) && ParseProtocol(text, path, out, error);
}

} // namespace Assess
