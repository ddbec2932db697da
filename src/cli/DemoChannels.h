#pragma once
// The two tests of the demo data set: a full-width frontal vehicle test and a
// sled test with a mid-size male dummy, as a test lab would describe them.
#include "DemoWaveform.h"

#include <array>
#include <vector>

class KVSignal;

// What a channel measures: fixes its units and dimension names.
enum class DemoQuantity { Acceleration, AngularVelocity, Force, Moment, Deflection };

// Test-level header of one demo test.
struct DemoTest {
    const char* prefix; // file-name prefix, e.g. "veh4127"
    const char* source; // "VEHICLE DB" or "BIOMECHANICS DB"
    const char* number;
    const char* reference;
    const char* config;
    const char* title;
    float closingSpeed;  // km/h
    float initialVelocity; // km/h, given to the acceleration channels
};

// A fault of the measuring chain left in a channel on purpose, so that
// `kalvio check` has something to find: an amplifier range set too small
// (the curve is cut at +-level), or samples that read zero at the times given.
struct DemoFault {
    enum Kind { None, Clip, Dropout } kind = None;
    float level = 0;
    std::array<float, 2> at = {};
};

// One channel: where the sensor sits, what it measures, its filtering and shape.
struct DemoChannel {
    int test;              // index into DemoTests()
    const char* name;      // file name without prefix and extension
    const char* location;  // two-letter location code
    const char* attachment;
    const char* axis;
    DemoQuantity quantity;
    const char* text;      // curve description
    float cutOff;          // Hz; 0 = as measured (only the anti-alias pre-filter)
    float bias;            // pre-event offset of the transducer
    float noise;           // deviation of the sensor noise
    std::array<DemoTerm, 3> terms;
    DemoFault fault = {};
};

const std::vector<DemoTest>& DemoTests();
const std::vector<DemoChannel>& DemoChannels();

// Sampling of every channel: 10 kHz from -50 ms to 250 ms.
inline constexpr float kDemoDel = 0.0001f;
inline constexpr int kDemoNfp = -500;
inline constexpr int kDemoNlp = 2500;

// Fills signal with channel index i of DemoChannels(): header and samples
// (Del and the time grid as in a "Y" file).
void BuildDemoSignal(std::size_t i, KVSignal& signal);
