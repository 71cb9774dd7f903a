#include "lighting/SunDirection.h"

#include <cmath>
#include <numbers>
#include <string>

#include "files/Error.h"
#include "math/NumberText.h"

namespace orvalis {

namespace {

constexpr double kLargestDiameter = 10;

void CheckWithin(const char* what, double value, double lowest, double highest) {
    if (!std::isfinite(value) || value < lowest || value > highest) {
        throw Error(std::string(what) + " must be within " + NumberText(lowest) + " .. " + NumberText(highest) +
                    ", not " + NumberText(value));
    }
}

}  // namespace

void CheckSunPosition(const SunPosition& sun) {
    if (!std::isfinite(sun.Azimuth)) throw Error("the sun's azimuth must be a finite number");
    CheckWithin("the sun's elevation", sun.Elevation, 0, 90);
    CheckWithin("the sun's diameter", sun.Diameter, 0, kLargestDiameter);
}

SunVector TowardSun(const SunPosition& sun) {
    constexpr double radians = std::numbers::pi / 180;
    const double azimuth = sun.Azimuth * radians, elevation = sun.Elevation * radians;
    // At exactly 90 degrees the sun stands straight up, with no ground direction at all.
    const double ground = sun.Elevation == 90 ? 0.0 : std::cos(elevation);
    return {std::sin(azimuth) * ground, std::cos(azimuth) * ground,
            sun.Elevation == 90 ? 1.0 : std::sin(elevation)};
}

}  // namespace orvalis
