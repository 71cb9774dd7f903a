#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvalis::test {

// The clear sky's light on a face by plain summation over a fine grid of the
// sky, relative to level open ground: the CIE standard clear sky's luminance
// times the cosine of incidence, over the directions above the horizontal,
// above the face and above horizonElevation(azimuth) (radians; azimuth in
// radians clockwise from north). The face's normal and the sun's direction
// are (east, north, up) unit vectors.
struct SkyVector {
    double East, North, Up;
};

template <class HorizonElevation>
double ReferenceSkyLight(const SkyVector& sun, const SkyVector& normal, HorizonElevation horizonElevation) {
    constexpr int kAzimuths = 720, kElevations = 360;
    constexpr double pi = std::numbers::pi;
    double face = 0, level = 0;
    for (int a = 0; a < kAzimuths; ++a) {
        const double azimuth = 2 * pi * (a + 0.5) / kAzimuths;
        const double horizon = horizonElevation(azimuth);
        for (int e = 0; e < kElevations; ++e) {
            const double elevation = pi / 2 * (e + 0.5) / kElevations;
            const SkyVector w{std::cos(elevation) * std::sin(azimuth), std::cos(elevation) * std::cos(azimuth),
                              std::sin(elevation)};
            const double towardSun = std::clamp(w.East * sun.East + w.North * sun.North + w.Up * sun.Up, -1.0, 1.0);
            const double radiance = (0.91 + 10 * std::exp(-3 * std::acos(towardSun)) + 0.45 * towardSun * towardSun) *
                                    (1 - std::exp(-0.32 / std::sin(elevation))) * std::cos(elevation);
            level += radiance * w.Up;
            const double incidence = w.East * normal.East + w.North * normal.North + w.Up * normal.Up;
            if (elevation > horizon && incidence > 0) face += radiance * incidence;
        }
    }
    return face / level;
}

}  // namespace orvalis::test
