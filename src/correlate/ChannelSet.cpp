#include "ChannelSet.h"

#include "IsoMmeVocabulary.h"

#include "KVErrorList.h"
#include "KVPrintableName.h"
#include "KVSignal.h"
#include "Simulation.h"

namespace Correlate {

ChannelSet::ChannelSet() = default;
ChannelSet::~ChannelSet() = default;

bool ChannelSet::Open(const std::string& path, KVErrorList& errors, const std::optional<SimUnits>& units)
{
    m_path = path;
    m_channels.clear();
    m_sim.reset();
    m_units = units;
    if (!IsoMmeIsTestName(path) && SimIsSimulationPath(path)) {
        if (!units) {
            errors.AddError("the simulation " + KVPrintableName(path) +
                                " is in model units: give --units LENGTH-TIME-MASS-FORCE (such as mm-ms-kg-kN)",
                            "Correlate::Open");
            return false;
        }
        m_sim = Simulation::Open(path, errors);
        if (!m_sim)
            return false;
        m_name = path.substr(path.find_last_of('/') + 1);
        for (const SimChannelInfo& c : m_sim->Channels())
            m_channels.push_back({c.name, c.title});
        return true;
    }
    if (!IsoMmeIsTestPath(path)) {
        errors.AddError(KVPrintableName(path) + " is no ISO-MME test (.mme, its folder or a .zip) and no simulation",
                        "Correlate::Open");
        return false;
    }
    if (!m_test.Open(path, errors))
        return false;
    m_name = m_test.TestNumber();
    for (const IsoMmeChannelInfo& c : m_test.Channels())
        m_channels.push_back({c.code, c.name});
    return true;
}

std::optional<size_t> ChannelSet::Find(const std::string& name) const
{
    if (m_sim) {
        const size_t i = m_sim->Find(name);
        return i < m_channels.size() ? std::optional<size_t>(i) : std::nullopt;
    }
    for (size_t i = 0; i < m_channels.size(); ++i)
        if (IsoSameName(m_channels[i].name, name))
            return i;
    return std::nullopt;
}

bool ChannelSet::Load(size_t i, KVSignal& signal, KVErrorList& errors) const
{
    if (m_sim)
        return m_sim->LoadChannel(i, &*m_units, signal, errors);
    return m_test.LoadChannel(i, signal, errors);
}

} // namespace Correlate
