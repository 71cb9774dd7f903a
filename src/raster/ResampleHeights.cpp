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
    const double hole = LowestHeightWithData(source, options);
    RunOptions quiet = options;
    quiet.Progress = {};
    ParallelRows(source.Rows, quiet, SynthesisStage::Blend, [&](std::int32_t row) {
        double* values = &plane.Values[source.IndexOf(row, 0)];
        source.RowHeights(row, values);
        for (std::int32_t column = 0; column < source.Width; ++column) {
            values[column] = std::isfinite(values[column]) ? values[column] : hole;
        }
    });
    // The axis that shrinks first, so that the plane between the passes is
    // the smaller one.
    if (static_cast<std::int64_t>(width) * source.Rows <= static_cast<std::int64_t>(source.Width) * rows) {
        plane = AcrossRows(AcrossColumns(plane, width, quiet), rows, quiet);
    } else {
        plane = AcrossColumns(AcrossRows(plane, rows, quiet), width, quiet);
    }
    return HeightPlane{width, rows, std::move(plane.Values), {}};
}

namespace {

// One row across the columns, as AcrossColumns takes it.
void ColumnsOfRow(const AxisTaps& axis, const double* source, double* target, std::int32_t width) {
    for (std::int32_t i = 0; i < width; ++i) {
        double sum = 0;
        for (std::size_t t = axis.Starts[i]; t < axis.Starts[i + 1]; ++t) sum += axis.Taps[t].Weight * source[axis.Taps[t].Source];
        target[i] = sum;
    }
}

}  // namespace

struct StreamedResample::Axes {
    AxisTaps Columns;
    AxisTaps Rows;
};

StreamedResample::StreamedResample(std::int32_t fromWidth, std::int32_t fromRows, std::int32_t width,
                                   std::int32_t rows, TargetRows out, const RunOptions& options)
    : axes_(std::make_unique<Axes>(Axes{TapsOf(fromWidth, width), TapsOf(fromRows, rows)})),
      fromWidth_(fromWidth),
      width_(width),
      rows_(rows),
      // The same order of the passes as ResampleHeights.
      columnsFirst_(static_cast<std::int64_t>(width) * fromRows <= static_cast<std::int64_t>(fromWidth) * rows),
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
                            const RunOptions& options) {
    const double hole = LowestHeightWithData(source, options);
    StreamedResample stream(source.Width, source.Rows, width, rows, out, options);
    RunOptions quiet = options;
    quiet.Progress = {};
    const auto perBand = static_cast<std::int32_t>(
        std::max<std::int64_t>(1, static_cast<std::int64_t>(bandRows) * source.Rows / std::max(1, rows)));
    std::vector<double> band;
    for (std::int32_t first = 0; first < source.Rows; first += perBand) {
        const std::int32_t count = std::min(perBand, source.Rows - first);
        band.resize(static_cast<std::size_t>(count) * source.Width);
        ParallelRows(count, quiet, SynthesisStage::Blend, [&](std::int32_t k) {
            double* values = &band[static_cast<std::size_t>(k) * source.Width];
            source.RowHeights(first + k, values);
            for (std::int32_t column = 0; column < source.Width; ++column) {
                values[column] = std::isfinite(values[column]) ? values[column] : hole;
            }
        });
        stream.Push(band.data(), count);
    }
}

}  // namespace orvalis
