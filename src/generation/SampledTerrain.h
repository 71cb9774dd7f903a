#pragma once

#include <cstdint>

#include "raster/DibBuffer.h"
#include "raster/HeightPlane.h"
#include "raster/Picture.h"
#include "raster/Progress.h"
#include "blending/BandBlend.h"
#include "blending/SplatMap.h"
#include "lighting/Lightmap.h"
#include "generation/TerrainSampling.h"

namespace orvalis {

// The lighting of a sampled terrain.
struct SampledLight {
    // The lightmap file's picture: the texture's size when lit at the real
    // scale, else the classic lightmap of the heightmap.
    TDibBuffer Lightmap;
    // The lightmap smoothly resampled to the texture's size where the
    // texture is smooth and the lightmap is not its size; else empty, and
    // the lightmap is stretched onto the texture as in the classic synthesis.
    TDibBuffer OnTexture;
    // The sun's visibility at the texture's size (real scale only), grey.
    TDibBuffer SunVisibility;
};

// The heights of one heightmap as the texture samples them (see
// TerrainSampling): in the data's units, one a texture pixel, bottom row first.
class SampledTerrain {
public:
    // Takes the heightmap over, sampled as SamplingOfHeightmap gives it;
    // raises Error for settings out of range.
    SampledTerrain(Picture heightmap, const TerrainSampling& sampling, std::int32_t textureSize,
                   const RunOptions& options);

    // The tiles blended by the sampled heights and the bands.
    TDibBuffer Blend(const TileSet& tiles, const RunOptions& options) const;
    // The texture's size.
    const TextureShape& Shape() const { return shape_; }
    // The weights Blend gives every pixel as splat-map bytes, a row at a
    // time, top row first.
    void ForEachSplatRow(const SplatRow& row) const;
    // The real-scale light when the sampling has one, else the classic light.
    // Either takes the heightmap's pixels and heights over: call it once.
    SampledLight Light(const LightSettings& classic, const RunOptions& options);

private:
    BandHeights Bands() const;
    HeightPlane SampledHeights(const RunOptions& options) const;
    HeightPlane TakeHeightsInDataUnits(const RunOptions& options);

    Picture heightmap_;
    TerrainSampling sampling_;
    TextureShape shape_;
    HeightPlane heights_;
};

}  // namespace orvalis
