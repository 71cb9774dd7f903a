#pragma once

#include <functional>
#include <optional>
#include <string>

#include "generation/TerrainSampling.h"

namespace orvalis::cli {

// The options of `generate` for terrain at its real scale: the sun in
// degrees, units, soft light, resampling and band heights.
struct TerrainOptions {
    std::optional<double> SunAzimuth;    // --sun-azimuth DEG
    std::optional<double> SunElevation;  // --sun-elevation DEG
    std::optional<double> ZFactor;       // --z-factor F
    std::optional<double> CellX;         // --cell-size X[:Y]
    std::optional<double> CellY;
    std::optional<double> Ambient;       // --ambient A
    std::optional<double> SunSize;       // --sun-size DEG
    bool SkyLight = false;               // --sky-light
    std::optional<std::string> ShadowMap;  // --shadow-map FILE
    std::optional<Resampling> Resample;    // --resample smooth|classic
    std::optional<BandHeights> Bands;      // --bands H256,H192,H128,H64,H0
    bool WorldFile = false;                // --world-file

    bool RealScale() const { return SunAzimuth.has_value(); }
};

// Takes `option` (and its value, through `value`) when it is one of these;
// raises UsageError for a value out of range.
bool ParseTerrainOption(const std::string& option, const std::function<const std::string&()>& value,
                        TerrainOptions& options);

// Once all options are read: the sun comes with both angles, the options of
// real-scale lighting come with the sun, and the sun neither with the
// classic light (`classicLight`: --light-dir or --sun-pos) nor without
// lighting. Raises UsageError.
void CheckTerrainOptions(const TerrainOptions& options, bool classicLight, bool useLighting);

// The sampling the options ask for; cells of 1 height unit unless given.
TerrainSampling SamplingOf(const TerrainOptions& options);

}  // namespace orvalis::cli
