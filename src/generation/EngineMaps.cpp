#include "generation/EngineMaps.h"

#include <algorithm>
#include <vector>

#include "io/PngFile.h"
#include "lighting/NormalMapColours.h"

namespace orvalis {

namespace {

// The generation blends from the heightmap after this; the lighting takes a copy.
Picture CopyOf(const Picture& picture) {
    Picture copy{TDibBuffer(), picture.FineHeights, picture.Levels, picture.RealSamples, picture.Geo, picture.AllNoData};
    copy.Pixels.CopyFromBitmap(picture.Pixels);
    return copy;
}

}  // namespace

void WriteMapSamples(const std::string& path, std::int32_t width, std::int32_t rows, int channels,
                     std::span<const std::uint8_t> samples, const MapWriting& writing) {
    if (writing.Tiff) WriteGeoTiffFile(path, {width, rows, channels}, samples, writing.Place, writing.Png.Cancel);
    else WritePngFile(path, {width, rows, channels}, samples, writing.Png);
}

void WriteSplatMap(const std::string& first, const std::string& second, const BandWeightRows& weights,
                   const MapWriting& writing) {
    // Two RGBA pictures, straight from each row's weights.
    const std::size_t rowSamples = static_cast<std::size_t>(weights.Width) * 4;
    std::vector<std::uint8_t> firstSamples(rowSamples * weights.Rows), secondSamples(rowSamples * weights.Rows);
    weights.ForEach([&](std::int32_t y, std::span<const SplatWeights> row) {
        ThrowIfCancelled(writing.Png.Cancel);
        std::uint8_t* firstRow = &firstSamples[rowSamples * y];
        std::uint8_t* secondRow = &secondSamples[rowSamples * y];
        for (const SplatWeights& w : row) {
            firstRow = std::copy_n(w.begin(), 4, firstRow);
            *secondRow = w[4];
            secondRow += 4;
        }
    });
    WriteMapSamples(first, weights.Width, weights.Rows, 4, firstSamples, writing);
    WriteMapSamples(second, weights.Width, weights.Rows, 4, secondSamples, writing);
}

TerrainLighting WriteNormalMap(const std::string& path, const Picture& heightmap, const RunOptions& run,
                               const MapWriting& writing) {
    RunOptions quiet = run;
    quiet.Progress = {};
    TerrainLighting terrain = PrepareTerrainLighting(CopyOf(heightmap), quiet);
    ThrowIfCancelled(run.Cancel);
    const std::int32_t width = terrain.Field.Width, rows = terrain.Field.Rows;
    WriteMapSamples(path, width, rows, 3, NormalMapColours(terrain.Normals, width, rows), writing);
    return terrain;
}

}  // namespace orvalis
