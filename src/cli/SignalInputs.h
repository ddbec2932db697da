#pragma once
// Inputs of the commands that read signals: signal files as given, and ISO-MME
// tests (.mme, test folder or .zip) opened as the list of their channels.
#include <string>
#include <vector>

struct SignalInput {
    std::string path;     // a signal file (a channel file of a test is one)
    std::string rvfName;  // the file name an RVF-1992 copy gets: the input's, or CODE.rvf
};

// Expands args into signal inputs, tests into their channels in list order.
// Messages of the tests go to standard error; false when a test cannot be
// opened (the other inputs are still listed).
bool ExpandSignalInputs(const std::vector<std::string>& args, std::vector<SignalInput>& inputs);
