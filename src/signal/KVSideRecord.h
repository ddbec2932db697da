#pragma once
#include <string>
#include <utility>
#include <vector>

// Header lines of a file kind richer than the record (an ISO-MME test), kept
// in file order with repeated names, so that writing that kind back loses
// nothing the record has no field for. Empty for every other kind.
struct KVSideRecord {
    using Lines = std::vector<std::pair<std::string, std::string>>;
    Lines testLines;    // the test file's lines (name, value)
    Lines channelLines; // the channel file's header lines (name, value)

    bool Empty() const { return testLines.empty() && channelLines.empty(); }
    bool operator==(const KVSideRecord&) const = default;
};
