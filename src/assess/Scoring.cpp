#include "Scoring.h"

#include "AssessDetail.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Assess {

using Detail::Ms;
using Detail::Num;
using Detail::Spaced;

namespace {

bool Judged(const CriterionResult& c)
{
    return c.isModifier || c.limit || c.hpl || !c.curve.empty();
}

double StandardNormal(double z)
{
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

} // namespace

Band BandOf(double value, double hpl, double lpl)
{
    const double third = (lpl - hpl) / 3;
    if (value <= hpl)
        return Band::Good;
    if (value <= hpl + third)
        return Band::Adequate;
    if (value <= hpl + 2 * third)
        return Band::Marginal;
    if (value < lpl)
        return Band::Weak;
    return Band::Poor;
}

double SlidingPoints(double value, double hpl, double lpl, double maxPoints)
{
    if (value <= hpl)
        return maxPoints;
    if (value >= lpl)
        return 0;
    return maxPoints * (lpl - value) / (lpl - hpl);
}

double BandPoints(Band band, double maxPoints)
{
    static const double shares[] = {1.0, 0.8, 0.4, 0.2, 0.0};
    return maxPoints * shares[int(band)];
}

double RiskOf(const RiskCurve& curve, double value)
{
    const double x = value * curve.scale;
    if (curve.form == RiskCurve::Form::NormalOfLog)
        return x > 0 ? StandardNormal((std::log(x) - curve.a) / curve.b) : 0.0;
    return 1 / (1 + std::exp(curve.a - curve.b * std::pow(std::max(x, 0.0), curve.power)));
}

Rating RatingOf(double value, const std::vector<double>& boundaries)
{
    for (size_t k = 0; k < boundaries.size(); ++k)
        if (value <= boundaries[k])
            return Rating(k);
    return Rating::Poor;
}

int StarsOf(const StarBands& bands, double relativeRisk)
{
    for (const auto& [bound, stars] : bands.below)
        if (relativeRisk < bound)
            return stars;
    return bands.otherwise;
}

void AggregateRiskOrRating(Scoring scoring, RegionResult& region)
{
    const bool risk = scoring == Scoring::Risk;
    std::optional<double> worstRisk;
    std::optional<Rating> worstRating;
    for (const CriterionResult& c : region.criteria) {
        if (risk ? !c.byRisk : c.ratingBounds.empty() && c.input.empty())
            continue;
        if (c.status != Status::Ok || (risk ? !c.risk : !c.rating))
            return;
        if (risk)
            worstRisk = std::max(worstRisk.value_or(0.0), *c.risk);
        else
            worstRating = std::max(worstRating.value_or(Rating::Good), *c.rating);
    }
    region.risk = worstRisk;
    region.rating = worstRating;
}

double ExceedanceAllowed(const std::vector<std::pair<double, double>>& curve, double level)
{
    if (curve.empty() || level <= curve.back().second)
        return std::numeric_limits<double>::infinity();
    if (level > curve.front().second)
        return 0;
    // The first point below the level; the curve crosses it on the way there.
    size_t j = 1;
    while (curve[j].second >= level)
        ++j;
    const auto& [ta, fa] = curve[j - 1];
    const auto& [tb, fb] = curve[j];
    return (ta + (fa - level) / (fa - fb) * (tb - ta)) / 1000;
}

ExceedanceJudgement JudgeExceedance(const std::vector<double>& history, double dt,
                                    const std::vector<std::pair<double, double>>& curve)
{
    ExceedanceJudgement best;
    if (curve.empty() || history.empty())
        return best;
    // Levels at or below the curve's last one may last for ever; the time at
    // or above any other level is the count of samples there. Between two
    // sample values the duration stays and the allowed time only grows with
    // falling level, so the sample values are the levels to try.
    std::vector<double> levels;
    for (double v : history)
        if (v > curve.back().second)
            levels.push_back(v);
    std::sort(levels.begin(), levels.end(), std::greater<double>());
    for (size_t k = 0; k < levels.size(); ++k) {
        if (k + 1 < levels.size() && levels[k + 1] == levels[k])
            continue; // the count at a level includes all samples equal to it
        const double duration = double(k + 1) * dt;
        const double allowed = ExceedanceAllowed(curve, levels[k]);
        const double margin = allowed - duration;
        if (!best.judged || margin < best.margin)
            best = {true, levels[k], duration, allowed, margin};
    }
    if (!best.judged)
        best.level = history.empty() ? 0 : *std::max_element(history.begin(), history.end());
    return best;
}

void ScoreCriterion(const CriterionRule& rule, bool scored, bool onlyWithGiven, double peakResultant,
                    double maxScore, CriterionResult& r)
{
    // The file's note: the reason of a criterion only monitored, else beside the result.
    const bool monitored = !rule.limit && !rule.hpl && rule.exceedance.empty() && !rule.modifier;
    if (!rule.note.empty()) {
        if (monitored && r.status == Status::Ok && r.reason.empty())
            r.reason = rule.note;
        else
            r.notes.push_back(rule.note);
    }
    if (r.isModifier || rule.modifier) {
        r.isModifier = true;
        const ModifierRule& m = *rule.modifier;
        if (r.status != Status::Ok || !r.value)
            return;
        double share = 0;
        if (!m.input.empty())
            share = *r.value != 0 ? 1 : 0;
        else if (!m.steps.empty()) {
            for (const auto& [level, points] : m.steps)
                if (*r.value > level)
                    share = points / m.points;
        } else if (m.atOrAbove)
            share = *r.value >= *m.atOrAbove ? 1 : 0;
        else
            share = std::clamp((*r.value - *m.from) / (*m.to - *m.from), 0.0, 1.0);
        if (scored)
            r.pointsTaken = share * m.points;
        else
            r.pass = share == 0;
        return;
    }
    if (r.status != Status::Ok)
        return;
    if (!rule.onlyWith.empty()) {
        const bool given = onlyWithGiven;
        const bool assumed = rule.assumeAbove && peakResultant > *rule.assumeAbove;
        if (!given && !assumed) {
            r.reason = "no " + Spaced(rule.onlyWith) + " (input " + rule.onlyWith + " false"
                       + (rule.assumeAbove ? ", peak resultant " + Num(peakResultant) + " g not above "
                                                 + Num(*rule.assumeAbove) + " g"
                                           : std::string())
                       + "): not scored, full points";
            if (scored) {
                r.maxScore = maxScore;
                r.score = r.bandScore = maxScore;
            } else {
                r.pass = true;
            }
            return;
        }
        if (!given)
            r.notes.push_back(Spaced(rule.onlyWith) + " assumed: peak resultant " + Num(peakResultant)
                              + " g above " + Num(*rule.assumeAbove) + " g");
    }
    if (rule.risk) {
        r.risk = RiskOf(*rule.risk, *r.value);
    } else if (!rule.rating.empty()) {
        r.rating = RatingOf(*r.value, rule.rating);
    } else if (rule.hpl) {
        r.maxScore = maxScore;
        r.score = SlidingPoints(*r.value, *rule.hpl, *rule.lpl, maxScore);
        r.band = BandOf(*r.value, *rule.hpl, *rule.lpl);
        r.bandScore = BandPoints(*r.band, maxScore);
        r.capped = rule.capping && *r.value >= *rule.capping;
        // The duration form of the lower limit: held too long at a level
        // below the peak limit, the criterion is as poor as at the limit.
        if (r.exceedance && r.exceedance->judged && r.exceedance->margin < 0) {
            r.score = r.bandScore = 0.0;
            r.band = Band::Poor;
            r.notes.push_back("0 points: " + Num(r.exceedance->level) + " " + r.unit + " held for "
                              + Ms(r.exceedance->duration) + " ms, the lower performance limit's duration form "
                              + "allows " + Ms(r.exceedance->allowed) + " ms");
        }
    } else if (rule.limit) {
        r.pass = *r.value <= *rule.limit;
    } else if (r.exceedance) {
        r.pass = !r.exceedance->judged || r.exceedance->margin >= 0;
    }
}

void AggregateRegion(bool scored, RegionResult& region)
{
    bool unknown = false, failed = false, any = false;
    double score = region.maxScore, bandScore = region.maxScore;
    for (const CriterionResult& c : region.criteria) {
        if (!Judged(c))
            continue;
        any = true;
        if (c.status != Status::Ok || (scored ? !c.score : !c.pass)) {
            unknown = true;
            continue;
        }
        if (scored) {
            score = std::min(score, *c.score);
            bandScore = std::min(bandScore, *c.bandScore);
            if (c.band && (!region.band || *c.band > *region.band))
                region.band = c.band;
        } else {
            failed = failed || !*c.pass;
        }
    }
    for (const CriterionResult& m : region.modifiers) {
        if (m.status != Status::Ok || (scored ? !m.pointsTaken : !m.pass)) {
            unknown = true;
            continue;
        }
        if (scored) {
            score -= *m.pointsTaken;
            bandScore -= *m.pointsTaken;
        } else {
            failed = failed || !*m.pass;
        }
    }
    if (scored) {
        if (!unknown && (any || !region.modifiers.empty())) {
            region.score = std::max(0.0, score);
            region.bandScore = std::max(0.0, bandScore);
        }
    } else if (failed) {
        region.pass = false;
    } else if (!unknown) {
        region.pass = true;
    }
}

} // namespace Assess
