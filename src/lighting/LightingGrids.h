#pragma once

#include <cstdint>
#include <optional>

#include "raster/HeightPlane.h"
#include "raster/Progress.h"
#include "raster/ResampleHeights.h"
#include "lighting/GroundGrid.h"
#include "lighting/RealScaleLight.h"

namespace orvalis {

// The grids the real-scale light works on: the terrain at the lighting's
// resolution, and, where the sky light's horizons are taken at half of it
// (grids of more than kFullSkyCells cells), the terrain at that resolution.
struct LightingGrids {
    GroundGrid Fine;
    std::optional<GroundGrid> Sky;
};

inline constexpr std::int64_t kFullSkyCells = std::int64_t{2048} * 2048;

// From heights at the lighting's resolution. Under the light's water level
// the grids hold the water's flat surface.
LightingGrids LightingGridsOf(const HeightPlane& heights, const RealScaleLight& light, const RunOptions& options);

// The grids of ResampleHeights(source, width, rows, interpolation), made a
// band of rows at a time: the same grids without the resampled plane of
// doubles.
LightingGrids ResampledLightingGrids(const HeightPlane& source, std::int32_t width, std::int32_t rows,
                                     const RealScaleLight& light, Interpolation interpolation,
                                     const RunOptions& options);

}  // namespace orvalis
