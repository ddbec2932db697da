// kalvio correlate: a simulation rated against its test, pair by pair of a
// map. The summary and the JSON are printed here; the PDF is drawn with the
// graph, which needs Qt, so kalvio-report beside this program writes it.
#include "CliSupport.h"
#include "CorrelateCommand.h"
#include "Correlation.h"
#include "KVOutputFile.h"
#include "KVPrintableName.h"
#include "KalvioCommand.h"
#include "RateCommand.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using json = nlohmann::ordered_json;

std::string Dump(const json& j)
{
    return j.dump(2, ' ', false, json::error_handler_t::replace);
}

json PairJson(const Correlate::PairResult& p)
{
    // The rating's own fields, as kalvio rate gives them, between the pair's.
    json o = p.rating ? json::parse(RatingJson(*p.rating, p.pair.test, p.pair.simulation))
                      : json{{"reference", p.pair.test}, {"comparison", p.pair.simulation}};
    o.erase("reference");
    o.erase("comparison");
    json pair = {{"test", p.pair.test},     {"test_name", p.testTitle}, {"simulation", p.pair.simulation},
                 {"factor", p.pair.factor}, {"region", p.region},       {"filter", p.filter}};
    if (!p.rating) {
        pair["rating"] = nullptr;
        pair["error"] = p.reason;
        return pair;
    }
    pair.update(o);
    pair["band"] = Correlate::BandColour(Correlate::BandOf(p.rating->rating));
    return pair;
}

json ResultJson(const Correlate::Result& r)
{
    json pairs = json::array(), regions = json::array();
    for (const Correlate::PairResult& p : r.pairs)
        pairs.push_back(PairJson(p));
    for (const Correlate::RegionMean& m : r.regions)
        regions.push_back({{"region", m.region},
                           {"mean", m.mean ? json(*m.mean) : json(nullptr)},
                           {"pairs", m.pairs},
                           {"rated", m.rated}});
    return {{"test", r.test},
            {"simulation", r.simulation},
            {"map", r.map},
            {"window", r.eventWindow ? "event" : "shared span"},
            {"bands", {{"green", Correlate::kGoodRating}, {"amber", Correlate::kFairRating}}},
            {"pairs", pairs},
            {"regions", regions},
            {"mean", r.mean ? json(*r.mean) : json(nullptr)},
            {"rated", r.rated}};
}

void PrintSummary(const Correlate::Result& r)
{
    for (const Correlate::PairResult& p : r.pairs) {
        const std::string pair = p.pair.test + " ~ " + KVPrintableText(p.pair.simulation);
        if (!p.rating) {
            std::printf("%s: n/a (%s)\n", pair.c_str(), KVPrintableText(p.reason).c_str());
            continue;
        }
        const Kalvio::CurveRating& c = *p.rating;
        std::printf("%s: rating %.3f (%s)  corridor %.3f  phase %.3f  magnitude %.3f  slope %.3f  shift %.6g ms\n",
                    pair.c_str(), c.rating, Correlate::BandColour(Correlate::BandOf(c.rating)), c.corridor, c.phase,
                    c.magnitude, c.slope, RatingShiftMs(c, "SECONDS"));
    }
    for (const Correlate::RegionMean& m : r.regions) {
        if (m.mean)
            std::printf("%s: mean %.3f of %zu of %zu pairs\n", m.region.c_str(), *m.mean, m.rated, m.pairs);
        else
            std::printf("%s: n/a (no pair rated of %zu)\n", m.region.c_str(), m.pairs);
    }
    if (r.mean)
        std::printf("all: mean %.3f of %zu of %zu pairs\n", *r.mean, r.rated, r.pairs.size());
}

// Runs kalvio-report beside this program for the PDF and waits for it.
int RunReportProgram(const Correlate::Request& request)
{
    const std::string program = ProgramDir() + "/kalvio-report";
    std::vector<std::string> args = Correlate::ReportArguments(request);
    args.insert(args.begin(), {program, "correlate"});
    if (KVReplacesWriteProtected())
        args.push_back("--force"); // kalvio took it for itself

    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "kalvio correlate: cannot run %s (the report program is built with the desktop's Qt "
                             "libraries and installed beside kalvio)\n",
                     KVPrintableName(program).c_str());
        return KALVIO_FAILED;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return KALVIO_FAILED;
    return WIFEXITED(status) ? WEXITSTATUS(status) : KALVIO_FAILED;
}

int RunCorrelate(const std::vector<std::string>& args)
{
    Correlate::Request request;
    const std::string problem = Correlate::ParseArguments(args, request);
    if (!problem.empty())
        return UsageError("correlate", problem);
    Correlate::Options options;
    options.eventWindow = request.eventWindow;
    options.units = request.units;
    Correlate::Result result;
    std::string error;
    if (!Correlate::Correlate(request.test, request.simulation, request.map, options, result, error)) {
        std::fprintf(stderr, "kalvio correlate: %s\n", KVPrintableText(error).c_str());
        return KALVIO_FAILED;
    }
    for (const std::string& w : result.warnings)
        std::fprintf(stderr, "kalvio correlate: warning: %s\n", KVPrintableText(w).c_str());
    for (const Correlate::PairResult& p : result.pairs)
        if (!p.rating)
            std::fprintf(stderr, "kalvio correlate: %s ~ %s: %s\n", p.pair.test.c_str(),
                         KVPrintableText(p.pair.simulation).c_str(), KVPrintableText(p.reason).c_str());
    if (request.json)
        std::puts(Dump(ResultJson(result)).c_str());
    else
        PrintSummary(result);
    int status = result.rated == result.pairs.size() ? KALVIO_OK : KALVIO_FAILED;
    if (!request.output.empty() && RunReportProgram(request) != KALVIO_OK)
        status = KALVIO_FAILED;
    return status;
}

} // namespace

const KalvioCommand kCorrelateCommand = {"correlate",
                                         "rate a simulation against its test, channel by channel of a map (ISO/TS "
                                         "18571; summary, JSON, PDF)",
                                         Correlate::kHelp, RunCorrelate, false};
