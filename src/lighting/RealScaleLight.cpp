#include "lighting/RealScaleLight.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "files/Error.h"
#include "raster/ParallelRows.h"
#include "raster/ResampleHeights.h"
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

void ShadeCells(const GroundGrid& grid, const RealScaleLight& light, const std::vector<float>& skyView,
                LitTerrain& lit, const RunOptions& options) {
    const SunVector sun = TowardSun(light.Sun);
    const double diffuse = 1 - light.Ambient;
    lit.Shade.resize(grid.Z.size());
    RunOptions quiet = options;
    quiet.Progress = {};
    ParallelRows(grid.Rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
        for (std::int32_t column = 0; column < grid.Width; ++column) {
            const std::size_t i = grid.IndexOf(row, column);
            const double sky = skyView.empty() ? 1.0 : skyView[i];
            const double direct = SunFacing(HornSlope(grid, row, column), sun) * lit.SunVisibility[i];
            lit.Shade[i] = static_cast<float>(std::min(1.0, light.Ambient * sky + diffuse * direct));
        }
    });
}

// The sky-view factor changes slowly over the ground: on grids of more cells
// than this it is taken at half the resolution and interpolated back, which
// quarters its cost (a texture enlarged from its heightmap loses nothing).
constexpr std::int64_t kFullSkyCells = std::int64_t{2048} * 2048;

std::vector<float> SkyViewAtHalfResolution(const HeightPlane& heights, const TerrainScale& scale,
                                           const RunOptions& options,
                                           const std::function<void(int directionsDone)>& directionDone) {
    const std::int32_t width = (heights.Width + 1) / 2, rows = (heights.Rows + 1) / 2;
    const TerrainScale coarse{scale.CellX * heights.Width / width, scale.CellY * heights.Rows / rows, scale.ZFactor};
    const GroundGrid grid = MakeGroundGrid(ResampleHeights(heights, width, rows, options), coarse);
    HorizonSweeps sweeps(grid);
    const std::vector<float> sky = SkyViewFactor(sweeps, options, directionDone);
    const HeightPlane half{width, rows, std::vector<double>(sky.begin(), sky.end()), {}};
    const HeightPlane full = ResampleHeights(half, heights.Width, heights.Rows, options);
    std::vector<float> skyView(full.Heights.size());
    for (std::size_t i = 0; i < skyView.size(); ++i) skyView[i] = static_cast<float>(std::clamp(full.Heights[i], 0.0, 1.0));
    return skyView;
}

}  // namespace

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
    std::vector<float> skyView;
    if (light.SkyLight) {
        const auto directionDone = [&progress](int done) { progress.Done(1 + done); };
        skyView = static_cast<std::int64_t>(grid.Width) * grid.Rows <= kFullSkyCells
                      ? SkyViewFactor(sweeps, options, directionDone)
                      : SkyViewAtHalfResolution(heights, light.Scale, options, directionDone);
    }
    ShadeCells(grid, light, skyView, lit, options);
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
