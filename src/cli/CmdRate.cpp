// kalvio rate: the ISO/TS 18571 rating of comparisons against a reference.
#include "CliSupport.h"
#include "KVErrorList.h"
#include "KVNumberText.h"
#include "KVPrintableName.h"
#include "KVReadSignalFile.h"
#include "Simulation.h"
#include "KVSignal.h"
#include "KalvioCommand.h"
#include "RateCommand.h"
#include "SignalInputs.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace {

nlohmann::ordered_json JsonOf(const Kalvio::CurveRating& r, const std::string& reference, const std::string& comparison,
                              const std::string& xUnits)
{
    nlohmann::ordered_json o;
    o["reference"] = reference;
    o["comparison"] = comparison;
    o["rating"] = r.rating;
    o["corridor"] = r.corridor;
    o["phase"] = r.phase;
    o["magnitude"] = r.magnitude;
    o["slope"] = r.slope;
    o["shift"] = RatingShiftMs(r, xUnits);
    o["span"] = {r.from, r.to};
    o["resampled"] = r.resampled;
    return o;
}

std::string Dump(const nlohmann::ordered_json& j, int indent = -1)
{
    // File names are bytes: what is no UTF-8 is replaced rather than refused.
    return j.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string ErrorText(const KVErrorList& errors)
{
    std::string text;
    for (const KVException& e : errors.Errors())
        text += (text.empty() ? "" : "; ") + e.Scope() + " - " + e.Message();
    return text;
}

// The time of --from or --to in value; false with the usage problem.
bool ParseTime(const std::string& flag, const std::string& text, std::optional<double>& value, std::string& problem)
{
    double v = 0.0;
    if (!KVParseNumber(text, v)) {
        problem = flag + " takes a time in the signals' time unit, not '" + KVPrintableText(text) + "'";
        return false;
    }
    value = v;
    return true;
}

int RunRate(const std::vector<std::string>& args)
{
    bool json = false, allowLarge = false;
    Kalvio::RatingInterval interval;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string problem, value;
        if (a == "--json") {
            json = true;
        } else if (a == "--allow-large") {
            allowLarge = true;
        } else if (OptionValue(args, i, "--from", "a time", value, problem)) {
            if (!problem.empty() || !ParseTime("--from", value, interval.from, problem))
                return UsageError("rate", problem);
        } else if (OptionValue(args, i, "--to", "a time", value, problem)) {
            if (!problem.empty() || !ParseTime("--to", value, interval.to, problem))
                return UsageError("rate", problem);
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("rate", "unknown option " + a);
        } else {
            names.push_back(a);
        }
    }
    if (names.size() < 2)
        return UsageError("rate", "give a reference and at least one comparison");
    interval.maxSamples = allowLarge ? 0 : Kalvio::kRatingLargeSamples;
    if (interval.from && interval.to && *interval.from > *interval.to)
        return UsageError("rate", "--from is after --to");

    std::vector<SignalInput> refs, comparisons;
    if (!ExpandSignalInputs({names.front()}, refs) || refs.empty())
        return KALVIO_FAILED;
    if (refs.size() > 1)
        return UsageError("rate", "the reference " + KVPrintableName(names.front()) + " gives " + std::to_string(refs.size())
                                      + " channels: pick one with " + (refs[0].sim ? "--channel" : "--code") + " PATTERN");
    int status = ExpandSignalInputs({names.begin() + 1, names.end()}, comparisons) ? KALVIO_OK : KALVIO_FAILED;
    const std::string refName = refs.front().Name();
    // A rating over times in model units against times in seconds means nothing.
    for (const std::vector<SignalInput>* list : {&refs, &comparisons})
        for (const SignalInput& input : *list)
            if (input.sim && !UnitsOfThisRun()) {
                PrintInputError(input.Name(), kNeedsUnits);
                return KALVIO_FAILED;
            }
    KVSignal reference;
    if (!LoadInputOrReport(refs.front(), reference))
        return KALVIO_FAILED;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    KVSignal comparison;
    for (const SignalInput& input : comparisons) {
        const std::string name = input.Name();
        KVErrorList errors;
        Kalvio::CurveRating r;
        // The reader's failures, or the warnings of a file that loaded.
        bool loaded;
        if (input.sim) {
            loaded = input.sim->LoadChannel(input.channel, UnitsOfThisRun(), comparison, errors);
        } else {
            loaded = KVReadSignalFile(name, comparison, errors, TextOptionsOfThisRun()) != nullptr;
        }
        PrintErrors(errors, name);
        if (loaded) {
            errors.ClearErrors();
            if (!Kalvio::RateSignals(reference, comparison, interval, r, &errors))
                PrintErrors(errors, name);
        }
        if (errors.ErrorCount() > 0) {
            status = KALVIO_FAILED;
            if (json)
                list.push_back({{"reference", refName}, {"comparison", name}, {"error", ErrorText(errors)}});
            continue;
        }
        if (json) {
            list.push_back(JsonOf(r, refName, name, reference.XUnits()));
            continue;
        }
        std::printf("%s: rating %.3f  corridor %.3f  phase %.3f  magnitude %.3f  slope %.3f  shift %.6g ms%s\n",
                    KVPrintableText(name).c_str(), r.rating, r.corridor, r.phase, r.magnitude, r.slope,
                    RatingShiftMs(r, reference.XUnits()), r.resampled ? "  (resampled onto the reference's step)" : "");
    }
    if (json)
        std::puts(Dump(list, 2).c_str());
    return status;
}

} // namespace

bool RateFiles(const std::string& reference, const std::string& comparison, const Kalvio::RatingInterval& interval,
               Kalvio::CurveRating& out, KVErrorList& errors, const KVTextOptions& textOptions)
{
    KVSignal ref, comp;
    if (!KVReadSignalFile(reference, ref, errors, textOptions) ||
        !KVReadSignalFile(comparison, comp, errors, textOptions))
        return false;
    return Kalvio::RateSignals(ref, comp, interval, out, &errors);
}

double RatingShiftMs(const Kalvio::CurveRating& r, const std::string& xUnits)
{
    return xUnits.rfind("SECONDS", 0) == 0 ? Kalvio::RatingRound(r.shift * 1000.0) : r.shift;
}

std::string RatingJson(const Kalvio::CurveRating& r, const std::string& reference, const std::string& comparison,
                       const std::string& xUnits)
{
    return Dump(JsonOf(r, reference, comparison, xUnits));
}

const KalvioCommand kRateCommand = {
    "rate", "rate curves against a reference (ISO/TS 18571: corridor, phase, magnitude, slope)",
    "Usage: kalvio rate REFERENCE COMPARISON... [--from T1] [--to T2] [--json]\n"
    "                  [--allow-large]\n"
    "An ISO-MME test stands for its channels (those --code PATTERN picks); as the\n"
    "reference it must give one.\n"
    "Rates each comparison (a repeat test, a simulation) against the reference by\n"
    "the objective rating metric of ISO/TS 18571 and prints one line per\n"
    "comparison: 'FILE: rating R  corridor Z  phase P  magnitude M  slope S  shift\n"
    "T ms', the scores from 0 (no likeness) to 1 (the same curve) to three\n"
    "decimals, R = 0.4 Z + 0.2 (P + M + S).\n"
    "  corridor   share of the samples inside corridors around the reference:\n"
    "             1 within 5 % of its largest |value|, 0 beyond 50 %, falling\n"
    "             with the square of the distance between.\n"
    "  phase      the time shift at which the curves correlate best, searched up\n"
    "             to 20 % of the span either way: 1 unshifted, 0 at 20 %.\n"
    "  magnitude  after that shift, the difference along the dynamic time warping\n"
    "             of the curves (band 10 % of the samples) relative to the\n"
    "             reference: 1 at none, 0 at 50 %.\n"
    "  slope      after that shift, the difference of the derivatives (each a\n"
    "             centred 9-point mean) relative to the reference's: 1 at none,\n"
    "             0 at 200 %.\n"
    "The shift is positive when the comparison is late, in ms (in the time unit\n"
    "itself when that is not seconds). Over the span both curves cover, or over\n"
    "--from T1 to --to T2 (in the signals' time unit, seconds for RVF-1992). A\n"
    "comparison on another time step is resampled onto the reference's grid first,\n"
    "and the line says so. Refused, with the reason: fewer than 10 shared samples,\n"
    "a reference that is zero everywhere, samples that are not finite numbers, a\n"
    "constant curve, different Y units, uneven time steps, and more than 200,000\n"
    "shared samples (the search grows with their square: resample to 10 kHz or\n"
    "narrow the span) unless --allow-large is given.\n"
    "--json prints a list with one object per comparison: {\"reference\",\n"
    "\"comparison\", \"rating\", \"corridor\", \"phase\", \"magnitude\", \"slope\", \"shift\"\n"
    "(ms), \"span\": [t1, t2], \"resampled\"} at full precision; a comparison that\n"
    "cannot be rated has {\"reference\", \"comparison\", \"error\"}.\n"
    "\n"
    "Exit status: 0 when every comparison was rated, 1 when a file could not be\n"
    "read or a comparison not rated, 2 for bad usage.\n",
    RunRate};
