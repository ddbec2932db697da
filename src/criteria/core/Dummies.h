#pragma once
// Dummies and the criterion constants published for them.
#include <optional>
#include <string>
#include <vector>

namespace Criteria {

// Nij intercepts: Fzc in N, Myc in N m.
struct NijIntercepts {
    double tension, compression, flexion, extension;
};
// Peak neck force limits, N.
struct NeckLimits {
    double tension, compression;
};
// Viscous criterion: scale factor and chest depth D0 in mm.
struct VcConstants {
    double scale, depth;
};
// Tibia index: critical moment Mc in N m and force Fc in N.
struct TibiaConstants {
    double moment, force;
};

// Brain injury criterion: critical angular velocities about X, Y and Z, rad/s.
struct BricCritical {
    double x, y, z;
};

struct DummyInfo {
    const char* key;  // the --dummy value
    const char* name; // shown to people
    std::optional<NijIntercepts> nij;
    std::optional<NeckLimits> neck;
    std::optional<VcConstants> vc;
    std::optional<TibiaConstants> tibia;
    std::optional<BricCritical> bric;
};

// Every dummy, the Hybrid III 50th male first (the default).
const std::vector<DummyInfo>& Dummies();
// The dummy with key (case-insensitive), or nullptr.
const DummyInfo* FindDummy(const std::string& key);

// Limits that hold for every dummy.
inline constexpr double kHic15Limit = 700;
inline constexpr double kHic36Limit = 1000;
inline constexpr double kClip3msLimit = 60;  // g
inline constexpr double kNijLimit = 1.0;
inline constexpr double kVcLimit = 1.0;      // m/s
inline constexpr double kTibiaLimit = 1.3;
// Occipital condyle offset of the upper neck load cell, m.
inline constexpr double kCondyleOffset = 0.01778;

} // namespace Criteria
