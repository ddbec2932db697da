#include "RatingCommands.h"

#include "CurveRating.h"
#include "OndrelDoc.h"

#include <cmath>

namespace RatingCommands {
namespace {

// The shift in milliseconds when the signal's time unit is seconds.
double ShiftMs(const Kalvio::CurveRating& r, const KVSignal& reference)
{
    return reference.XUnits().rfind("SECONDS", 0) == 0 ? Kalvio::RatingRound(r.shift * 1000.0) : r.shift;
}

// The reason of a refusal without the "Cannot rate X against Y: " the table's
// rows already say.
QString Reason(const std::string& message)
{
    const std::size_t colon = message.rfind("Cannot rate", 0) == 0 ? message.find(": ") : std::string::npos;
    return QString::fromLatin1((colon == std::string::npos ? message : message.substr(colon + 2)).c_str());
}

} // namespace

std::vector<CRatingRow> RatingsAgainst(const COndrelDoc& doc, int reference)
{
    const std::vector<CSignalEntry>& entries = doc.Signals();
    std::vector<CRatingRow> rows;
    if (reference < 0 || reference >= static_cast<int>(entries.size()))
        return rows;
    const KVSignal& ref = entries[std::size_t(reference)].signal;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (static_cast<int>(k) == reference)
            continue;
        CRatingRow row;
        row.name = entries[k].DisplayName();
        Kalvio::CurveRating r;
        KVErrorList errors;
        if (!Kalvio::RateSignals(ref, entries[k].signal, {}, r, &errors)) {
            row.failure = errors.ErrorCount() > 0 ? Reason(errors.ErrorMessage(0)) : QStringLiteral("not rated");
        } else {
            row.rating = r.rating;
            row.corridor = r.corridor;
            row.phase = r.phase;
            row.magnitude = r.magnitude;
            row.slope = r.slope;
            row.shiftMs = ShiftMs(r, ref);
            row.resampled = r.resampled;
        }
        rows.push_back(row);
    }
    return rows;
}

void RateAgainstReference(COndrelDoc& doc)
{
    if (doc.Loaded().Size() < 2 || !doc.Ui())
        return;
    const QStringList names = doc.Loaded().DisplayNames();
    const QString& bandOf = doc.Loaded().RatingBandOf();
    int reference = 0;
    if (!bandOf.isEmpty() && names.contains(bandOf))
        reference = static_cast<int>(names.lastIndexOf(bandOf));
    bool showBand = !bandOf.isEmpty();
    const auto rows = [&doc](int i) { return RatingsAgainst(doc, i); };
    if (!doc.Ui()->ShowRatings(names, reference, rows, showBand))
        return;
    const QString band = showBand && reference >= 0 && reference < names.size() ? names[reference] : QString();
    if (band == bandOf)
        return;
    doc.Loaded().SetRatingBandOf(band);
    doc.UpdateAllViews(HINT_PLOT_CHANGED);
}

CRatingBand RatingBand(const COndrelDoc& doc)
{
    const std::vector<CSignalEntry>& entries = doc.Signals();
    const QString& bandOf = doc.Loaded().RatingBandOf();
    CRatingBand band;
    if (bandOf.isEmpty())
        return band;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const KVSignal& s = entries[k].signal;
        if (entries[k].DisplayName() != bandOf || !s.Y())
            continue;
        band.reference = static_cast<int>(k);
        Kalvio::RatingCorridorWidths(s.Y(), s.PointCount(), band.inner, band.outer);
        return band;
    }
    return band;
}

} // namespace RatingCommands
