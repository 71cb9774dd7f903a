#include "generation/SampledTerrain.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "raster/ResampleHeights.h"
#include "blending/HeightBlend.h"
#include "blending/SettingsCheck.h"
#include "blending/StretchedHeights.h"
#include "lighting/GroundCells.h"
#include "lighting/RealScaleLight.h"

namespace orvalis {

SampledTerrain::SampledTerrain(Picture heightmap, const TerrainSampling& sampling, std::int32_t textureSize,
                               const RunOptions& options)
    : heightmap_(std::move(heightmap)),
      sampling_(sampling),
      shape_(TextureShapeFor(sampling, textureSize, heightmap_.Pixels.Width(), heightmap_.Pixels.RowCount())) {
    if (sampling_.Bands) CheckBandHeights(*sampling_.Bands);
    if (sampling_.RealScale && sampling_.CellsFromGeoReference && heightmap_.Geo) {
        if (const auto cells = GroundCellsOf(*heightmap_.Geo, heightmap_.Pixels.Width(), heightmap_.Pixels.RowCount())) {
            sampling_.RealScale->Scale.CellX = cells->X;
            sampling_.RealScale->Scale.CellY = cells->Y;
        }
    }
    if (sampling_.RealScale) CheckRealScaleLight(*sampling_.RealScale);
    heights_ = SampledHeights(options);
}

// The classic stretch samples whole grey levels, which then stand for their heights.
HeightPlane SampledTerrain::SampledHeights(const RunOptions& options) const {
    if (sampling_.Resample == Resampling::Smooth) {
        return ResampleHeights(HeightsInDataUnits(heightmap_), shape_.Width, shape_.Rows, options);
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

TDibBuffer SampledTerrain::Blend(const TileSet& tiles, const RunOptions& options) const {
    return BlendByHeights(heights_, sampling_.Bands.value_or(DefaultBandHeights(heightmap_.Levels)), tiles, options);
}

SampledLight SampledTerrain::Light(const LightSettings& classic, const RunOptions& options) {
    SampledLight light;
    if (sampling_.RealScale) {
        RealScaleLight real = *sampling_.RealScale;
        // The texture's cells cover the heightmap's extent.
        real.Scale.CellX *= static_cast<double>(heightmap_.Pixels.Width()) / shape_.Width;
        real.Scale.CellY *= static_cast<double>(heightmap_.Pixels.RowCount()) / shape_.Rows;
        const LitTerrain lit = LightAtRealScale(heights_, real, options);
        light.Lightmap = GreyPicture(lit.Width, lit.Rows, lit.Shade);
        light.SunVisibility = GreyPicture(lit.Width, lit.Rows, lit.SunVisibility);
        return light;
    }
    light.Lightmap = LightHeightmap(std::move(heightmap_), classic, options);
    if (sampling_.Resample == Resampling::Smooth &&
        (light.Lightmap.Width() != shape_.Width || light.Lightmap.RowCount() != shape_.Rows)) {
        HeightPlane grey = ResampleHeights(HeightsOfPixels(light.Lightmap), shape_.Width, shape_.Rows, options);
        for (double& v : grey.Heights) v /= 255;
        std::vector<float> values(grey.Heights.begin(), grey.Heights.end());
        light.OnTexture = GreyPicture(shape_.Width, shape_.Rows, values);
    }
    return light;
}

}  // namespace orvalis
