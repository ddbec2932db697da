#pragma once
// Channels made ready for criteria: the one a code pattern picks at a
// position, read once, checked, held to the protocol's window and filtered to
// its class, and converted to the criterion's unit.
#include "AssessResult.h"
#include "CriterionChannel.h"
#include "KVErrorList.h"
#include "KVSignal.h"
#include "TestSource.h"

#include <map>
#include <string>
#include <tuple>
#include <utility>

namespace Assess {

// The pattern with the occupant's position put in for its '?' at character 2.
std::string PatternAt(const std::string& pattern, char position);

// A channel ready for a criterion, or why it is not.
struct Prepared {
    Status status = Status::Ok;
    std::string reason;
    Criteria::Channel channel;
    ChannelUse use;
    std::vector<std::string> notes;
};

class ChannelPreparer {
public:
    // keep: each prepared channel keeps its signal as used (ChannelUse::signal).
    ChannelPreparer(const TestSource& test, const Protocol& protocol, bool keep = false);

    // The channel the pattern picks at position: at the protocol's class
    // first, then raw or finer, then coarser; the first of equals.
    const TestSource::Entry* Pick(const std::string& pattern, char position, int want) const;
    // What one occupant will ask for, so that a channel used by several
    // criteria is read once and a prepared one reused, each kept only until
    // its last use (the memory stays that of the channels in use).
    void Plan(const OccupantRule& rule, char position);
    // Entry e as quantity q at class want, for a criterion with its own
    // window minSpan (s): from what Plan kept, else read and prepared.
    Prepared Prepare(const TestSource::Entry& e, Criteria::Quantity q, int want, double minSpan);

private:
    Prepared PrepareFresh(const TestSource::Entry& e, Criteria::Quantity q, int want, double minSpan);

    // A channel prepared for a criterion: entry, class, quantity, own window.
    using PrepKey = std::tuple<size_t, int, int, double>;
    std::map<PrepKey, int> m_prepUses;
    std::map<size_t, int> m_rawUses; // prepared forms still to make from a read channel
    std::map<PrepKey, Prepared> m_prepCache;
    std::map<size_t, std::pair<KVSignal, KVErrorList>> m_rawCache;

    const TestSource& m_test;
    const Protocol& m_protocol;
    bool m_keep = false;
    KVSignal m_signal; // one record for every read: its memory is reused
};

} // namespace Assess
