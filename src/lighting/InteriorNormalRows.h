#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "lighting/NormalEdges.h"
#include "lighting/NormalEntry.h"

namespace orvalis {

// The entries of interior pixels (all nine samples inside), a pixel row at
// a time: first each of the eight triangles' unit normals along the row,
// then their sums. Triangle t3 of row r crosses the same edges in the same
// order as t1 of row r + 2, and t7 of row r as t5 of row r - 2, so those
// rows of normals are made once for both.
class InteriorNormalRows {
public:
    // Interior columns first .. end of every row.
    InteriorNormalRows(std::int32_t first, std::int32_t end);
    InteriorNormalRows(const InteriorNormalRows&) = delete;
    InteriorNormalRows& operator=(const InteriorNormalRows&) = delete;

    // Sets out[first .. end) for pixel row row, which edges must hold with
    // the rows two above and two below.
    void Row(EdgeRows& edges, std::int32_t row, NormalEntry* out);

private:
    struct TriangleRow {
        std::int32_t Row = -1;
        EdgeLine Normals;
    };
    // The row of triangle t's normals of pixel row row, made in `into`.
    const EdgeLine& Make(EdgeRows& edges, int t, std::int32_t row, TriangleRow& into);
    // The same for t1 or t5, kept for their second use.
    const EdgeLine& Shared(EdgeRows& edges, int t, std::int32_t row);

    std::int32_t first_, end_;
    std::array<TriangleRow, 4> own_;     // t0, t2, t4, t6 of the current row
    std::array<TriangleRow, 3> t1Rows_;  // row r in slot r mod 3: r and r + 2 never collide
    std::array<TriangleRow, 3> t5Rows_;  // likewise r - 2 and r
    std::vector<std::int32_t> uncertain_;
};

}  // namespace orvalis
