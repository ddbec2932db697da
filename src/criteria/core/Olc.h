#pragma once
// Occupant load criterion from a vehicle's longitudinal acceleration.
#include <cstddef>
#include <string>
#include <vector>

namespace Criteria {

// A virtual occupant first moves freely (keeps the initial velocity) for this
// distance relative to the vehicle, then decelerates uniformly over the rest
// until it has the vehicle's velocity.
inline constexpr double kOlcFreeFlight = 0.065; // m
inline constexpr double kOlcTotal = 0.300;      // m

struct OlcResult {
    bool found = false;
    std::string problem;         // why not found
    bool reversed = false;       // the acceleration was taken with its sign reversed
    double value = 0;            // the occupant's deceleration, g
    double t1 = 0;               // s from the first sample: end of the free flight
    double t2 = 0;               // s from the first sample: the occupant has the vehicle's velocity
    std::vector<double> history; // occupant displacement relative to the vehicle, mm, up to t2
};

// a: the vehicle's acceleration in g along its direction of travel on the
// step dt (s); v0: its initial velocity (m/s, > 0). A record whose velocity
// change is positive is a deceleration stored as positive and is reversed.
// The velocity and the displacements are trapezoidal integrals; t1 and t2 are
// interpolated linearly between samples.
OlcResult ComputeOlc(const std::vector<double>& a, double dt, double v0);

} // namespace Criteria
