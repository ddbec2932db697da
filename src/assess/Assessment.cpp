#include "Assessment.h"

#include "AssessCriteria.h"
#include "Clip3ms.h"
#include "CriterionChannel.h"
#include "Damage.h"
#include "Dummies.h"
#include "Hic.h"
#include "IsoMmeTest.h"
#include "IsoMmeVocabulary.h"
#include "IsoMmeWriter.h"
#include "KVErrorList.h"
#include "KVReadSignalFile.h"
#include "KVSignal.h"
#include "Kalvio.h"
#include "NeckCriteria.h"
#include "Olc.h"
#include "PeakLoads.h"
#include "SignalCheck.h"
#include "ThorChest.h"
#include "TibiaIndex.h"
#include "ViscousCriterion.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <tuple>

namespace Assess {

namespace {

std::string Num(double v, int digits = 4)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return buf;
}

std::string Ms(double s)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.1f", s * 1000);
    return buf;
}

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

std::string PatternAt(const std::string& pattern, char position)
{
    std::string p = pattern;
    if (p.size() == 16 && p[1] == '?')
        p[1] = position;
    return p;
}

bool MatchesPattern(const std::string& code, const std::string& pattern, char position)
{
    return code.size() == 16 && pattern.size() == 16 && IsoMmeCodeMatches(PatternAt(pattern, position), code);
}

// The corner (Hz) a channel was filtered at, 0 for raw data.
double CornerOf(int filterClass, float cutOff)
{
    if (filterClass == 60 || filterClass == 180 || filterClass == 600 || filterClass == 1000)
        return filterClass * 5.0 / 3.0;
    return cutOff > 0 ? double(cutOff) : 0;
}

// 0: at the class; 1: raw or finer (filtered here); 2: coarser (used with a warning).
int ClassRank(char letter, int want)
{
    const auto f = IsoFilterOfLetter(letter);
    if (!f || !f->filtered)
        return 1;
    if (f->filterClass == want)
        return 0;
    return CornerOf(f->filterClass, f->cutOff) > want * 5.0 / 3.0 ? 1 : 2;
}

std::string ErrorText(const KVErrorList& errors)
{
    std::string text;
    for (const KVException& e : errors.Errors())
        text += (text.empty() ? "" : "; ") + e.Message();
    return text;
}

// A channel ready for a criterion, or why it is not.
struct Prepared {
    Status status = Status::Ok;
    std::string reason;
    Criteria::Channel channel;
    ChannelUse use;
    std::vector<std::string> notes;
};

// What a criterion computed from its channels.
struct Computed {
    bool ok = false;
    std::string problem;
    double value = 0;
    std::optional<double> t1, t2;
    std::vector<double> history; // reported unit, for exceedance curves
    double dt = 0;
    double peakResultant = 0;    // of three acceleration inputs, g
    std::vector<std::string> notes;
};

double Peak(const std::vector<double>& v)
{
    double m = 0;
    for (double x : v)
        m = std::max(m, x);
    return m;
}

class Engine {
public:
    Engine(const TestSource& test, const Protocol& protocol, const std::vector<InputUse>& inputs)
        : m_test(test), m_protocol(protocol), m_inputs(inputs)
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

    // The channel the pattern picks at position: at the protocol's class
    // first, then raw or finer, then coarser; the first of equals.
    const TestSource::Entry* Pick(const std::string& pattern, char position, int want) const
    {
        const TestSource::Entry* best = nullptr;
        int bestRank = 3;
        for (const TestSource::Entry& e : m_test.Channels()) {
            if (!MatchesPattern(e.code, pattern, position))
                continue;
            const int rank = ClassRank(e.code[15], want);
            if (rank < bestRank) {
                best = &e;
                bestRank = rank;
            }
        }
        return best;
    }

    // What one occupant will ask for, so that a channel used by several
    // criteria is read once and a prepared one reused, each kept only until
    // its last use (the memory stays that of the channels in use).
    void Plan(const OccupantRule& rule, char position)
    {
        m_prepUses.clear();
        m_rawUses.clear();
        m_prepCache.clear();
        m_rawCache.clear();
        std::map<size_t, std::vector<PrepKey>> keysOf;
        auto plan = [&](const CriterionRule& c) {
            const CriterionRow* row = FindCriterionRow(c.criterion);
            if (!row || (c.modifier && !c.modifier->input.empty()))
                return;
            for (const auto& patterns : c.channels)
                for (size_t k = 0; k < patterns.size(); ++k)
                    if (const TestSource::Entry* e = Pick(patterns[k], position, c.filterClass)) {
                        const PrepKey key{e->index, c.filterClass, int(row->inputs[k]), row->minSpan};
                        if (m_prepUses[key]++ == 0)
                            ++m_rawUses[e->index];
                    }
        };
        for (const RegionRule& r : rule.regions) {
            for (const CriterionRule& c : r.criteria)
                plan(c);
            for (const CriterionRule& c : r.modifiers)
                plan(c);
        }
        for (const CriterionRule& c : rule.modifiers)
            plan(c);
    }

    Prepared Prepare(const TestSource::Entry& e, Criteria::Quantity q, int want, double minSpan)
    {
        const PrepKey key{e.index, want, int(q), minSpan};
        const auto uses = m_prepUses.find(key);
        const bool planned = uses != m_prepUses.end();
        if (const auto hit = m_prepCache.find(key); hit != m_prepCache.end()) {
            Prepared p = planned && uses->second <= 1 ? std::move(hit->second) : hit->second;
            if (planned && --uses->second == 0)
                m_prepCache.erase(hit);
            return p;
        }
        Prepared p = PrepareFresh(e, q, want, minSpan);
        if (planned && --uses->second > 0)
            m_prepCache.emplace(key, p);
        return p;
    }

    Prepared PrepareFresh(const TestSource::Entry& e, Criteria::Quantity q, int want, double minSpan)
    {
        Prepared p;
        p.use = {e.code, e.name, e.path, "", 0};
        KVSignal& s = m_signal;
        KVErrorList errors;
        bool loaded = false;
        auto rawUses = m_rawUses.find(e.index);
        if (const auto hit = m_rawCache.find(e.index); hit != m_rawCache.end()) {
            s = hit->second.first;
            errors = hit->second.second;
            loaded = true;
            if (rawUses != m_rawUses.end() && --rawUses->second == 0)
                m_rawCache.erase(hit);
        } else {
            loaded = m_test.Load(e, s, errors);
            if (loaded && rawUses != m_rawUses.end() && --rawUses->second > 0)
                m_rawCache.emplace(e.index, std::make_pair(s, errors));
        }
        if (!loaded) {
            p.status = Status::NotAvailable;
            p.reason = e.code + " cannot be read: " + ErrorText(errors);
            return p;
        }
        for (const KVException& w : errors.Errors())
            p.notes.push_back(e.code + ": " + w.Message());
        const Kalvio::CheckResult check = Kalvio::CheckSignal(s);
        if (check.verdict != Kalvio::CheckVerdict::Ok) {
            const std::string what = check.findings.empty() ? std::string() : check.findings.front().message;
            p.status = check.verdict == Kalvio::CheckVerdict::Fail ? Status::NotAvailable : Status::Doubtful;
            p.reason = e.code + (check.verdict == Kalvio::CheckVerdict::Fail ? " fails the channel check: "
                                                                               : " has a channel check warning: ")
                       + what;
            if (p.status == Status::NotAvailable)
                return p;
        }
        // The span the protocol evaluates, and the criterion's own window.
        const size_t n = s.PointCount();
        if (n < 2) {
            p.status = Status::NotAvailable;
            p.reason = e.code + " has " + std::to_string(n) + " samples";
            return p;
        }
        const double from = double(s.X()[0]), to = double(s.X()[n - 1]);
        const double step = (to - from) / double(n - 1);
        const double slack = step / 2 + 1e-9;
        if (from > m_protocol.windowFrom + slack || to < m_protocol.windowTo - slack || to - from < minSpan - slack) {
            p.status = Status::NotAvailable;
            p.reason = e.code + " covers " + Ms(from) + " to " + Ms(to) + " ms, the assessment needs "
                       + Ms(m_protocol.windowFrom) + " to " + Ms(m_protocol.windowTo) + " ms";
            return p;
        }
        const double corner = CornerOf(s.FilterClass(), s.CutOffFrequency());
        const double wantCorner = want * 5.0 / 3.0;
        const std::string recorded = corner == 0 ? std::string("raw")
                                     : (s.FilterClass() >= 60 && s.FilterClass() <= 1000)
                                         ? "CFC " + std::to_string(s.FilterClass())
                                         : "filtered at " + Num(corner) + " Hz";
        if (s.FilterClass() == want) {
            p.use.filter = "CFC " + std::to_string(want) + " as recorded";
        } else if (corner == 0 || corner > wantCorner * 1.001) {
            KVErrorList filterErrors;
            if (!Kalvio::BWfilt(s, want, &filterErrors)) {
                p.status = Status::NotAvailable;
                p.reason = e.code + " cannot be filtered to CFC " + std::to_string(want) + ": " + ErrorText(filterErrors);
                return p;
            }
            p.use.filter = recorded + ", filtered to CFC " + std::to_string(want);
            p.use.filteredTo = want;
        } else {
            p.use.filter = recorded + " as recorded";
            p.notes.push_back("warning: " + e.code + " is " + recorded + ", coarser than the protocol's CFC "
                              + std::to_string(want) + "; used as recorded");
        }
        KVErrorList convertErrors;
        if (!Criteria::ChannelFromSignal(s, false, e.path, q, p.channel, convertErrors)) {
            p.status = Status::NotAvailable;
            p.reason = e.code + ": " + ErrorText(convertErrors);
            return p;
        }
        for (const std::string& note : p.channel.notes)
            p.notes.push_back(note);
        return p;
    }

    static Computed Compute(const CriterionRow& row, std::vector<std::vector<Criteria::Channel>>& sets,
                            const Criteria::DummyInfo* dummy, double v0)
    {
        Computed c;
        const std::string name = row.name;
        const Criteria::Channel& g = sets[0][0];
        c.dt = g.dt;
        // Times on the sample grid: the first time comes from a 32-bit float
        // (0.0752 rather than 0.07519999925).
        const double first = std::round(g.t0 / g.dt);
        const bool onGrid = std::fabs(g.t0 / g.dt - first) < 1e-3;
        auto at = [&](size_t i) { return onGrid ? (first + double(i)) * g.dt : g.TimeAt(i); };
        auto peakAt = [&](const Criteria::PeakResult& r, double scale) {
            c.ok = r.found;
            c.value = r.found ? r.value * scale : 0;
            if (r.found)
                c.t1 = c.t2 = at(r.at);
        };
        auto y = [&](size_t k) -> const std::vector<double>& { return sets[0][k].y; };
        if (name == "hic15" || name == "hic36" || name == "head_a3ms" || name == "chest_a3ms") {
            const std::vector<double> a = Criteria::ResultantOf(sets[0]);
            c.peakResultant = Peak(a);
            if (name == "hic15" || name == "hic36") {
                const auto hic = Criteria::ComputeHic(a, g.dt, {row.minSpan});
                c.ok = true; // no window of positive mean: HIC is 0
                c.value = hic[0].found ? hic[0].value : 0;
                if (hic[0].found) {
                    c.t1 = at(hic[0].i1);
                    c.t2 = at(hic[0].i2);
                }
            } else {
                const Criteria::ClipResult clip = Criteria::ComputeClip(a, g.dt, 0.003);
                c.ok = clip.found;
                c.value = clip.value;
                if (clip.found) {
                    c.t1 = at(clip.i1);
                    c.t2 = at(clip.i2);
                }
            }
        } else if (name == "damage") {
            const Criteria::DamageResult d = Criteria::ComputeDamage(y(0), y(1), y(2), g.dt);
            c.ok = d.found;
            c.value = d.value;
            if (d.found)
                c.t1 = c.t2 = at(d.at);
        } else if (name == "neck_tension" || name == "neck_compression" || name == "neck_shear"
                   || name == "femur_left" || name == "femur_right") {
            const std::vector<double>& f = y(0);
            c.history.resize(f.size());
            for (size_t i = 0; i < f.size(); ++i) {
                const double v = name == "neck_tension" ? f[i] : name == "neck_shear" ? std::fabs(f[i]) : -f[i];
                c.history[i] = v / 1000;
            }
            Criteria::PeakResult r = name == "neck_tension"       ? Criteria::PeakTension(f)
                                     : name == "neck_compression" ? Criteria::PeakCompression(f)
                                     : name == "neck_shear"       ? Criteria::PeakMagnitude(f)
                                                                  : Criteria::PeakAxialCompression(f);
            peakAt(r, 0.001);
            if (!r.found) { // never in that direction: the peak is 0
                c.ok = true;
                c.value = 0;
            }
        } else if (name == "neck_extension") {
            const Criteria::PeakResult r = Criteria::PeakExtension(y(0), y(1));
            peakAt(r, 1);
            c.ok = true;
        } else if (name == "nij") {
            if (!dummy || !dummy->nij) {
                c.problem = "no Nij intercepts for this dummy";
                return c;
            }
            const Criteria::NijResult r = Criteria::ComputeNij(y(0), y(1), y(2), *dummy->nij);
            peakAt(r.overall, 1);
        } else if (name == "chest_deflection" || name == "knee_slider_left" || name == "knee_slider_right") {
            peakAt(Criteria::PeakMagnitude(y(0)), 1);
        } else if (name == "chest_vc" || name == "abdomen_vc") {
            if (!dummy || !dummy->vc) {
                c.problem = "no viscous criterion constants for this dummy (its scaling factor and deformation "
                            "constant)";
                return c;
            }
            const Criteria::VcResult r = Criteria::ComputeVc(y(0), g.dt, dummy->vc->scale, dummy->vc->depth);
            peakAt(r.peak, 1);
        } else if (name == "thor_chest_deflection") {
            std::vector<Criteria::IrTracc> rods;
            for (const auto& set : sets)
                rods.push_back({&set[0].y, &set[1].y, &set[2].y});
            const Criteria::ThorChestResult r = Criteria::ComputeThorChest(rods, true);
            peakAt(r.peak, 1);
        } else if (name == "chest_lateral_compression" || name == "abdomen_lateral_compression") {
            std::vector<std::vector<double>> ribs;
            for (const auto& set : sets)
                ribs.push_back(set[0].y);
            peakAt(Criteria::PeakRibCompression(ribs).peak, 1);
        } else if (name == "shoulder_lateral_force" || name == "shoulder_belt_force" || name == "pubic_symphysis") {
            peakAt(Criteria::PeakMagnitude(y(0)), 0.001);
        } else if (name == "acetabulum_left" || name == "acetabulum_right") {
            peakAt(Criteria::PeakResultant(y(0), y(1), y(2)), 0.001);
        } else if (name == "tibia_index_left" || name == "tibia_index_right") {
            if (!dummy || !dummy->tibia) {
                c.problem = "no tibia index constants for this dummy";
                return c;
            }
            peakAt(Criteria::ComputeTibiaIndex(y(0), y(1), y(2), *dummy->tibia).peak, 1);
        } else if (name == "tibia_compression_left" || name == "tibia_compression_right") {
            const Criteria::PeakResult r = Criteria::PeakAxialCompression(y(0));
            peakAt(r, 0.001);
            c.ok = true;
        } else if (name == "olc") {
            const double v = v0 > 0 ? v0 : g.initialVelocity;
            if (!(v > 0)) {
                c.problem = "no initial velocity (neither an input nor the header gives one)";
                return c;
            }
            const Criteria::OlcResult r = Criteria::ComputeOlc(y(0), g.dt, v);
            if (!r.found) {
                c.problem = r.problem;
                return c;
            }
            c.ok = true;
            c.value = r.value;
            c.t1 = (onGrid ? first * g.dt : g.t0) + r.t1;
            c.t2 = (onGrid ? first * g.dt : g.t0) + r.t2;
        }
        if (!c.ok && c.problem.empty())
            c.problem = "too few samples for " + std::string(row.title);
        return c;
    }

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
                const TestSource::Entry* e = Pick(patterns[k], position, rule.filterClass);
                if (!e) {
                    worst = Status::NotAvailable;
                    missing += (missing.empty() ? "" : ", ") + PatternAt(patterns[k], position) + " (" + row.labels[k]
                               + ")";
                    continue;
                }
                Prepared p = Prepare(*e, row.inputs[k], rule.filterClass, row.minSpan);
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
        const double v0 = m_protocol.FindInput("initial_velocity") ? InputValue("initial_velocity") / 3.6 : 0;
        Computed best;
        if (row.sets == SetRule::All) {
            best = Compute(row, sets, dummy, v0);
        } else {
            for (auto& set : sets) {
                std::vector<std::vector<Criteria::Channel>> one{std::move(set)};
                Computed c = Compute(row, one, dummy, v0);
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
        if (!rule.exceedance.empty())
            r.exceedance = JudgeExceedance(best.history, best.dt, rule.exceedance);
        m_lastPeakResultant = best.peakResultant;
        return r;
    }

    // Scores or judges r (evaluated) by rule within a region of maxScore points.
    void Judge(const CriterionRule& rule, CriterionResult& r, double maxScore)
    {
        const bool scored = m_protocol.scoring == Scoring::SlidingScale;
        // The file's note: the reason of a criterion only monitored, else beside the result.
        const bool monitored = !rule.limit && !rule.hpl && rule.exceedance.empty() && !rule.modifier;
        if (!rule.note.empty()) {
            if (monitored && r.status == Status::Ok && r.reason.empty())
                r.reason = rule.note;
            else
                r.notes.push_back(rule.note);
        }
        if (r.isModifier || rule.modifier) {
            r.isModifier = true;
            const ModifierRule& m = *rule.modifier;
            if (r.status != Status::Ok || !r.value)
                return;
            double share = 0;
            if (!m.input.empty())
                share = *r.value != 0 ? 1 : 0;
            else if (m.atOrAbove)
                share = *r.value >= *m.atOrAbove ? 1 : 0;
            else
                share = std::clamp((*r.value - *m.from) / (*m.to - *m.from), 0.0, 1.0);
            if (scored)
                r.pointsTaken = share * m.points;
            else
                r.pass = share == 0;
            return;
        }
        if (r.status != Status::Ok)
            return;
        if (!rule.onlyWith.empty()) {
            const bool given = InputValue(rule.onlyWith) != 0;
            const bool assumed = rule.assumeAbove && m_lastPeakResultant > *rule.assumeAbove;
            if (!given && !assumed) {
                r.reason = "no " + Spaced(rule.onlyWith) + " (input " + rule.onlyWith + " false"
                           + (rule.assumeAbove ? ", peak resultant " + Num(m_lastPeakResultant) + " g not above "
                                                     + Num(*rule.assumeAbove) + " g"
                                               : std::string())
                           + "): not scored, full points";
                if (scored) {
                    r.maxScore = maxScore;
                    r.score = r.score2026 = maxScore;
                } else {
                    r.pass = true;
                }
                return;
            }
            if (!given)
                r.notes.push_back(Spaced(rule.onlyWith) + " assumed: peak resultant " + Num(m_lastPeakResultant)
                                  + " g above " + Num(*rule.assumeAbove) + " g");
        }
        if (rule.hpl) {
            r.maxScore = maxScore;
            r.score = SlidingPoints(*r.value, *rule.hpl, *rule.lpl, maxScore);
            r.band = BandOf(*r.value, *rule.hpl, *rule.lpl);
            r.score2026 = BandPoints(*r.band, maxScore);
            r.capped = rule.capping && *r.value >= *rule.capping;
            // The duration form of the lower limit: held too long at a level
            // below the peak limit, the criterion is as poor as at the limit.
            if (r.exceedance && r.exceedance->judged && r.exceedance->margin < 0) {
                r.score = r.score2026 = 0.0;
                r.band = Band::Poor;
                r.notes.push_back("0 points: " + Num(r.exceedance->level) + " " + r.unit + " held for "
                                  + Ms(r.exceedance->duration) + " ms, the lower performance limit's duration form "
                                  + "allows " + Ms(r.exceedance->allowed) + " ms");
            }
        } else if (rule.limit) {
            r.pass = *r.value <= *rule.limit;
        } else if (r.exceedance) {
            r.pass = !r.exceedance->judged || r.exceedance->margin >= 0;
        }
    }

    static std::string Spaced(std::string s)
    {
        std::replace(s.begin(), s.end(), '_', ' ');
        return s;
    }

    double m_lastPeakResultant = 0;

private:
    // A channel prepared for a criterion: entry, class, quantity, own window.
    using PrepKey = std::tuple<size_t, int, int, double>;
    std::map<PrepKey, int> m_prepUses;
    std::map<size_t, int> m_rawUses; // prepared forms still to make from a read channel
    std::map<PrepKey, Prepared> m_prepCache;
    std::map<size_t, std::pair<KVSignal, KVErrorList>> m_rawCache;

    const TestSource& m_test;
    const Protocol& m_protocol;
    const std::vector<InputUse>& m_inputs;
    KVSignal m_signal; // one record for every read: its memory is reused
};

bool Judged(const CriterionResult& c)
{
    return c.isModifier || c.limit || c.hpl || !c.curve.empty();
}

void Aggregate(const Protocol& protocol, RegionResult& region)
{
    const bool scored = protocol.scoring == Scoring::SlidingScale;
    bool unknown = false, failed = false, any = false;
    double score = region.maxScore, score2026 = region.maxScore;
    for (const CriterionResult& c : region.criteria) {
        if (!Judged(c))
            continue;
        any = true;
        if (c.status != Status::Ok || (scored ? !c.score : !c.pass)) {
            unknown = true;
            continue;
        }
        if (scored) {
            score = std::min(score, *c.score);
            score2026 = std::min(score2026, *c.score2026);
            if (c.band && (!region.band || *c.band > *region.band))
                region.band = c.band;
        } else {
            failed = failed || !*c.pass;
        }
    }
    for (const CriterionResult& m : region.modifiers) {
        if (m.status != Status::Ok || (scored ? !m.pointsTaken : !m.pass)) {
            unknown = true;
            continue;
        }
        if (scored) {
            score -= *m.pointsTaken;
            score2026 -= *m.pointsTaken;
        } else {
            failed = failed || !*m.pass;
        }
    }
    if (scored) {
        if (!unknown && (any || !region.modifiers.empty())) {
            region.score = std::max(0.0, score);
            region.score2026 = std::max(0.0, score2026);
        }
    } else if (failed) {
        region.pass = false;
    } else if (!unknown) {
        region.pass = true;
    }
}

} // namespace

const char* BandName(Band band)
{
    static const char* const names[] = {"good", "adequate", "marginal", "weak", "poor"};
    return names[int(band)];
}

const char* BandColour(Band band)
{
    static const char* const colours[] = {"green", "yellow", "orange", "brown", "red"};
    return colours[int(band)];
}

Band BandOf(double value, double hpl, double lpl)
{
    const double third = (lpl - hpl) / 3;
    if (value <= hpl)
        return Band::Good;
    if (value <= hpl + third)
        return Band::Adequate;
    if (value <= hpl + 2 * third)
        return Band::Marginal;
    if (value < lpl)
        return Band::Weak;
    return Band::Poor;
}

double SlidingPoints(double value, double hpl, double lpl, double maxPoints)
{
    if (value <= hpl)
        return maxPoints;
    if (value >= lpl)
        return 0;
    return maxPoints * (lpl - value) / (lpl - hpl);
}

double BandPoints(Band band, double maxPoints)
{
    static const double shares[] = {1.0, 0.8, 0.4, 0.2, 0.0};
    return maxPoints * shares[int(band)];
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

double ExceedanceAllowed(const std::vector<std::pair<double, double>>& curve, double level)
{
    if (curve.empty() || level <= curve.back().second)
        return std::numeric_limits<double>::infinity();
    if (level > curve.front().second)
        return 0;
    // The first point below the level; the curve crosses it on the way there.
    size_t j = 1;
    while (curve[j].second >= level)
        ++j;
    const auto& [ta, fa] = curve[j - 1];
    const auto& [tb, fb] = curve[j];
    return (ta + (fa - level) / (fa - fb) * (tb - ta)) / 1000;
}

ExceedanceJudgement JudgeExceedance(const std::vector<double>& history, double dt,
                                    const std::vector<std::pair<double, double>>& curve)
{
    ExceedanceJudgement best;
    if (curve.empty() || history.empty())
        return best;
    // Levels at or below the curve's last one may last for ever; the time at
    // or above any other level is the count of samples there. Between two
    // sample values the duration stays and the allowed time only grows with
    // falling level, so the sample values are the levels to try.
    std::vector<double> levels;
    for (double v : history)
        if (v > curve.back().second)
            levels.push_back(v);
    std::sort(levels.begin(), levels.end(), std::greater<double>());
    for (size_t k = 0; k < levels.size(); ++k) {
        if (k + 1 < levels.size() && levels[k + 1] == levels[k])
            continue; // the count at a level includes all samples equal to it
        const double duration = double(k + 1) * dt;
        const double allowed = ExceedanceAllowed(curve, levels[k]);
        const double margin = allowed - duration;
        if (!best.judged || margin < best.margin)
            best = {true, levels[k], duration, allowed, margin};
    }
    if (!best.judged)
        best.level = history.empty() ? 0 : *std::max_element(history.begin(), history.end());
    return best;
}

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

// ---- the test ------------------------------------------------------------

struct TestSource::Impl {
    bool iso = false;
    IsoMmeTest test;
};

bool TestSource::Open(const std::vector<std::string>& paths, KVErrorList& errors)
{
    m_impl = std::make_shared<Impl>();
    m_entries.clear();
    if (paths.empty()) {
        errors.AddError("no test given", "Assess::TestSource");
        return false;
    }
    if (paths.size() == 1 && IsoMmeIsTestPath(paths[0])) {
        m_impl->iso = true;
        if (!m_impl->test.Open(paths[0], errors))
            return false;
        m_name = m_impl->test.TestNumber();
        const auto& channels = m_impl->test.Channels();
        for (size_t i = 0; i < channels.size(); ++i)
            m_entries.push_back({channels[i].code, channels[i].name, channels[i].path, i});
        return true;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        KVSignal s;
        size_t points = 0;
        KVErrorList fileErrors;
        if (!KVReadSignalHeader(paths[i], s.Header(), points, fileErrors)) {
            for (const KVException& e : fileErrors.Errors())
                errors.AddError(paths[i] + ": " + e.Message(), e.Scope());
            return false;
        }
        const std::string code = IsoMmeCodeOf(s);
        if (m_name.empty())
            m_name = s.TestNumber();
        m_entries.push_back({code, s.CurveText(), paths[i], i});
    }
    return true;
}

bool TestSource::Load(const Entry& e, KVSignal& signal, KVErrorList& errors) const
{
    if (m_impl && m_impl->iso)
        return m_impl->test.LoadChannel(e.index, signal, errors);
    return KVReadSignalFile(e.path, signal, errors) != nullptr;
}

bool LoadChannelAsUsed(const TestSource& test, const ChannelUse& use, KVSignal& signal, KVErrorList& errors)
{
    const auto& channels = test.Channels();
    const auto e = std::find_if(channels.begin(), channels.end(),
                                [&](const TestSource::Entry& c) { return c.path == use.path; });
    if (e == channels.end()) {
        errors.AddError(use.path + " is no channel of test " + test.Name(), "Assess::LoadChannelAsUsed");
        return false;
    }
    if (!test.Load(*e, signal, errors))
        return false;
    return use.filteredTo == 0 || Kalvio::BWfilt(signal, use.filteredTo, &errors);
}

std::vector<std::string> TestSource::DummyCodesAt(char position) const
{
    std::vector<std::string> codes;
    for (const Entry& e : m_entries) {
        if (e.code.size() != 16 || e.code[1] != position || !IsoIsDummyLocation(e.code.substr(2, 4)))
            continue;
        const std::string d = e.code.substr(10, 2);
        if (d != "00" && d != "??" && std::find(codes.begin(), codes.end(), d) == codes.end())
            codes.push_back(d);
    }
    return codes;
}

std::vector<char> TestSource::DummyPositions() const
{
    std::vector<char> positions;
    for (const Entry& e : m_entries)
        if (e.code.size() == 16 && IsoIsDummyLocation(e.code.substr(2, 4))
            && std::find(positions.begin(), positions.end(), e.code[1]) == positions.end())
            positions.push_back(e.code[1]);
    std::sort(positions.begin(), positions.end());
    return positions;
}

// ---- inputs --------------------------------------------------------------

bool ReadInputs(const Protocol& protocol, const std::string& text, const std::string& file,
                std::vector<InputUse>& inputs, std::string& error)
{
    inputs.clear();
    for (const InputRule& in : protocol.inputs)
        inputs.push_back({in.name, in.isNumber, in.unit, in.meaning, in.defaultValue, "default"});
    if (text.empty())
        return true;
    nlohmann::json j;
    try {
        j = nlohmann::json::parse(text);
    } catch (const nlohmann::json::parse_error& e) {
        const std::string what = e.what();
        const size_t colon = what.find(": ", what.find("parse error"));
        error = file + ":" + std::to_string(LineOfOffset(text, e.byte == 0 ? 0 : e.byte - 1)) + ": not valid JSON"
                + (colon == std::string::npos ? "" : what.substr(colon));
        return false;
    }
    if (!j.is_object()) {
        error = file + ":1: the inputs are one object of names and values ({\"door_opened\": true})";
        return false;
    }
    for (auto it = j.begin(); it != j.end(); ++it) {
        const int line = JsonLineOf(text, "/" + it.key());
        auto use = std::find_if(inputs.begin(), inputs.end(), [&](const InputUse& u) { return u.name == it.key(); });
        if (use == inputs.end()) {
            std::string names;
            for (const InputRule& in : protocol.inputs)
                names += (names.empty() ? "" : ", ") + in.name;
            error = file + ":" + std::to_string(line) + ": \"" + it.key() + "\" is no input of " + protocol.id
                    + (names.empty() ? " (it declares none)" : " (its inputs: " + names + ")");
            return false;
        }
        if (use->isNumber ? !(it->is_number() && std::isfinite(it->get<double>())) : !it->is_boolean()) {
            error = file + ":" + std::to_string(line) + ": \"" + it.key() + "\" is "
                    + (use->isNumber ? "a number" + (use->unit.empty() ? "" : " in " + use->unit) : "true or false")
                    + ", not " + it->dump();
            return false;
        }
        use->value = use->isNumber ? it->get<double>() : (it->get<bool>() ? 1 : 0);
        use->source = "file";
    }
    return true;
}

// ---- the assessment ------------------------------------------------------

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
                                   + " assesses at that seat; give --dummy to choose one");
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
    Engine engine(test, protocol, out.inputs);
    auto tick = [&]() {
        ++done;
        return !options.progress || options.progress(total ? double(done) / double(total) : 1.0);
    };
    const bool scored = protocol.scoring == Scoring::SlidingScale;
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
        double total2026 = 0, totalScore = 0;
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
            Aggregate(protocol, region);
            o.maxScore += region.maxScore;
            if (scored) {
                unknown = unknown || !region.score;
                totalScore += region.score.value_or(0);
                total2026 += region.score2026.value_or(0);
            } else {
                failed = failed || (region.pass && !*region.pass);
                unknown = unknown || !region.pass;
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
                total2026 -= *c.pointsTaken;
            } else {
                failed = failed || !*c.pass;
            }
            o.modifiers.push_back(std::move(c));
            if (!tick()) {
                error = "cancelled";
                return false;
            }
        }
        if (scored) {
            if (!o.capped.empty()) {
                // A capping limit reached takes every point, whatever else is known.
                o.score = o.score2026 = 0.0;
                o.notes.push_back("capped: " + o.capped + " reached its capping limit; the score is 0");
            } else if (!unknown) {
                o.score = std::max(0.0, totalScore);
                o.score2026 = std::max(0.0, total2026);
            }
            o.verdict = unknown ? "incomplete" : "";
        } else {
            o.verdict = failed ? "fail" : unknown ? "incomplete" : "pass";
        }
        out.occupants.push_back(std::move(o));
    }
    return true;
}

} // namespace Assess
