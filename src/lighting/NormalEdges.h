#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "math/VectorTypes.h"
#include "lighting/ScaledHeights.h"
#include "lighting/InteriorTriangles.h"

namespace orvalis {

// Vectors of a row, one array per component, so that neighbouring columns
// load into vector lanes at once.
struct EdgeLine {
    std::vector<float> X, Y, Z;

    // width vectors, those that were there kept.
    void Resize(std::int32_t width);
    // width vectors, those from `from` on zero and the ones before kept.
    void ZeroFrom(std::int32_t from, std::int32_t width);
    void Set(std::int32_t c, const Vector3& v) { X[c] = v.x, Y[c] = v.y, Z[c] = v.z; }
    Vector3 At(std::int32_t c) const { return Vector3{X[c], Y[c], Z[c]}; }
    ConstComponentArrays Arrays() const { return {X.data(), Y.data(), Z.data()}; }
    ComponentArrays<float> WritableArrays() { return {X.data(), Y.data(), Z.data()}; }
};

// The unit edges between samples two pixels apart that start in one row r,
// each normalised once for all the triangles of all the pixels that share
// it. Samples lie at (column, height, row); edge differences are taken as
// the triangles take them (single differences, then normalised).
struct EdgeRow {
    std::int32_t Row = -1;
    std::vector<float> Heights;  // sample heights of row r
    EdgeLine Across;             // [c]: sample (c + 2, r) - sample (c, r)
    EdgeLine Up;                 // [c]: sample (c, r) - sample (c, r - 2)
    EdgeLine Diagonal;           // [c]: sample (c, r) - sample (c + 2, r - 2)
};

// The edge rows a band of pixel rows reads, each made once: pixel row r
// reads rows r - 2, r and r + 2.
class EdgeRows {
public:
    explicit EdgeRows(const ScaledHeights& heights) : heights_(heights) {}
    // Rows 1 .. Rows() - 1 only; Up and Diagonal from row 3 on.
    const EdgeRow& At(std::int32_t row);

private:
    const ScaledHeights& heights_;
    // Row r in slot r mod 6: six consecutive rows lie in different slots, so
    // pixel rows taken in turn find r - 2 and r still there and make r + 2.
    std::array<EdgeRow, 6> rows_;
    std::vector<float> below_;
    EdgeLine differences_;  // the edges before normalisation
    std::vector<std::int32_t> uncertain_;
};

}  // namespace orvalis
