#include "lighting/LightingGrids.h"

#include <cmath>
#include <memory>
#include <vector>

#include "raster/ParallelRows.h"
#include "raster/RaisedHeights.h"
#include "raster/ResampleHeights.h"

namespace orvalis {

namespace {

// Rows of the resampled plane in hand at once.
constexpr std::int32_t kBandRows = 128;

bool SkyAtHalfResolution(const RealScaleLight& light, std::int32_t width, std::int32_t rows) {
    return light.SkyLight && static_cast<std::int64_t>(width) * rows > kFullSkyCells;
}

// The half-resolution grid's size and cells, covering the same extent.
GroundGrid HalfGridShape(std::int32_t width, std::int32_t rows, const TerrainScale& scale) {
    const std::int32_t halfWidth = (width + 1) / 2, halfRows = (rows + 1) / 2;
    return {halfWidth, halfRows, scale.CellX * width / halfWidth, scale.CellY * rows / halfRows, {}};
}

TerrainScale ScaleOf(const GroundGrid& grid, double zFactor) { return {grid.CellX, grid.CellY, zFactor}; }

// Heights of whole rows into a grid, as MakeGroundGrid takes them where they
// all have data; false where one has none, which MakeGroundGrid would fill.
bool AllIntoGrid(GroundGrid& grid, double zFactor, std::int32_t first, std::int32_t count, const double* values,
                 const RunOptions& options) {
    std::vector<char> holes(static_cast<std::size_t>(count), 0);
    ParallelRows(count, options, SynthesisStage::Lightmap, [&](std::int32_t k) {
        const double* line = values + static_cast<std::size_t>(k) * grid.Width;
        float* z = &grid.Z[grid.IndexOf(first + k, 0)];
        for (std::int32_t column = 0; column < grid.Width; ++column) {
            if (!std::isfinite(line[column])) holes[static_cast<std::size_t>(k)] = 1;
            z[column] = GroundHeight(line[column], zFactor);
        }
    });
    for (const char hole : holes) {
        if (hole) return false;
    }
    return true;
}

LightingGrids GridsOfSurface(const HeightPlane& surface, const RealScaleLight& light, const RunOptions& options) {
    LightingGrids grids{MakeGroundGrid(surface, light.Scale), {}};
    if (SkyAtHalfResolution(light, surface.Width, surface.Rows)) {
        const GroundGrid shape = HalfGridShape(surface.Width, surface.Rows, light.Scale);
        grids.Sky = MakeGroundGrid(ResampleHeights(surface, shape.Width, shape.Rows, options),
                                   ScaleOf(shape, light.Scale.ZFactor));
    }
    return grids;
}

}  // namespace

LightingGrids LightingGridsOf(const HeightPlane& heights, const RealScaleLight& light, const RunOptions& options) {
    // Cells without data stay so under water, to be filled as ever.
    return light.WaterLevel ? GridsOfSurface(RaisedTo(heights, *light.WaterLevel), light, options)
                            : GridsOfSurface(heights, light, options);
}

LightingGrids ResampledLightingGrids(const HeightPlane& source, std::int32_t width, std::int32_t rows,
                                     const RealScaleLight& light, Interpolation interpolation,
                                     const RunOptions& options) {
    CheckTerrainScale(light.Scale);
    RunOptions quiet = options;
    quiet.Progress = {};
    const double zFactor = light.Scale.ZFactor;
    LightingGrids grids{{width, rows, light.Scale.CellX, light.Scale.CellY, {}}, {}};
    grids.Fine.Z.resize(static_cast<std::size_t>(width) * rows);
    bool allData = true;
    std::unique_ptr<StreamedResample> half;
    if (SkyAtHalfResolution(light, width, rows)) {
        grids.Sky = HalfGridShape(width, rows, light.Scale);
        GroundGrid& sky = *grids.Sky;
        sky.Z.resize(static_cast<std::size_t>(sky.Width) * sky.Rows);
        half = std::make_unique<StreamedResample>(
            width, rows, sky.Width, sky.Rows,
            [&](std::int32_t first, std::int32_t count, const double* values) {
                allData = AllIntoGrid(sky, zFactor, first, count, values, quiet) && allData;
            },
            quiet);
    }
    std::vector<double> surface;
    ResampleHeightsInBands(
        source, width, rows, kBandRows,
        [&](std::int32_t first, std::int32_t count, const double* values) {
            if (light.WaterLevel) {
                surface.assign(values, values + static_cast<std::size_t>(count) * width);
                RaiseTo(*light.WaterLevel, surface.data(), surface.size());
                values = surface.data();
            }
            allData = AllIntoGrid(grids.Fine, zFactor, first, count, values, quiet) && allData;
            // The half grid is resampled from the fine heights, which all have data here.
            if (half && allData) half->Push(values, count);
        },
        quiet, interpolation);
    // Heights beyond a double's range after resampling: the whole planes
    // fill them as MakeGroundGrid does.
    if (!allData) return LightingGridsOf(ResampleHeights(source, width, rows, quiet, interpolation), light, quiet);
    return grids;
}

}  // namespace orvalis
