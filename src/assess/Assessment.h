#pragma once
// Assessing a test under a protocol: for each occupant the protocol names,
// every criterion from the channels its code patterns pick, filtered to the
// protocol's class, checked, scored or judged, with the regions and the
// occupant's total. What cannot be computed says n/a and why, and the
// occupant is then incomplete, never a pass.
#include "AssessInputs.h"
#include "AssessResult.h"
#include "Protocol.h"
#include "Scoring.h"
#include "TestSource.h"

#include <functional>
#include <string>
#include <vector>

namespace Assess {

struct AssessOptions {
    std::vector<char> positions;   // empty: every position the protocol names that has channels
    std::string dummy;             // a dummy key for every occupant, when the codes do not tell
    std::string inputsText;        // the --inputs file's JSON text, or ""
    std::string inputsFile;        // its name, for messages
    bool keepChannels = false;     // hand each criterion's channels on as used (ChannelUse::signal)
    // Called with the share done (0..1); returning false cancels.
    std::function<bool(double)> progress;
};

// Whether the test's dummies fit the protocol: some occupant of it has the
// dummy (by code) at one of its positions.
bool ProtocolFitsTest(const Protocol& protocol, const TestSource& test);

// The dummy key of an ISO-MME dummy type code ("H3" -> "h3-50m"), and back;
// empty when the table has none.
std::string DummyKeyOfCode(const std::string& code);
std::string DummyCodeOfKey(const std::string& key);
std::string DummyNameOfKey(const std::string& key);

// Assesses test under protocol. False with a message for bad inputs, an
// unknown dummy or position, or when cancelled; criteria that cannot be
// computed do not make it fail (they are n/a in out).
bool AssessTest(const TestSource& test, const Protocol& protocol, const AssessOptions& options, Assessment& out,
                std::string& error);

} // namespace Assess
