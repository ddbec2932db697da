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
// Every other loaded signal rated against loaded signal reference.
std::vector<CRatingRow> RatingsAgainst(const COndrelDoc& doc, int reference);

// The corridors the plot shows: the loaded reference's index (-1 for none)
// and their half-widths, from the reference as it is now.
struct CRatingBand {
    int reference = -1;
    double inner = 0.0;
    double outer = 0.0;
};
CRatingBand RatingBand(const COndrelDoc& doc);

} // namespace RatingCommands
