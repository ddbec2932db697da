#pragma once
// Signals made by code for the operation tests.
#include "SupportSignals.h"

// "scope - message" of every recorded error, in order.
inline std::vector<std::string> Lines(const KVErrorList& e) { return ErrorLines(e, " - "); }
