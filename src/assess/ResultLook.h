#pragma once
// How a result is shown, said once for every output (the text report, the
// PDF and the window; the JSON carries the same status and reason): the
// status word, the points or verdict with the band, its colour, the reason
// and the warnings of a criterion, a region's and an occupant's total.
#include "AssessResult.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace Assess {

// The colours of pass and fail, of what could not be judged and of a doubtful result.
inline constexpr Rgb kPassRgb{46, 158, 68}, kFailRgb{210, 40, 40}, kNotAvailableRgb{190, 190, 190},
    kDoubtfulRgb{225, 225, 170};

// A result as a cell shows it: its text, its colour (none: a plain cell) and
// whether it is set in bold (a failure, a total).
struct Look {
    Look(std::string t, std::optional<Rgb> f = std::nullopt, bool s = false)
        : text(std::move(t)), fill(f), strong(s)
    {
    }
    std::string text;
    std::optional<Rgb> fill;
    bool strong = false;
};

// A criterion's result: "n/a", "doubtful" (as the engine judged it: no points
// or verdict), a modifier's points ("2.00 points off"), "risk 3.20 %", a
// rating ("acceptable"), "0.00 of 4, poor, capped", "pass", "FAIL", or
// "monitored" (no limit to judge by).
Look CriterionLook(const CriterionResult& c, bool scored);
// A region's total ("3.23 of 4, adequate", "n/a of 4", "risk 3.20 %", a
// rating, "pass", "FAIL", "incomplete"); n/a without a region.
Look RegionLook(const RegionResult* r, bool scored);
// An occupant's total ("12.34 of 16", "n/a of 16, incomplete", "risk 8.10 %,
// relative risk 0.870, 4 stars", "pass", "complete" for ratings); n/a
// without an occupant.
Look TotalLook(const OccupantResult* o, bool scored);
// The criterion that capped a total: "chest deflection reached its capping
// limit", or "" when none did.
std::string TotalNote(const OccupantResult& o);
// The reason of a criterion as a reader sees it: "n/a: no channel ...",
// "doubtful: 11CHST... has a channel check warning: ...", "" without one.
std::string ReasonText(const CriterionResult& c);
// The lines under a criterion: the exceedance judgement (worst level and
// margin), the channels filtered ("raw, filtered to CFC 1000: CODES") and
// the warnings and notes of its channels.
std::vector<std::string> DetailLines(const CriterionResult& c);

} // namespace Assess
