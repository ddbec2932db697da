#include "Simulation.h"

#include "Binout.h"
#include "IsoMmeTest.h"
#include "KVErrorList.h"
#include "KVFileBytes.h"
#include "KVPrintableName.h"
#include "KVSignal.h"

#include <cmath>

namespace {

const char* const kScope = "Simulation";

// The first bytes of a file (fewer for a short one; empty when unreadable).
std::string Head(const std::string& path, size_t n)
{
    KVFileBytes file;
    if (file.Open(path) != KVFileBytes::Ok)
        return {};
    std::string head(std::min<size_t>(n, file.Size()), '\0');
    if (!head.empty() && !file.ReadNext(reinterpret_cast<uint8_t*>(head.data()), head.size()))
        return {};
    return head;
}

} // namespace

Simulation::~Simulation() = default;

std::unique_ptr<Simulation> Simulation::Open(const std::string& path, KVErrorList& errors)
{
    KVFileBytes file;
    if (file.Open(path) != KVFileBytes::Ok) {
        errors.AddError(file.Describe(KVPrintableName(path)), kScope);
        return nullptr;
    }
    file.Close();
    const int before = errors.ErrorCount();
    std::unique_ptr<Simulation> s = BinoutIsFile(path) ? SimOpenBinout(path, errors) : SimOpenAscii(path, errors);
    if (s) {
        // Found by name without a walk over every name: the benchmark's
        // run of 10,000 nodes lists 50,000 channels.
        s->m_byName.reserve(s->m_channels.size());
        for (size_t i = 0; i < s->m_channels.size(); ++i)
            s->m_byName.emplace(s->m_channels[i].name, i);
        return s;
    }
    if (errors.ErrorCount() == before)
        errors.AddError(KVPrintableName(path) +
                            " is no simulation: neither a binout nor an ASCII time-history file (nodout, glstat, "
                            "secforc, rcforc, matsum, sbtout, jntforc, deforc, abstat)",
                        kScope);
    return s;
}

size_t Simulation::Find(std::string_view name) const
{
    const auto it = m_byName.find(name);
    return it != m_byName.end() ? it->second : m_channels.size();
}

bool Simulation::LoadChannel(size_t i, const SimUnits* units, KVSignal& signal, KVErrorList& errors) const
{
    if (i >= m_channels.size()) {
        errors.AddError("no channel " + std::to_string(i), kScope);
        return false;
    }
    std::vector<double> t, y;
    return ReadChannel(i, t, y, errors) && MakeSignal(i, t, y, units, signal, errors);
}

bool Simulation::ReadChannels(const std::vector<size_t>& which, std::vector<std::vector<double>>& t,
                              std::vector<std::vector<double>>& y, KVErrorList& errors) const
{
    t.resize(which.size());
    y.resize(which.size());
    for (size_t k = 0; k < which.size(); ++k)
        if (!ReadChannel(which[k], t[k], y[k], errors))
            return false;
    return true;
}

bool Simulation::LoadChannels(const std::vector<size_t>& which, const SimUnits* units, std::vector<KVSignal>& signals,
                              KVErrorList& errors) const
{
    for (size_t i : which) {
        if (i >= m_channels.size()) {
            errors.AddError("no channel " + std::to_string(i), kScope);
            return false;
        }
    }
    std::vector<std::vector<double>> t, y;
    if (!ReadChannels(which, t, y, errors))
        return false;
    signals.resize(which.size());
    for (size_t k = 0; k < which.size(); ++k) {
        if (!MakeSignal(which[k], t[k], y[k], units, signals[k], errors))
            return false;
        std::vector<double>().swap(t[k]); // the model's numbers no longer than needed
        std::vector<double>().swap(y[k]);
    }
    return true;
}

bool Simulation::MakeSignal(size_t i, const std::vector<double>& t, const std::vector<double>& y,
                            const SimUnits* units, KVSignal& signal, KVErrorList& errors) const
{
    const SimChannelInfo& c = m_channels[i];
    if (t.empty() || t.size() != y.size()) {
        errors.AddError(c.name + " holds no state", kScope);
        return false;
    }
    for (size_t k = 1; k < t.size(); ++k) {
        if (!(t[k] >= t[k - 1])) {
            errors.AddError(c.name + ": the time goes backwards at state " + std::to_string(k + 1) + " (" +
                                std::to_string(t[k]) + " after " + std::to_string(t[k - 1]) + ")",
                            kScope);
            return false;
        }
    }
    const SimQuantity q = SimQuantityOf(c.variable);
    const double xs = units ? SimScale(SimQuantity::Time, *units) : 1.0;
    const double ys = units ? SimScale(q, *units) : 1.0;
    if (!signal.Allocate(t.size())) {
        errors.AddError("Not enough memory for the " + std::to_string(t.size()) + " points of " + c.name, kScope);
        return false;
    }
    signal.Reset();
    float* x = signal.X();
    float* v = signal.Y();
    for (size_t k = 0; k < t.size(); ++k) {
        x[k] = static_cast<float>(t[k] * xs);
        v[k] = static_cast<float>(y[k] * ys);
    }
    signal.SetCurveText(c.name);
    signal.SetTestTitle(c.title);
    signal.SetTestSource("Simulation");
    signal.SetXUnits(units ? "SECONDS" : kSimModelUnits);
    signal.SetYUnits(units ? SimUnitWord(q) : kSimModelUnits);
    signal.SetYType(SimDimensionWord(q));
    // "x_force", "ry_velocity": the direction the criteria and the codes ask for.
    const std::string& var = c.variable;
    const size_t under = var.find('_');
    if ((under == 1 || (under == 2 && var[0] == 'r')) && var[under - 1] >= 'x' && var[under - 1] <= 'z')
        signal.SetAxis(std::string(1, char(var[under - 1] - 'a' + 'A')));
    signal.SetNfp(0);
    signal.SetNlp(static_cast<int>(t.size()) - 1);
    signal.SetHasData(true);
    signal.UpdateExtremes();
    signal.SetT0(x[0]);
    signal.UpdateTimeStep();
    signal.Header().SourceName = m_files.empty() ? std::string() : m_files.front();
    return true;
}

bool SimIsSimulationPath(const std::string& path)
{
    const std::string head = Head(path, 4096);
    if (head.empty())
        return false;
    return BinoutHeaderFits(reinterpret_cast<const uint8_t*>(head.data()), head.size())
           || !SimAsciiKind(head, path).empty();
}

bool SimNameMatches(std::string_view pattern, std::string_view name) { return IsoMmeCodeMatches(pattern, name); }

std::vector<size_t> SimPickChannels(const Simulation& sim, const std::vector<std::string>& patterns)
{
    std::vector<size_t> picked;
    for (size_t i = 0; i < sim.Channels().size(); ++i) {
        bool match = patterns.empty();
        for (size_t k = 0; k < patterns.size() && !match; ++k)
            match = SimNameMatches(patterns[k], sim.Channels()[i].name);
        if (match)
            picked.push_back(i);
    }
    return picked;
}
