// Operate > Rate Against Reference: the ISO/TS 18571 rating of the loaded
// signals against one of them, and the corridors the plot shows.
#include "CurveRating.h"
#include "OndrelDoc.h"

#include <cmath>

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

std::vector<CRatingRow> COndrelDoc::RatingsAgainst(int reference) const
{
    std::vector<CRatingRow> rows;
    if (reference < 0 || reference >= static_cast<int>(m_signals.size()))
        return rows;
    const KVSignal& ref = m_signals[std::size_t(reference)].signal;
    for (std::size_t k = 0; k < m_signals.size(); ++k) {
        if (static_cast<int>(k) == reference)
            continue;
        CRatingRow row;
        row.name = m_signals[k].DisplayName();
        Kalvio::CurveRating r;
        KVErrorList errors;
        if (!Kalvio::RateSignals(ref, m_signals[k].signal, {}, r, &errors)) {
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

void COndrelDoc::OnRateAgainstReference()
{
    if (m_signals.size() < 2 || !m_ui)
        return;
    QStringList names;
    int reference = 0;
    for (std::size_t k = 0; k < m_signals.size(); ++k) {
        names << m_signals[k].DisplayName();
        if (!m_ratingBandOf.isEmpty() && names.back() == m_ratingBandOf)
            reference = static_cast<int>(k);
    }
    bool showBand = !m_ratingBandOf.isEmpty();
    const auto rows = [this](int i) { return RatingsAgainst(i); };
    if (!m_ui->ShowRatings(names, reference, rows, showBand))
        return;
    const QString band = showBand && reference >= 0 && reference < names.size() ? names[reference] : QString();
    if (band == m_ratingBandOf)
        return;
    m_ratingBandOf = band;
    UpdateAllViews(HINT_PLOT_CHANGED);
}

COndrelDoc::CRatingBand COndrelDoc::RatingBand() const
{
    CRatingBand band;
    if (m_ratingBandOf.isEmpty())
        return band;
    for (std::size_t k = 0; k < m_signals.size(); ++k) {
        const KVSignal& s = m_signals[k].signal;
        if (m_signals[k].DisplayName() != m_ratingBandOf || !s.Y())
            continue;
        band.reference = static_cast<int>(k);
        Kalvio::RatingCorridorWidths(s.Y(), s.PointCount(), band.inner, band.outer);
        return band;
    }
    return band;
}
