#include "lighting/NormalMap.h"

#include <algorithm>
#include <array>
#include <vector>

#include "math/CertifiedGeometry.h"
#include "math/Geometry.h"
#include "lighting/NormalEdges.h"
#include "lighting/NormalRows.h"
#include "lighting/PixelNormal.h"
#include "raster/ParallelRows.h"

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

// Column 0 counts as outside, so interior pixels start here.
constexpr std::int32_t kFirstInterior = NormalSampleStep + 1;

// A sample's height is the pixel's height x heightScale, divided by this.
constexpr float kSampleHeightDivisor = 5.0f;

// A sample slot keeps the height it last received while it lies outside, from
// pixel to pixel and row to row. A band of rows starting at firstRow takes
// over, for every slot, the height of the last pixel before it at which the
// slot lay inside (0 when there was none): what one pass from row 0 leaves.
Samples LeftoverSamples(const ScaledHeights& heights, std::int32_t firstRow) {
    const std::int32_t width = heights.Width(), rows = heights.Rows();
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

// The eight triangle normals summed, normalised, scaled by 127 and
// truncated. Triangle t's edges: e2 = unit (sample i1 - sample i2), e1 =
// unit (sample i0 - sample i1).
NormalEntry NormalOfSamples(const Samples& samples) {
    Vector3 sum;
    for (const Triangle& t : NormalTriangles) {
        Vector3 edge, e1, e2;
        SubtractVectors(samples[t.I1], samples[t.I2], edge);
        CertifiedNormalizedCopy(edge, e2);
        SubtractVectors(samples[t.I0], samples[t.I1], edge);
        CertifiedNormalizedCopy(edge, e1);
        AddVectors(sum, TriangleNormal(e1, e2), sum);
    }
    return EntryOfSum(sum);
}

// Sets the samples of pixel (row, column). Row 0 and column 0 count as
// outside; an outside sample keeps the height its slot last had (see
// LeftoverSamples).
void LoadSamples(const ScaledHeights& heights, std::int32_t row, std::int32_t column, Samples& samples) {
    for (std::size_t k = 0; k < samples.size(); ++k) {
        const std::int32_t sc = column + NormalSampleStep * NormalSampleOffsets[k].Column;
        const std::int32_t sr = row + NormalSampleStep * NormalSampleOffsets[k].Row;
        samples[k].x = static_cast<float>(sc);
        samples[k].z = static_cast<float>(sr);
        if (1 <= sr && sr < heights.Rows() && 1 <= sc && sc < heights.Width()) {
            samples[k].y = heights.At(sr, sc);
        }
    }
}

// One row of normals. Pixels whose samples all lie inside take their edges
// from the shared edge rows; the others go sample by sample, and the slots
// are brought up to date where the two meet.
void NormalRow(const ScaledHeights& heights, EdgeRows& edges, InteriorNormalRows& interior, std::int32_t row,
               Samples& samples, NormalEntry* out) {
    constexpr std::int32_t s = NormalSampleStep;
    const std::int32_t width = heights.Width();
    const bool interiorRow = row - s >= 1 && row + s < heights.Rows();
    const std::int32_t firstInterior = kFirstInterior, endInterior = interiorRow ? width - s : firstInterior;
    for (std::int32_t column = 0; column < width; ++column) {
        if (column == firstInterior && firstInterior < endInterior) {
            interior.Row(edges, row, out);
            column = endInterior;
            LoadSamples(heights, row, column - 1, samples);
        }
        LoadSamples(heights, row, column, samples);
        out[column] = NormalOfSamples(samples);
    }
}

}  // namespace

NormalRows::NormalRows(const HeightPlane& plane, float heightScale, std::int32_t firstRow)
    : heights_(plane, heightScale, kSampleHeightDivisor),
      edges_(heights_),
      interior_(kFirstInterior, plane.Width - NormalSampleStep),
      samples_(LeftoverSamples(heights_, firstRow)) {}

void NormalRows::Row(std::int32_t row, NormalEntry* out) {
    NormalRow(heights_, edges_, interior_, row, samples_, out);
}

void BuildNormalMap(const HeightPlane& plane, TNormalMap& normals, float heightScale,
                    const RunOptions& options) {
    normals.assign(static_cast<std::size_t>(plane.Width) * plane.Rows, NormalEntry{});
    ParallelRowBands(plane.Rows, options, SynthesisStage::Lightmap,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         NormalRows band(plane, heightScale, firstRow);
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             band.Row(row, &normals[plane.IndexOf(row, 0)]);
                             tally.RowDone();
                         }
                     });
}

}  // namespace orvalis
