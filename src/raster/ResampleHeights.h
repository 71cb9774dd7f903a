#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "raster/HeightPlane.h"
#include "raster/Progress.h"

namespace orvalis {

// How heights are interpolated along an axis that grows. Both curves pass
// through the source heights. Cubic is Keys' cubic convolution (a = -1/2):
// four cells a value, slopes continuous, its curvature changing at every
// cell, which shows the cells' lattice in the light of a large enlargement.
// Spline is the cubic B-spline through the cells: its curvature continuous
// too (C2), for enlargements of ten times and more; it first solves the
// whole plane for the B-spline's coefficients along each axis that grows.
enum class Interpolation { Cubic, Spline };

// The plane resampled onto width x rows cells over the same extent: every
// cell is an area, so the first and last centres move in by half a cell of
// their own size. Along an axis that grows, heights are interpolated as
// `interpolation` says; along an axis that shrinks, each new cell takes the
// mean of the source cells it covers, weighted by the area covered. Past the
// edges the surface goes on straight (SurfaceEdge.h), and cells without data
// take the lowest height with data first. The result holds real heights.
HeightPlane ResampleHeights(const HeightPlane& source, std::int32_t width, std::int32_t rows,
                            const RunOptions& options = {}, Interpolation interpolation = Interpolation::Cubic);

// The cubic convolution (Keys, a = -1/2) of four heights one cell apart at
// t (0 .. 1) from p1 toward p2: the curve Interpolation::Cubic draws between
// them.
inline double CubicConvolution(double p0, double p1, double p2, double p3, double t) {
    return p1 + 0.5 * t * (p2 - p0 + t * (2 * p0 - 5 * p1 + 4 * p2 - p3 + t * (3 * (p1 - p2) + p3 - p0)));
}

// ResampleHeights a band of rows at a time, for planes too large to hold
// twice: source rows come in bottom first, and each target row leaves as
// soon as the source rows it takes from are in, with the very value
// ResampleHeights gives it (the same weights, added in the same order).
// The source rows must hold data: cells without it take their replacement
// before they come in (ResampleHeightsInBands does that). With
// Interpolation::Spline the rows that come in are the B-spline's
// coefficients (ResampleHeightsInBands makes them).
class StreamedResample {
public:
    // Receives `count` finished target rows from `firstRow` on, `width` values each.
    using TargetRows = std::function<void(std::int32_t firstRow, std::int32_t count, const double* values)>;

    StreamedResample(std::int32_t fromWidth, std::int32_t fromRows, std::int32_t width, std::int32_t rows,
                     TargetRows out, const RunOptions& options = {},
                     Interpolation interpolation = Interpolation::Cubic);
    ~StreamedResample();
    StreamedResample(const StreamedResample&) = delete;
    StreamedResample& operator=(const StreamedResample&) = delete;

    // The next `count` source rows, fromWidth heights each.
    void Push(const double* sourceRows, std::int32_t count);

private:
    struct Axes;
    std::unique_ptr<Axes> axes_;
    std::int32_t fromWidth_, width_, rows_;
    bool columnsFirst_;
    TargetRows out_;
    RunOptions options_;
    std::int32_t nextSource_ = 0;
    std::int32_t firstPending_ = 0;           // the first target row not yet sent
    std::deque<std::vector<double>> pending_;  // its sum and those of the rows after it
    std::vector<double> across_, finished_;
};

// ResampleHeights's values, `bandRows` target rows or so at a time, without a
// whole target plane of them (the spline keeps its coefficients, a plane of
// the source's size).
void ResampleHeightsInBands(const HeightPlane& source, std::int32_t width, std::int32_t rows,
                            std::int32_t bandRows, const StreamedResample::TargetRows& out,
                            const RunOptions& options = {}, Interpolation interpolation = Interpolation::Cubic);

}  // namespace orvalis
