#include "synth/NormalMap.h"

#include <algorithm>
#include <array>
#include <vector>

#include "math/CertifiedGeometry.h"
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

// The sample height of every pixel: (height x heightScale) / 5 at extended
// precision, rounded to single once. An 8-bit picture has only 766 heights,
// each worked out once by that same formula.
class SampleHeights {
public:
    SampleHeights(const HeightField& field, float heightScale) : field_(field), heightScale_(heightScale) {
        if (!field.ThirdsOfByteSums) return;
        bySum_.resize(kLargestByteSum + 1);
        for (int sum = 0; sum <= kLargestByteSum; ++sum) bySum_[sum] = Formula(sum / 3.0L);
    }

    float At(std::int32_t row, std::int32_t column) const {
        const std::size_t index = field_.IndexOf(row, column);
        return bySum_.empty() ? Formula(field_.ExtendedHeight(index)) : bySum_[field_.ByteSum(index)];
    }

    // The heights of one row, or nothing for a row outside the picture.
    void Row(std::int32_t row, std::vector<float>& heights) const {
        heights.clear();
        if (row < 0 || row >= field_.Rows) return;
        for (std::int32_t column = 0; column < field_.Width; ++column) heights.push_back(At(row, column));
    }

private:
    float Formula(long double height) const { return static_cast<float>(height * heightScale_ / 5); }

    const HeightField& field_;
    float heightScale_;
    std::vector<float> bySum_;
};

std::int8_t LowByte(std::int32_t value) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(value));
}

// A sample slot keeps the height it last received while it lies outside, from
// pixel to pixel and row to row. A band of rows starting at firstRow takes
// over, for every slot, the height of the last pixel before it at which the
// slot lay inside (0 when there was none): what one pass from row 0 leaves.
Samples LeftoverSamples(const SampleHeights& heights, std::int32_t width, std::int32_t rows,
                        std::int32_t firstRow) {
    Samples samples{};
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const std::int32_t dc = NormalSampleStep * NormalSampleOffsets[k].Column;
        const std::int32_t dr = NormalSampleStep * NormalSampleOffsets[k].Row;
        // Pixels whose sample lies at 1 <= row < rows and 1 <= column < width.
        const std::int32_t rowBegin = std::max(0, 1 - dr), rowEnd = std::min(rows, rows - dr);
        const std::int32_t columnBegin = std::max(0, 1 - dc), columnEnd = std::min(width, width - dc);
        const std::int32_t lastRow = std::min(firstRow, rowEnd) - 1;
        if (lastRow < rowBegin || columnBegin >= columnEnd) continue;
        samples[k].y = heights.At(lastRow + dr, columnEnd - 1 + dc);
    }
    return samples;
}

// The sample heights of rows row - 2, row and row + 2, the rows one pixel row reads.
struct SampleRows {
    std::array<std::vector<float>, 3> Heights;

    void Load(const SampleHeights& heights, std::int32_t row) {
        for (int i = 0; i < 3; ++i) heights.Row(row + NormalSampleStep * (i - 1), Heights[i]);
    }
    float At(std::int32_t rowOffset, std::int32_t column) const { return Heights[rowOffset + 1][column]; }
};

// The eight triangle normals summed, normalised, scaled by 127 and truncated.
// The certified operations give exactly the singles of the extended ones.
NormalEntry NormalOfSamples(const Samples& samples) {
    Vector3 sum;
    for (const Triangle& t : NormalTriangles) {
        Vector3 edge, e1, e2, cross, normal;
        SubtractVectors(samples[t.I1], samples[t.I2], edge);
        CertifiedNormalizedCopy(edge, e2);
        SubtractVectors(samples[t.I0], samples[t.I1], edge);
        CertifiedNormalizedCopy(edge, e1);
        CertifiedCrossProduct(e1, e2, cross);
        CertifiedNormalizedCopy(cross, normal);
        AddVectors(sum, normal, sum);
    }
    CertifiedNormalizedCopy(sum, sum);
    DoubleScaleVector(sum, sum, 127.0f);
    // Truncated toward zero, not rounded: (-0.894, 0.447, 0) is (-113, 56, 0).
    return NormalEntry{LowByte(TruncToInt(sum.x)), LowByte(TruncToInt(sum.y)),
                       LowByte(TruncToInt(sum.z))};
}

NormalEntry PixelNormal(const SampleRows& rows, std::int32_t rowCount, std::int32_t width, std::int32_t row,
                        std::int32_t column, Samples& samples) {
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const std::int32_t sc = column + NormalSampleStep * NormalSampleOffsets[k].Column;
        const std::int32_t sr = row + NormalSampleStep * NormalSampleOffsets[k].Row;
        samples[k].x = static_cast<float>(sc);
        samples[k].z = static_cast<float>(sr);
        // Row 0 and column 0 count as outside; an outside sample keeps the
        // height its slot last had (see LeftoverSamples).
        if (1 <= sr && sr < rowCount && 1 <= sc && sc < width) {
            samples[k].y = rows.At(NormalSampleOffsets[k].Row, sc);
        }
    }
    return NormalOfSamples(samples);
}

}  // namespace

void BuildNormalMap(const HeightField& field, TNormalMap& normals, float heightScale,
                    const RunOptions& options) {
    const std::int32_t width = field.Width, rows = field.Rows;
    normals.assign(static_cast<std::size_t>(width) * rows, NormalEntry{});
    const SampleHeights heights(field, heightScale);
    ParallelRowBands(rows, options, SynthesisStage::Lightmap,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         Samples samples = LeftoverSamples(heights, width, rows, firstRow);
                         SampleRows sampleRows;
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             sampleRows.Load(heights, row);
                             for (std::int32_t column = 0; column < width; ++column) {
                                 normals[field.IndexOf(row, column)] =
                                     PixelNormal(sampleRows, rows, width, row, column, samples);
                             }
                             tally.RowDone();
                         }
                     });
}

void BuildNormalMap(const TDibBuffer& heightmap, TNormalMap& normals, float heightScale,
                    const RunOptions& options) {
    BuildNormalMap(HeightFieldOf(heightmap), normals, heightScale, options);
}

}  // namespace orvalis
