#pragma once

#include <array>
#include <vector>

#include "lighting/HornSlope.h"
#include "lighting/SunDirection.h"

namespace orvalis {

// The sky's light is gathered from this many compass directions, evenly
// spread from north, each standing for a wedge of the sky as wide as their
// spacing.
inline constexpr int kSkyDirections = 16;

// The light a face receives from a clear sky, relative to what level open
// ground receives (1). The sky's radiance is the CIE standard clear sky's
// luminance for the sun's place:
//   L ~ (0.91 + 10 exp(-3 g) + 0.45 cos^2 g) x (1 - exp(-0.32 / cos z))
// with g the angle from the sun and z from the zenith: brightest around the
// sun, brighter toward the horizon, darkest opposite the sun, a quarter of
// the sky away. A face gathers it with the cosine of its incidence, from the
// sky above the horizontal and above the face's own plane, and above the
// terrain's horizon where that is known. So shaded ground keeps its relief:
// faces turned toward the sun's side of the sky are brighter than faces
// turned away, and steep faces, which see less of the sky, darker than level
// ground.
class ClearSky {
public:
    explicit ClearSky(const SunPosition& sun);

    // The light of the sky's wedge toward kSkyDirections direction `direction`
    // (0 north, then clockwise) on the face of `slope`, above a horizon whose
    // elevation has the tangent `horizon` (0 or more). The directions'
    // shares of level open ground add up to 1.
    double FromDirection(int direction, double horizon, const GroundSlope& slope) const;
    // What FromDirection reads of a direction, for the vector lanes that
    // work it out for a row of cells at once (SkyLightLanes.h).
    struct DirectionTables {
        const double* Level;
        const double* Facing;
        int Steps;  // Level and Facing hold Steps + 1 entries
        double East, North;
    };
    DirectionTables TablesOf(int direction) const;

    // The light of the whole sky above the horizontal on the face of `slope`,
    // nothing hiding it: the sum of FromDirection over the directions with a
    // level horizon, interpolated from a table of unit normals.
    double OnOpenFace(const GroundSlope& slope) const;

    // The most light any face can receive in the open, with the sky's share
    // `ambient` and the sun's 1 - ambient: max over faces of
    // ambient x OnOpenFace + (1 - ambient) x max(0, n . sun), and at least 1.
    double MostLight(double ambient, const SunVector& sun) const;

private:
    // Per direction, the light above a horizon, tabulated over
    // u = tangent / (1 + tangent), 0 .. 1: Level the part that falls on level
    // ground, Facing the part that falls on a vertical face turned toward it.
    static constexpr int kHorizonSteps = 512;
    struct Wedge {
        std::array<double, kHorizonSteps + 1> Level;
        std::array<double, kHorizonSteps + 1> Facing;
    };
    // Open-sky light on unit normals (x east, y north) on a square grid over
    // -1 .. 1.
    static constexpr int kNormalSteps = 128;

    double OpenSkyOfNormal(double x, double y) const;

    std::array<Wedge, kSkyDirections> wedges_;
    std::array<double, kSkyDirections> east_;   // the directions' unit vectors
    std::array<double, kSkyDirections> north_;
    std::vector<double> openSky_;  // (kNormalSteps + 1)^2, row y, column x
};

}  // namespace orvalis
