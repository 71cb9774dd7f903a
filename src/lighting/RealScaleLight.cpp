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
#include "lighting/LightingGrids.h"
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
// than kFullSkyCells cells, the share of its open sky that the terrain leaves
// a cell is taken on the half-resolution grid and interpolated back, which
// quarters the cost of the sweeps; each cell's own face still counts at the
// full resolution.
std::vector<float> SkyLightAtHalfResolution(const GroundGrid& half, const GroundGrid& grid, const ClearSky& sky,
                                            const RunOptions& options,
                                            const std::function<void(int directionsDone)>& directionDone) {
    HeightPlane seen{half.Width, half.Rows, std::vector<double>(half.Z.size()), {}};
    {
        HorizonSweeps sweeps(half);
        const std::vector<float> light = SkyLightOnCells(sweeps, sky, options, directionDone);
        for (std::int32_t row = 0; row < half.Rows; ++row) {
            for (std::int32_t column = 0; column < half.Width; ++column) {
                const std::size_t i = half.IndexOf(row, column);
                seen.Heights[i] = light[i] / std::max(1e-6, sky.OnOpenFace(HornSlope(half, row, column)));
            }
        }
    }
    std::vector<float> fine(grid.Z.size());
    RunOptions quiet = options;
    quiet.Progress = {};
    constexpr std::int32_t kBandRows = 64;
    ResampleHeightsInBands(
        seen, grid.Width, grid.Rows, kBandRows,
        [&](std::int32_t first, std::int32_t count, const double* share) {
            ParallelRows(count, quiet, SynthesisStage::Lightmap, [&](std::int32_t k) {
                const std::int32_t row = first + k;
                const double* line = share + static_cast<std::size_t>(k) * grid.Width;
                for (std::int32_t column = 0; column < grid.Width; ++column) {
                    fine[grid.IndexOf(row, column)] = static_cast<float>(
                        std::clamp(line[column], 0.0, 1.0) * sky.OnOpenFace(HornSlope(grid, row, column)));
                }
            });
        },
        quiet);
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
    return LightAtRealScale(LightingGridsOf(heights, light, options), light, options);
}

LitTerrain LightAtRealScale(const LightingGrids& grids, const RealScaleLight& light, const RunOptions& options) {
    CheckRealScaleLight(light);
    const GroundGrid& grid = grids.Fine;
    const StepProgress progress(options, 2 + (light.SkyLight ? kSkyDirections : 0));
    const auto directionDone = [&progress](int done) { progress.Done(1 + done); };
    const ClearSky sky(light.Sun);
    LitTerrain lit{grid.Width, grid.Rows, {}, {}};
    std::vector<float> skyLight;
    {
        HorizonSweeps sweeps(grid);
        lit.SunVisibility = SunVisibility(sweeps, light.Sun, options);
        progress.Done(1);
        if (light.SkyLight && !grids.Sky) skyLight = SkyLightOnCells(sweeps, sky, options, directionDone);
    }
    if (light.SkyLight && grids.Sky) skyLight = SkyLightAtHalfResolution(*grids.Sky, grid, sky, options, directionDone);
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
