#pragma once

namespace orvalis {

// Where the sun stands: azimuth in degrees clockwise from north (the top of
// the picture), as gdaldem and GIS tools count it; elevation in degrees above
// the horizon, 0 .. 90; its angular diameter in degrees (the real sun's is
// about 0.53), which gives shadows their penumbra.
struct SunPosition {
    double Azimuth = 315;
    double Elevation = 45;
    double Diameter = 0.53;
};

// Raises Error when the elevation is outside 0 .. 90, the diameter outside
// 0 .. 10 or any of them is not a finite number.
void CheckSunPosition(const SunPosition& sun);

// A unit vector toward the sun: east, north, up.
struct SunVector {
    double East = 0;
    double North = 0;
    double Up = 1;
};
SunVector TowardSun(const SunPosition& sun);

}  // namespace orvalis
