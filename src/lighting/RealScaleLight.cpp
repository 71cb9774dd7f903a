#include "lighting/RealScaleLight.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "files/Error.h"
#include "raster/ParallelRows.h"
#include "raster/ResampleHeights.h"
#include "lighting/ClearSky.h"
#include "lighting/HornSlope.h"
#include "lighting/HorizonSweep.h"
#include "lighting/SkyView.h"
#include "lighting/SunVisibility.h"

namespace orvalis {

namespace {

// Progress in steps of equal weight: the sun's sweep, each sky direction,
// the shading.
class StepProgress {
public:
    StepProgress(const RunOptions& options, int steps) : options_(options), steps_(steps) {}
    void Done(int steps) const {
        if (options_.Progress) options_.Progress(SynthesisStage::Lightmap, steps, steps_);
    }

private:
    const RunOptions& options_;
    int steps_;
};

void ShadeCells(const GroundGrid& grid, const RealScaleLight& light, const ClearSky& sky,
                const std::vector<float>& skyLight, LitTerrain& lit, const RunOptions& options) {
    const SunVector sun = TowardSun(light.Sun);
    const double diffuse = 1 - light.Ambient;
    const double most = sky.MostLight(light.Ambient, sun);
    lit.Shade.resize(grid.Z.size());
    RunOptions quiet = options;
    quiet.Progress = {};
    ParallelRows(grid.Rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
        for (std::int32_t column = 0; column < grid.Width; ++column) {
            const std::size_t i = grid.IndexOf(row, column);
            const GroundSlope slope = HornSlope(grid, row, column);
            const double ambient = light.Ambient * (skyLight.empty() ? sky.OnOpenFace(slope) : skyLight[i]);
            const double direct = diffuse * SunFacing(slope, sun) * lit.SunVisibility[i];
            lit.Shade[i] = static_cast<float>(LightWithinOne(ambient + direct, most));
        }
    });
}

// The terrain's horizons change slowly over the ground: on grids of more
// cells than this, the share of its open sky that the terrain leaves a cell
// is taken at half the resolution and interpolated back, which quarters the
// cost of the sweeps; each cell's own face still counts at the full
// resolution.
constexpr std::int64_t kFullSkyCells = std::int64_t{2048} * 2048;

std::vector<float> SkyLightAtHalfResolution(const HeightPlane& heights, const GroundGrid& grid,
                                            const TerrainScale& scale, const ClearSky& sky,
                                            const RunOptions& options,
                                            const std::function<void(int directionsDone)>& directionDone) {
    const std::int32_t width = (heights.Width + 1) / 2, rows = (heights.Rows + 1) / 2;
    const TerrainScale coarse{scale.CellX * heights.Width / width, scale.CellY * heights.Rows / rows, scale.ZFactor};
    const GroundGrid half = MakeGroundGrid(ResampleHeights(heights, width, rows, options), coarse);
    HorizonSweeps sweeps(half);
    const std::vector<float> light = SkyLightOnCells(sweeps, sky, options, directionDone);
    HeightPlane seen{width, rows, std::vector<double>(light.size()), {}};
    for (std::int32_t row = 0; row < rows; ++row) {
        for (std::int32_t column = 0; column < width; ++column) {
            const std::size_t i = half.IndexOf(row, column);
            seen.Heights[i] = light[i] / std::max(1e-6, sky.OnOpenFace(HornSlope(half, row, column)));
        }
    }
    const HeightPlane share = ResampleHeights(seen, grid.Width, grid.Rows, options);
    std::vector<float> fine(grid.Z.size());
    RunOptions quiet = options;
    quiet.Progress = {};
    ParallelRows(grid.Rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
        for (std::int32_t column = 0; column < grid.Width; ++column) {
            const std::size_t i = grid.IndexOf(row, column);
            fine[i] = static_cast<float>(std::clamp(share.Heights[i], 0.0, 1.0) *
                                         sky.OnOpenFace(HornSlope(grid, row, column)));
        }
    });
    return fine;
}

}  // namespace

double LightWithinOne(double light, double most) {
    if (most <= 1) return std::min(light, 1.0);
    const double knee = 2 - most;
    if (light <= knee) return light;
    const double over = std::max(0.0, most - light);
    return 1 - over * over / (4 * (most - 1));
}

void CheckRealScaleLight(const RealScaleLight& light) {
    CheckTerrainScale(light.Scale);
    CheckSunPosition(light.Sun);
    if (!(light.Ambient >= 0 && light.Ambient <= 1)) {
        throw Error("the ambient share must be within 0 .. 1, not " + std::to_string(light.Ambient));
    }
}

LitTerrain LightAtRealScale(const HeightPlane& heights, const RealScaleLight& light, const RunOptions& options) {
    CheckRealScaleLight(light);
    const GroundGrid grid = MakeGroundGrid(heights, light.Scale);
    HorizonSweeps sweeps(grid);
    const StepProgress progress(options, 2 + (light.SkyLight ? kSkyDirections : 0));
    LitTerrain lit{grid.Width, grid.Rows, {}, SunVisibility(sweeps, light.Sun, options)};
    progress.Done(1);
    const ClearSky sky(light.Sun);
    std::vector<float> skyLight;
    if (light.SkyLight) {
        const auto directionDone = [&progress](int done) { progress.Done(1 + done); };
        skyLight = static_cast<std::int64_t>(grid.Width) * grid.Rows <= kFullSkyCells
                       ? SkyLightOnCells(sweeps, sky, options, directionDone)
                       : SkyLightAtHalfResolution(heights, grid, light.Scale, sky, options, directionDone);
    }
    ShadeCells(grid, light, sky, skyLight, lit, options);
    progress.Done(2 + (light.SkyLight ? kSkyDirections : 0));
    return lit;
}

TDibBuffer GreyPicture(std::int32_t width, std::int32_t rows, const std::vector<float>& values) {
    TDibBuffer picture;
    picture.Allocate(width, rows, 24);
    for (std::int32_t row = 0; row < rows; ++row) {
        std::uint8_t* bytes = picture.RowTable(BufferRowOfPlaneRow(picture, row));
        const float* line = &values[static_cast<std::size_t>(row) * width];
        for (std::int32_t column = 0; column < width; ++column, bytes += 3) {
            const auto v = static_cast<std::uint8_t>(std::lround(std::clamp(line[column], 0.0f, 1.0f) * 255));
            std::fill_n(bytes, 3, v);
        }
    }
    return picture;
}

}  // namespace orvalis
