#include "synth/NormalMap.h"

#include <algorithm>
#include <array>

#include "math/Geometry.h"
#include "synth/ParallelRows.h"

namespace orvalis {

namespace {

struct SampleOffset {
    std::int32_t Column;
    std::int32_t Row;
};

// Sample k of pixel (row, column) lies NormalSampleStep times its offset away.
constexpr std::array<SampleOffset, 9> NormalSampleOffsets = {{
    {0, 0}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1},
}};

// Six triangles share the centre sample; the quarters at (+1, +1) and
// (-1, -1) are split along the other diagonal. Every one winds so that its
// normal points up.
struct Triangle {
    int I0, I1, I2;
};
constexpr std::array<Triangle, 8> NormalTriangles = {{
    {0, 1, 8}, {0, 2, 1}, {0, 4, 2}, {4, 3, 2}, {0, 5, 4}, {0, 6, 5}, {0, 8, 6}, {8, 7, 6},
}};

using Samples = std::array<Vector3, 9>;

// ((r + g + b) / 3 x heightScale) / 5 at extended precision, rounded to single once.
float SampleHeight(PixelColour p, float heightScale) {
    const long double sum = p.Red + p.Green + p.Blue;
    return static_cast<float>(sum / 3 * heightScale / 5);
}

std::int8_t LowByte(std::int32_t value) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(value));
}

// A sample slot keeps the height it last received while it lies outside, from
// pixel to pixel and row to row. A band of rows starting at firstRow takes
// over, for every slot, the height of the last pixel before it at which the
// slot lay inside (0 when there was none): what one pass from row 0 leaves.
Samples LeftoverSamples(const TDibBuffer& heightmap, float heightScale, std::int32_t firstRow) {
    const std::int32_t width = heightmap.Width(), rows = heightmap.RowCount();
    Samples samples{};
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const std::int32_t dc = NormalSampleStep * NormalSampleOffsets[k].Column;
        const std::int32_t dr = NormalSampleStep * NormalSampleOffsets[k].Row;
        // Pixels whose sample lies at 1 <= row < rows and 1 <= column < width.
        const std::int32_t rowBegin = std::max(0, 1 - dr), rowEnd = std::min(rows, rows - dr);
        const std::int32_t columnBegin = std::max(0, 1 - dc), columnEnd = std::min(width, width - dc);
        const std::int32_t lastRow = std::min(firstRow, rowEnd) - 1;
        if (lastRow < rowBegin || columnBegin >= columnEnd) continue;
        samples[k].y = SampleHeight(heightmap.ReadPixel(lastRow + dr, columnEnd - 1 + dc), heightScale);
    }
    return samples;
}

NormalEntry PixelNormal(const TDibBuffer& heightmap, float heightScale, std::int32_t row,
                        std::int32_t column, Samples& samples) {
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const std::int32_t sc = column + NormalSampleStep * NormalSampleOffsets[k].Column;
        const std::int32_t sr = row + NormalSampleStep * NormalSampleOffsets[k].Row;
        samples[k].x = static_cast<float>(sc);
        samples[k].z = static_cast<float>(sr);
        // Row 0 and column 0 count as outside; an outside sample keeps the
        // height its slot last had (see LeftoverSamples).
        if (1 <= sr && sr < heightmap.RowCount() && 1 <= sc && sc < heightmap.Width()) {
            samples[k].y = SampleHeight(heightmap.ReadPixel(sr, sc), heightScale);
        }
    }
    Vector3 sum;
    for (const Triangle& t : NormalTriangles) {
        Vector3 edge, e1, e2, cross, normal;
        SubtractVectors(samples[t.I1], samples[t.I2], edge);
        NormalizedCopy(edge, e2);
        SubtractVectors(samples[t.I0], samples[t.I1], edge);
        NormalizedCopy(edge, e1);
        CrossProduct(e1, e2, cross);
        NormalizedCopy(cross, normal);
        AddVectors(sum, normal, sum);
    }
    NormalizeInPlace(sum);
    ScaleVector(sum, sum, 127.0f);
    // Truncated toward zero, not rounded: (-0.894, 0.447, 0) is (-113, 56, 0).
    return NormalEntry{LowByte(TruncToInt(sum.x)), LowByte(TruncToInt(sum.y)),
                       LowByte(TruncToInt(sum.z))};
}

}  // namespace

void BuildNormalMap(const TDibBuffer& heightmap, TNormalMap& normals, float heightScale,
                    const RunOptions& options) {
    const std::int32_t width = heightmap.Width(), rows = heightmap.RowCount();
    normals.assign(static_cast<std::size_t>(width) * rows, NormalEntry{});
    ParallelRowBands(rows, options, SynthesisStage::Lightmap,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         Samples samples = LeftoverSamples(heightmap, heightScale, firstRow);
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             for (std::int32_t column = 0; column < width; ++column) {
                                 normals[static_cast<std::size_t>(row) * width + column] =
                                     PixelNormal(heightmap, heightScale, row, column, samples);
                             }
                             tally.RowDone();
                         }
                     });
}

}  // namespace orvalis
