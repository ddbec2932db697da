#include "Correlation.h"

#include "KVErrorList.h"
#include "KVFilterClass.h"
#include "KVPrintableName.h"
#include "Kalvio.h"

#include <algorithm>
#include <cmath>

namespace Correlate {

namespace {

std::string ErrorText(const KVErrorList& errors)
{
    std::string text;
    for (const KVException& e : errors.Errors())
        text += (text.empty() ? "" : "; ") + e.Message();
    return text;
}

bool EvenStep(float del) { return del > 0.0f && del != KV_NO_VALUE && std::isfinite(del); }

// The comparison on the reference's grid k x step, by linear interpolation
// unless it lies on it already. False with the reason.
bool OntoGrid(KVSignal& s, float step, bool& resampled, std::string& why)
{
    if (s.Del() == step && s.IsOnOwnGrid())
        return true;
    KVErrorList errors;
    if (!Kalvio::Resample(s, step, &errors)) {
        why = "the simulation channel cannot be put on the test channel's step: " + ErrorText(errors);
        return false;
    }
    resampled = true;
    return true;
}

std::string ClassText(int cfc) { return KVChannelClassText(cfc); }

// Filters both to the pair's class: the map's, else the test channel's. A
// channel that carries the class already stays as it is.
bool FilterBoth(KVSignal& reference, KVSignal& comparison, PairResult& out)
{
    const int cfc = out.pair.cfc ? out.pair.cfc : Kalvio::FilteredClass(reference);
    if (cfc == 0) {
        out.filter = "both as recorded: the test channel carries no channel class (\"cfc\" in the map chooses one)";
        return true;
    }
    out.filterClass = cfc;
    std::string testText, simText;
    for (KVSignal* s : {&reference, &comparison}) {
        const bool keeps = Kalvio::FilterClassKeeps(*s, cfc);
        KVErrorList errors;
        if (!keeps && !Kalvio::BWfilt(*s, cfc, &errors)) {
            out.reason = std::string(s == &reference ? "the test channel" : "the simulation channel")
                         + " cannot be filtered to " + ClassText(cfc) + ": " + ErrorText(errors);
            return false;
        }
        (s == &reference ? testText : simText) = keeps ? ClassText(cfc) + " as recorded" : "filtered to " + ClassText(cfc);
    }
    out.filter = "test " + testText + ", simulation " + simText;
    return true;
}

// The time of the first and the last sample.
double FirstTime(const KVSignal& s) { return double(s.X()[0]); }
double LastTime(const KVSignal& s) { return double(s.X()[s.PointCount() - 1]); }

} // namespace

Band BandOf(double rating)
{
    return rating > kGoodRating ? Band::Good : rating > kFairRating ? Band::Fair : Band::Poor;
}

const char* BandName(Band band)
{
    return band == Band::Good ? "good" : band == Band::Fair ? "fair" : "poor";
}

const char* BandColour(Band band)
{
    return band == Band::Good ? "green" : band == Band::Fair ? "amber" : "red";
}

std::string RegionOf(const std::string& code)
{
    return code.size() == 16 ? code.substr(2, 4) : std::string("?");
}

std::optional<Kalvio::RatingInterval> EventInterval(const KVSignal& reference, double from, double to)
{
    from = std::max(from, 0.0);
    const float* x = reference.X();
    const float* y = reference.Y();
    const size_t n = reference.PointCount();
    double peak = 0.0;
    for (size_t i = 0; i < n; ++i)
        if (x[i] >= from && x[i] <= to && std::isfinite(y[i]))
            peak = std::max(peak, std::fabs(double(y[i])));
    const double level = Kalvio::kRatingInnerCorridor * peak;
    for (size_t i = n; i-- > 0;) {
        if (x[i] < from)
            break;
        if (x[i] <= to && std::fabs(double(y[i])) >= level && peak > 0.0)
            return Kalvio::RatingInterval{from, double(x[i])};
    }
    return std::nullopt;
}

void RatePair(KVSignal reference, KVSignal comparison, const Options& options, PairResult& out)
{
    out.rating.reset();
    out.reason.clear();
    out.filter.clear();
    out.filterClass = 0;
    if (reference.PointCount() == 0 || comparison.PointCount() == 0) {
        out.reason = reference.PointCount() == 0 ? "the test channel holds no samples"
                                                 : "the simulation channel holds no samples";
        return;
    }
    if (!EvenStep(reference.Del())) {
        out.reason = "the test channel has no constant time step";
        return;
    }
    KVErrorList errors;
    if (out.pair.factor != 1.0 && !Kalvio::ScaleY(comparison, float(out.pair.factor), &errors)) {
        out.reason = "the simulation channel cannot be scaled: " + ErrorText(errors);
        return;
    }
    bool resampled = false;
    if (!OntoGrid(comparison, reference.Del(), resampled, out.reason) || !FilterBoth(reference, comparison, out))
        return;

    Kalvio::RatingInterval interval;
    if (options.eventWindow) {
        const double from = std::max(FirstTime(reference), FirstTime(comparison));
        const double to = std::min(LastTime(reference), LastTime(comparison));
        const std::optional<Kalvio::RatingInterval> event = EventInterval(reference, from, to);
        if (!event) {
            out.reason = "the test channel has no event after time zero in the span both cover";
            return;
        }
        interval = *event;
    }
    Kalvio::CurveRating r;
    if (!Kalvio::RateSignals(reference, comparison, interval, r, &errors)) {
        out.reason = ErrorText(errors);
        return;
    }
    r.resampled = r.resampled || resampled;
    out.rating = r;
    if (options.keepCurves) {
        out.reference = std::move(reference);
        out.comparison = std::move(comparison);
    }
}

namespace {

// Every channel the map names must be there: the first missing one is named
// with the map's line.
bool FindChannels(const std::vector<MapPair>& pairs, const ChannelSet& test, const ChannelSet& simulation,
                  const std::string& mapName, std::vector<std::pair<size_t, size_t>>& found, std::string& error)
{
    for (const MapPair& p : pairs) {
        const std::optional<size_t> t = test.Find(p.test);
        const std::optional<size_t> s = simulation.Find(p.simulation);
        if (!t || !s) {
            const bool testSide = !t;
            error = mapName + ":" + std::to_string(p.line) + ": " + (testSide ? "the test " : "the simulation ")
                    + KVPrintableName(testSide ? test.Path() : simulation.Path()) + " has no channel "
                    + KVPrintableText(testSide ? p.test : p.simulation);
            return false;
        }
        found.emplace_back(*t, *s);
    }
    return true;
}

void AddRegionMeans(Result& out)
{
    double sum = 0.0;
    for (const PairResult& p : out.pairs) {
        auto region = std::find_if(out.regions.begin(), out.regions.end(),
                                   [&](const RegionMean& r) { return r.region == p.region; });
        if (region == out.regions.end()) {
            RegionMean fresh;
            fresh.region = p.region;
            region = out.regions.insert(out.regions.end(), fresh);
        }
        ++region->pairs;
        if (!p.rating)
            continue;
        region->mean = region->mean.value_or(0.0) + p.rating->rating;
        ++region->rated;
        sum += p.rating->rating;
        ++out.rated;
    }
    for (RegionMean& r : out.regions)
        if (r.mean)
            *r.mean /= double(r.rated);
    if (out.rated)
        out.mean = sum / double(out.rated);
}

} // namespace

bool Correlate(const std::string& test, const std::string& simulation, const std::string& map,
               const Options& options, Result& out, std::string& error)
{
    out = Result{};
    out.test = test;
    out.simulation = simulation;
    out.map = map;
    out.eventWindow = options.eventWindow;
    std::vector<MapPair> pairs;
    if (!LoadMap(map, pairs, error))
        return false;
    ChannelSet testSet, simSet;
    KVErrorList openErrors;
    if (!testSet.Open(test, openErrors) || !simSet.Open(simulation, openErrors, options.units)) {
        error = ErrorText(openErrors);
        return false;
    }
    for (const KVException& e : openErrors.Errors())
        out.warnings.push_back(e.Message());
    out.testName = testSet.Name();
    out.simulationName = simSet.Name();
    std::vector<std::pair<size_t, size_t>> found;
    if (!FindChannels(pairs, testSet, simSet, KVPrintableName(map), found, error))
        return false;
    for (size_t k = 0; k < pairs.size(); ++k) {
        if (options.progress && !options.progress(double(k) / double(pairs.size()))) {
            error = "cancelled";
            return false;
        }
        PairResult p;
        p.pair = pairs[k];
        p.region = RegionOf(pairs[k].test);
        p.testTitle = testSet.Channels()[found[k].first].title;
        p.simulationTitle = simSet.Channels()[found[k].second].title;
        KVSignal reference, comparison;
        KVErrorList errors;
        if (!testSet.Load(found[k].first, reference, errors))
            p.reason = "the test channel cannot be read: " + ErrorText(errors);
        else if (!simSet.Load(found[k].second, comparison, errors))
            p.reason = "the simulation channel cannot be read: " + ErrorText(errors);
        else
            RatePair(std::move(reference), std::move(comparison), options, p);
        out.pairs.push_back(std::move(p));
    }
    AddRegionMeans(out);
    return true;
}

} // namespace Correlate
