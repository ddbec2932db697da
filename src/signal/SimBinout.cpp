// The channels of a binout run: one per variable and id of each output
// file, their times from the states' time arrays.
#include "Binout.h"
#include "KVErrorList.h"
#include "Simulation.h"

#include <cmath>
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
    bool ReadChannel(size_t i, std::vector<double>& t, std::vector<double>& y, KVErrorList& errors) const override;

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
    auto titleOf = [&](double id) {
        for (size_t k = 0; k < legendIds.size() && k * 80 < legend.size(); ++k) {
            if (legendIds[k] == id) {
                std::string s = legend.substr(std::min(k * 80, legend.size()), 80);
                while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
                    s.pop_back();
                return s.substr(std::min(s.find_first_not_of(' '), s.size()));
            }
        }
        return title;
    };
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
        for (size_t k = 0; k < ids.size(); ++k) {
            std::string id = IdText(ids[k]);
            if (sides.size() == ids.size() && sides[k] >= 0 && sides[k] <= 1)
                id += std::string("-") + kSides[static_cast<int>(sides[k])];
            m_refs.push_back({b, v, k, count});
            m_channels.push_back({branch.path + "/" + id + "/" + var, branch.path, id, var, titleOf(ids[k]), states});
        }
    }
    return true;
}

bool BinoutSimulation::ReadChannel(size_t i, std::vector<double>& t, std::vector<double>& y, KVErrorList& errors) const
{
    const Ref& r = m_refs[i];
    const BinoutBranch& branch = m_run.Branches()[r.branch];
    const std::vector<double>& times = m_times[r.branch];
    t.clear();
    y.clear();
    for (size_t k = 0; k < branch.states.size(); ++k) {
        const BinoutBranch::State& s = branch.states[k];
        if (r.variable >= s.values.size() || !s.values[r.variable].Present())
            continue; // a variable that starts part-way, or a state without it
        const BinoutVar& var = s.values[r.variable];
        if (var.count != r.count) {
            errors.AddError(m_channels[i].name + ": state " + std::to_string(s.number) + " holds " +
                                std::to_string(var.count) + " values instead of " + std::to_string(r.count),
                            kScope);
            return false;
        }
        double value = 0;
        if (!m_run.ReadValue(var, r.element, value, errors))
            return false;
        t.push_back(times[k]);
        y.push_back(value);
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
