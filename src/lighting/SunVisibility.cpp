#include "lighting/SunVisibility.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace orvalis {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180;

double TangentOrInfinity(double radians) {
    return radians >= std::numbers::pi / 2 ? std::numeric_limits<double>::infinity() : std::tan(radians);
}

}  // namespace

SunDiscShare::SunDiscShare(const SunPosition& sun)
    : elevation_(sun.Elevation * kRadiansPerDegree),
      radius_(sun.Diameter / 2 * kRadiansPerDegree),
      clearBelow_(TangentOrInfinity(elevation_ - radius_)),
      hiddenAbove_(TangentOrInfinity(elevation_ + radius_)) {}

float SunDiscShare::operator()(double tangent) const {
    if (tangent < clearBelow_) return 1.0f;
    if (tangent >= hiddenAbove_ || radius_ == 0) return 0.0f;
    // The horizon crosses the disc h radii above its centre.
    const double h = std::clamp((std::atan(tangent) - elevation_) / radius_, -1.0, 1.0);
    return static_cast<float>((std::acos(h) - h * std::sqrt(1 - h * h)) / std::numbers::pi);
}

std::vector<float> SunVisibility(HorizonSweeps& sweeps, const SunPosition& sun, const RunOptions& options) {
    std::vector<float> visibility;
    sweeps.Set(sun.Azimuth, SunDiscShare(sun), visibility, options);
    return visibility;
}

}  // namespace orvalis
