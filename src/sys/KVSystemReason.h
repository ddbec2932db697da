#pragma once
// Reasons for failed file and memory operations, in the words shown to users.
#include <string>

// The message for every allocation failure.
inline constexpr const char* kNotEnoughMemory = "Not enough memory";

// The system's reason for the error number err, starting in lower case
// ("permission denied", "is a directory", "no space left on device");
// kNotEnoughMemory for ENOMEM.
std::string KVSystemReason(int err);
