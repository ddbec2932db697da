#pragma once
// A simulation's time histories as a set of channels, like the channels of
// a test: a binout run (binout, binout0000 with its sister files and
// continuations) or one of the solver's ASCII files (nodout, glstat,
// secforc, rcforc, matsum, sbtout, jntforc, deforc, abstat). A channel is named FILE/ID/VARIABLE
// ("nodout/84340382/y_displacement", "rcforc/100000-slave/x_force"), or
// FILE/VARIABLE for a global file ("glstat/kinetic_energy"), the same name
// from either source.
#include "SimUnits.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class KVErrorList;
class KVSignal;

struct SimChannelInfo {
    std::string name;     // FILE/ID/VARIABLE or FILE/VARIABLE
    std::string file;     // "nodout", "rwforc/forces"
    std::string id;       // "84340382", "100000-slave"; empty for a global file
    std::string variable; // "y_displacement"
    std::string title;    // the id's legend, else the file's title
    size_t states = 0;    // the states that hold it (its points)
};

class Simulation {
public:
    virtual ~Simulation();

    // Opens the simulation at path (a binout by its header, whatever its
    // name; an ASCII file by its banner and layout). Null with the reason in
    // errors when it is neither or cannot be read soundly.
    static std::unique_ptr<Simulation> Open(const std::string& path, KVErrorList& errors);

    // The files read: every file of a binout run, or the ASCII file.
    const std::vector<std::string>& Files() const { return m_files; }
    // "binout" or the ASCII file's kind ("nodout").
    const std::string& Kind() const { return m_kind; }
    const std::vector<SimChannelInfo>& Channels() const { return m_channels; }
    // The time of every state of the channels' files, in model units: the
    // first and the last (0, 0 without states).
    double FirstTime() const { return m_firstTime; }
    double LastTime() const { return m_lastTime; }
    // The channel named name, or Channels().size().
    size_t Find(std::string_view name) const;

    // Reads channel i into signal: with units in the toolset's units (time in
    // seconds, ...), else the model's numbers with the unit "MODEL UNITS".
    // False with the reason in errors (a time that goes backwards, data the
    // file no longer holds).
    bool LoadChannel(size_t i, const SimUnits* units, KVSignal& signal, KVErrorList& errors) const;

    // Reads the channels which into signals (one each, in order) as
    // LoadChannel does, a binout's value array of a state read once for all
    // of them. False with the reason at the first that cannot be read.
    bool LoadChannels(const std::vector<size_t>& which, const SimUnits* units, std::vector<KVSignal>& signals,
                      KVErrorList& errors) const;

protected:
    Simulation() = default;
    // The channel's times and values in model units.
    virtual bool ReadChannel(size_t i, std::vector<double>& t, std::vector<double>& y, KVErrorList& errors) const = 0;
    // Those of the channels which (in range); by default one ReadChannel each.
    virtual bool ReadChannels(const std::vector<size_t>& which, std::vector<std::vector<double>>& t,
                              std::vector<std::vector<double>>& y, KVErrorList& errors) const;

    std::vector<std::string> m_files;
    std::string m_kind;
    std::vector<SimChannelInfo> m_channels;
    double m_firstTime = 0.0;
    double m_lastTime = 0.0;

private:
    // Makes signal of channel i from its times and values in model units.
    bool MakeSignal(size_t i, const std::vector<double>& t, const std::vector<double>& y, const SimUnits* units,
                    KVSignal& signal, KVErrorList& errors) const;

    std::unordered_map<std::string_view, size_t> m_byName; // into m_channels' names, once opened
};

// Whether path names a simulation: a binout by its first 8 bytes, or an
// ASCII file whose banner names one of the kinds read.
bool SimIsSimulationPath(const std::string& path);

// Whether a channel name matches pattern: "?" one character, "*" any run
// (slashes included), case-blind.
bool SimNameMatches(std::string_view pattern, std::string_view name);

// The channels of sim that any of patterns matches (every channel for no
// pattern), in the simulation's order.
std::vector<size_t> SimPickChannels(const Simulation& sim, const std::vector<std::string>& patterns);

// The binout channels; in SimBinout.cpp.
std::unique_ptr<Simulation> SimOpenBinout(const std::string& path, KVErrorList& errors);
// An ASCII file's channels; in SimAscii.cpp. Null with no error when the
// file is no ASCII time-history file of a kind read.
std::unique_ptr<Simulation> SimOpenAscii(const std::string& path, KVErrorList& errors);
// The ASCII kind ("nodout") that the head of a file announces by its
// banner, or its name when it is the kind's own ("glstat"); "" for neither.
std::string SimAsciiKind(const std::string& head, const std::string& path);
