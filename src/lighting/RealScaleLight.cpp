#include "lighting/RealScaleLight.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include "files/Error.h"
#include "math/NumberText.h"
#include "raster/ParallelRows.h"
#include "raster/ResampleHeights.h"
#include "lighting/ClearSky.h"
#include "lighting/HornSlope.h"
#include "lighting/HorizonSweep.h"
#include "lighting/LightingGrids.h"
#include "lighting/MeansOnTarget.h"
#include "lighting/SkyView.h"
#include "lighting/SunVisibility.h"

namespace orvalis {

namespace {

// Rows of a fine plane in hand at once.
constexpr std::int32_t kBandRows = 128;

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

// What the shading of every cell takes.
struct Shading {
    const GroundGrid& Grid;
    const RealScaleLight& Light;
    const ClearSky& Sky;
    SunVector Sun;
    double Most;
    const std::vector<float>& SunVisibility;
};

// Rows [first, first + count) of the shade into `shade`, with the sky's light
// of those rows (null: the open sky).
void ShadeRows(const Shading& shading, std::int32_t first, std::int32_t count, const float* skyLight,
               float* shade, const RunOptions& quiet) {
    const GroundGrid& grid = shading.Grid;
    const double ambientShare = shading.Light.Ambient, diffuse = 1 - shading.Light.Ambient;
    ParallelRows(count, quiet, SynthesisStage::Lightmap, [&](std::int32_t k) {
        const std::int32_t row = first + k;
        const std::size_t band = static_cast<std::size_t>(k) * grid.Width;
        for (std::int32_t column = 0; column < grid.Width; ++column) {
            const std::size_t i = grid.IndexOf(row, column);
            const GroundSlope slope = HornSlope(grid, row, column);
            const double ambient =
                ambientShare * (skyLight ? skyLight[band + column] : shading.Sky.OnOpenFace(slope));
            const double direct = diffuse * SunFacing(slope, shading.Sun) * shading.SunVisibility[i];
            shade[band + column] = static_cast<float>(LightWithinOne(ambient + direct, shading.Most));
        }
    });
}

// Rows of the grid in bands, for whatever follows a band.
using RowBands = std::function<void(std::int32_t first, std::int32_t count, const float* values)>;

// The terrain's horizons change slowly over the ground: on grids of more
// than kFullSkyCells cells, the share of its open sky that the terrain leaves
// a cell is taken on the half-resolution grid and interpolated back, which
// quarters the cost of the sweeps; each cell's own face still counts at the
// full resolution. The fine grid's sky light comes a band of rows at a time.
void SkyLightAtHalfResolution(const GroundGrid& half, const GroundGrid& grid, const ClearSky& sky,
                              const RunOptions& options,
                              const std::function<void(int directionsDone)>& directionDone, const RowBands& rows) {
    const std::vector<float> light = [&] {
        HorizonSweeps sweeps(half);
        return SkyLightOnCells(sweeps, sky, options, directionDone);
    }();
    // The share of its open sky each half-grid cell sees.
    const auto seenAt = [&](std::int32_t row, std::int32_t column) {
        return light[half.IndexOf(row, column)] / std::max(1e-6, sky.OnOpenFace(HornSlope(half, row, column)));
    };
    RunOptions quiet = options;
    quiet.Progress = {};
    std::vector<float> fine;
    const StreamedResample::TargetRows fineRows = [&](std::int32_t first, std::int32_t count, const double* share) {
        fine.resize(static_cast<std::size_t>(count) * grid.Width);
        ParallelRows(count, quiet, SynthesisStage::Lightmap, [&](std::int32_t k) {
            const std::int32_t row = first + k;
            const std::size_t band = static_cast<std::size_t>(k) * grid.Width;
            for (std::int32_t column = 0; column < grid.Width; ++column) {
                fine[band + column] = static_cast<float>(std::clamp(share[band + column], 0.0, 1.0) *
                                                         sky.OnOpenFace(HornSlope(grid, row, column)));
            }
        });
        rows(first, count, fine.data());
    };
    // Finite heights give finite shares, which go a band at a time; others
    // need the whole plane for the value that stands in for them.
    if (!std::all_of(half.Z.begin(), half.Z.end(), [](float z) { return std::isfinite(z); })) {
        HeightPlane seen{half.Width, half.Rows, std::vector<double>(half.Z.size()), {}};
        for (std::int32_t row = 0; row < half.Rows; ++row) {
            for (std::int32_t column = 0; column < half.Width; ++column) seen.Heights[half.IndexOf(row, column)] = seenAt(row, column);
        }
        ResampleHeightsInBands(seen, grid.Width, grid.Rows, kBandRows, fineRows, quiet);
        return;
    }
    StreamedResample stream(half.Width, half.Rows, grid.Width, grid.Rows, fineRows, quiet);
    std::vector<double> band;
    for (std::int32_t first = 0; first < half.Rows; first += kBandRows) {
        const std::int32_t count = std::min(kBandRows, half.Rows - first);
        band.resize(static_cast<std::size_t>(count) * half.Width);
        ParallelRows(count, quiet, SynthesisStage::Lightmap, [&](std::int32_t k) {
            for (std::int32_t column = 0; column < half.Width; ++column) {
                band[static_cast<std::size_t>(k) * half.Width + column] = seenAt(first + k, column);
            }
        });
        stream.Push(band.data(), count);
    }
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
        throw Error("the ambient share must be within 0 .. 1, not " + NumberText(light.Ambient));
    }
    if (light.WaterLevel && !std::isfinite(*light.WaterLevel)) throw Error("the water level must be a number");
}

LitTerrain LightAtRealScale(const HeightPlane& heights, const RealScaleLight& light, const RunOptions& options) {
    CheckRealScaleLight(light);
    return LightAtRealScale(LightingGridsOf(heights, light, options), light, options);
}

LitTerrain LightAtRealScale(const LightingGrids& grids, const RealScaleLight& light, const RunOptions& options) {
    return LightAtRealScale(grids, light, grids.Fine.Width, grids.Fine.Rows, options);
}

LitTerrain LightAtRealScale(const LightingGrids& grids, const RealScaleLight& light, std::int32_t width,
                            std::int32_t rows, const RunOptions& options) {
    CheckRealScaleLight(light);
    const GroundGrid& grid = grids.Fine;
    const StepProgress progress(options, 2 + (light.SkyLight ? kSkyDirections : 0));
    const auto directionDone = [&progress](int done) { progress.Done(1 + done); };
    RunOptions quiet = options;
    quiet.Progress = {};
    const ClearSky sky(light.Sun);
    std::vector<float> visibility, skyLight;
    {
        HorizonSweeps sweeps(grid);
        visibility = SunVisibility(sweeps, light.Sun, options);
        progress.Done(1);
        if (light.SkyLight && !grids.Sky) skyLight = SkyLightOnCells(sweeps, sky, options, directionDone);
    }
    const SunVector sun = TowardSun(light.Sun);
    const Shading shading{grid, light, sky, sun, sky.MostLight(light.Ambient, sun), visibility};
    // Heights all finite give finite shades, which go to the target a band
    // at a time; otherwise the whole plane goes, as MeansOf takes it.
    const bool finite = std::all_of(grid.Z.begin(), grid.Z.end(), [](float z) { return std::isfinite(z); });
    // Made once the sky's light is in, which needs room of its own first.
    std::optional<MeansOnTarget> means;
    std::vector<float> wholeShade, band;
    const RowBands shadeRows = [&](std::int32_t first, std::int32_t count, const float* skyRows) {
        if (!finite) {
            wholeShade.resize(grid.Z.size());
            ShadeRows(shading, first, count, skyRows, &wholeShade[grid.IndexOf(first, 0)], quiet);
            return;
        }
        if (!means) means.emplace(grid.Width, grid.Rows, width, rows, quiet);
        band.resize(static_cast<std::size_t>(count) * grid.Width);
        ShadeRows(shading, first, count, skyRows, band.data(), quiet);
        means->Push(band.data(), count);
    };
    if (light.SkyLight && grids.Sky) {
        SkyLightAtHalfResolution(*grids.Sky, grid, sky, options, directionDone, shadeRows);
    } else {
        for (std::int32_t first = 0; first < grid.Rows; first += kBandRows) {
            const std::int32_t count = std::min(kBandRows, grid.Rows - first);
            shadeRows(first, count, skyLight.empty() ? nullptr : &skyLight[grid.IndexOf(first, 0)]);
        }
    }
    LitTerrain lit{width, rows, means ? means->Take() : MeansOf(wholeShade, grid.Width, grid.Rows, width, rows, quiet),
                   MeansOf(visibility, grid.Width, grid.Rows, width, rows, quiet)};
    progress.Done(2 + (light.SkyLight ? kSkyDirections : 0));
    return lit;
}

TDibBuffer GreyPicture(std::int32_t width, std::int32_t rows, const std::vector<float>& values,
                       const RunOptions& options) {
    TDibBuffer picture;
    picture.Allocate(width, rows, 24);
    RunOptions quiet = options;
    quiet.Progress = {};
    ParallelRows(rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
        std::uint8_t* bytes = picture.RowTable(BufferRowOfPlaneRow(picture, row));
        const float* line = &values[static_cast<std::size_t>(row) * width];
        for (std::int32_t column = 0; column < width; ++column, bytes += 3) {
            const auto v = static_cast<std::uint8_t>(std::lround(std::clamp(line[column], 0.0f, 1.0f) * 255));
            std::fill_n(bytes, 3, v);
        }
    });
    return picture;
}

}  // namespace orvalis
