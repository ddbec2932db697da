#pragma once
// The units of a simulation model. Neither a binout nor its ASCII files say
// which consistent set the model used; the user names it once
// ("mm-ms-kg-kN") and every channel is scaled to the toolset's units: time in
// seconds, lengths in mm, velocities in m/s, accelerations in g, forces in N,
// moments and energies in N m and J, masses in kg,
// volumes in mm^3, densities in kg/m^3, mass flows in kg/s.
#include <string>
#include <string_view>

// What a simulation variable measures, which decides its scale and unit.
enum class SimQuantity {
    None, // counts, ratios: no unit
    Time,
    Length,
    Area,
    Velocity,
    Acceleration,
    Angle,
    AngularVelocity,
    AngularAcceleration,
    Force,
    Moment,
    Energy,
    Mass,
    Momentum,
    Pressure,
    Volume,
    Density,
    MassFlow,
};

// A model's consistent set of units, as factors to metre, second, kilogram, newton.
struct SimUnits {
    double metre = 1.0;
    double second = 1.0;
    double kilogram = 1.0;
    double newton = 1.0;
    std::string text; // as the user gave it: "mm-ms-kg-kN"
};

// Parses "LENGTH-TIME-MASS-FORCE" (lengths m, mm, cm, in, ft; times s, ms,
// us; masses kg, g, t, lbm, slinch, slug; forces N, kN, mN, lbf), case-blind.
// False with why for a name it does not know and for a set that is not
// consistent (force = mass x length / time^2 within 1e-6).
bool SimParseUnits(std::string_view text, SimUnits& units, std::string& why);

// The quantity a variable of a simulation file stands for, from its name
// ("y_displacement", "rx_velocity", "kinetic_energy", "x_force").
SimQuantity SimQuantityOf(std::string_view variable);

// The factor from the model's units to the toolset's for quantity q, and the
// toolset's unit word for it ("MILLIMETERS", "G'S", "NEWTONS", "NONE").
double SimScale(SimQuantity q, const SimUnits& units);
const char* SimUnitWord(SimQuantity q);
// The record's dimension word for q ("DISPLACEMENT", "FORCE"; " " for None).
const char* SimDimensionWord(SimQuantity q);

// The unit written for a channel read without units, X and Y alike.
inline constexpr const char* kSimModelUnits = "MODEL UNITS";
// What every program says of a simulation's channel read without units where
// a time in seconds is needed.
inline constexpr const char* kSimNeedsUnits =
    "the simulation's channels are in model units: give --units LENGTH-TIME-MASS-FORCE (such as mm-ms-kg-kN)";
