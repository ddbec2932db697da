#include "AssessResult.h"

#include <algorithm>
#include <iterator>

namespace Assess {

namespace {

// The bands, best first: name, colour word and colour.
struct BandRow {
    const char* name;
    const char* colour;
    Rgb rgb;
};
constexpr BandRow kBands[] = {
    {"good", "green", {46, 158, 68}},      {"adequate", "yellow", {245, 214, 40}}, {"marginal", "orange", {242, 140, 20}},
    {"weak", "brown", {140, 90, 45}},      {"poor", "red", {210, 40, 40}},
};

// The ratings, best first, each with the band whose colour it takes.
struct RatingRow {
    const char* name;
    Band band;
};
constexpr RatingRow kRatings[] = {
    {"good", Band::Good}, {"acceptable", Band::Adequate}, {"marginal", Band::Marginal}, {"poor", Band::Poor}};

} // namespace

const char* BandName(Band band) { return kBands[int(band)].name; }

const char* BandColour(Band band) { return kBands[int(band)].colour; }

Rgb BandRgb(Band band) { return kBands[int(band)].rgb; }

std::optional<Band> BandOfName(const std::string& name)
{
    for (size_t k = 0; k < std::size(kBands); ++k)
        if (name == kBands[k].name)
            return Band(k);
    return std::nullopt;
}

const char* RatingName(Rating rating) { return kRatings[int(rating)].name; }

Rgb RatingRgb(Rating rating) { return BandRgb(kRatings[int(rating)].band); }

std::optional<int> RatingOfName(const std::string& name)
{
    for (size_t k = 0; k < std::size(kRatings); ++k)
        if (name == kRatings[k].name)
            return int(k);
    return std::nullopt;
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
