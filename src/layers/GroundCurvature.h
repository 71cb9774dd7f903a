#pragma once

#include <cstdint>
#include <vector>

#include "raster/Progress.h"
#include "layers/TerrainWindow.h"

namespace orvalis {

// The curvature of the ground at one scale: a cell's height less the mean
// height of the square of cells within the reach of the radius
// (CurvatureReach) each way, cut at the world's edges; positive on ridges
// and crests, negative in hollows and valleys, in the data's unit.
//
// Heights are taken in whole steps of kCurvatureStep (cut to
// +-kLargestCurvatureHeight), so that the sums are exact integers: a
// running sum gives the value a direct sum does wherever it starts, and a
// window or a band of rows the very values of the whole. The step keeps
// (height x count - sum) within 64 bits for the largest square.
inline constexpr double kCurvatureStep = 1.0 / 1024;
inline constexpr double kLargestCurvatureHeight = 0x1p29;

class GroundCurvature {
public:
    // Sums the squares' rows of the window's columns over every row of the
    // plane, rows in parallel as options ask.
    GroundCurvature(const TerrainWindow& terrain, double radius, const RunOptions& options);

    // The window's rows in order from `row` (window rows, bottom first).
    class Rows {
    public:
        Rows(const GroundCurvature& curvature, std::int32_t row);
        // The curvature of the window's columns on the next row, from `row` on.
        void Next(double* out);

    private:
        void Add(std::int32_t worldRow, std::int64_t sign);

        const GroundCurvature& curvature_;
        std::int32_t row_;                 // world row of the next row
        bool started_ = false;             // sums_ belong to the row before row_
        std::vector<std::int64_t> sums_;   // the squares' sums of the row
        std::vector<std::int64_t> steps_;  // the row's heights in steps
    };

private:
    const std::int64_t* RowSums(std::int32_t worldRow) const;

    TerrainWindow terrain_;
    Halo reach_;
    std::vector<std::int64_t> rowSums_;  // per plane row, the window's columns' sums along the row
    std::vector<std::int32_t> columnCounts_;  // per window column, the cells its square spans along a row
};

}  // namespace orvalis
