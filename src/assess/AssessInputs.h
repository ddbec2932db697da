#pragma once
// The inputs of an assessment that are no curves, read from a JSON object.
#include "AssessResult.h"

#include <string>
#include <vector>

namespace Assess {

// Reads the inputs of protocol from a JSON object text ({"name": value});
// every declared input is listed with its source. False with a message for an
// unknown name or a value of the wrong kind.
bool ReadInputs(const Protocol& protocol, const std::string& text, const std::string& file,
                std::vector<InputUse>& inputs, std::string& error);

} // namespace Assess
