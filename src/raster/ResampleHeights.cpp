#include "raster/ResampleHeights.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "raster/HeightHoles.h"
#include "raster/ParallelRows.h"

namespace orvalis {

namespace {

// The source cells that make one target cell along an axis, and their weights.
struct Tap {
    std::int32_t Source;
    double Weight;
};
struct AxisTaps {
    std::vector<std::size_t> Starts;  // target i uses Taps[Starts[i] .. Starts[i + 1])
    std::vector<Tap> Taps;
};

// Keys' cubic convolution kernel with a = -1/2.
double CubicWeight(double x) {
    x = std::fabs(x);
    if (x < 1) return (1.5 * x - 2.5) * x * x + 1;
    if (x < 2) return ((-0.5 * x + 2.5) * x - 4) * x + 2;
    return 0;
}

void AddCubicTaps(std::int32_t target, std::int32_t from, std::int32_t to, AxisTaps& axis) {
    const double centre = (target + 0.5) * from / to - 0.5;
    const auto below = static_cast<std::int32_t>(std::floor(centre));
    for (std::int32_t k = below - 1; k <= below + 2; ++k) {
        axis.Taps.push_back({std::clamp(k, 0, from - 1), CubicWeight(centre - k)});
    }
}

// Target cell i covers source [i x from / to, (i + 1) x from / to).
void AddAreaTaps(std::int32_t target, std::int32_t from, std::int32_t to, AxisTaps& axis) {
    const double start = static_cast<double>(target) * from / to, end = static_cast<double>(target + 1) * from / to;
    const double share = static_cast<double>(to) / from;
    for (auto k = static_cast<std::int32_t>(std::floor(start)); k < end && k < from; ++k) {
        const double covered = std::min<double>(end, k + 1) - std::max<double>(start, k);
        if (covered > 0) axis.Taps.push_back({k, covered * share});
    }
}

AxisTaps TapsOf(std::int32_t from, std::int32_t to) {
    AxisTaps axis;
    for (std::int32_t i = 0; i < to; ++i) {
        axis.Starts.push_back(axis.Taps.size());
        if (to > from) AddCubicTaps(i, from, to, axis);
        else AddAreaTaps(i, from, to, axis);
    }
    axis.Starts.push_back(axis.Taps.size());
    return axis;
}

struct Plane {
    std::int32_t Width;
    std::int32_t Rows;
    std::vector<double> Values;
};

Plane AcrossColumns(const Plane& in, std::int32_t width, const RunOptions& options) {
    const AxisTaps axis = TapsOf(in.Width, width);
    Plane out{width, in.Rows, std::vector<double>(static_cast<std::size_t>(width) * in.Rows)};
    ParallelRows(in.Rows, options, SynthesisStage::Blend, [&](std::int32_t row) {
        const double* source = &in.Values[static_cast<std::size_t>(row) * in.Width];
        double* target = &out.Values[static_cast<std::size_t>(row) * width];
        for (std::int32_t i = 0; i < width; ++i) {
            double sum = 0;
            for (std::size_t t = axis.Starts[i]; t < axis.Starts[i + 1]; ++t) sum += axis.Taps[t].Weight * source[axis.Taps[t].Source];
            target[i] = sum;
        }
    });
    return out;
}

Plane AcrossRows(const Plane& in, std::int32_t rows, const RunOptions& options) {
    const AxisTaps axis = TapsOf(in.Rows, rows);
    Plane out{in.Width, rows, std::vector<double>(static_cast<std::size_t>(in.Width) * rows)};
    ParallelRows(rows, options, SynthesisStage::Blend, [&](std::int32_t row) {
        double* target = &out.Values[static_cast<std::size_t>(row) * in.Width];
        for (std::size_t t = axis.Starts[row]; t < axis.Starts[row + 1]; ++t) {
            const double* source = &in.Values[static_cast<std::size_t>(axis.Taps[t].Source) * in.Width];
            for (std::int32_t column = 0; column < in.Width; ++column) target[column] += axis.Taps[t].Weight * source[column];
        }
    });
    return out;
}

}  // namespace

HeightPlane ResampleHeights(const HeightPlane& source, std::int32_t width, std::int32_t rows,
                            const RunOptions& options) {
    Plane plane{source.Width, source.Rows, std::vector<double>(static_cast<std::size_t>(source.Width) * source.Rows)};
    const double hole = LowestHeightWithData(source);
    for (std::size_t i = 0; i < plane.Values.size(); ++i) {
        const double h = source.Height(i);
        plane.Values[i] = std::isfinite(h) ? h : hole;
    }
    RunOptions quiet = options;
    quiet.Progress = {};
    // The axis that shrinks first, so that the plane between the passes is
    // the smaller one.
    if (static_cast<std::int64_t>(width) * source.Rows <= static_cast<std::int64_t>(source.Width) * rows) {
        plane = AcrossRows(AcrossColumns(plane, width, quiet), rows, quiet);
    } else {
        plane = AcrossColumns(AcrossRows(plane, rows, quiet), width, quiet);
    }
    return HeightPlane{width, rows, std::move(plane.Values), {}};
}

}  // namespace orvalis
