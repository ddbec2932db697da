#pragma once
// The map of a correlation: which channel of the simulation answers which
// channel of the test, as a JSON file
//   {"pairs": [{"test": "11HEAD0000H3ACXA", "simulation": "nodout/1001/x_acceleration",
//               "factor": -1, "sign": "-", "cfc": 1000}, ...]}
// "test" is a 16-character channel code of the test, "simulation" a channel
// name of the simulation (FILE/ID/VARIABLE, or a code when the other side is
// a test too); "factor" (a number, not 0) and "sign" ("+" or "-") scale the
// simulation's samples, for a sensor whose axis points the other way or a
// unit the model states differently; "cfc" (60, 180, 600, 1000) is the class
// both are rated at instead of the test channel's own.
#include <string>
#include <vector>

namespace Correlate {

struct MapPair {
    std::string test;       // the test channel's code
    std::string simulation; // the simulation channel's name
    double factor = 1.0;    // factor x sign
    int cfc = 0;            // 0: the test channel's class
    int line = 0;           // where the pair stands in its file
};

// Parses and checks the map text of file; false with one message
// "FILE:LINE: problem" in error (an unknown key, a code that is not 16
// characters, a factor of 0, a class that is none, a pair given twice).
bool ParseMap(const std::string& text, const std::string& file, std::vector<MapPair>& pairs, std::string& error);
// Reads and parses the map file at path.
bool LoadMap(const std::string& path, std::vector<MapPair>& pairs, std::string& error);

} // namespace Correlate
