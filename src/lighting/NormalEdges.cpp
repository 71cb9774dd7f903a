#include "lighting/NormalEdges.h"

#include <algorithm>
#include <utility>

#include "math/Geometry.h"
#include "lighting/NormalLanes.h"

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

void LoadHeights(const ScaledHeights& heights, std::int32_t row, std::vector<float>& out,
                 std::vector<std::int32_t>& uncertain) {
    out.resize(static_cast<std::size_t>(heights.Width()));
    heights.Row(row, out.data(), uncertain);
}

}  // namespace

void EdgeLine::Resize(std::int32_t width) {
    for (std::vector<float>* component : {&X, &Y, &Z}) component->resize(static_cast<std::size_t>(width));
}

void EdgeLine::ZeroFrom(std::int32_t from, std::int32_t width) {
    Resize(width);
    for (std::vector<float>* component : {&X, &Y, &Z}) std::fill(component->begin() + from, component->end(), 0.0f);
}

const EdgeRow& EdgeRows::At(std::int32_t row) {
    EdgeRow& e = rows_[static_cast<std::size_t>(row) % rows_.size()];
    if (e.Row == row) return e;
    e.Row = row;
    const std::int32_t width = heights_.Width();
    constexpr std::int32_t step = NormalSampleStep;
    LoadHeights(heights_, row, e.Heights, uncertain_);
    differences_.Resize(width);  // every entry read below is written first
    // Only the edges that exist are normalised; the rest are zero. Clearing
    // just those keeps the slot's lines from being cleared whole every row.
    const std::int32_t withRight = std::max(width - step, 0);
    for (EdgeLine* line : {&e.Across, &e.Diagonal}) line->ZeroFrom(withRight, width);
    if (row - step < 1) {
        e.Up.ZeroFrom(0, width);
        e.Diagonal.ZeroFrom(0, width);
    } else {
        e.Up.Resize(width);
    }
    for (std::int32_t c = 0; c + step < width; ++c) {
        differences_.Set(c, Edge(Sample(c, e.Heights[c], row), Sample(c + step, e.Heights[c + step], row)));
    }
    NormalizeAll(std::as_const(differences_).Arrays(), e.Across.WritableArrays(), withRight, uncertain_);
    if (row - step < 1) return e;
    // Rows made in turn find the row below still in its slot.
    const EdgeRow& kept = rows_[static_cast<std::size_t>(row - step) % rows_.size()];
    if (kept.Row != row - step) LoadHeights(heights_, row - step, below_, uncertain_);
    const std::vector<float>& below = kept.Row == row - step ? kept.Heights : below_;
    for (std::int32_t c = 0; c < width; ++c) {
        differences_.Set(c, Edge(Sample(c, below[c], row - step), Sample(c, e.Heights[c], row)));
    }
    NormalizeAll(std::as_const(differences_).Arrays(), e.Up.WritableArrays(), width, uncertain_);
    for (std::int32_t c = 0; c + step < width; ++c) {
        differences_.Set(c, Edge(Sample(c + step, below[c + step], row - step), Sample(c, e.Heights[c], row)));
    }
    NormalizeAll(std::as_const(differences_).Arrays(), e.Diagonal.WritableArrays(), withRight, uncertain_);
    return e;
}

}  // namespace orvalis
