#include "AssessResult.h"

#include <algorithm>

namespace Assess {

const char* BandName(Band band)
{
    static const char* const names[] = {"good", "adequate", "marginal", "weak", "poor"};
    return names[int(band)];
}

const char* BandColour(Band band)
{
    static const char* const colours[] = {"green", "yellow", "orange", "brown", "red"};
    return colours[int(band)];
}

const char* RatingName(Rating rating)
{
    static const char* const names[] = {"good", "acceptable", "marginal", "poor"};
    return names[int(rating)];
}

const CriterionResult* FindNamed(const std::vector<CriterionResult>& list, const std::string& name)
{
    const auto found = std::find_if(list.begin(), list.end(), [&](const CriterionResult& c) { return c.criterion == name; });
    return found == list.end() ? nullptr : &*found;
}

const char* StatusName(Status s)
{
    switch (s) {
    case Status::Ok:
        return "ok";
    case Status::Doubtful:
        return "doubtful";
    case Status::NotAvailable:
        break;
    }
    return "n/a";
}

} // namespace Assess
