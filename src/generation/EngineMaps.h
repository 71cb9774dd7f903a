#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "generation/GenerateTexture.h"
#include "io/GeoTiffFile.h"
#include "io/PngEncoder.h"
#include "lighting/Lightmap.h"
#include "raster/Picture.h"

namespace orvalis {

// How a run writes its maps: PNG, or GeoTIFF placed over the heightmap's
// extent.
struct MapWriting {
    bool Tiff = false;
    PngWriting Png;
    GeoPlacement Place;
};

// Interleaved samples (top row first) as PNG or GeoTIFF.
void WriteMapSamples(const std::string& path, std::int32_t width, std::int32_t rows, int channels,
                     std::span<const std::uint8_t> samples, const MapWriting& writing);

// The splat map as two RGBA pictures: bands 256, 192, 128 and 64 in
// `first`, band 0 in the red of `second`.
void WriteSplatMap(const std::string& first, const std::string& second, const BandWeightRows& weights,
                   const MapWriting& writing);

// The normals the lighting uses, from the heights at full precision, as an
// RGB picture of the heightmap's size; they come back for a lit run to use.
TerrainLighting WriteNormalMap(const std::string& path, const Picture& heightmap, const RunOptions& run,
                               const MapWriting& writing);

}  // namespace orvalis
