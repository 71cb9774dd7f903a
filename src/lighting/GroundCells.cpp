#include "lighting/GroundCells.h"

#include <cmath>
#include <numbers>

namespace orvalis {

namespace {

constexpr double kSemiMajorAxis = 6378137.0;            // WGS 84, metres
constexpr double kFlattening = 1 / 298.257223563;        // WGS 84
constexpr double kEccentricitySquared = kFlattening * (2 - kFlattening);

}  // namespace

GroundCellSize MetresOfDegreeCell(double degreesX, double degreesY, double latitude) {
    const double phi = latitude * std::numbers::pi / 180;
    const double w = 1 - kEccentricitySquared * std::sin(phi) * std::sin(phi);
    // The radii of curvature along the meridian and across it.
    const double meridian = kSemiMajorAxis * (1 - kEccentricitySquared) / (w * std::sqrt(w));
    const double primeVertical = kSemiMajorAxis / std::sqrt(w);
    const double radiansPerDegree = std::numbers::pi / 180;
    return {degreesX * radiansPerDegree * primeVertical * std::cos(phi),
            degreesY * radiansPerDegree * meridian};
}

std::optional<GroundCellSize> GroundCellsOf(const GeoReference& geo, std::int32_t width, std::int32_t rows) {
    if (!geo.Transform) return std::nullopt;
    const std::array<double, 6>& t = *geo.Transform;
    const double x = std::hypot(t[1], t[4]), y = std::hypot(t[2], t[5]);
    if (geo.Geographic) return MetresOfDegreeCell(x, y, t[3] + t[4] * width / 2 + t[5] * rows / 2);
    return GroundCellSize{x * geo.MetresPerUnit, y * geo.MetresPerUnit};
}

}  // namespace orvalis
