#include "lighting/MeansOnTarget.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orvalis {

namespace {

constexpr std::int32_t kBandRows = 128;

}  // namespace

MeansOnTarget::MeansOnTarget(std::int32_t fromWidth, std::int32_t fromRows, std::int32_t width,
                             std::int32_t rows, const RunOptions& options)
    : fromWidth_(fromWidth), width_(width), means_(static_cast<std::size_t>(width) * rows) {
    if (fromWidth == width && fromRows == rows) return;
    RunOptions quiet = options;
    quiet.Progress = {};
    stream_ = std::make_unique<StreamedResample>(
        fromWidth, fromRows, width, rows,
        [this](std::int32_t first, std::int32_t count, const double* means) {
            std::copy_n(means, static_cast<std::size_t>(count) * width_,
                        means_.begin() + static_cast<std::ptrdiff_t>(first) * width_);
        },
        quiet);
}

void MeansOnTarget::Push(const float* values, std::int32_t count) {
    const std::size_t n = static_cast<std::size_t>(count) * fromWidth_;
    if (!stream_) {
        std::copy_n(values, n, means_.begin() + static_cast<std::ptrdiff_t>(nextRow_) * fromWidth_);
    } else {
        band_.assign(values, values + n);
        stream_->Push(band_.data(), count);
    }
    nextRow_ += count;
}

std::vector<float> MeansOf(const std::vector<float>& values, std::int32_t fromWidth, std::int32_t fromRows,
                           std::int32_t width, std::int32_t rows, const RunOptions& options) {
    if (fromWidth == width && fromRows == rows) return values;
    double lowest = std::numeric_limits<double>::infinity();
    for (const float v : values) {
        if (std::isfinite(v)) lowest = std::min(lowest, static_cast<double>(v));
    }
    const auto hole = static_cast<float>(std::isfinite(lowest) ? lowest : 0.0);
    MeansOnTarget means(fromWidth, fromRows, width, rows, options);
    std::vector<float> band;
    for (std::int32_t first = 0; first < fromRows; first += kBandRows) {
        const std::int32_t count = std::min(kBandRows, fromRows - first);
        const float* start = values.data() + static_cast<std::size_t>(first) * fromWidth;
        band.resize(static_cast<std::size_t>(count) * fromWidth);
        std::transform(start, start + band.size(), band.begin(), [hole](float v) { return std::isfinite(v) ? v : hole; });
        means.Push(band.data(), count);
    }
    return means.Take();
}

}  // namespace orvalis
