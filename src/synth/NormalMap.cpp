#include "synth/NormalMap.h"

#include <algorithm>
#include <array>
#include <vector>

#include "math/CertifiedGeometry.h"
#include "math/Geometry.h"
#include "synth/NormalEdges.h"
#include "synth/NormalLanes.h"
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

// The two unit edges of one of a pixel's eight triangles, in the order
// they are crossed.
struct TriangleEdges {
    Vector3 E1, E2;
};
using PixelEdges = std::array<TriangleEdges, 8>;

// A sample's height is the pixel's height x heightScale, divided by this.
constexpr float kSampleHeightDivisor = 5.0f;

std::int8_t LowByte(std::int32_t value) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(value));
}

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

Vector3 Opposite(const Vector3& v) { return Vector3{-v.x, -v.y, -v.z}; }

Vector3 EdgeAt(const ConstComponentArrays& line, std::int32_t c) { return Vector3{line.X[c], line.Y[c], line.Z[c]}; }

// The edge lines of pixel row row's interior pixels. The three rows are all
// made before any is read: a later At never replaces an earlier one.
InteriorEdgeRows InteriorRowsAt(EdgeRows& edges, std::int32_t row) {
    constexpr std::int32_t s = NormalSampleStep;
    const EdgeRow& below = edges.At(row - s);
    const EdgeRow& here = edges.At(row);
    const EdgeRow& above = edges.At(row + s);
    InteriorEdgeRows rows;
    rows.Lines[BelowAcross] = below.Across.Arrays();
    rows.Lines[HereAcross] = here.Across.Arrays();
    rows.Lines[HereUp] = here.Up.Arrays();
    rows.Lines[HereDiagonal] = here.Diagonal.Arrays();
    rows.Lines[AboveAcross] = above.Across.Arrays();
    rows.Lines[AboveUp] = above.Up.Arrays();
    rows.Lines[AboveDiagonal] = above.Diagonal.Arrays();
    return rows;
}

// The eight triangle normals summed, normalised, scaled by 127 and truncated.
// The certified operations give exactly the singles of the extended ones.
NormalEntry NormalOfEdges(const PixelEdges& edges) {
    Vector3 sum;
    for (const TriangleEdges& t : edges) {
        Vector3 cross, normal;
        CertifiedCrossProduct(t.E1, t.E2, cross);
        CertifiedNormalizedCopy(cross, normal);
        AddVectors(sum, normal, sum);
    }
    CertifiedNormalizedCopy(sum, sum);
    DoubleScaleVector(sum, sum, 127.0f);
    // Truncated toward zero, not rounded: (-0.894, 0.447, 0) is (-113, 56, 0).
    return NormalEntry{LowByte(TruncToInt(sum.x)), LowByte(TruncToInt(sum.y)),
                       LowByte(TruncToInt(sum.z))};
}

// Triangle t's edges: e2 = unit (sample i1 - sample i2), e1 = unit (sample i0 - sample i1).
NormalEntry NormalOfSamples(const Samples& samples) {
    PixelEdges edges;
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const Triangle& t = NormalTriangles[i];
        Vector3 edge;
        SubtractVectors(samples[t.I1], samples[t.I2], edge);
        CertifiedNormalizedCopy(edge, edges[i].E2);
        SubtractVectors(samples[t.I0], samples[t.I1], edge);
        CertifiedNormalizedCopy(edge, edges[i].E1);
    }
    return NormalOfEdges(edges);
}

// The edges of a pixel whose nine samples all lie inside, taken from the
// edge rows it shares with its neighbours.
PixelEdges InteriorEdges(const InteriorEdgeRows& rows, std::int32_t c) {
    const auto edge = [&](const SharedEdge& shared) {
        const Vector3 v = EdgeAt(rows.Lines[shared.Line], c + shared.Offset);
        return shared.Opposite ? Opposite(v) : v;
    };
    PixelEdges edges;
    for (std::size_t t = 0; t < edges.size(); ++t) {
        edges[t] = {edge(InteriorTriangleEdges[t][0]), edge(InteriorTriangleEdges[t][1])};
    }
    return edges;
}

// The interior pixels from column to end, in vector lanes where the
// processor has them; every pixel they leave goes the one-pixel way.
void InteriorNormals(const InteriorEdgeRows& rows, std::int32_t column, std::int32_t end, NormalEntry* out,
                     std::vector<std::int32_t>& uncertain) {
    if (const NormalLaneKernel* lanes = FastestNormalLanes()) {
        uncertain.resize(static_cast<std::size_t>(end - column));
        const std::int32_t left = lanes->Normals(rows, column, end, out, uncertain.data());
        for (std::int32_t i = 0; i < left; ++i) out[uncertain[i]] = NormalOfEdges(InteriorEdges(rows, uncertain[i]));
        column += (end - column) / lanes->Lanes * lanes->Lanes;
    }
    for (; column < end; ++column) out[column] = NormalOfEdges(InteriorEdges(rows, column));
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
void NormalRow(const ScaledHeights& heights, EdgeRows& edges, std::int32_t row, Samples& samples,
               std::vector<std::int32_t>& uncertain, NormalEntry* out) {
    constexpr std::int32_t s = NormalSampleStep;
    const std::int32_t width = heights.Width();
    const bool interiorRow = row - s >= 1 && row + s < heights.Rows();
    const std::int32_t firstInterior = s + 1, endInterior = interiorRow ? width - s : firstInterior;
    for (std::int32_t column = 0; column < width; ++column) {
        if (column == firstInterior && firstInterior < endInterior) {
            InteriorNormals(InteriorRowsAt(edges, row), column, endInterior, out, uncertain);
            column = endInterior;
            LoadSamples(heights, row, column - 1, samples);
        }
        LoadSamples(heights, row, column, samples);
        out[column] = NormalOfSamples(samples);
    }
}

}  // namespace

NormalRows::NormalRows(const HeightField& field, float heightScale, std::int32_t firstRow)
    : heights_(field, heightScale, kSampleHeightDivisor), edges_(heights_), samples_(LeftoverSamples(heights_, firstRow)) {}

void NormalRows::Row(std::int32_t row, NormalEntry* out) {
    NormalRow(heights_, edges_, row, samples_, uncertain_, out);
}

void BuildNormalMap(const HeightField& field, TNormalMap& normals, float heightScale,
                    const RunOptions& options) {
    normals.assign(static_cast<std::size_t>(field.Width) * field.Rows, NormalEntry{});
    ParallelRowBands(field.Rows, options, SynthesisStage::Lightmap,
                     [&](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         NormalRows band(field, heightScale, firstRow);
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             band.Row(row, &normals[field.IndexOf(row, 0)]);
                             tally.RowDone();
                         }
                     });
}

void BuildNormalMap(const TDibBuffer& heightmap, TNormalMap& normals, float heightScale,
                    const RunOptions& options) {
    BuildNormalMap(HeightFieldOf(heightmap), normals, heightScale, options);
}

}  // namespace orvalis
