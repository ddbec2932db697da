#pragma once
// One input channel of a criterion: the samples converted to the criterion
// unit on a constant time step in seconds.
#include "CriteriaUnits.h"
#include "KVFileAscii.h"

#include <string>
#include <vector>

class KVErrorList;
class KVSignal;

namespace Criteria {

struct Channel {
    std::string path;
    std::string axis;
    std::string units;      // the header's Y units, as read (trimmed)
    std::string description; // the header's curve text, trimmed
    std::string code;       // the channel code of a test's channel (also saved to a file); empty for none
    Quantity quantity = Quantity::Acceleration;
    int filterClass = 0;    // 0: unknown (a text file carries none)
    float cutOff = 0;       // Hz, from the header
    double initialVelocity = 0; // m/s, from the header; 0 when it gives none
    double t0 = 0;          // s, time of y[0]
    double dt = 0;          // s
    std::vector<double> y;  // criterion unit
    std::vector<std::string> notes; // assumptions made while reading

    double TimeAt(size_t i) const { return t0 + double(i) * dt; }
};

// Converts a loaded signal: checks the time axis, the constant step (the
// header's Del when it has one, else worked out from the times) and the units.
// False with one message in errors (scope "Criteria::Channel").
bool ChannelFromSignal(const KVSignal& signal, bool fromTextFile, const std::string& path, Quantity q,
                       Channel& out, KVErrorList& errors);
// Reads path (RVF-1992, else two-column text with its time in textTimeUnit)
// and converts it as above; the reader's warnings become notes.
bool LoadChannel(const std::string& path, Quantity q, Channel& out, KVErrorList& errors,
                 KVTimeUnit textTimeUnit = KVTimeUnit::Milliseconds);
// Cuts channels to the time span they share; they must share the step and the
// sample grid. When a channel loses more than one sample, a warning naming
// every span goes to the notes of the first channel (so that it travels with
// the inputs), and a shared span shorter than minSpan (s) is refused. False
// with a message when refused, or when the channels share no sample.
bool AlignChannels(std::vector<Channel>& channels, double minSpan, KVErrorList& errors);
// Sample-by-sample resultant of aligned channels.
std::vector<double> ResultantOf(const std::vector<Channel>& channels);

} // namespace Criteria
