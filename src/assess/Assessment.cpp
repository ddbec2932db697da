#include "Assessment.h"

#include "AssessCriteria.h"
#include "AssessDetail.h"
#include "ChannelPrep.h"
#include "Dummies.h"
#include "KVErrorList.h"

#include <algorithm>

namespace Assess {

using Detail::ErrorText;

namespace {

// Positions as people read them: "1, 3" (not "13", a position of its own).
std::string PositionList(const std::vector<char>& positions)
{
    std::string text;
    for (char p : positions)
        text += (text.empty() ? "" : ", ") + std::string(1, p);
    return text;
}

// Dummy keys, their type codes (code characters 11-12) and names; read both ways.
struct DummyRow {
    const char* key;
    const char* code;
    const char* name;
};
constexpr DummyRow kDummyRows[] = {
    {"h3-50m", "H3", "Hybrid III 50th male"},  {"h3-5f", "HF", "Hybrid III 5th female"},
    {"h3-95m", "HM", "Hybrid III 95th male"},  {"thor-50m", "TH", "THOR 50th male"},
    {"worldsid-50m", "WS", "WorldSID 50th male"}, {"worldsid-5f", "WF", "WorldSID 5th female"},
    {"es-2", "E2", "ES-2"},                    {"es-2re", "ER", "ES-2re"},
    {"sid-iis", "S2", "SID-IIs"},
};

class Engine {
public:
    Engine(const TestSource& test, const Protocol& protocol, const std::vector<InputUse>& inputs, bool keep)
        : m_channels(test, protocol, keep), m_protocol(protocol), m_inputs(inputs)
    {
    }

    double InputValue(const std::string& name) const
    {
        for (const InputUse& in : m_inputs)
            if (in.name == name)
                return in.value;
        return 0;
    }
    const InputUse* Input(const std::string& name) const
    {
        for (const InputUse& in : m_inputs)
            if (in.name == name)
                return &in;
        return nullptr;
    }

    void Plan(const OccupantRule& rule, char position) { m_channels.Plan(rule, position); }

    // Evaluates rule for the occupant at position: channels, filter, value.
    CriterionResult Evaluate(const CriterionRule& rule, char position, const Criteria::DummyInfo* dummy)
    {
        CriterionResult r;
        r.criterion = rule.criterion;
        r.filterClass = rule.filterClass;
        r.limit = rule.limit;
        r.hpl = rule.hpl;
        r.lpl = rule.lpl;
        r.capping = rule.capping;
        r.curve = rule.exceedance;
        r.byRisk = rule.risk.has_value();
        r.ratingBounds = rule.rating;
        if (!rule.ratingInput.empty()) {
            // An observation's rating, as the inputs give it.
            r.title = rule.criterion;
            r.input = rule.ratingInput;
            const InputUse* in = Input(rule.ratingInput);
            if (!in || !in->given) {
                r.status = Status::NotAvailable;
                r.reason = "not observed: give " + rule.ratingInput + " (good, acceptable, marginal or poor) in the inputs file";
            } else {
                r.rating = Rating(int(in->value));
            }
            return r;
        }
        if (rule.modifier && !rule.modifier->input.empty()) {
            r.isModifier = true;
            r.input = rule.modifier->input;
            r.title = rule.criterion;
            const InputUse* in = Input(rule.modifier->input);
            r.value = in ? in->value : 0;
            return r;
        }
        const CriterionRow& row = *FindCriterionRow(rule.criterion);
        r.title = row.title;
        r.unit = row.unit;
        std::vector<std::vector<Criteria::Channel>> sets;
        Status worst = Status::Ok;
        std::string reason, missing;
        for (const auto& patterns : rule.channels) {
            std::vector<Criteria::Channel> set;
            for (size_t k = 0; k < patterns.size(); ++k) {
                const TestSource::Entry* e = m_channels.Pick(patterns[k], position, rule.filterClass);
                if (!e) {
                    worst = Status::NotAvailable;
                    missing += (missing.empty() ? "" : ", ") + PatternAt(patterns[k], position) + " (" + row.labels[k]
                               + ")";
                    continue;
                }
                Prepared p = m_channels.Prepare(*e, row.inputs[k], rule.filterClass, row.minSpan);
                r.channels.push_back(p.use);
                for (const std::string& note : p.notes)
                    r.notes.push_back(note);
                if (p.status != Status::Ok) {
                    worst = std::max(worst, p.status);
                    reason += (reason.empty() ? "" : "; ") + p.reason;
                    if (p.status == Status::NotAvailable)
                        continue;
                }
                set.push_back(std::move(p.channel));
            }
            if (set.size() == patterns.size())
                sets.push_back(std::move(set));
        }
        if (!missing.empty())
            reason = "no channel " + missing + " in the test" + (reason.empty() ? "" : "; " + reason);
        if (worst == Status::NotAvailable || sets.empty()) {
            r.status = Status::NotAvailable;
            r.reason = reason;
            return r;
        }
        // The channels of the criterion share one time span.
        std::vector<Criteria::Channel> all;
        for (auto& set : sets)
            for (auto& ch : set)
                all.push_back(std::move(ch));
        KVErrorList alignErrors;
        if (!Criteria::AlignChannels(all, row.minSpan, alignErrors)) {
            r.status = Status::NotAvailable;
            r.reason = ErrorText(alignErrors);
            return r;
        }
        for (const std::string& note : all[0].notes)
            if (note.find("span") != std::string::npos)
                r.notes.push_back(note);
        size_t next = 0;
        for (auto& set : sets)
            for (auto& ch : set)
                ch = std::move(all[next++]);
        ComputeContext ctx;
        ctx.dummy = dummy;
        if (const InputUse* v = Input("initial_velocity"))
            ctx.v0 = SpeedToMetresPerSecond(v->value, v->unit).value_or(0);
        ctx.cumulative3ms = rule.cumulative3ms;
        if (row.compressive) {
            ctx.compressionPositive = true;
            for (auto& set : sets)
                for (auto& ch : set) {
                    std::string inverted;
                    const bool known = OrientForCompression(ch, inverted);
                    ctx.compressionPositive = ctx.compressionPositive && known;
                    if (!inverted.empty()) {
                        worst = std::max(worst, Status::Doubtful);
                        reason += (reason.empty() ? "" : "; ") + inverted;
                    }
                }
        }
        Computed best;
        if (row.sets == SetRule::All) {
            best = ComputeCriterion(row, sets, ctx);
        } else {
            for (auto& set : sets) {
                std::vector<std::vector<Criteria::Channel>> one{std::move(set)};
                Computed c = ComputeCriterion(row, one, ctx);
                if (!c.ok) {
                    best = c;
                    break;
                }
                if (!best.ok || c.value > best.value)
                    best = std::move(c);
            }
        }
        if (!best.ok) {
            r.status = Status::NotAvailable;
            r.reason = best.problem;
            return r;
        }
        r.value = best.value;
        r.t1 = best.t1;
        r.t2 = best.t2;
        r.status = worst;
        r.reason = reason;
        for (const std::string& note : best.notes)
            r.notes.push_back(note);
        if (!rule.doubtful.empty()) {
            r.status = std::max(r.status, Status::Doubtful);
            r.reason += (r.reason.empty() ? "" : "; ") + rule.doubtful;
        }
        if (!rule.exceedance.empty())
            r.exceedance = JudgeExceedance(best.history, best.dt, rule.exceedance);
        m_lastPeakResultant = best.peakResultant;
        return r;
    }

    // Scores or judges r (evaluated) by rule within a region of maxScore points.
    void Judge(const CriterionRule& rule, CriterionResult& r, double maxScore)
    {
        const bool given = !rule.onlyWith.empty() && InputValue(rule.onlyWith) != 0;
        ScoreCriterion(rule, m_protocol.scoring == Scoring::SlidingScale, given, m_lastPeakResultant, maxScore, r);
    }

private:
    ChannelPreparer m_channels;
    const Protocol& m_protocol;
    const std::vector<InputUse>& m_inputs;
    double m_lastPeakResultant = 0;
};

// The vehicle's stars from the mean relative risk of every occupant the
// protocol assesses; none, with the reason, when one is missing or unknown.
void VehicleStars(const Protocol& protocol, Assessment& a)
{
    if (!protocol.stars) {
        a.vehicleReason = protocol.id + " gives no star bands";
        return;
    }
    double sum = 0;
    for (const OccupantRule& rule : protocol.occupants) {
        const auto o = std::find_if(a.occupants.begin(), a.occupants.end(), [&](const OccupantResult& r) {
            return r.label == rule.label && r.dummy == rule.dummy;
        });
        if (o == a.occupants.end() || !o->relativeRisk) {
            a.vehicleReason = "no relative risk of the " + rule.label + " (" + DummyNameOfKey(rule.dummy) + ")";
            return;
        }
        sum += *o->relativeRisk;
    }
    a.relativeRisk = sum / double(protocol.occupants.size());
    a.stars = StarsOf(*protocol.stars, *a.relativeRisk);
}

} // namespace

std::string DummyKeyOfCode(const std::string& code)
{
    for (const DummyRow& d : kDummyRows)
        if (code == d.code)
            return d.key;
    return {};
}

std::string DummyCodeOfKey(const std::string& key)
{
    for (const DummyRow& d : kDummyRows)
        if (key == d.key)
            return d.code;
    return {};
}

std::string DummyNameOfKey(const std::string& key)
{
    for (const DummyRow& d : kDummyRows)
        if (key == d.key)
            return d.name;
    return key;
}

bool ProtocolFitsTest(const Protocol& protocol, const TestSource& test)
{
    for (const OccupantRule& occ : protocol.occupants)
        for (char position : occ.positions) {
            const std::vector<std::string> codes = test.DummyCodesAt(position);
            if (std::find(codes.begin(), codes.end(), DummyCodeOfKey(occ.dummy)) != codes.end())
                return true;
        }
    return false;
}

bool AssessTest(const TestSource& test, const Protocol& protocol, const AssessOptions& options, Assessment& out,
                std::string& error)
{
    out = Assessment{};
    out.protocol = protocol;
    out.test = test.Name();
    if (!ReadInputs(protocol, options.inputsText, options.inputsFile, out.inputs, error))
        return false;
    out.warnings = test.Warnings();
    if (!options.dummy.empty() && std::find(protocol.dummies.begin(), protocol.dummies.end(), options.dummy)
                                      == protocol.dummies.end()) {
        std::string keys;
        for (const std::string& d : protocol.dummies)
            keys += (keys.empty() ? "" : ", ") + d;
        error = "dummy \"" + options.dummy + "\" is not one of " + protocol.id + " (" + keys + ")";
        return false;
    }
    std::vector<char> all;
    for (const OccupantRule& occ : protocol.occupants)
        for (char p : occ.positions)
            if (std::find(all.begin(), all.end(), p) == all.end())
                all.push_back(p);
    for (char p : options.positions)
        if (std::find(all.begin(), all.end(), p) == all.end()) {
            error = std::string("position ") + p + " is not assessed by " + protocol.id + " (positions: "
                    + PositionList(all) + ")";
            return false;
        }
    const std::vector<char> present = test.DummyPositions();
    // Which occupant rule assesses which position: the one whose dummy the
    // codes name, else (codes without the dummy) the first for that position.
    std::vector<std::pair<char, const OccupantRule*>> plan;
    for (char p : all) {
        const bool asked = std::find(options.positions.begin(), options.positions.end(), p) != options.positions.end();
        if (!options.positions.empty() ? !asked : std::find(present.begin(), present.end(), p) == present.end())
            continue;
        const std::vector<std::string> codes = test.DummyCodesAt(p);
        const OccupantRule* chosen = nullptr;
        const OccupantRule* first = nullptr;
        for (const OccupantRule& occ : protocol.occupants) {
            if (std::find(occ.positions.begin(), occ.positions.end(), p) == occ.positions.end())
                continue;
            if (!first)
                first = &occ;
            const std::string key = options.dummy.empty() ? std::string() : options.dummy;
            const bool fits = !key.empty() ? occ.dummy == key
                                           : std::find(codes.begin(), codes.end(), DummyCodeOfKey(occ.dummy))
                                                 != codes.end();
            if (fits && !chosen)
                chosen = &occ;
        }
        if (!chosen && options.dummy.empty() && codes.empty())
            chosen = first;
        if (!chosen) {
            out.warnings.push_back(std::string("position ") + p + ": the dummy there ("
                                   + (codes.empty() ? std::string("?") : codes[0]) + ") is none that " + protocol.id
                                   + " assesses at that seat; choose the dummy to assess it as");
            continue;
        }
        plan.push_back({p, chosen});
    }
    if (plan.empty())
        out.warnings.push_back("no occupant to assess: the test has no dummy channels at the positions " + protocol.id
                               + " assesses (" + PositionList(all) + ")");
    size_t total = 0, done = 0;
    for (const auto& [p, occ] : plan) {
        for (const RegionRule& r : occ->regions)
            total += r.criteria.size() + r.modifiers.size();
        total += occ->modifiers.size();
    }
    Engine engine(test, protocol, out.inputs, options.keepChannels);
    auto tick = [&]() {
        ++done;
        return !options.progress || options.progress(total ? double(done) / double(total) : 1.0);
    };
    const bool scored = protocol.scoring == Scoring::SlidingScale;
    const bool byRiskOrRating = protocol.scoring == Scoring::Risk || protocol.scoring == Scoring::Rating;
    for (const auto& [position, rule] : plan) {
        OccupantResult o;
        o.position = position;
        o.label = rule->label;
        o.dummy = rule->dummy;
        o.dummyName = DummyNameOfKey(rule->dummy);
        const std::vector<std::string> codes = test.DummyCodesAt(position);
        if (codes.empty())
            o.notes.push_back("the channel codes do not name the dummy at position " + std::string(1, position)
                              + "; assessed as " + o.dummyName);
        const Criteria::DummyInfo* dummy = Criteria::FindDummy(rule->dummy);
        engine.Plan(*rule, position);
        bool unknown = false, failed = false;
        double totalBand = 0, totalScore = 0;
        double spared = 1; // the chance of no injury in any region
        for (const RegionRule& rs : rule->regions) {
            RegionResult region;
            region.region = rs.region;
            region.maxScore = rs.maxScore;
            for (const CriterionRule& cs : rs.criteria) {
                CriterionResult c = engine.Evaluate(cs, position, dummy);
                engine.Judge(cs, c, rs.maxScore);
                if (c.capped && o.capped.empty())
                    o.capped = c.criterion;
                region.criteria.push_back(std::move(c));
                if (!tick()) {
                    error = "cancelled";
                    return false;
                }
            }
            for (const CriterionRule& cs : rs.modifiers) {
                CriterionResult c = engine.Evaluate(cs, position, dummy);
                engine.Judge(cs, c, rs.maxScore);
                region.modifiers.push_back(std::move(c));
                if (!tick()) {
                    error = "cancelled";
                    return false;
                }
            }
            o.maxScore += region.maxScore;
            if (byRiskOrRating) {
                AggregateRiskOrRating(protocol.scoring, region);
                const bool judged = std::any_of(region.criteria.begin(), region.criteria.end(), [](const auto& c) {
                    return c.byRisk || !c.ratingBounds.empty() || !c.input.empty();
                });
                unknown = unknown || (judged && !region.risk && !region.rating);
                if (region.risk)
                    spared *= 1 - *region.risk;
            } else {
                AggregateRegion(scored, region);
                if (scored) {
                    // A region of measures only (no points) leaves the total as it is.
                    unknown = unknown || (region.maxScore > 0 && !region.score);
                    totalScore += region.score.value_or(0);
                    totalBand += region.bandScore.value_or(0);
                } else {
                    failed = failed || (region.pass && !*region.pass);
                    unknown = unknown || !region.pass;
                }
            }
            o.regions.push_back(std::move(region));
        }
        for (const CriterionRule& cs : rule->modifiers) {
            CriterionResult c = engine.Evaluate(cs, position, dummy);
            engine.Judge(cs, c, 0);
            if (c.status != Status::Ok || (scored ? !c.pointsTaken : !c.pass)) {
                unknown = true;
            } else if (scored) {
                totalScore -= *c.pointsTaken;
                totalBand -= *c.pointsTaken;
            } else {
                failed = failed || !*c.pass;
            }
            o.modifiers.push_back(std::move(c));
            if (!tick()) {
                error = "cancelled";
                return false;
            }
        }
        if (byRiskOrRating) {
            o.verdict = unknown ? "incomplete" : "";
            if (!unknown && protocol.scoring == Scoring::Risk) {
                o.risk = 1 - spared;
                if (protocol.stars) {
                    o.relativeRisk = *o.risk / protocol.stars->baselineRisk;
                    o.stars = StarsOf(*protocol.stars, *o.relativeRisk);
                }
            }
        } else if (scored) {
            if (!o.capped.empty()) {
                // A capping limit reached takes every point, whatever else is known.
                o.score = o.bandScore = 0.0;
                o.notes.push_back("capped: " + o.capped + " reached its capping limit; the score is 0");
            } else if (o.maxScore == 0) {
                unknown = true;
                o.notes.push_back("no criterion of this occupant has published limits here: its measures are shown "
                                  "without points");
            } else if (!unknown) {
                o.score = std::max(0.0, totalScore);
                o.bandScore = std::max(0.0, totalBand);
            }
            o.verdict = unknown ? "incomplete" : "";
        } else {
            o.verdict = failed ? "fail" : unknown ? "incomplete" : "pass";
        }
        out.occupants.push_back(std::move(o));
    }
    if (protocol.scoring == Scoring::Risk)
        VehicleStars(protocol, out);
    return true;
}

} // namespace Assess
