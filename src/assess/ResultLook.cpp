#include "ResultLook.h"

#include "AssessReport.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace Assess {

namespace {

std::string RiskText(double risk) { return "risk " + Fixed(risk * 100, 2) + " %"; }

} // namespace

Look CriterionLook(const CriterionResult& c, bool scored)
{
    if (c.status == Status::NotAvailable)
        return {"n/a", kNotAvailableRgb};
    // As the engine judged it: a doubtful criterion has no points or verdict.
    if (c.status == Status::Doubtful)
        return {"doubtful", kDoubtfulRgb};
    if (c.isModifier)
        return {ModifierText(c), std::nullopt};
    if (c.byRisk)
        return {c.risk ? RiskText(*c.risk) : "monitored", std::nullopt};
    if (!c.ratingBounds.empty() || c.rating)
        return c.rating ? Look(RatingName(*c.rating), RatingRgb(*c.rating)) : Look("monitored");
    if (scored) {
        if (!c.score)
            return {"monitored", std::nullopt};
        std::string text = Fixed(*c.score, 2) + " of " + Fixed(c.maxScore.value_or(0), 0);
        if (c.band)
            text += std::string(", ") + BandName(*c.band);
        if (c.capped)
            text += ", capped";
        return {text, c.band ? std::optional<Rgb>(BandRgb(*c.band)) : std::nullopt};
    }
    if (!c.pass)
        return {"monitored", std::nullopt};
    return {*c.pass ? "pass" : "FAIL", *c.pass ? kPassRgb : kFailRgb, !*c.pass};
}

Look RegionLook(const RegionResult* r, bool scored)
{
    if (!r)
        return {"n/a", kNotAvailableRgb, true};
    if (r->risk)
        return {RiskText(*r->risk), std::nullopt, true};
    if (r->rating)
        return {RatingName(*r->rating), RatingRgb(*r->rating), true};
    if (scored) {
        if (!r->score && r->maxScore == 0)
            return {"measures only (no points)", kNotAvailableRgb, true};
        if (!r->score)
            return {"n/a of " + Fixed(r->maxScore, 0), kNotAvailableRgb, true};
        return {Fixed(*r->score, 2) + " of " + Fixed(r->maxScore, 0)
                    + (r->band ? std::string(", ") + BandName(*r->band) : std::string()),
                r->band ? std::optional<Rgb>(BandRgb(*r->band)) : std::optional<Rgb>(kNotAvailableRgb), true};
    }
    if (!r->pass)
        return {"incomplete", kNotAvailableRgb, true};
    return {*r->pass ? "pass" : "FAIL", *r->pass ? kPassRgb : kFailRgb, true};
}

Look TotalLook(const OccupantResult* o, bool scored)
{
    if (!o)
        return {"n/a", kNotAvailableRgb, true};
    if (scored) {
        std::string text = (o->score ? Fixed(*o->score, 2) : std::string("n/a")) + " of " + Fixed(o->maxScore, 0);
        if (!o->verdict.empty())
            text += ", " + o->verdict;
        return {text, o->score ? std::nullopt : std::optional<Rgb>(kNotAvailableRgb), true};
    }
    if (o->risk)
        return {RiskText(*o->risk) + (o->relativeRisk ? ", relative risk " + Fixed(*o->relativeRisk, 3) : std::string())
                    + (o->stars ? ", " + std::to_string(*o->stars) + " stars" : std::string()),
                std::nullopt, true};
    return {o->verdict.empty() ? std::string("complete") : o->verdict,
            o->verdict == "pass" ? kPassRgb : o->verdict == "fail" ? kFailRgb : kNotAvailableRgb, true};
}

std::string TotalNote(const OccupantResult& o)
{
    if (!o.capped.empty()) {
        std::string title = o.capped;
        for (const RegionResult& r : o.regions)
            if (const CriterionResult* c = FindNamed(r.criteria, o.capped))
                title = CriterionTitle(*c);
        // "Chest deflection" within the sentence, "HIC15" as it is.
        if (title.size() > 1 && std::islower(static_cast<unsigned char>(title[1])))
            title[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[0])));
        return title + " reached its capping limit";
    }
    return {};
}

std::string ReasonText(const CriterionResult& c)
{
    if (c.reason.empty())
        return {};
    return c.status == Status::Ok ? c.reason : std::string(StatusName(c.status)) + ": " + c.reason;
}

std::vector<std::string> DetailLines(const CriterionResult& c)
{
    std::vector<std::string> lines;
    if (c.exceedance && !c.exceedance->judged && c.status != Status::NotAvailable && !c.curve.empty())
        lines.push_back("never at or above the curve's lowest level (" + Fixed(c.curve.back().second, 3) + " " + c.unit
                        + ")");
    if (c.exceedance && c.exceedance->judged)
        lines.push_back("worst level " + Fixed(c.exceedance->level, 3) + " " + c.unit + ": "
                        + Fixed(c.exceedance->duration * 1000, 1) + " ms at or above it, the curve allows "
                        + Fixed(c.exceedance->allowed * 1000, 1) + " ms (margin " + Fixed(c.exceedance->margin * 1000, 1)
                        + " ms)");
    // What was filtered, one line per kind ("raw, filtered to CFC 1000: codes").
    std::vector<std::pair<std::string, std::string>> filtered;
    for (const ChannelUse& u : c.channels) {
        if (u.filter.find("filtered to") == std::string::npos)
            continue;
        auto it = std::find_if(filtered.begin(), filtered.end(), [&](const auto& f) { return f.first == u.filter; });
        if (it == filtered.end())
            filtered.push_back({u.filter, u.code});
        else
            it->second += " " + u.code;
    }
    for (const auto& [what, codes] : filtered)
        lines.push_back(what + ": " + codes);
    for (const std::string& note : c.notes)
        lines.push_back(note);
    return lines;
}

} // namespace Assess
