#pragma once
// Operate > "Rate Against Reference...": the ISO/TS 18571 rating of the
// loaded signals against one of them, and the corridors the plot shows.
#include "DocUi.h"

#include <vector>

class COndrelDoc;

namespace RatingCommands {

// With two or more signals loaded, rates the others against the first loaded
// (or the one chosen in the window) and lets the plot show the reference's corridors.
void RateAgainstReference(COndrelDoc& doc);
// Every other loaded signal rated against loaded signal reference, a step of
// progress after each; once progress says cancel, the rest read "cancelled".
// A pair sharing more than Kalvio::kRatingLargeSamples samples is refused
// (its search grows with the square of the count) unless allowLarge.
std::vector<CRatingRow> RatingsAgainst(const COndrelDoc& doc, int reference, const CDocUi::Progress& progress = {},
                                       bool allowLarge = false);
// The signals that share more than Kalvio::kRatingLargeSamples samples with
// loaded signal reference.
int LargeRatingCount(const COndrelDoc& doc, int reference);

// The corridors the plot shows: the loaded reference's index (-1 for none)
// and their half-widths, from the reference as it is now.
struct CRatingBand {
    int reference = -1;
    double inner = 0.0;
    double outer = 0.0;
};
CRatingBand RatingBand(const COndrelDoc& doc);

} // namespace RatingCommands
