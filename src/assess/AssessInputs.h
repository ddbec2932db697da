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

// The text of the inputs file at path; false with "PATH: reason" for a
// folder, a pipe, a file that cannot be read, is too large or is empty.
bool ReadInputsFile(const std::string& path, std::string& text, std::string& error);

} // namespace Assess
