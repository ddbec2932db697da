#pragma once
// The reader of the solver's ASCII time-history files, shared by the files
// that read each kind: the lines of a file, and the channels a kind fills
// state by state. Private to the signal layer.
#include "Simulation.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class KVErrorList;

extern const char* const kSimAsciiScope;

// One line of a file with its number (from 1).
struct SimLines {
    std::string_view text;
    size_t pos = 0;
    size_t number = 0;
    bool Next(std::string_view& line)
    {
        if (pos >= text.size())
            return false;
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        pos = end + 1;
        ++number;
        return true;
    }
};

// s without the blanks and tabs around it.
std::string_view SimTrimmed(std::string_view s);

class SimAsciiSimulation : public Simulation {
public:
    bool Load(const std::string& path, const std::string& kind, KVErrorList& errors);

protected:
    bool ReadChannel(size_t i, std::vector<double>& t, std::vector<double>& y, KVErrorList&) const override;

private:
    struct Points {
        std::vector<uint32_t> state;
        std::vector<double> value;
    };
    // The channel of id and variable in the file's folder, made on first use.
    size_t Channel(const std::string& id, const std::string& variable);
    void Add(size_t channel, double value)
    {
        m_points[channel].state.push_back(static_cast<uint32_t>(m_times.size() - 1));
        m_points[channel].value.push_back(value);
    }
    bool Fail(size_t line, const std::string& problem, KVErrorList& errors);
    // Room for about states points in every channel so far, estimated from
    // the bytes of the first state: a nodout of 300 MB and 21,000 channels
    // read in 4.8 s instead of 13.0 s here (bench_simulation), no channel
    // growing its arrays by doubling.
    void ReserveStates(size_t states)
    {
        for (Points& p : m_points) {
            p.state.reserve(states);
            p.value.reserve(states);
        }
    }
    void ReadLegend(SimLines lines);
    bool ReadNodout(SimLines& lines, KVErrorList& errors);
    bool ReadGlstat(SimLines& lines, KVErrorList& errors);
    bool ReadRcforc(SimLines& lines, KVErrorList& errors);
    bool ReadKeyed(SimLines& lines, KVErrorList& errors);
    // In SimAsciiRestraints.cpp: sbtout, jntforc, deforc and abstat.
    bool ReadRestraint(SimLines& lines, KVErrorList& errors);
    bool ReadSeatbelts(SimLines& lines, KVErrorList& errors);
    bool ReadJoints(SimLines& lines, KVErrorList& errors);
    bool ReadColumns(SimLines& lines, KVErrorList& errors);
    // A "time....  value" line begins a state: 1 for one (its time kept), 0
    // for another line, -1 for a time that is no number (said in errors).
    int StateTime(std::string_view line, size_t number, KVErrorList& errors);

    std::string m_name;
    std::string m_folder; // of the channels' names: the kind, or "jntforc/joints"
    std::vector<double> m_times;
    std::vector<Points> m_points;
    std::unordered_map<std::string, size_t> m_index;
    std::unordered_map<std::string, std::string> m_legend;
    std::string m_title;
};
