#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "math/VectorTypes.h"
#include "synth/HeightField.h"

namespace orvalis {

// The unit edges between samples two pixels apart that start in one row r,
// each normalised once for all the triangles of all the pixels that share
// it. Samples lie at (column, height, row); edge differences are taken as
// the triangles take them (single differences, then normalised).
struct EdgeRow {
    std::int32_t Row = -1;
    std::vector<float> Heights;      // sample heights of row r
    std::vector<Vector3> Across;     // [c]: sample (c + 2, r) - sample (c, r)
    std::vector<Vector3> Up;         // [c]: sample (c, r) - sample (c, r - 2)
    std::vector<Vector3> Diagonal;   // [c]: sample (c, r) - sample (c + 2, r - 2)
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
    std::array<EdgeRow, 6> rows_;  // row r in slot r mod 6: r - 2 .. r + 4 never collide
    std::vector<float> below_;
};

}  // namespace orvalis
