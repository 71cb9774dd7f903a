#include "lighting/ClearSky.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvalis {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kWedge = 2 * kPi / kSkyDirections;

// The CIE standard clear sky's luminance, up to a constant factor, toward
// elevation `elevation` whose direction makes the angle with the cosine
// `towardSun` with the sun's.
double ClearSkyRadiance(double elevation, double towardSun) {
    const double fromSun = std::acos(std::clamp(towardSun, -1.0, 1.0));
    const double gradation = 1 - std::exp(-0.32 / std::sin(elevation));
    return (0.91 + 10 * std::exp(-3 * fromSun) + 0.45 * towardSun * towardSun) * gradation;
}

// A horizon's tangent as the tables' parameter, 0 .. 1.
double TableParameter(double tangent) { return std::isinf(tangent) ? 1.0 : tangent / (1 + tangent); }

// std::clamp(u, 0, 1), but 0 for NaN: no table index comes from a NaN.
double WithinUnit(double u) { return !(u >= 0) ? 0.0 : std::min(u, 1.0); }

// The cell of a table of `cells` cells that `at` lies in: the nearest one
// outside them, the first for NaN.
int CellOf(double at, int cells) { return at >= 1 ? static_cast<int>(std::min(at, cells - 1.0)) : 0; }

double Interpolated(const auto& table, double u, int steps) {
    const double at = WithinUnit(u) * steps;
    const int i = std::min(static_cast<int>(at), steps - 1);
    const double f = at - i;
    return table[i] + f * (table[i + 1] - table[i]);
}

}  // namespace

ClearSky::ClearSky(const SunPosition& sun) {
    const SunVector toward = TowardSun(sun);
    // The wedges are integrated over elevation on a fine grid from the
    // zenith down, and the tables read the running sums at their horizons.
    constexpr int kElevationSteps = 4096, kAzimuthSamples = 8;
    const double step = kPi / 2 / kElevationSteps;
    for (int direction = 0; direction < kSkyDirections; ++direction) {
        east_[direction] = std::sin(kWedge * direction);
        north_[direction] = std::cos(kWedge * direction);
        std::vector<double> level(kElevationSteps + 1, 0.0), facing(kElevationSteps + 1, 0.0);
        for (int i = kElevationSteps - 1; i >= 0; --i) {
            const double elevation = (i + 0.5) * step;
            double radiance = 0;
            for (int a = 0; a < kAzimuthSamples; ++a) {
                const double azimuth = kWedge * (direction + (a + 0.5) / kAzimuthSamples - 0.5);
                const double towardSun = std::cos(elevation) * (std::sin(azimuth) * toward.East +
                                                                std::cos(azimuth) * toward.North) +
                                         std::sin(elevation) * toward.Up;
                radiance += ClearSkyRadiance(elevation, towardSun);
            }
            // The solid angle of the patch is cos(elevation) x step x azimuth span.
            const double patch = radiance / kAzimuthSamples * kWedge * std::cos(elevation) * step;
            level[i] = level[i + 1] + patch * std::sin(elevation);
            facing[i] = facing[i + 1] + patch * std::cos(elevation);
        }
        Wedge& wedge = wedges_[direction];
        for (int j = 0; j <= kHorizonSteps; ++j) {
            const double u = static_cast<double>(j) / kHorizonSteps;
            const double at = (j == kHorizonSteps ? kPi / 2 : std::atan(u / (1 - u))) / step;
            const int i = std::min(static_cast<int>(at), kElevationSteps - 1);
            const double f = at - i;
            wedge.Level[j] = level[i] + f * (level[i + 1] - level[i]);
            wedge.Facing[j] = facing[i] + f * (facing[i + 1] - facing[i]);
        }
    }
    double levelGround = 0;
    for (const Wedge& wedge : wedges_) levelGround += wedge.Level[0];
    for (Wedge& wedge : wedges_) {
        for (double& v : wedge.Level) v /= levelGround;
        for (double& v : wedge.Facing) v /= levelGround;
    }
    openSky_.resize(static_cast<std::size_t>(kNormalSteps + 1) * (kNormalSteps + 1));
    for (int y = 0; y <= kNormalSteps; ++y) {
        for (int x = 0; x <= kNormalSteps; ++x) {
            openSky_[static_cast<std::size_t>(y) * (kNormalSteps + 1) + x] =
                OpenSkyOfNormal(2.0 * x / kNormalSteps - 1, 2.0 * y / kNormalSteps - 1);
        }
    }
}

double ClearSky::FromDirection(int direction, double horizon, const GroundSlope& slope) const {
    // The face's own plane rises toward the direction by `rise`; the sky
    // counts above it and above the horizon.
    const double rise = slope.East * east_[direction] + slope.North * north_[direction];
    const double u = TableParameter(std::max({horizon, rise, 0.0}));
    const Wedge& wedge = wedges_[direction];
    const double level = Interpolated(wedge.Level, u, kHorizonSteps);
    const double facing = Interpolated(wedge.Facing, u, kHorizonSteps);
    // The unit normal is (-East, -North, 1) / length.
    const double length = std::sqrt(1 + slope.East * slope.East + slope.North * slope.North);
    return std::max(0.0, (level - rise * facing) / length);
}

ClearSky::DirectionTables ClearSky::TablesOf(int direction) const {
    const Wedge& wedge = wedges_[direction];
    return {wedge.Level.data(), wedge.Facing.data(), kHorizonSteps, east_[direction], north_[direction]};
}

double ClearSky::OpenSkyOfNormal(double x, double y) const {
    // Normals at the table's corners lie outside the unit disc; they take
    // the nearly vertical face of their direction.
    constexpr double kSteepest = 0.999;
    const double across = std::hypot(x, y);
    if (across > kSteepest) {
        x *= kSteepest / across;
        y *= kSteepest / across;
    }
    const double up = std::sqrt(1 - x * x - y * y);
    const GroundSlope slope{-x / up, -y / up};
    double light = 0;
    for (int direction = 0; direction < kSkyDirections; ++direction) light += FromDirection(direction, 0, slope);
    return light;
}

double ClearSky::OnOpenFace(const GroundSlope& slope) const {
    const double length = std::sqrt(1 + slope.East * slope.East + slope.North * slope.North);
    const double gx = (1 - slope.East / length) / 2 * kNormalSteps;
    const double gy = (1 - slope.North / length) / 2 * kNormalSteps;
    const int x = CellOf(gx, kNormalSteps), y = CellOf(gy, kNormalSteps);
    const double fx = gx - x, fy = gy - y;
    const double* row = &openSky_[static_cast<std::size_t>(y) * (kNormalSteps + 1) + x];
    const double* next = row + kNormalSteps + 1;
    return (1 - fy) * ((1 - fx) * row[0] + fx * row[1]) + fy * ((1 - fx) * next[0] + fx * next[1]);
}

double ClearSky::MostLight(double ambient, const SunVector& sun) const {
    double most = 1;
    for (int y = 0; y <= kNormalSteps; ++y) {
        for (int x = 0; x <= kNormalSteps; ++x) {
            const double nx = 2.0 * x / kNormalSteps - 1, ny = 2.0 * y / kNormalSteps - 1;
            if (nx * nx + ny * ny >= 1) continue;
            const double nz = std::sqrt(1 - nx * nx - ny * ny);
            const double facing = std::max(0.0, nx * sun.East + ny * sun.North + nz * sun.Up);
            const double light = ambient * openSky_[static_cast<std::size_t>(y) * (kNormalSteps + 1) + x] +
                                 (1 - ambient) * facing;
            most = std::max(most, light);
        }
    }
    return most;
}

}  // namespace orvalis
