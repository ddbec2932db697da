#include "AssessReport.h"

#include "ResultLook.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace Assess {

namespace {

using ojson = nlohmann::ordered_json;

ojson Opt(const std::optional<double>& v)
{
    return v && std::isfinite(*v) ? ojson(*v) : ojson(nullptr);
}

ojson CriterionJson(const CriterionResult& c)
{
    ojson o;
    o["criterion"] = c.criterion;
    o["value"] = c.status == Status::NotAvailable ? ojson(nullptr) : Opt(c.value);
    o["unit"] = c.unit;
    o["t1"] = Opt(c.t1);
    o["t2"] = Opt(c.t2);
    o["limit"] = Opt(c.limit);
    o["hpl"] = Opt(c.hpl);
    o["lpl"] = Opt(c.lpl);
    o["capping"] = Opt(c.capping);
    o["score"] = Opt(c.score);
    o["band"] = c.band ? ojson(BandName(*c.band)) : c.rating ? ojson(RatingName(*c.rating)) : ojson(nullptr);
    o["verdict"] = c.pass ? ojson(*c.pass ? "pass" : "fail") : ojson(nullptr);
    o["status"] = StatusName(c.status);
    o["reason"] = c.reason.empty() ? ojson(nullptr) : ojson(c.reason);
    ojson channels = ojson::array();
    for (const ChannelUse& u : c.channels)
        channels.push_back({{"code", u.code}, {"name", u.name}, {"path", u.path}, {"filter", u.filter}});
    o["channels"] = channels;
    o["filter"] = c.filterClass ? ojson(c.filterClass) : ojson(nullptr);
    if (c.byRisk)
        o["risk"] = Opt(c.risk);
    if (!c.ratingBounds.empty())
        o["rating_bounds"] = c.ratingBounds; // good, acceptable, marginal: the highest value of each
    if (c.maxScore)
        o["max_score"] = *c.maxScore;
    if (c.bandScore)
        o["band_score"] = *c.bandScore;
    if (c.band)
        o["band_colour"] = BandColour(*c.band);
    if (c.capping)
        o["capped"] = c.capped;
    if (c.isModifier) {
        o["modifier"] = true;
        o["points_taken"] = Opt(c.pointsTaken);
        if (!c.input.empty())
            o["input"] = c.input;
    }
    if (!c.curve.empty()) {
        ojson curve = ojson::array();
        for (const auto& [t, f] : c.curve)
            curve.push_back({t, f});
        ojson e;
        e["curve"] = curve; // ms, level
        if (c.exceedance) {
            e["judged"] = c.exceedance->judged;
            e["level"] = c.exceedance->level;
            e["duration"] = c.exceedance->duration;
            e["allowed"] = std::isfinite(c.exceedance->allowed) ? ojson(c.exceedance->allowed) : ojson(nullptr);
            e["margin"] = std::isfinite(c.exceedance->margin) ? ojson(c.exceedance->margin) : ojson(nullptr);
        }
        o["exceedance"] = e;
    }
    if (!c.notes.empty())
        o["notes"] = c.notes;
    return o;
}

std::string Pad(std::string s, size_t width)
{
    if (s.size() < width)
        s.append(width - s.size(), ' ');
    return s;
}

// The result as every output shows it, with the colour word and the points
// by band (from 2026) beside a band.
std::string JudgementText(const CriterionResult& c, bool scored)
{
    std::string s = CriterionLook(c, scored).text;
    if (scored && c.status == Status::Ok && c.score && c.band)
        s += std::string(" (") + BandColour(*c.band) + ", 2026: " + Fixed(c.bandScore.value_or(0), 2) + ")";
    return s;
}

void CriterionLines(const CriterionResult& c, bool scored, std::string& out)
{
    const std::string value = CriterionValueText(c);
    out += "    " + Pad(c.criterion, 28) + Pad(value, 10) + Pad(c.unit, 5) + Pad(CriterionLimitText(c), 24)
           + JudgementText(c, scored) + "\n";
    if (const std::string reason = ReasonText(c); !reason.empty())
        out += "        " + reason + "\n";
    for (const std::string& line : DetailLines(c))
        out += "        " + line + "\n";
}

} // namespace

std::string Fixed(double v, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

int ReportedDecimals(const std::string& unit, double v)
{
    if (unit == "kN" || unit == "m/s")
        return 3;
    if (unit == "" && std::fabs(v) < 10)
        return 3;
    return 1;
}

std::string CriterionLimitText(const CriterionResult& c)
{
    auto n = [&](double v) { return Fixed(v, ReportedDecimals(c.unit, v)); };
    if (c.limit)
        return "<= " + n(*c.limit);
    if (c.ratingBounds.size() == 3)
        return n(c.ratingBounds[0]) + " / " + n(c.ratingBounds[1]) + " / " + n(c.ratingBounds[2]);
    if (c.byRisk)
        return "risk curve";
    if (c.hpl)
        return n(*c.hpl) + " / " + n(*c.lpl) + (c.capping ? " cap " + n(*c.capping) : std::string())
               + (c.curve.empty() ? "" : " + curve");
    if (!c.curve.empty())
        return "curve";
    return "";
}

std::string ModifierText(const CriterionResult& c)
{
    if (c.pointsTaken)
        return *c.pointsTaken > 0 ? Fixed(*c.pointsTaken, 2) + " points off" : "no points off";
    return c.pass ? (*c.pass ? "pass" : "FAIL") : "";
}

std::string CriterionTitle(const CriterionResult& c)
{
    std::string t = c.title.empty() ? c.criterion : c.title;
    std::replace(t.begin(), t.end(), '_', ' ');
    if (!t.empty() && t[0] >= 'a' && t[0] <= 'z')
        t[0] = static_cast<char>(t[0] - 'a' + 'A');
    return t;
}

std::string InputUseText(const InputUse& in)
{
    return in.name + " = " + InputValueText(in) + " (" + in.source + ")";
}

std::string InputValueText(const InputUse& in)
{
    if (in.isRating)
        return in.given ? RatingName(Rating(int(in.value))) : "not observed";
    if (in.isNumber)
        return Fixed(in.value, 2) + (in.unit.empty() ? "" : " " + in.unit);
    return in.value != 0 ? "yes" : "no";
}

std::string CriterionValueText(const CriterionResult& c)
{
    if (!c.input.empty() && !c.isModifier)
        return c.rating ? "observed" : "-";
    if (!c.input.empty())
        return c.value && *c.value != 0 ? "yes" : "no";
    return c.value && c.status != Status::NotAvailable ? Fixed(*c.value, ReportedDecimals(c.unit, *c.value)) : "-";
}

std::string ReplacementText(const Protocol& p)
{
    return "protocol file " + p.file + " replaces the shipped " + p.replaces;
}

std::string AssessmentJson(const Assessment& a, int indent)
{
    const Protocol& p = a.protocol;
    const bool scored = p.scoring == Scoring::SlidingScale;
    ojson j;
    j["protocol"] = {{"id", p.id}, {"name", p.name}, {"version", p.version}, {"source", p.source}};
    if (!p.replaces.empty()) {
        j["protocol"]["file"] = p.file;
        j["protocol"]["replaces"] = p.replaces;
    }
    j["test"] = a.test;
    ojson inputs = ojson::array();
    for (const InputUse& in : a.inputs) {
        ojson o;
        o["name"] = in.name;
        o["value"] = in.isRating ? (in.given ? ojson(RatingName(Rating(int(in.value)))) : ojson(nullptr))
                     : in.isNumber ? ojson(in.value) : ojson(in.value != 0);
        o["unit"] = in.unit;
        o["source"] = in.source;
        o["meaning"] = in.meaning;
        inputs.push_back(o);
    }
    j["inputs"] = inputs;
    ojson occupants = ojson::array();
    for (const OccupantResult& o : a.occupants) {
        ojson occ;
        occ["position"] = std::string(1, o.position);
        occ["label"] = o.label;
        occ["dummy"] = o.dummy;
        occ["verdict"] = o.verdict.empty() ? ojson(nullptr) : ojson(o.verdict);
        occ["score"] = scored ? Opt(o.score) : ojson(nullptr);
        occ["max_score"] = scored ? ojson(o.maxScore) : ojson(nullptr);
        if (scored)
            occ["band_score"] = Opt(o.bandScore);
        occ["capped"] = o.capped.empty() ? ojson(nullptr) : ojson(o.capped);
        if (p.scoring == Scoring::Risk) {
            occ["risk"] = Opt(o.risk);
            occ["relative_risk"] = Opt(o.relativeRisk);
            occ["stars"] = o.stars ? ojson(*o.stars) : ojson(nullptr);
        }
        ojson regions = ojson::array();
        for (const RegionResult& r : o.regions) {
            ojson region;
            region["region"] = r.region;
            region["score"] = scored ? Opt(r.score) : ojson(nullptr);
            region["max_score"] = scored ? ojson(r.maxScore) : ojson(nullptr);
            region["band"] = r.band ? ojson(BandName(*r.band)) : r.rating ? ojson(RatingName(*r.rating)) : ojson(nullptr);
            if (p.scoring == Scoring::Risk)
                region["risk"] = Opt(r.risk);
            if (scored)
                region["band_score"] = Opt(r.bandScore);
            else if (p.scoring == Scoring::PassFail)
                region["verdict"] = r.pass ? ojson(*r.pass ? "pass" : "fail") : ojson(nullptr);
            ojson criteria = ojson::array();
            for (const CriterionResult& c : r.criteria)
                criteria.push_back(CriterionJson(c));
            for (const CriterionResult& c : r.modifiers)
                criteria.push_back(CriterionJson(c));
            region["criteria"] = criteria;
            regions.push_back(region);
        }
        occ["regions"] = regions;
        ojson modifiers = ojson::array();
        for (const CriterionResult& c : o.modifiers)
            modifiers.push_back(CriterionJson(c));
        occ["modifiers"] = modifiers;
        occ["notes"] = o.notes;
        occupants.push_back(occ);
    }
    j["occupants"] = occupants;
    if (p.scoring == Scoring::Risk)
        j["vehicle"] = {{"relative_risk", Opt(a.relativeRisk)},
                        {"stars", a.stars ? ojson(*a.stars) : ojson(nullptr)},
                        {"reason", a.vehicleReason.empty() ? ojson(nullptr) : ojson(a.vehicleReason)}};
    j["warnings"] = a.warnings;
    return j.dump(indent, ' ', false, ojson::error_handler_t::replace);
}

std::string AssessmentText(const Assessment& a)
{
    const Protocol& p = a.protocol;
    const bool scored = p.scoring == Scoring::SlidingScale;
    std::string out = "test " + a.test + " under " + p.id + ": " + p.name + " (" + p.version + ")\n";
    out += "source: " + p.source + "\n";
    if (!p.replaces.empty())
        out += ReplacementText(p) + "\n";
    for (const InputUse& in : a.inputs)
        out += "input " + InputUseText(in) + "\n";
    for (const std::string& w : a.warnings)
        out += "warning: " + w + "\n";
    for (const OccupantResult& o : a.occupants) {
        out += "\nposition " + std::string(1, o.position) + " (" + o.label + ", " + o.dummyName + ")\n";
        for (const std::string& note : o.notes)
            out += "  note: " + note + "\n";
        out += "    " + Pad("criterion", 28) + Pad("value", 10) + Pad("unit", 5)
               + Pad(scored ? "HPL / LPL" : p.scoring == Scoring::Rating ? "good / accept. / marg." : "limit", 24)
               + (scored ? "points, band" : p.scoring == Scoring::Risk ? "risk" : p.scoring == Scoring::Rating ? "rating" : "verdict") + "\n";
        for (const RegionResult& r : o.regions) {
            std::string total = RegionLook(&r, scored).text;
            if (scored && r.score)
                total += " (2026: " + Fixed(r.bandScore.value_or(0), 2) + ")";
            out += "  " + r.region + ": " + total + "\n";
            for (const CriterionResult& c : r.criteria)
                CriterionLines(c, scored, out);
            for (const CriterionResult& c : r.modifiers)
                CriterionLines(c, scored, out);
        }
        if (!o.modifiers.empty()) {
            out += "  modifiers of the total:\n";
            for (const CriterionResult& c : o.modifiers)
                CriterionLines(c, scored, out);
        }
        // The criterion that capped the total, if one did.
        const std::string note = TotalNote(o);
        if (scored)
            out += "  total: " + (o.score ? Fixed(*o.score, 2) : std::string("n/a")) + " of " + Fixed(o.maxScore, 0)
                   + " points" + (o.bandScore ? " (2026: " + Fixed(*o.bandScore, 2) + ")" : std::string())
                   + (!note.empty() ? ", " + note : o.verdict.empty() ? "" : ", " + o.verdict) + "\n";
        else if (p.scoring == Scoring::Risk)
            out += "  risk: " + (o.risk ? Fixed(*o.risk * 100, 2) + " %" : std::string("n/a"))
                   + (o.relativeRisk ? ", relative risk " + Fixed(*o.relativeRisk, 3) : std::string())
                   + (o.stars ? ", " + std::to_string(*o.stars) + " stars" : std::string())
                   + (o.verdict.empty() ? "" : ", " + o.verdict) + "\n";
        else if (p.scoring == Scoring::Rating)
            out += "  ratings: " + (o.verdict.empty() ? std::string("complete") : o.verdict) + "\n";
        else
            out += "  verdict: " + o.verdict + "\n";
    }
    if (p.scoring == Scoring::Risk)
        out += "\nvehicle: " + (a.stars ? std::to_string(*a.stars) + " stars (mean relative risk " + Fixed(*a.relativeRisk, 3) + ")"
                                        : "no stars: " + a.vehicleReason) + "\n";
    return out;
}

std::string ProtocolListText(const std::vector<Protocol>& protocols)
{
    std::string out;
    for (const Protocol& p : protocols) {
        std::string dummies;
        for (const std::string& d : p.dummies)
            dummies += (dummies.empty() ? "" : ", ") + d;
        out += Pad(p.id, 28) + p.name + " (" + p.version + "; " + dummies + ")\n";
        if (!p.replaces.empty())
            out += Pad("", 28) + ReplacementText(p) + "\n";
    }
    return out;
}

} // namespace Assess
