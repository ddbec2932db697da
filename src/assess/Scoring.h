#pragma once
// Scoring and judging: exceedance curves, the bands and points of a sliding
// scale, a criterion scored or judged by its rule, a region's total.
#include "AssessResult.h"

#include <utility>
#include <vector>

namespace Assess {

// Judges history (in the curve's unit, on step dt in s) against curve points
// (ms, level) by the cumulative duration at or above each level: for every
// level F the total time at or above F must not exceed the curve's time at F.
ExceedanceJudgement JudgeExceedance(const std::vector<double>& history, double dt,
                                    const std::vector<std::pair<double, double>>& curve);
// The curve's time (s) at level: the longest time the curve stays at or above
// it; 0 above its first level, infinity at or below its last.
double ExceedanceAllowed(const std::vector<std::pair<double, double>>& curve, double level);

// The band of value: at or below hpl good; the range to lpl in thirds
// adequate, marginal, weak; at or above lpl poor.
Band BandOf(double value, double hpl, double lpl);
// Points of a sliding scale: full at or below hpl, none at or above lpl,
// linear between.
double SlidingPoints(double value, double hpl, double lpl, double maxPoints);
// Points by band (from 2026): 100, 80, 40, 20 and 0 % of maxPoints.
double BandPoints(Band band, double maxPoints);

// The probability of injury at value (the criterion's unit) on curve.
double RiskOf(const RiskCurve& curve, double value);
// The rating of value by boundaries [good, acceptable, marginal].
Rating RatingOf(double value, const std::vector<double>& boundaries);
// The stars of a relative risk.
int StarsOf(const StarBands& bands, double relativeRisk);

// Scores or judges the evaluated criterion r by rule, within a region of
// maxScore points (0 for an occupant's modifier). onlyWithGiven: the rule's
// onlyWith input is true; peakResultant: of the criterion's acceleration
// channels, g, for its assumeAbove.
void ScoreCriterion(const CriterionRule& rule, bool scored, bool onlyWithGiven, double peakResultant,
                    double maxScore, CriterionResult& r);
// A region's points or verdict from its criteria and modifiers; none when
// one of them is unknown.
void AggregateRegion(bool scored, RegionResult& region);
// A region's risk (the largest) or rating (the worst) from its criteria; none
// when one of them is unknown.
void AggregateRiskOrRating(Scoring scoring, RegionResult& region);

} // namespace Assess
