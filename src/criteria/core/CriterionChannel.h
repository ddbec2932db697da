#pragma once
// One input channel of a criterion: the samples converted to the criterion
// unit on a constant time step in seconds.
#include "CriteriaUnits.h"

#include <string>
#include <vector>

class KVErrorList;
class KVSignal;

namespace Criteria {

struct Channel {
    std::string path;
    std::string axis;
    std::string units;      // the header's Y units, as read
    Quantity quantity = Quantity::Acceleration;
    int filterClass = 0;    // 0: unknown (a text file carries none)
    float cutOff = 0;       // Hz, from the header
    double t0 = 0;          // s, time of y[0]
    double dt = 0;          // s
    std::vector<double> y;  // criterion unit
    std::vector<std::string> notes; // assumptions made while reading

    double TimeAt(size_t i) const { return t0 + double(i) * dt; }
};

// Converts a loaded signal: checks the time axis, the constant step and the
// units. False with one message in errors (scope "Criteria::Channel").
bool ChannelFromSignal(const KVSignal& signal, bool fromTextFile, const std::string& path, Quantity q,
                       Channel& out, KVErrorList& errors);
// Reads path (RVF-1992, else two-column text) and converts it as above.
bool LoadChannel(const std::string& path, Quantity q, Channel& out, KVErrorList& errors);
// Cuts channels to the time span they share; they must share the step and the
// sample grid. False with a message when they do not, or share no sample.
bool AlignChannels(std::vector<Channel>& channels, KVErrorList& errors);
// Sample-by-sample resultant of aligned channels.
std::vector<double> ResultantOf(const std::vector<Channel>& channels);

} // namespace Criteria
