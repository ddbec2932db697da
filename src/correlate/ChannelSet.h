#pragma once
// One side of a correlation: the channels of a test by their codes (an
// ISO-MME test: .mme, its folder or a .zip), or of a simulation by their
// names.
#include "IsoMmeTest.h"
#include "SimUnits.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class KVErrorList;
class KVSignal;
class Simulation;

namespace Correlate {

struct SetChannel {
    std::string name;  // a test's channel code; a simulation's FILE/ID/VARIABLE
    std::string title; // the channel's name in the test, the id's title in a simulation
};

class ChannelSet {
public:
    ChannelSet();
    ~ChannelSet();
    // Opens the test or simulation at path; false with the reason in errors.
    // A simulation (a binout or an ASCII file) needs its units: its channels
    // are filtered and rated in seconds.
    bool Open(const std::string& path, KVErrorList& errors, const std::optional<SimUnits>& units = {});
    const std::string& Path() const { return m_path; }
    // The test number, or the simulation's file name.
    const std::string& Name() const { return m_name; }
    const std::vector<SetChannel>& Channels() const { return m_channels; }
    // The channel called name (codes case-blind), if there is one.
    std::optional<size_t> Find(const std::string& name) const;
    // Reads channel i; false with the reason in errors.
    bool Load(size_t i, KVSignal& signal, KVErrorList& errors) const;

private:
    std::string m_path;
    std::string m_name;
    IsoMmeTest m_test;
    std::unique_ptr<Simulation> m_sim;
    std::optional<SimUnits> m_units;
    std::vector<SetChannel> m_channels;
};

} // namespace Correlate
