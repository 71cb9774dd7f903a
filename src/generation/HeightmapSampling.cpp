#include "generation/HeightmapSampling.h"

#include <cmath>

#include "files/Error.h"
#include "math/NumberText.h"
#include "lighting/GroundCells.h"
#include "generation/TerrainOptions.h"

namespace orvalis {

namespace {

std::string RangeText(const NumberLimits& limits) {
    return NumberText(limits.Lowest) + " .. " + NumberText(limits.Highest);
}

void CheckCells(const GroundCellSize& cells, const std::string& path) {
    if (kScaleLimits.Hold(cells.X) && kScaleLimits.Hold(cells.Y)) return;
    const std::string size = std::isfinite(cells.X) && std::isfinite(cells.Y)
                                 ? "of " + NumberText(cells.X) + " x " + NumberText(cells.Y)
                                 : "of no finite size";
    throw Error(path, "its georeference gives cells " + size +
                          " (metres, or the transform's unit without a coordinate system), outside " +
                          RangeText(kScaleLimits) + ", the cell sizes real-scale light takes");
}

// Heights beyond the limits would leave the singles the lighting holds them in.
void CheckHeights(const LevelScale& heights, double zFactor, const std::string& path) {
    if (kScaledHeightLimits.Hold(heights.Low * zFactor) && kScaledHeightLimits.Hold(heights.High * zFactor)) return;
    throw Error(path, "its heights from " + NumberText(heights.Low) + " to " + NumberText(heights.High) +
                          " times the z-factor " + NumberText(zFactor) + " lie outside " +
                          RangeText(kScaledHeightLimits) +
                          ", the heights real-scale light takes; give a narrower height range or a smaller z-factor");
}

}  // namespace

TerrainSampling SamplingOfHeightmap(const TerrainSampling& sampling, const Picture& heightmap, const std::string& path) {
    if (heightmap.AllNoData && (sampling.RealScale || sampling.Resample == Resampling::Smooth)) {
        throw Error(path, "no cell has data (every sample is the no-data value or not a number), so there are no "
                          "heights to light or resample");
    }
    TerrainSampling resolved = sampling;
    if (!resolved.RealScale) return resolved;
    TerrainScale& scale = resolved.RealScale->Scale;
    if (resolved.CellsFromGeoReference && heightmap.Geo) {
        if (const auto cells = GroundCellsOf(*heightmap.Geo, heightmap.Pixels.Width(), heightmap.Pixels.RowCount())) {
            CheckCells(*cells, path);
            scale.CellX = cells->X;
            scale.CellY = cells->Y;
        }
    }
    CheckHeights(heightmap.Levels, scale.ZFactor, path);
    return resolved;
}

}  // namespace orvalis
