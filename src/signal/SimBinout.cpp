// The channels of a binout run: one per variable and id of each output
// file, their times from the states' time arrays.
#include "Binout.h"
#include "KVErrorList.h"
#include "Simulation.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>
#include <cstdio>
#include <utility>

namespace {

const char* const kScope = "Simulation";

// The side of a contact in rcforc's "side" array.
const char* const kSides[] = {"slave", "master"};

// Variables over ids of their own (sbtout's belts, sliprings and
// retractors); every other variable is over "ids".
const std::pair<const char*, const char*> kOwnIds[] = {
    {"belt_", "belt_ids"},
    {"ring_", "slipring_ids"},
    {"retractor_", "retractor_ids"},
};

class BinoutSimulation : public Simulation {
public:
    bool Load(const std::string& path, KVErrorList& errors);

protected:
    bool ReadChannel(size_t i, std::vector<double>& t, std::vector<double>& y, KVErrorList& errors) const override
    {
        std::vector<std::vector<double>> ts, ys;
        if (!ReadChannels({i}, ts, ys, errors))
            return false;
        t.swap(ts[0]);
        y.swap(ys[0]);
        return true;
    }
    bool ReadChannels(const std::vector<size_t>& which, std::vector<std::vector<double>>& t,
                      std::vector<std::vector<double>>& y, KVErrorList& errors) const override;

private:
    struct Ref {
        size_t branch = 0;
        size_t variable = 0;
        uint64_t element = 0; // the id's place in each state's array
        uint64_t count = 0;   // the array's length in every state
    };
    bool ListBranch(size_t b, KVErrorList& errors);
    bool ReadTimes(size_t b, KVErrorList& errors);
    std::vector<double> Numbers(const BinoutBranch& b, const char* name, KVErrorList& errors) const;
    std::string Text(const BinoutBranch& b, const char* name, KVErrorList& errors) const;

    BinoutRun m_run;
    std::vector<Ref> m_refs;
    std::vector<std::vector<double>> m_times; // per branch, per state
};

std::string IdText(double id)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", id);
    return buf;
}

bool BinoutSimulation::Load(const std::string& path, KVErrorList& errors)
{
    m_kind = "binout";
    m_files = BinoutRunFiles(path);
    if (!m_run.Open(m_files, errors))
        return false;
    m_times.resize(m_run.Branches().size());
    bool any = false;
    for (size_t b = 0; b < m_run.Branches().size(); ++b) {
        if (!ReadTimes(b, errors) || !ListBranch(b, errors))
            return false;
        if (!m_times[b].empty()) {
            m_firstTime = any ? std::min(m_firstTime, m_times[b].front()) : m_times[b].front();
            m_lastTime = any ? std::max(m_lastTime, m_times[b].back()) : m_times[b].back();
            any = true;
        }
    }
    return true;
}

bool BinoutSimulation::ReadTimes(size_t b, KVErrorList& errors)
{
    const BinoutBranch& branch = m_run.Branches()[b];
    std::vector<double>& times = m_times[b];
    times.reserve(branch.states.size());
    for (const BinoutBranch::State& s : branch.states) {
        double t = 0;
        if (!s.time.Present()) {
            errors.AddError(branch.path + ": state " + std::to_string(s.number) + " has no time", kScope);
            return false;
        }
        if (!m_run.ReadValue(s.time, 0, t, errors))
            return false;
        times.push_back(t);
    }
    return true;
}

std::vector<double> BinoutSimulation::Numbers(const BinoutBranch& b, const char* name, KVErrorList& errors) const
{
    std::vector<double> v;
    const auto it = b.metadata.find(name);
    if (it != b.metadata.end())
        m_run.ReadValues(it->second, v, errors);
    return v;
}

std::string BinoutSimulation::Text(const BinoutBranch& b, const char* name, KVErrorList& errors) const
{
    std::string s;
    const auto it = b.metadata.find(name);
    if (it != b.metadata.end())
        m_run.ReadText(it->second, s, errors);
    return s;
}

bool BinoutSimulation::ListBranch(size_t b, KVErrorList& errors)
{
    const BinoutBranch& branch = m_run.Branches()[b];
    const int before = errors.ErrorCount();
    const std::vector<double> commonIds = Numbers(branch, "ids", errors);
    std::vector<std::vector<double>> ownIds;
    for (const auto& [prefix, name] : kOwnIds)
        ownIds.push_back(Numbers(branch, name, errors));
    const std::vector<double> sides = Numbers(branch, "side", errors);
    const std::vector<double> legendIds = Numbers(branch, "legend_ids", errors);
    const std::string legend = Text(branch, "legend", errors);
    const std::string title = Text(branch, "title", errors);
    if (errors.ErrorCount() != before)
        return false;
    // The legend holds 80 characters per id of legend_ids.
    // Entry k of the legend: 80 characters, blanks around removed.
    auto entry = [&](size_t k) {
        std::string e = legend.substr(std::min(k * 80, legend.size()), 80);
        while (!e.empty() && (e.back() == ' ' || e.back() == '\0'))
            e.pop_back();
        return e.substr(std::min(e.find_first_not_of(' '), e.size()));
    };
    const std::vector<double>* named = nullptr;
    std::vector<std::string> idNames, idTitles;
    for (size_t v = 0; v < branch.variables.size(); ++v) {
        uint64_t count = 0;
        size_t states = 0;
        for (const BinoutBranch::State& s : branch.states) {
            if (v < s.values.size() && s.values[v].Present()) {
                if (!states)
                    count = s.values[v].count;
                ++states;
            }
        }
        const std::string& var = branch.variables[v];
        const std::vector<double>* idsOfVar = &commonIds;
        for (size_t k = 0; k < ownIds.size(); ++k)
            if (!ownIds[k].empty() && var.rfind(kOwnIds[k].first, 0) == 0)
                idsOfVar = &ownIds[k];
        const std::vector<double>& ids = *idsOfVar;
        if (ids.empty() && count == 1) {
            m_refs.push_back({b, v, 0, 1});
            m_channels.push_back({branch.path + "/" + var, branch.path, "", var, title, states});
            continue;
        }
        if (ids.empty() || count != ids.size())
            continue; // an array that is not one value per id
        // The ids' names and titles once per id array, not per variable: a
        // run of 10,000 nodes with a legend asked 10,000 legend entries for
        // each of its 50,000 channels.
        if (named != &ids) {
            named = &ids;
            idNames.clear();
            idTitles.clear();
            std::unordered_map<double, std::string> legendTitles;
            for (size_t k = 0; k < legendIds.size() && k * 80 < legend.size(); ++k)
                legendTitles.try_emplace(legendIds[k], entry(k));
            for (size_t k = 0; k < ids.size(); ++k) {
                std::string id = IdText(ids[k]);
                if (sides.size() == ids.size() && sides[k] >= 0 && sides[k] <= 1)
                    id += std::string("-") + kSides[static_cast<int>(sides[k])];
                idNames.push_back(std::move(id));
                const auto t = legendTitles.find(ids[k]);
                idTitles.push_back(t != legendTitles.end() ? t->second : title);
            }
        }
        m_refs.reserve(m_refs.size() + ids.size());
        m_channels.reserve(m_channels.size() + ids.size() * (branch.variables.size() - v));
        for (size_t k = 0; k < ids.size(); ++k) {
            m_refs.push_back({b, v, k, count});
            m_channels.push_back(
                {branch.path + "/" + idNames[k] + "/" + var, branch.path, idNames[k], var, idTitles[k], states});
        }
    }
    return true;
}

// The channels of one variable share its arrays: each state's array is
// read once for all their ids.
bool BinoutSimulation::ReadChannels(const std::vector<size_t>& which, std::vector<std::vector<double>>& t,
                                    std::vector<std::vector<double>>& y, KVErrorList& errors) const
{
    t.assign(which.size(), {});
    y.assign(which.size(), {});
    std::map<std::pair<size_t, size_t>, std::vector<size_t>> groups; // (branch, variable) -> places in which
    for (size_t k = 0; k < which.size(); ++k)
        groups[{m_refs[which[k]].branch, m_refs[which[k]].variable}].push_back(k);
    std::vector<uint8_t> buffer;
    for (auto& [key, places] : groups) {
        const BinoutBranch& branch = m_run.Branches()[key.first];
        const std::vector<double>& times = m_times[key.first];
        // The ids' places, ascending, and where each channel's value lands.
        std::vector<uint64_t> elements;
        for (size_t k : places)
            elements.push_back(m_refs[which[k]].element);
        std::sort(elements.begin(), elements.end());
        elements.erase(std::unique(elements.begin(), elements.end()), elements.end());
        std::vector<size_t> slot(places.size());
        for (size_t p = 0; p < places.size(); ++p)
            slot[p] = static_cast<size_t>(std::lower_bound(elements.begin(), elements.end(),
                                                           m_refs[which[places[p]]].element) - elements.begin());
        const uint64_t count = m_refs[which[places[0]]].count;
        std::vector<double> values(elements.size());
        for (size_t k : places) {
            t[k].reserve(branch.states.size());
            y[k].reserve(branch.states.size());
        }
        for (size_t s = 0; s < branch.states.size(); ++s) {
            const BinoutBranch::State& state = branch.states[s];
            if (key.second >= state.values.size() || !state.values[key.second].Present())
                continue; // a variable that starts part-way, or a state without it
            const BinoutVar& var = state.values[key.second];
            if (var.count != count) {
                errors.AddError(m_channels[which[places[0]]].name + ": state " + std::to_string(state.number) +
                                    " holds " + std::to_string(var.count) + " values instead of " +
                                    std::to_string(count),
                                kScope);
                return false;
            }
            if (!m_run.ReadElements(var, elements, values.data(), buffer, errors))
                return false;
            for (size_t p = 0; p < places.size(); ++p) {
                t[places[p]].push_back(times[s]);
                y[places[p]].push_back(values[slot[p]]);
            }
        }
    }
    return true;
}

} // namespace

std::unique_ptr<Simulation> SimOpenBinout(const std::string& path, KVErrorList& errors)
{
    auto s = std::make_unique<BinoutSimulation>();
    if (!s->Load(path, errors))
        return nullptr;
    return s;
}
