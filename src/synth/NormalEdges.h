#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "math/VectorTypes.h"
#include "synth/HeightField.h"

namespace orvalis {

// The sample height of every pixel: (height x heightScale) / 5 at extended
// precision, rounded to single once. An 8-bit picture has only 766 heights,
// each worked out once by that same formula.
class SampleHeights {
public:
    SampleHeights(const HeightField& field, float heightScale);

    float At(std::int32_t row, std::int32_t column) const {
        const std::size_t index = field_.IndexOf(row, column);
        return bySum_.empty() ? Formula(field_.ExtendedHeight(index)) : bySum_[field_.ByteSum(index)];
    }
    std::int32_t Width() const { return field_.Width; }
    std::int32_t Rows() const { return field_.Rows; }

private:
    float Formula(long double height) const { return static_cast<float>(height * heightScale_ / 5); }

    const HeightField& field_;
    float heightScale_;
    std::vector<float> bySum_;
};

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
    explicit EdgeRows(const SampleHeights& heights) : heights_(heights) {}
    // Rows 1 .. Rows() - 1 only; Up and Diagonal from row 3 on.
    const EdgeRow& At(std::int32_t row);

private:
    const SampleHeights& heights_;
    std::array<EdgeRow, 6> rows_;  // row r in slot r mod 6: r - 2 .. r + 4 never collide
    std::vector<float> below_;
};

}  // namespace orvalis
