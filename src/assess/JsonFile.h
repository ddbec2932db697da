#pragma once
// The JSON files a user hands the assessment (protocol and inputs files),
// read without trusting them: regular files only, never waited on, of a
// sane size, nested to a sane depth, every number within a double. Kept
// out of the public headers: nlohmann's json is a private dependency.
#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

namespace Assess {

// Protocol and inputs files are kilobytes; anything near this is no such file.
inline constexpr std::size_t kMaxJsonFileBytes = std::size_t(1) << 20;
// Protocol files nest about eight levels; a deeper text is refused before parsing.
inline constexpr int kMaxJsonDepth = 64;

// The text of the regular file at path; false with "PATH: reason" (a folder,
// a pipe or device, missing, unreadable, larger than kMaxJsonFileBytes).
bool ReadJsonFile(const std::string& path, std::string& text, std::string& error);

// Parses text (read from file); false with "FILE:LINE: problem" for text that
// is no JSON, nests deeper than kMaxJsonDepth or holds a number beyond a double.
bool ParseJsonText(const std::string& text, const std::string& file, nlohmann::json& out, std::string& error);

} // namespace Assess
