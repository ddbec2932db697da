#include "ChannelSet.h"

#include "IsoMmeVocabulary.h"

#include "KVErrorList.h"
#include "KVPrintableName.h"
#include "KVSignal.h"

namespace Correlate {

bool ChannelSet::Open(const std::string& path, KVErrorList& errors)
{
    m_path = path;
    m_channels.clear();
    if (!IsoMmeIsTestPath(path)) {
        errors.AddError(KVPrintableName(path) + " is no ISO-MME test (.mme, its folder or a .zip)",
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
    for (size_t i = 0; i < m_channels.size(); ++i)
        if (IsoSameName(m_channels[i].name, name))
            return i;
    return std::nullopt;
}

bool ChannelSet::Load(size_t i, KVSignal& signal, KVErrorList& errors) const
{
    return m_test.LoadChannel(i, signal, errors);
}

} // namespace Correlate
