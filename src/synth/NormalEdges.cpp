#include "synth/NormalEdges.h"

#include <algorithm>

#include "math/Geometry.h"
#include "synth/NormalLanes.h"
#include "synth/NormalMap.h"

namespace orvalis {

namespace {

// An edge as the triangles take it: a single difference, normalised later.
Vector3 Edge(const Vector3& from, const Vector3& to) {
    Vector3 edge;
    SubtractVectors(to, from, edge);
    return edge;
}

Vector3 Sample(std::int32_t column, float height, std::int32_t row) {
    return Vector3{static_cast<float>(column), height, static_cast<float>(row)};
}

void LoadHeights(const ScaledHeights& heights, std::int32_t row, std::vector<float>& out) {
    out.resize(static_cast<std::size_t>(heights.Width()));
    for (std::int32_t c = 0; c < heights.Width(); ++c) out[c] = heights.At(row, c);
}

}  // namespace

const EdgeRow& EdgeRows::At(std::int32_t row) {
    EdgeRow& e = rows_[static_cast<std::size_t>(row) % rows_.size()];
    if (e.Row == row) return e;
    e.Row = row;
    const std::int32_t width = heights_.Width();
    constexpr std::int32_t step = NormalSampleStep;
    LoadHeights(heights_, row, e.Heights);
    e.Across.assign(static_cast<std::size_t>(width), Vector3{});
    e.Up.assign(static_cast<std::size_t>(width), Vector3{});
    e.Diagonal.assign(static_cast<std::size_t>(width), Vector3{});
    // Only the edges that exist are normalised; the rest stay zero.
    const std::size_t withRight = static_cast<std::size_t>(std::max(width - step, 0));
    for (std::int32_t c = 0; c + step < width; ++c) {
        e.Across[c] = Edge(Sample(c, e.Heights[c], row), Sample(c + step, e.Heights[c + step], row));
    }
    NormalizeAll(e.Across.data(), withRight);
    if (row - step < 1) return e;
    LoadHeights(heights_, row - step, below_);
    for (std::int32_t c = 0; c < width; ++c) {
        const Vector3 here = Sample(c, e.Heights[c], row);
        e.Up[c] = Edge(Sample(c, below_[c], row - step), here);
        if (c + step < width) e.Diagonal[c] = Edge(Sample(c + step, below_[c + step], row - step), here);
    }
    NormalizeAll(e.Up.data(), e.Up.size());
    NormalizeAll(e.Diagonal.data(), withRight);
    return e;
}

}  // namespace orvalis
