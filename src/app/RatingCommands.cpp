#include "RatingCommands.h"

#include "CurveRating.h"
#include "OndrelDoc.h"
#include "SimUnits.h"

#include <algorithm>
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

// Whether a and b may share more samples than a rating in the window takes unasked.
bool LargePair(const KVSignal& a, const KVSignal& b)
{
    return std::min(a.PointCount(), b.PointCount()) > Kalvio::kRatingLargeSamples;
}

// Whether rating the loaded signals takes long enough to show its progress
// (two signals of more than 20,000 samples: about a tenth of a second each).
bool LongRating(const COndrelDoc& doc)
{
    int longOnes = 0;
    for (const CSignalEntry& e : doc.Signals())
        longOnes += e.signal.PointCount() > 20000;
    return longOnes >= 2;
}

// Why two signals' times cannot be compared: a simulation's channel still in
// model units against anything else, or two time units; empty when they can.
QString TimeMismatch(const KVSignal& reference, const KVSignal& comparison)
{
    const QString a = QString::fromLatin1(reference.XUnits().c_str()).trimmed().toUpper();
    const QString b = QString::fromLatin1(comparison.XUnits().c_str()).trimmed().toUpper();
    if (a == b)
        return {};
    const QString model = QString::fromLatin1(kSimModelUnits);
    if (a == model || b == model)
        return QStringLiteral("the simulation's channel is in model units: open the simulation again and choose "
                              "the model's units (such as mm-ms-kg-kN)");
    return QStringLiteral("their time units differ (\"%1\" and \"%2\")").arg(b, a);
}

} // namespace

int LargeRatingCount(const COndrelDoc& doc, int reference)
{
    const std::vector<CSignalEntry>& entries = doc.Signals();
    if (reference < 0 || reference >= static_cast<int>(entries.size()))
        return 0;
    int large = 0;
    for (std::size_t k = 0; k < entries.size(); ++k)
        large += static_cast<int>(k) != reference && LargePair(entries[std::size_t(reference)].signal, entries[k].signal);
    return large;
}

std::vector<CRatingRow> RatingsAgainst(const COndrelDoc& doc, int reference, const CDocUi::Progress& progress,
                                       bool allowLarge)
{
    const std::vector<CSignalEntry>& entries = doc.Signals();
    std::vector<CRatingRow> rows;
    if (reference < 0 || reference >= static_cast<int>(entries.size()))
        return rows;
    const KVSignal& ref = entries[std::size_t(reference)].signal;
    const int total = static_cast<int>(entries.size()) - 1;
    bool cancelled = false;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (static_cast<int>(k) == reference)
            continue;
        CRatingRow row;
        row.name = entries[k].DisplayName();
        Kalvio::CurveRating r;
        KVErrorList errors;
        cancelled = cancelled || (progress && !progress(static_cast<int>(rows.size()), total));
        if (cancelled) {
            row.failure = QStringLiteral("cancelled");
        } else if (const QString mismatch = TimeMismatch(ref, entries[k].signal); !mismatch.isEmpty()) {
            row.failure = mismatch;
        } else if (!allowLarge && LargePair(ref, entries[k].signal)) {
            row.failure = QStringLiteral("more than %1 samples shared: resample to 0.0001 s or cut the signals to "
                                         "the event first (the rating's search grows with the square of the count)")
                              .arg(Kalvio::kRatingLargeSamples);
        } else if (!Kalvio::RateSignals(ref, entries[k].signal, {}, r, &errors)) {
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
    if (progress && !cancelled)
        progress(total, total);
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
    // Long curves ask first and rate behind a progress window with Cancel.
    const auto rows = [&doc](int i) {
        CDocUi* ui = doc.Ui();
        const int large = LargeRatingCount(doc, i);
        const bool allowLarge =
            large > 0 && ui->AskYesNo(QStringLiteral("Rate Against Reference"),
                                      QStringLiteral("%1 signal%2 more than %3 samples with the reference. The rating's "
                                                     "search grows with the square of the count and can take minutes "
                                                     "or hours; resampling to 0.0001 s or cutting the signals to the "
                                                     "event makes it quick.\n\nRate them as they are?")
                                          .arg(large)
                                          .arg(large == 1 ? QStringLiteral(" shares") : QStringLiteral("s share"))
                                          .arg(Kalvio::kRatingLargeSamples));
        if (!LongRating(doc))
            return RatingsAgainst(doc, i, {}, allowLarge);
        std::vector<CRatingRow> result;
        ui->RunWithProgress(QStringLiteral("Rating Signals"), [&](const CDocUi::Progress& progress) {
            result = RatingsAgainst(doc, i, progress, allowLarge);
        });
        return result;
    };
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
