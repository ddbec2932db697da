#include "SignalInputs.h"

#include "CliSupport.h"
#include "IsoMmeSource.h"
#include "IsoMmeTest.h"

#include <set>

namespace {

// CODE.rvf, with "?" (an unknown code position) as "_" and a number added
// when the name is taken.
std::string UniqueName(std::string code, std::set<std::string>& taken)
{
    for (char& c : code)
        if (c == '?' || c == '/')
            c = '_';
    std::string name = code + ".rvf";
    for (int k = 2; !taken.insert(name).second; ++k)
        name = code + "_" + std::to_string(k) + ".rvf";
    return name;
}

} // namespace

bool ExpandSignalInputs(const std::vector<std::string>& args, std::vector<SignalInput>& inputs)
{
    bool ok = true;
    std::set<std::string> taken;
    for (const std::string& a : args) {
        if (!IsoMmeIsTestPath(a)) {
            inputs.push_back({a, IsoLastPart(a)}); // the file name, as std::filesystem gives it
            continue;
        }
        IsoMmeTest test;
        KVErrorList errors;
        const bool opened = test.Open(a, errors);
        PrintErrors(errors);
        ok = ok && opened;
        for (const IsoMmeChannelInfo& c : test.Channels())
            inputs.push_back({c.path, UniqueName(c.code.empty() ? test.TestNumber() + "_" + std::to_string(c.number) : c.code, taken)});
    }
    return ok;
}
