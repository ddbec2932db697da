#pragma once
// Unit conversion of criterion inputs: every criterion works in g, N, N m, mm
// rad/s, rad, rad/s^2 and seconds, whatever units the header names.
#include <string>

namespace Criteria {

enum class Quantity { Acceleration, Force, Moment, Deflection, AngularVelocity, Angle, AngularAcceleration };

// Factor from the header's Y units to the criterion unit of q; false when the
// units are not a unit of q. Blank units are handled by the caller.
bool UnitFactor(const std::string& units, Quantity q, double& factor);
// The header units q accepts, as a comma-separated list for help texts.
std::string AcceptedUnits(Quantity q);
// Factor from X units to seconds; false when they are not a time unit.
bool TimeFactor(const std::string& units, double& factor);
// "g", "N", "N m", "mm", "rad/s", "rad", "rad/s^2".
const char* UnitName(Quantity q);
// "acceleration", "force", "moment", "deflection", "angular velocity", "angle",
// "angular acceleration".
const char* QuantityName(Quantity q);
// The header text trimmed of blanks and upper-cased.
std::string NormalisedUnits(const std::string& units);

} // namespace Criteria
