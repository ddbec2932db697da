#pragma once
#include "TfSession.h"

#include <string>
#include <vector>

// Pendax's own switches, handled before the tools library's and blanked.
struct PendaxOptions {
    std::string hitName = "pendax.hit";
    bool nameGiven = false;
    bool append = false;
    bool dirSearch = true;
    bool fullPath = true;
    bool stop = false; // a help text was printed
};

// Reads Pendax's switches from args, blanking each one handled; writes the
// syntax or help text for ?, ?? and HELP and sets stop.
PendaxOptions ReadPendaxOptions(Toolsif::Session& s, std::vector<std::string>& args);
