#pragma once

#include <optional>

#include "generation/TerrainSampling.h"

namespace orvalis {

// How a run lights and samples terrain beyond the classic synthesis: the sun
// in degrees, units, soft light, resampling and band heights. Every field
// left empty keeps the classic texture and lightmap.
struct TerrainOptions {
    std::optional<double> SunAzimuth;    // degrees clockwise from north (the picture's top), 0 .. 360
    std::optional<double> SunElevation;  // degrees above the horizon, 0 .. 90
    std::optional<double> ZFactor;       // heights multiplied by it (default 1)
    std::optional<double> CellX;         // a cell's ground size in the heights' unit;
    std::optional<double> CellY;         // none: from the georeference, else 1
    std::optional<double> Ambient;       // share of sky light, 0 .. 1
    std::optional<double> SunSize;       // the sun's diameter in degrees, 0 .. 10
    bool SkyLight = false;               // the sky light dimmed where the terrain hides the sky
    std::optional<Resampling> Resample;  // none: smooth at the real scale, else classic
    std::optional<BandHeights> Bands;    // band centres in the data's units
    std::optional<double> WaterLevel;    // open water up to this height, in the data's units

    // Both angles of the sun switch real-scale lighting on.
    bool RealScale() const { return SunAzimuth.has_value(); }
    // Real-scale lighting or resampled heights, which a water level needs.
    bool ResampledOrRealScale() const { return RealScale() || (Resample && *Resample != Resampling::Classic); }
};

// The numbers real-scale lighting takes: from Lowest to Highest. The command
// line and the window check against the same limits.
struct NumberLimits {
    double Lowest;
    double Highest;

    bool Hold(double value) const { return value >= Lowest && value <= Highest; }
};
inline constexpr NumberLimits kSunAzimuthLimits{0, 360};
inline constexpr NumberLimits kSunElevationLimits{0, 90};
inline constexpr NumberLimits kAmbientLimits{0, 1};
inline constexpr NumberLimits kSunSizeLimits{0, 10};
// The z-factor and a cell's sides, given or from a heightmap's georeference:
// from a nanometre to a million kilometres in metres, so that heights in
// millimetres over cells of degrees, drone surveys and planetary maps all
// pass, while subnormal and absurd numbers, which no terrain has, do not.
inline constexpr NumberLimits kScaleLimits{1e-9, 1e9};
// A height times the z-factor, in the cells' unit: far beyond any terrain's,
// and well within the singles the lighting holds heights in.
inline constexpr NumberLimits kScaledHeightLimits{-1e30, 1e30};

// The sampling the options ask for; cells of 1 height unit unless given.
TerrainSampling SamplingOf(const TerrainOptions& options);

}  // namespace orvalis
