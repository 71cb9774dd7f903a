#include "raster/ResampleHeights.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "raster/HeightHoles.h"
#include "raster/ParallelRows.h"
#include "raster/SplineCoefficients.h"
#include "raster/SurfaceEdge.h"

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

// The cubic B-spline, which weights the spline's coefficients.
double SplineWeight(double x) {
    x = std::fabs(x);
    if (x < 1) return (4 + x * x * (3 * x - 6)) / 6;
    if (x < 2) return (2 - x) * (2 - x) * (2 - x) / 6;
    return 0;
}

// The four cells around the target's centre, weighted by the kernel; those
// past an edge stand for the cells inside that continue the surface there
// (CellsAt). A target's taps run over rising source cells, each cell once,
// its weights added in the order they came.
void AddKernelTaps(std::int32_t target, std::int32_t from, std::int32_t to, double (*kernel)(double),
                   AxisTaps& axis) {
    const double centre = (target + 0.5) * from / to - 0.5;
    const auto below = static_cast<std::int32_t>(std::floor(centre));
    std::vector<Tap> taps;
    for (std::int32_t k = below - 1; k <= below + 2; ++k) {
        CellsAt(k, from, kernel(centre - k), [&taps](std::int64_t cell, double weight) {
            taps.push_back({static_cast<std::int32_t>(cell), weight});
        });
    }
    std::stable_sort(taps.begin(), taps.end(), [](const Tap& a, const Tap& b) { return a.Source < b.Source; });
    for (const Tap& tap : taps) {
        if (axis.Taps.size() > axis.Starts.back() && axis.Taps.back().Source == tap.Source) {
            axis.Taps.back().Weight += tap.Weight;
        } else {
            axis.Taps.push_back(tap);
        }
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

AxisTaps TapsOf(std::int32_t from, std::int32_t to, Interpolation interpolation) {
    AxisTaps axis;
    for (std::int32_t i = 0; i < to; ++i) {
        axis.Starts.push_back(axis.Taps.size());
        if (to <= from) AddAreaTaps(i, from, to, axis);
        else AddKernelTaps(i, from, to, interpolation == Interpolation::Spline ? SplineWeight : CubicWeight, axis);
    }
    axis.Starts.push_back(axis.Taps.size());
    return axis;
}

struct Plane {
    std::int32_t Width;
    std::int32_t Rows;
    std::vector<double> Values;
};

// One row across the columns.
void ColumnsOfRow(const AxisTaps& axis, const double* source, double* target, std::int32_t width) {
    for (std::int32_t i = 0; i < width; ++i) {
        double sum = 0;
        for (std::size_t t = axis.Starts[i]; t < axis.Starts[i + 1]; ++t) sum += axis.Taps[t].Weight * source[axis.Taps[t].Source];
        target[i] = sum;
    }
}

Plane AcrossColumns(const Plane& in, std::int32_t width, Interpolation interpolation, const RunOptions& options) {
    const AxisTaps axis = TapsOf(in.Width, width, interpolation);
    Plane out{width, in.Rows, std::vector<double>(static_cast<std::size_t>(width) * in.Rows)};
    ParallelRows(in.Rows, options, SynthesisStage::Blend, [&](std::int32_t row) {
        ColumnsOfRow(axis, &in.Values[static_cast<std::size_t>(row) * in.Width],
                     &out.Values[static_cast<std::size_t>(row) * width], width);
    });
    return out;
}

Plane AcrossRows(const Plane& in, std::int32_t rows, Interpolation interpolation, const RunOptions& options) {
    const AxisTaps axis = TapsOf(in.Rows, rows, interpolation);
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

// The axis that shrinks goes first, so that the plane between the passes is
// the smaller one.
bool ColumnsFirst(std::int32_t fromWidth, std::int32_t fromRows, std::int32_t width, std::int32_t rows) {
    return static_cast<std::int64_t>(width) * fromRows <= static_cast<std::int64_t>(fromWidth) * rows;
}

// Source rows [first, first + count) into `values`, cells without data
// taking `hole`.
void FilledRows(const HeightPlane& source, std::int32_t first, std::int32_t count, double hole, double* values,
                const RunOptions& quiet) {
    ParallelRows(count, quiet, SynthesisStage::Blend, [&](std::int32_t k) {
        double* row = values + static_cast<std::size_t>(k) * source.Width;
        source.RowHeights(first + k, row);
        for (std::int32_t column = 0; column < source.Width; ++column) {
            row[column] = std::isfinite(row[column]) ? row[column] : hole;
        }
    });
}

// The source's heights with their holes filled, as the spline's coefficients
// along the axes that grow where it asks for the spline.
Plane SourcePlane(const HeightPlane& source, std::int32_t width, std::int32_t rows, Interpolation interpolation,
                  const RunOptions& options) {
    Plane plane{source.Width, source.Rows, std::vector<double>(static_cast<std::size_t>(source.Width) * source.Rows)};
    RunOptions quiet = options;
    quiet.Progress = {};
    FilledRows(source, 0, source.Rows, LowestHeightWithData(source, options), plane.Values.data(), quiet);
    if (interpolation == Interpolation::Spline) {
        ToSplineCoefficients(plane.Values, plane.Width, plane.Rows, width > source.Width, rows > source.Rows, quiet);
    }
    return plane;
}

}  // namespace

HeightPlane ResampleHeights(const HeightPlane& source, std::int32_t width, std::int32_t rows,
                            const RunOptions& options, Interpolation interpolation) {
    Plane plane = SourcePlane(source, width, rows, interpolation, options);
    RunOptions quiet = options;
    quiet.Progress = {};
    if (ColumnsFirst(source.Width, source.Rows, width, rows)) {
        plane = AcrossRows(AcrossColumns(plane, width, interpolation, quiet), rows, interpolation, quiet);
    } else {
        plane = AcrossColumns(AcrossRows(plane, rows, interpolation, quiet), width, interpolation, quiet);
    }
    return HeightPlane{width, rows, std::move(plane.Values), {}};
}

struct StreamedResample::Axes {
    AxisTaps Columns;
    AxisTaps Rows;
};

StreamedResample::StreamedResample(std::int32_t fromWidth, std::int32_t fromRows, std::int32_t width,
                                   std::int32_t rows, TargetRows out, const RunOptions& options,
                                   Interpolation interpolation)
    : axes_(std::make_unique<Axes>(
          Axes{TapsOf(fromWidth, width, interpolation), TapsOf(fromRows, rows, interpolation)})),
      fromWidth_(fromWidth),
      width_(width),
      rows_(rows),
      // The same order of the passes as ResampleHeights.
      columnsFirst_(ColumnsFirst(fromWidth, fromRows, width, rows)),
      out_(std::move(out)),
      options_(options) {
    options_.Progress = {};
}

StreamedResample::~StreamedResample() = default;

void StreamedResample::Push(const double* sourceRows, std::int32_t count) {
    const std::int32_t first = nextSource_, end = first + count;
    const AxisTaps& axis = axes_->Rows;
    const double* in = sourceRows;
    std::int32_t inWidth = fromWidth_;
    if (columnsFirst_) {
        across_.resize(static_cast<std::size_t>(count) * width_);
        ParallelRows(count, options_, SynthesisStage::Blend, [&](std::int32_t row) {
            ColumnsOfRow(axes_->Columns, sourceRows + static_cast<std::size_t>(row) * fromWidth_,
                         &across_[static_cast<std::size_t>(row) * width_], width_);
        });
        in = across_.data();
        inWidth = width_;
    }
    // A target row's weights run over its source rows in rising order, and
    // the first of them rises from row to row: the rows that take from this
    // band are the pending ones and those that start in it.
    std::int32_t reached = firstPending_ + static_cast<std::int32_t>(pending_.size());
    while (reached < rows_ && axis.Taps[axis.Starts[reached]].Source < end) {
        pending_.emplace_back(static_cast<std::size_t>(inWidth), 0.0);
        ++reached;
    }
    ParallelRows(static_cast<std::int32_t>(pending_.size()), options_, SynthesisStage::Blend, [&](std::int32_t k) {
        const std::int32_t row = firstPending_ + k;
        double* target = pending_[static_cast<std::size_t>(k)].data();
        for (std::size_t t = axis.Starts[row]; t < axis.Starts[row + 1]; ++t) {
            const std::int32_t source = axis.Taps[t].Source;
            if (source < first || source >= end) continue;
            const double* line = in + static_cast<std::size_t>(source - first) * inWidth;
            for (std::int32_t column = 0; column < inWidth; ++column) target[column] += axis.Taps[t].Weight * line[column];
        }
    });
    nextSource_ = end;
    std::int32_t done = 0;
    while (done < static_cast<std::int32_t>(pending_.size()) &&
           axis.Taps[axis.Starts[firstPending_ + done + 1] - 1].Source < end) {
        ++done;
    }
    if (done == 0) return;
    finished_.resize(static_cast<std::size_t>(done) * width_);
    ParallelRows(done, options_, SynthesisStage::Blend, [&](std::int32_t k) {
        const std::vector<double>& sum = pending_[static_cast<std::size_t>(k)];
        double* target = &finished_[static_cast<std::size_t>(k) * width_];
        if (columnsFirst_) std::copy(sum.begin(), sum.end(), target);
        else ColumnsOfRow(axes_->Columns, sum.data(), target, width_);
    });
    out_(firstPending_, done, finished_.data());
    pending_.erase(pending_.begin(), pending_.begin() + done);
    firstPending_ += done;
}

void ResampleHeightsInBands(const HeightPlane& source, std::int32_t width, std::int32_t rows,
                            std::int32_t bandRows, const StreamedResample::TargetRows& out,
                            const RunOptions& options, Interpolation interpolation) {
    StreamedResample stream(source.Width, source.Rows, width, rows, out, options, interpolation);
    const auto perBand = static_cast<std::int32_t>(
        std::max<std::int64_t>(1, static_cast<std::int64_t>(bandRows) * source.Rows / std::max(1, rows)));
    const bool spline = interpolation == Interpolation::Spline && (width > source.Width || rows > source.Rows);
    // The spline's coefficients of a line depend on all of it: they come
    // from the whole source plane.
    const Plane coefficients = spline ? SourcePlane(source, width, rows, interpolation, options) : Plane{};
    const double hole = spline ? 0 : LowestHeightWithData(source, options);
    RunOptions quiet = options;
    quiet.Progress = {};
    std::vector<double> band;
    for (std::int32_t first = 0; first < source.Rows; first += perBand) {
        const std::int32_t count = std::min(perBand, source.Rows - first);
        if (spline) {
            stream.Push(&coefficients.Values[static_cast<std::size_t>(first) * source.Width], count);
            continue;
        }
        band.resize(static_cast<std::size_t>(count) * source.Width);
        FilledRows(source, first, count, hole, band.data(), quiet);
        stream.Push(band.data(), count);
    }
}

}  // namespace orvalis
