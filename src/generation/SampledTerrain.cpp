#include "generation/SampledTerrain.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "raster/ParallelRows.h"
#include "raster/RaisedHeights.h"
#include "raster/ResampleHeights.h"
#include "blending/HeightBlend.h"
#include "blending/SettingsCheck.h"
#include "blending/StretchedHeights.h"
#include "lighting/LightingGrids.h"
#include "lighting/RealScaleLight.h"

namespace orvalis {

SampledTerrain::SampledTerrain(Picture heightmap, const TerrainSampling& sampling, std::int32_t textureSize,
                               const RunOptions& options)
    : heightmap_(std::move(heightmap)),
      sampling_(sampling),
      shape_(TextureShapeFor(sampling, textureSize, heightmap_.Pixels.Width(), heightmap_.Pixels.RowCount())) {
    if (sampling_.Bands) CheckBandHeights(*sampling_.Bands);
    if (sampling_.RealScale) CheckRealScaleLight(*sampling_.RealScale);
    heights_ = SampledHeights(options);
}

// The classic stretch samples whole grey levels, which then stand for their heights.
HeightPlane SampledTerrain::SampledHeights(const RunOptions& options) const {
    if (sampling_.Resample != Resampling::Classic) {
        // ResampleHeights's values, a band of rows at a time, without its
        // whole planes between the passes.
        HeightPlane heights{shape_.Width, shape_.Rows, std::vector<double>(static_cast<std::size_t>(shape_.Width) * shape_.Rows), {}};
        constexpr std::int32_t kBandRows = 128;
        ResampleHeightsInBands(
            HeightsInDataUnits(heightmap_), shape_.Width, shape_.Rows, kBandRows,
            [&heights](std::int32_t first, std::int32_t count, const double* values) {
                std::copy_n(values, static_cast<std::size_t>(count) * heights.Width, &heights.Heights[heights.IndexOf(first, 0)]);
            },
            options, sampling_.Enlarging());
        return heights;
    }
    const StretchedHeights stretched(heightmap_.Pixels, shape_.Width, shape_.Rows);
    HeightPlane heights{shape_.Width, shape_.Rows, std::vector<double>(static_cast<std::size_t>(shape_.Width) * shape_.Rows), {}};
    std::vector<PixelColour> merged;
    std::vector<std::uint8_t> levels(static_cast<std::size_t>(shape_.Width));
    for (std::int32_t y = 0; y < shape_.Rows; ++y) {
        stretched.Row(y, merged, levels.data());
        double* row = &heights.Heights[heights.IndexOf(PlaneRowOfDeviceRow(shape_.Rows, y), 0)];
        for (std::int32_t x = 0; x < shape_.Width; ++x) row[x] = heightmap_.Levels.HeightOf(levels[x]);
    }
    return heights;
}

namespace {

// The real-scale light works on a grid of at least twice the heightmap's
// resolution (but not beyond twice the texture's, nor beyond this many
// cells), so that its shadows are those of the same smooth surface whatever
// the texture's size: a texture of the heightmap's size and one of twice it
// shadow the same share.
constexpr std::int64_t kLargestLightingCells = std::int64_t{8192} * 8192;

TextureShape LightingShape(const TextureShape& texture, std::int32_t mapWidth, std::int32_t mapRows) {
    const auto side = [](std::int32_t texture, std::int32_t map) {
        return std::max(texture, std::min(2 * texture, 2 * map));
    };
    const TextureShape finer{side(texture.Width, mapWidth), side(texture.Rows, mapRows)};
    return static_cast<std::int64_t>(finer.Width) * finer.Rows <= kLargestLightingCells ? finer : texture;
}

// The classic light's heightmap under open water at `level` (in the data's
// units): its heights in grey levels, those below the water's raised to its
// flat surface.
Picture UnderOpenWater(Picture heightmap, double level, int threads) {
    const LevelScale scale = heightmap.Levels;
    const double waterLevel = (level - scale.Low) * 255 / (scale.High - scale.Low);
    if (!std::isfinite(waterLevel)) return heightmap;
    Picture flattened;
    flattened.FineHeights = RaisedTo(HeightsOf(std::move(heightmap), threads), waterLevel);
    flattened.Levels = scale;
    return flattened;
}

}  // namespace

BandHeights SampledTerrain::Bands() const {
    return sampling_.Bands.value_or(DefaultBandHeights(heightmap_.Levels));
}

TDibBuffer SampledTerrain::Blend(const TileSet& tiles, const RunOptions& options) const {
    return BlendByHeights(heights_, Bands(), tiles, options, sampling_.WaterLevel);
}

// The blend shares a pixel between the bands by their weights at the band
// level taken as a float; so do the splat bytes.
void SampledTerrain::ForEachSplatRow(const SplatRow& row) const {
    const BandHeights bands = Bands();
    std::vector<SplatWeights> weights(static_cast<std::size_t>(shape_.Width));
    for (std::int32_t y = 0; y < shape_.Rows; ++y) {
        const std::int32_t planeRow = PlaneRowOfDeviceRow(shape_.Rows, y);
        for (std::int32_t x = 0; x < shape_.Width; ++x) {
            const double level = BandLevel(bands, sampling_.WaterLevel, heights_.At(planeRow, x));
            weights[x] = SplatWeightsAt(static_cast<float>(level));
        }
        row(y, weights);
    }
}

// The light takes the heightmap over, as the classic one does: its fine
// heights turn into the data's units where they lie rather than in a copy.
HeightPlane SampledTerrain::TakeHeightsInDataUnits(const RunOptions& options) {
    if (!heightmap_.FineHeights || heightmap_.FineHeights->ThirdsOfByteSums()) return HeightsInDataUnits(heightmap_);
    HeightPlane heights = std::move(*heightmap_.FineHeights);
    heightmap_.FineHeights.reset();
    heightmap_.Pixels = TDibBuffer();
    // Float samples hold their heights as samples and a scale: the data's
    // units need a double a cell, and the samples go once converted.
    if (heights.ScaledSamples()) heights.Heights.resize(heights.Samples.size());
    RunOptions quiet = options;
    quiet.Progress = {};
    ParallelRows(heights.Rows, quiet, SynthesisStage::Lightmap, [&](std::int32_t row) {
        double* out = &heights.Heights[heights.IndexOf(row, 0)];
        // A row of heights before any of them is replaced: doubles are
        // converted where they lie.
        std::vector<double> levels(static_cast<std::size_t>(heights.Width));
        heights.RowHeights(row, levels.data());
        for (std::int32_t column = 0; column < heights.Width; ++column) out[column] = heightmap_.Levels.HeightOf(levels[column]);
    });
    heights.Samples = UnsetValues<float>();
    return heights;
}

SampledLight SampledTerrain::Light(const LightSettings& classic, const RunOptions& options) {
    SampledLight light;
    if (sampling_.RealScale) {
        const std::int32_t mapWidth = heightmap_.Pixels.Width(), mapRows = heightmap_.Pixels.RowCount();
        const TextureShape grid = LightingShape(shape_, mapWidth, mapRows);
        RealScaleLight real = *sampling_.RealScale;
        real.WaterLevel = sampling_.WaterLevel;
        // The grid's cells cover the heightmap's extent.
        real.Scale.CellX *= static_cast<double>(mapWidth) / grid.Width;
        real.Scale.CellY *= static_cast<double>(mapRows) / grid.Rows;
        const bool finer = grid.Width != shape_.Width || grid.Rows != shape_.Rows;
        // The finer grid is made a band at a time, and its light reaches
        // the texture's size a band at a time; neither the grid nor the
        // heights it comes from outlive the lighting.
        const auto lightFiner = [&] {
            const LightingGrids grids =
                ResampledLightingGrids(TakeHeightsInDataUnits(options), grid.Width, grid.Rows, real,
                                       sampling_.Enlarging(), options);
            return LightAtRealScale(grids, real, shape_.Width, shape_.Rows, options);
        };
        const LitTerrain lit = finer ? lightFiner() : LightAtRealScale(heights_, real, options);
        heightmap_.Pixels = TDibBuffer();
        light.Lightmap = GreyPicture(shape_.Width, shape_.Rows, lit.Shade, options);
        light.SunVisibility = GreyPicture(shape_.Width, shape_.Rows, lit.SunVisibility, options);
        return light;
    }
    if (sampling_.WaterLevel) {
        heightmap_ = UnderOpenWater(std::move(heightmap_), *sampling_.WaterLevel, options.Threads);
    }
    light.Lightmap = LightHeightmap(std::move(heightmap_), classic, options);
    if (sampling_.Resample != Resampling::Classic &&
        (light.Lightmap.Width() != shape_.Width || light.Lightmap.RowCount() != shape_.Rows)) {
        HeightPlane grey = ResampleHeights(HeightsOfPixels(light.Lightmap), shape_.Width, shape_.Rows, options,
                                           sampling_.Enlarging());
        for (double& v : grey.Heights) v /= 255;
        std::vector<float> values(grey.Heights.begin(), grey.Heights.end());
        light.OnTexture = GreyPicture(shape_.Width, shape_.Rows, values, options);
    }
    return light;
}

}  // namespace orvalis
