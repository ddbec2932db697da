#pragma once
// A criterion's inputs picked by channel code from an ISO-MME test: the
// channels of one dummy position (code character 2) that the criterion takes.
#include "Criterion.h"

#include <string>
#include <vector>

class KVErrorList;

namespace Criteria {

struct TestChoice {
    std::string test;       // the test (.mme, folder or .zip)
    char position = '1';    // seat position of the dummy: 1 is the driver
    bool rightSide = false; // tibia: the right leg instead of the left
};

// The channel files def takes from the test, in the order of its inputs
// (X, Y, Z or Fx, My, Fz; one for the single-input criteria), at the
// criterion's filter class where the test has it. took receives one line per
// channel taken. False with one message naming the code that is missing.
bool SelectTestChannels(const CriterionDef& def, const TestChoice& choice, std::vector<std::string>& paths,
                        std::vector<std::string>& took, KVErrorList& errors);

} // namespace Criteria
