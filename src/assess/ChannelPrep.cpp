#include "ChannelPrep.h"

#include "AssessCriteria.h"
#include "AssessDetail.h"
#include "IsoMmeTest.h"
#include "IsoMmeVocabulary.h"
#include "Kalvio.h"
#include "KVFilterClass.h"
#include "SignalCheck.h"

#include <cmath>

namespace Assess {

using Detail::ErrorText;
using Detail::Ms;
using Detail::Num;

std::string PatternAt(const std::string& pattern, char position)
{
    std::string p = pattern;
    if (p.size() == 16 && p[1] == '?')
        p[1] = position;
    return p;
}

namespace {

bool MatchesPattern(const std::string& code, const std::string& pattern, char position)
{
    return code.size() == 16 && pattern.size() == 16 && IsoMmeCodeMatches(PatternAt(pattern, position), code);
}

// The corner (Hz) a channel was filtered at, 0 for raw data.
double CornerOf(int filterClass, float cutOff)
{
    if (KVIsChannelClass(filterClass))
        return KVChannelClassCorner(filterClass);
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

} // namespace

ChannelPreparer::ChannelPreparer(const TestSource& test, const Protocol& protocol, bool keep)
    : m_test(test), m_protocol(protocol), m_keep(keep)
{
}

const TestSource::Entry* ChannelPreparer::Pick(const std::string& pattern, char position, int want) const
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

void ChannelPreparer::Plan(const OccupantRule& rule, char position)
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

Prepared ChannelPreparer::Prepare(const TestSource::Entry& e, Criteria::Quantity q, int want, double minSpan)
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

Prepared ChannelPreparer::PrepareFresh(const TestSource::Entry& e, Criteria::Quantity q, int want, double minSpan)
{
    Prepared p;
    p.use = {e.code, e.name, e.path, "", 0, nullptr};
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
    if (!e.doubt.empty() && p.status == Status::Ok) {
        p.status = Status::Doubtful;
        p.reason = e.code + ": " + e.doubt;
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
    const double wantCorner = KVChannelClassCorner(want);
    const std::string recorded = corner == 0                        ? std::string("raw")
                                 : KVIsChannelClass(s.FilterClass()) ? KVChannelClassText(s.FilterClass())
                                                                     : "filtered at " + Num(corner) + " Hz";
    if (s.FilterClass() == want) {
        p.use.filter = KVChannelClassText(want) + " as recorded";
    } else if (corner == 0 || corner > wantCorner * 1.001) {
        KVErrorList filterErrors;
        if (!Kalvio::BWfilt(s, want, &filterErrors)) {
            p.status = Status::NotAvailable;
            p.reason = e.code + " cannot be filtered to " + KVChannelClassText(want) + ": " + ErrorText(filterErrors);
            return p;
        }
        p.use.filter = recorded + ", filtered to " + KVChannelClassText(want);
        p.use.filteredTo = want;
    } else {
        p.use.filter = recorded + " as recorded";
        p.notes.push_back("warning: " + e.code + " is " + recorded + ", coarser than the protocol's CFC "
                          + std::to_string(want) + "; used as recorded");
    }
    if (m_keep)
        p.use.signal = std::make_shared<const KVSignal>(s);
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

} // namespace Assess
